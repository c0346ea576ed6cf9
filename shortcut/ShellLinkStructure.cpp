#include "shortcut/ShellLinkStructure.h"

#include "base/Owned.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ShellLinkStructure {

namespace {

constexpr std::uint64_t HeaderSize = 0x4C;
constexpr std::uint64_t FlagsAt = 0x14;
// The shell link class, 00021401-0000-0000-C000-000000000046, as the file holds it.
constexpr unsigned char LinkClass[] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint64_t ClassAt = 4;

constexpr std::uint32_t HasItemIDList = 1u << 0;
constexpr std::uint32_t HasLocation = 1u << 1;
constexpr std::uint32_t FirstStringFlag = 1u << 2; // then four more, in file order
constexpr std::uint32_t LastStringFlag = 1u << 6;
constexpr std::uint32_t StringsAreWide = 1u << 7;

// The location block's header: either form, and where its offsets sit.
constexpr std::uint64_t ShortLocationHeader = 0x1C;
constexpr std::uint64_t WideLocationHeader = 0x24;
constexpr std::uint64_t PartsAt = 0x08, VolumeAt = 0x0C, LocalPathAt = 0x10, NetworkAt = 0x14,
                        SuffixAt = 0x18, WideLocalPathAt = 0x1C, WideSuffixAt = 0x20;

constexpr std::uint32_t LocalPart = 1u << 0, NetworkPart = 1u << 1;

// The volume part: size, drive type, serial number, label offset; a label offset of
// 0x14 says that a UTF-16 label's offset follows.
constexpr std::uint64_t VolumeHeader = 0x10, VolumeLabelAt = 0x0C, WideVolumeLabel = 0x14;
// The network part: size, flags, name offset, device name offset, provider type; a
// name offset above 0x14 says that the two UTF-16 offsets follow.
constexpr std::uint64_t NetworkHeader = 0x14, WideNetworkHeader = 0x1C, NetworkNameAt = 0x08,
                        DeviceNameAt = 0x0C, WideNetworkNameAt = 0x14, WideDeviceNameAt = 0x18;

// The environment-variable block: size, signature, the target in the code page (260
// bytes), then in UTF-16 (260 units), each ending with a NUL.
constexpr std::uint32_t EnvironmentSignature = 0xA0000001;
constexpr std::uint64_t EnvironmentBlockSize = 0x314, EnvironmentAnsiAt = 8,
                        EnvironmentWideAt = 8 + 260, EnvironmentUnits = 260;
constexpr std::uint64_t ExtraBlockHeader = 8;

// One walk over the file's parts in their order. Each step answers false when the
// walk ends there; damaged_ then says whether it ended on a damage.
class Walk {
public:
    Walk(std::span<const std::byte> bytes, std::uint64_t fileSize)
        : bytes_(bytes), fileSize_(std::max<std::uint64_t>(fileSize, bytes.size())) {}

    // The extra data is no part of the verdict: Windows' reader ends its list, and
    // succeeds, at whatever does not hold together there, and Wine's reads none of it.
    bool Damaged() {
        static_cast<void>(ToExtraData());
        return damaged_;
    }

    // The environment-variable block's target, as far as the extra data holds together
    // in the bytes given: the UTF-16 text, else the one in the code page.
    std::optional<std::wstring> EnvironmentTarget() {
        if (!ToExtraData())
            return std::nullopt;
        for (std::uint64_t size = 0; bytes_.size() - at_ >= ExtraBlockHeader; at_ += size) {
            size = Number(at_, 4);
            if (size < ExtraBlockHeader || size > bytes_.size() - at_)
                break;
            if (Number(at_ + 4, 4) != EnvironmentSignature || size < EnvironmentBlockSize)
                continue;
            std::wstring text;
            for (std::uint64_t unit = 0; unit < EnvironmentUnits; ++unit) {
                const auto character =
                    static_cast<wchar_t>(Number(at_ + EnvironmentWideAt + 2 * unit, 2));
                if (character == 0)
                    break;
                text += character;
            }
            if (text.empty())
                text = AnsiText(at_ + EnvironmentAnsiAt, EnvironmentUnits);
            return text.empty() ? std::nullopt : std::optional(text);
        }
        return std::nullopt;
    }

private:
    struct Range {
        std::uint64_t start = 0, size = 0;
    };

    // The parts before the extra data, in their order.
    bool ToExtraData() { return Header() && ItemIDList() && Location() && Strings(); }

    bool Refuse() {
        damaged_ = true;
        return false;
    }

    // Whether size bytes at offset are there to read. Past the file's end the structure
    // claiming them is damaged; inside the file but past the bytes given, the walk ends.
    bool Fits(std::uint64_t offset, std::uint64_t size) {
        if (offset > fileSize_ || size > fileSize_ - offset)
            return Refuse();
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }

    // Whether size bytes at offset lie inside the range; a damage where they do not.
    bool Inside(const Range& range, std::uint64_t offset, std::uint64_t size) {
        return (offset <= range.size && size <= range.size - offset) || Refuse();
    }

    // A little-endian number of width bytes at an offset already found to fit.
    std::uint32_t Number(std::uint64_t offset, int width) const {
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | std::to_integer<std::uint32_t>(bytes_[offset + i]);
        return value;
    }
    std::uint32_t Number(const Range& range, std::uint64_t offset, int width) const {
        return Number(range.start + offset, width);
    }

    // Text in the code page of the file's writer, of at most size bytes already found
    // to fit, up to a NUL. Whoever wrote only that copy wrote it in the system's code
    // page, the one programs get without a code page of their own (this one has UTF-8).
    std::wstring AnsiText(std::uint64_t offset, std::uint64_t size) const {
        const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
        const int length = static_cast<int>(std::find(start, start + size, '\0') - start);
        DWORD codePage = CP_ACP;
        if (GetLocaleInfoW(
                LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0)
            codePage = CP_ACP;
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        text.resize(static_cast<std::size_t>(
            MultiByteToWideChar(codePage, 0, start, length, text.data(), length)));
        return text;
    }

    bool Header() {
        const bool sizeSays = bytes_.size() >= 4 && Number(0, 4) == HeaderSize;
        const bool classSays =
            bytes_.size() >= ClassAt + sizeof LinkClass &&
            std::equal(std::begin(LinkClass), std::end(LinkClass), bytes_.begin() + ClassAt,
                       [](unsigned char byte, std::byte held) { return std::byte{byte} == held; });
        if (!sizeSays && !classSays)
            return false; // another format: the shell's own load decides
        if (!sizeSays || !classSays || !Fits(0, HeaderSize))
            return Refuse();
        flags_ = Number(FlagsAt, 4);
        at_ = HeaderSize;
        return true;
    }

    bool ItemIDList() {
        if (!(flags_ & HasItemIDList))
            return true;
        if (!Fits(at_, 2))
            return false;
        list_ = {at_ + 2, Number(at_, 2)};
        if (!Fits(list_.start, list_.size) || !ItemsEnd())
            return false;
        at_ = list_.start + list_.size;
        return true;
    }

    // Items of two or more bytes, each inside the list, then a terminator (an item of
    // size 0) inside the list. A list of size 0 is read as no list.
    bool ItemsEnd() {
        if (list_.size == 0)
            return true;
        for (std::uint64_t item = 0, size = 0;; item += size) {
            if (!Inside(list_, item, 2))
                return false;
            size = Number(list_, item, 2);
            if (size == 0)
                return true;
            if (size == 1 || !Inside(list_, item, size))
                return Refuse();
        }
    }

    // A string of one- or two-byte characters at an offset into the block, ending with
    // a NUL inside it. Offset 0 stands for no string.
    bool Terminated(const Range& block, std::uint64_t offset, std::uint64_t width) {
        if (offset == 0)
            return true;
        for (; Inside(block, offset, width); offset += width)
            if (Number(block, offset, static_cast<int>(width)) == 0)
                return true;
        return false;
    }

    bool Volume(const Range& block, std::uint64_t offset) {
        if (offset == 0)
            return true;
        if (!Inside(block, offset, VolumeHeader))
            return false;
        const std::uint64_t size = Number(block, offset, 4);
        if (size <= VolumeHeader || !Inside(block, offset, size))
            return Refuse();
        const std::uint64_t label = Number(block, offset + VolumeLabelAt, 4);
        if (label != WideVolumeLabel)
            return Terminated(block, offset + label, 1);
        // The UTF-16 label's offset follows the header.
        return Inside(block, offset, VolumeHeader + 4) &&
               Terminated(block, offset + Number(block, offset + VolumeHeader, 4), 2);
    }

    bool Network(const Range& block, std::uint64_t offset) {
        if (offset == 0)
            return true;
        if (!Inside(block, offset, NetworkHeader))
            return false;
        const std::uint64_t size = Number(block, offset, 4);
        const std::uint64_t name = Number(block, offset + NetworkNameAt, 4);
        const std::uint64_t device = Number(block, offset + DeviceNameAt, 4);
        if (size < NetworkHeader || !Inside(block, offset, size))
            return Refuse();
        if (!Terminated(block, offset + name, 1) ||
            (device && !Terminated(block, offset + device, 1)))
            return false;
        if (name <= NetworkHeader)
            return true;
        if (size < WideNetworkHeader)
            return Refuse();
        const std::uint64_t wideName = Number(block, offset + WideNetworkNameAt, 4);
        const std::uint64_t wideDevice = Number(block, offset + WideDeviceNameAt, 4);
        return (!wideName || Terminated(block, offset + wideName, 2)) &&
               (!wideDevice || Terminated(block, offset + wideDevice, 2));
    }

    // What a reader follows: Windows, the parts the block's flags say are there; Wine
    // 8, the volume and local path offsets whenever they are not 0. An offset that
    // neither follows (a network part the flags leave out) is no reason to refuse.
    bool Location() {
        if (!(flags_ & HasLocation))
            return true;
        if (!Fits(at_, 4))
            return false;
        const Range block{at_, Number(at_, 4)};
        if (block.size < ShortLocationHeader)
            return Refuse();
        if (!Fits(block.start, block.size))
            return false;
        const std::uint64_t header = Number(block, 4, 4);
        if ((header != ShortLocationHeader && header < WideLocationHeader) || header > block.size)
            return Refuse();
        const std::uint32_t parts = Number(block, PartsAt, 4);
        const bool local = (parts & LocalPart) != 0, network = (parts & NetworkPart) != 0;
        const bool wide = header >= WideLocationHeader;
        const bool sound =
            Volume(block, Number(block, VolumeAt, 4)) &&
            Terminated(block, Number(block, LocalPathAt, 4), 1) &&
            (!network || Network(block, Number(block, NetworkAt, 4))) &&
            (!(local || network) || Terminated(block, Number(block, SuffixAt, 4), 1)) &&
            (!wide || !local || Terminated(block, Number(block, WideLocalPathAt, 4), 2)) &&
            (!wide || !(local || network) || Terminated(block, Number(block, WideSuffixAt, 4), 2));
        if (!sound)
            return false;
        at_ = block.start + block.size;
        return true;
    }

    bool Strings() {
        const std::uint64_t width = flags_ & StringsAreWide ? 2 : 1;
        for (std::uint32_t flag = FirstStringFlag; flag <= LastStringFlag; flag <<= 1) {
            if (!(flags_ & flag))
                continue;
            if (!Fits(at_, 2))
                return false;
            const std::uint64_t size = 2 + width * Number(at_, 2);
            if (!Fits(at_, size))
                return false;
            at_ += size;
        }
        return true;
    }

    std::span<const std::byte> bytes_;
    std::uint64_t fileSize_;
    std::uint32_t flags_ = 0;
    std::uint64_t at_ = 0;
    Range list_;
    bool damaged_ = false;
};

} // namespace

bool IsDamaged(std::span<const std::byte> bytes, std::uint64_t fileSize) {
    return Walk(bytes, fileSize).Damaged();
}

std::optional<std::wstring> EnvironmentTarget(std::span<const std::byte> bytes) {
    return Walk(bytes, bytes.size()).EnvironmentTarget();
}

std::optional<FileStart> ReadFileStart(std::wstring_view fileName) {
    const std::wstring name(fileName);
    // Shared widely, so that a file another program holds open is still read.
    const HANDLE opened = CreateFileW(name.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const UniqueHandle<HANDLE, &CloseHandle> file(opened == INVALID_HANDLE_VALUE ? nullptr
                                                                                 : opened);
    LARGE_INTEGER size{};
    // A device or pipe might never answer a read.
    if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &size))
        return std::nullopt;
    FileStart start;
    start.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size.QuadPart, ReadLimit)));
    std::size_t total = 0;
    for (DWORD read = 1; read != 0 && total < start.bytes.size(); total += read)
        if (!ReadFile(file.Get(), start.bytes.data() + total,
                      static_cast<DWORD>(start.bytes.size() - total), &read, nullptr))
            return std::nullopt;
    // A file that shrank meanwhile ends where the reading did.
    start.fileSize = total < start.bytes.size() ? total : size.QuadPart;
    start.bytes.resize(total);
    return start;
}

bool FileIsDamaged(std::wstring_view fileName) {
    const std::optional<FileStart> start = ReadFileStart(fileName);
    return start && IsDamaged(start->bytes, start->fileSize);
}

} // namespace ShellLinkStructure

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
constexpr std::uint32_t RelativePathFlag = 1u << 3, WorkingDirectoryFlag = 1u << 4;
constexpr std::uint32_t LastStringFlag = 1u << 6;
constexpr std::uint32_t StringsAreWide = 1u << 7;
// Wine reads a string's count into 16 bits and doubles it there for UTF-16.
constexpr std::uint64_t WrappingCount = 0x8000;
// The advertised product's and component's blocks, which Wine reads after the strings:
// size, signature, the text in the code page, then 260 UTF-16 units that Wine copies up
// to their NUL, wherever that is.
constexpr std::uint32_t AdvertisedFlags[] = {1u << 11, 1u << 12};
constexpr std::uint64_t AdvertisedSize = 0x314, AdvertisedWideAt = 8 + 260, AdvertisedUnits = 260;
constexpr std::uint32_t DataBlockSignatures = 0xA0000000, SignatureFamily = 0xFFFF0000;

// After the load, Wine joins the shortcut's folder with the relative path, then (when
// that names no file) the working directory, a backslash and the relative path, in
// buffers of this many units, NUL included; a working directory of MAX_PATH units or
// more makes the second join write through a null pointer.
constexpr std::uint64_t JoinUnits = 2 * MAX_PATH;

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
    // linkFolder: the units before the shortcut's file name where Wine joins.
    Walk(std::span<const std::byte> bytes, std::uint64_t fileSize, std::uint64_t linkFolder = 0)
        : bytes_(bytes), fileSize_(std::max<std::uint64_t>(fileSize, bytes.size())),
          linkFolder_(linkFolder) {}

    // Of the extra data only the advertised blocks count: Windows' reader ends its list,
    // and succeeds, at whatever does not hold together there, and Wine's reads no other.
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
    bool ToExtraData() {
        return Header() && ItemIDList() && Location() && Strings() && Joins() && Advertised();
    }

    bool Refuse() {
        damaged_ = true;
        return false;
    }

    // Whether size bytes at offset were read; a structure that a reader follows past them
    // is damaged: past the file it cannot be what it claims, and past the bytes read it
    // cannot be judged.
    bool Fits(std::uint64_t offset, std::uint64_t size) {
        return (offset <= bytes_.size() && size <= bytes_.size() - offset) || Refuse();
    }

    bool PastFile(std::uint64_t offset, std::uint64_t size) const {
        return offset > fileSize_ || size > fileSize_ - offset;
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

    // Windows reads the volume part when the block's flags name it (named); Wine wherever
    // its header fits the block, by a sum that wraps at 32 bits in the 32-bit build, and
    // then hands the label's claimed length, up to the part's size, to the conversion.
    // Past its label the part is followed by neither.
    bool Volume(const Range& block, std::uint64_t offset, bool named) {
        if (offset == 0)
            return true;
        if (offset > UINT32_MAX - VolumeHeader)
            return Refuse();
        if (offset > block.size || VolumeHeader > block.size - offset)
            return !named || Refuse();
        const std::uint64_t size = Number(block, offset, 4);
        const std::uint64_t label = Number(block, offset + VolumeLabelAt, 4);
        if (label != 0 && size > label && size > block.size - offset)
            return Refuse();
        if (!named)
            return true;
        if (size <= VolumeHeader)
            return Refuse();
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
    // 8, the volume part as Volume says, and a local path at any offset inside the
    // block, read no further than the block. An offset that neither follows (a network
    // part or a local path that the flags leave out) is no reason to refuse. The block is
    // judged whole, whatever its size.
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
        const std::uint64_t localPath = Number(block, LocalPathAt, 4);
        wineLocalPath_ = localPath != 0 && localPath < block.size;
        const bool sound =
            Volume(block, Number(block, VolumeAt, 4), local) &&
            (!local || Terminated(block, localPath, 1)) &&
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
            const std::uint64_t count = Number(at_, 2);
            if (width == 2 && count >= WrappingCount)
                return Refuse();
            if (!Fits(at_ + 2, width * count))
                return false;
            if (flag == RelativePathFlag)
                relativePath_ = LoadedText(at_ + 2, count, width);
            else if (flag == WorkingDirectoryFlag)
                workingDirectory_ = LoadedText(at_ + 2, count, width);
            at_ += 2 + width * count;
        }
        return true;
    }

    // A string as Wine holds it: converted from the code page, up to its first NUL.
    std::wstring LoadedText(std::uint64_t offset, std::uint64_t count, std::uint64_t width) const {
        std::wstring text;
        if (width == 2) {
            for (std::uint64_t unit = 0; unit < count; ++unit)
                text += static_cast<wchar_t>(Number(offset + 2 * unit, 2));
        } else {
            const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
            const int length = static_cast<int>(count);
            text.resize(static_cast<std::size_t>(length));
            text.resize(static_cast<std::size_t>(
                MultiByteToWideChar(CP_ACP, 0, start, length, text.data(), length)));
        }
        return text.substr(0, text.find(L'\0'));
    }

    // Wine's joins happen only when the location block gave it no local path.
    bool Joins() {
        if (!relativePath_ || wineLocalPath_)
            return true;
        const std::uint64_t relative = relativePath_->size();
        if (linkFolder_ + relative >= JoinUnits)
            return Refuse();
        if (!workingDirectory_)
            return true;
        const std::wstring& directory = *workingDirectory_;
        if (directory.size() >= MAX_PATH)
            return Refuse();
        const std::uint64_t backslash = !directory.empty() && directory.back() != L'\\';
        return directory.size() + backslash + relative < JoinUnits || Refuse();
    }

    // Wine's load fails at an advertised block of another size or family, or one that the
    // file does not hold whole; it reads past the block a text without a NUL.
    bool Advertised() {
        for (const std::uint32_t flag : AdvertisedFlags) {
            if (!(flags_ & flag))
                continue;
            if (PastFile(at_, AdvertisedSize))
                return true;
            if (!Fits(at_, AdvertisedSize))
                return false;
            if (Number(at_, 4) != AdvertisedSize ||
                (Number(at_ + 4, 4) & SignatureFamily) != DataBlockSignatures)
                return true;
            bool ended = false;
            for (std::uint64_t unit = 0; unit < AdvertisedUnits && !ended; ++unit)
                ended = Number(at_ + AdvertisedWideAt + 2 * unit, 2) == 0;
            if (!ended)
                return Refuse();
            at_ += AdvertisedSize;
        }
        return true;
    }

    std::span<const std::byte> bytes_;
    std::uint64_t fileSize_;
    std::uint64_t linkFolder_;
    std::uint32_t flags_ = 0;
    std::uint64_t at_ = 0;
    Range list_;
    bool wineLocalPath_ = false;
    std::optional<std::wstring> relativePath_, workingDirectory_;
    bool damaged_ = false;
};

// Where Wine puts the relative path in its join: after the folder of the shortcut's full
// name, or at the start of its buffer when that name does not fit it.
std::uint64_t LinkFolderUnits(std::wstring_view linkName) {
    const std::wstring name(linkName);
    std::wstring full(JoinUnits, L'\0');
    wchar_t* fileName = nullptr;
    const DWORD length =
        GetFullPathNameW(name.c_str(), static_cast<DWORD>(JoinUnits), full.data(), &fileName);
    return length != 0 && length < JoinUnits && fileName ? fileName - full.data() : 0;
}

} // namespace

bool IsDamaged(std::span<const std::byte> bytes, std::uint64_t fileSize,
               std::wstring_view linkName) {
    return Walk(bytes, fileSize, LinkFolderUnits(linkName)).Damaged();
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
    return start && IsDamaged(start->bytes, start->fileSize, fileName);
}

} // namespace ShellLinkStructure

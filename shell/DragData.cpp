#include "shell/DragData.h"
#include "base/Trace.h"
#include "shell/PlatformBinding.h"

#include "base/ScopedBinding.h"

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>

namespace FunctionShell {

namespace {

std::int16_t shellIDListFormat = 0;

// Owns what GetData handed out; ReleaseStgMedium also copes with an empty medium.
class Medium {
public:
    Medium() { ZeroMemory(&medium_, sizeof medium_); }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    ~Medium() { ReleaseStgMedium(&medium_); }

    STGMEDIUM* Put() { return &medium_; }
    HGLOBAL Global() const { return medium_.tymed == TYMED_HGLOBAL ? medium_.hGlobal : nullptr; }

private:
    STGMEDIUM medium_;
};

// The bytes of a global memory block, locked for the life of the object. The size
// is the block's real size, so nothing read through Bytes() leaves the block.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL global) : global_(global) {
        if (!global_)
            return;
        const SIZE_T size = GlobalSize(global_);
        if (const void* bytes = size != 0 ? Binding::GlobalLockCall()(global_) : nullptr)
            bytes_ = std::span(static_cast<const std::byte*>(bytes), size);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (bytes_.data())
            GlobalUnlock(global_);
    }

    std::span<const std::byte> Bytes() const { return bytes_; }

private:
    HGLOBAL global_;
    std::span<const std::byte> bytes_;
};

// Asks the data for one format as a global memory block; false when it is not there.
bool GetGlobalData(IDataObject* data, CLIPFORMAT format, Medium& medium) {
    FORMATETC wanted = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data && SUCCEEDED(data->GetData(&wanted, medium.Put())) && medium.Global();
}

template <typename Value>
std::optional<Value> ReadAt(std::span<const std::byte> bytes, std::uint64_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(Value))
        return std::nullopt;
    Value value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// Address of the item ID list at offset, when the whole list, with its 2-byte
// terminator, lies inside the block; 0 otherwise.
PointerValue ListInside(std::span<const std::byte> bytes, std::uint64_t offset) {
    for (std::uint64_t position = offset;;) {
        const auto itemSize = ReadAt<std::uint16_t>(bytes, position);
        if (!itemSize)
            return 0;
        if (*itemSize == 0)
            return reinterpret_cast<PointerValue>(bytes.data() + offset);
        // An item's size counts its own size field.
        if (*itemSize < sizeof(std::uint16_t))
            return 0;
        position += *itemSize;
    }
}

// The first item of a "Shell IDList Array" block (CIDA) as a new absolute list.
ItemIDList FirstItemOf(std::span<const std::byte> bytes) {
    const auto count = ReadAt<std::int32_t>(bytes, 0);
    if (!count || *count < 0)
        return {};
    // The offset table, one entry for the folder and one for each item, must fit.
    const std::uint64_t tableEnd = sizeof(std::uint32_t) * (2 + std::uint64_t(*count));
    if (tableEnd > bytes.size())
        return {};

    const PointerValue folder = ListInside(bytes, *ReadAt<std::uint32_t>(bytes, 4));
    if (folder == 0)
        return {};
    if (*count == 0)
        return CloneItemIDList(folder);
    const PointerValue item = ListInside(bytes, *ReadAt<std::uint32_t>(bytes, 8));
    if (item == 0)
        return {};
    return CombineItemIDList(folder, item);
}

// The first name of a CF_HDROP block (DROPFILES followed by NUL-terminated names).
std::wstring FirstFileNameOf(std::span<const std::byte> bytes) {
    const auto namesOffset = ReadAt<DWORD>(bytes, offsetof(DROPFILES, pFiles));
    const auto wide = ReadAt<BOOL>(bytes, offsetof(DROPFILES, fWide));
    if (!namesOffset || !wide || *namesOffset > bytes.size())
        return {};
    const auto names = bytes.subspan(*namesOffset);
    if (*wide) {
        const std::size_t units = names.size() / sizeof(wchar_t);
        std::wstring text(units, L'\0');
        std::memcpy(text.data(), names.data(), units * sizeof(wchar_t));
        const auto nul = text.find(L'\0');
        // A name without its terminator is a cut-off block, not a name.
        if (nul == std::wstring::npos)
            return {};
        text.resize(nul);
        return text;
    }
    const auto end = std::find(names.begin(), names.end(), std::byte{0});
    if (end == names.end())
        return {};
    return StringFromBuffer(names.first(static_cast<std::size_t>(end - names.begin())), false);
}

} // namespace

namespace Binding {

RegisterFormatFunction& RegisterFormatCall() {
    return BindingOf<&RegisterClipboardFormatA>();
}

GlobalLockFunction& GlobalLockCall() {
    return BindingOf<&GlobalLock>();
}

void ForgetShellIDListFormat() {
    shellIDListFormat = 0;
}

} // namespace Binding

std::int16_t ShellIDListFormat() {
    if (shellIDListFormat == 0) {
        // Registered numbers lie in 0xC000..0xFFFF; the drag data takes them as 16 bits.
        const UINT registered = Binding::RegisterFormatCall()("Shell IDList Array");
        shellIDListFormat = static_cast<std::int16_t>(registered & 0xFFFF);
    }
    return shellIDListFormat;
}

// Drag data comes from another program: every count, offset and list is checked
// against the block's real size before anything is read.
ItemIDList ItemIDListFromData(IDataObject* Data) {
    try {
        const std::int16_t format = ShellIDListFormat();
        Medium medium;
        if (format == 0 ||
            !GetGlobalData(Data, static_cast<CLIPFORMAT>(static_cast<std::uint16_t>(format)),
                           medium))
            return {};
        const LockedGlobal block(medium.Global());
        // The result is a new list (clone or combination), never a pointer into the block.
        return FirstItemOf(block.Bytes());
    } catch (...) {
        TraceFailure(L"reading an item ID list from drag data");
        return {};
    }
}

std::wstring FileNameFromData(IDataObject* Data) {
    try {
        Medium medium;
        if (!GetGlobalData(Data, CF_HDROP, medium))
            return {};
        const LockedGlobal block(medium.Global());
        return FirstFileNameOf(block.Bytes());
    } catch (...) {
        TraceFailure(L"reading a file name from drag data");
        return {};
    }
}

} // namespace FunctionShell

#include "shell/FunctionShell.h"
#include "base/FullPathName.h"
#include "shell/PlatformBinding.h"
#include "shell/Shell32Ordinal.h"

#include <shlobj.h>

#include <array>
#include <memory>
#include <string_view>
#include <vector>

namespace FunctionShell {

using FunctionObject::AddressArgument;
using FunctionObject::CallInterface;
using FunctionObject::ComReference;
using FunctionObject::NumberArgument;
using FunctionObject::ObjectDuplicate;

namespace {

// Slots of IShellFolder, as byte offsets into the method table.
constexpr std::int32_t ParseDisplayNameOffset = FunctionObject::SlotOffset(3);
constexpr std::int32_t GetDisplayNameOfOffset = FunctionObject::SlotOffset(11);

using ItemIDListFunction1 = LPITEMIDLIST(WINAPI*)(LPCITEMIDLIST);
using ItemIDListFunction2 = LPITEMIDLIST(WINAPI*)(LPCITEMIDLIST, LPCITEMIDLIST);

auto AsList(PointerValue list) {
    return reinterpret_cast<LPCITEMIDLIST>(list);
}

// A folder reference for one call: the caller's own (duplicated) or the desktop.
ComReference FolderForCall(PointerValue parentFolder) {
    return parentFolder != 0 ? ObjectDuplicate(parentFolder) : GetDesktopFolder();
}

// No flags are needed this way: every character of a code page has one Unicode form,
// with no best fit. Only a cut byte sequence could turn into a substitute, and the
// buffers are sized to hold whole texts.
std::wstring FromAnsi(const char* text, int length) {
    if (length <= 0)
        return {};
    const int wide = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, result.data(), wide);
    return result;
}

bool IsExistingDirectory(const std::wstring& name) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring CutAtNul(std::wstring text) {
    if (const auto nul = text.find(L'\0'); nul != std::wstring::npos)
        text.resize(nul);
    return text;
}

// Converts without best fit; no value when a character is lost (unless for display,
// where the default character stands in). UTF-8 takes neither that flag nor a default
// character: it holds every character, and WC_ERR_INVALID_CHARS refuses a lone
// surrogate half.
std::optional<std::string> ToAnsi(std::wstring_view text, bool display) {
    if (text.empty())
        return std::string();
    const bool utf8 = GetACP() == CP_UTF8;
    const UINT codePage = utf8 ? CP_UTF8 : CP_ACP;
    const DWORD flags = utf8 ? (display ? 0 : WC_ERR_INVALID_CHARS) : WC_NO_BEST_FIT_CHARS;
    BOOL lost = FALSE;
    BOOL* const reportLost = utf8 || display ? nullptr : &lost;
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, reportLost);
    if (bytes <= 0 || lost)
        return std::nullopt;
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, result.data(), bytes, nullptr,
                        nullptr);
    return result;
}

} // namespace

namespace Binding {

PathFromIDListFunction& PathFromIDListCall() {
    return BindingOf<&SHGetPathFromIDListA>();
}

} // namespace Binding

ComReference GetDesktopFolder() {
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    return ComReference(reinterpret_cast<PointerValue>(desktop));
}

void FreeItemIDList(PointerValue& List) {
    if (List == 0)
        return;
    CoTaskMemFree(reinterpret_cast<void*>(List));
    List = 0;
}

ItemIDList CloneItemIDList(PointerValue List) {
    if (List == 0)
        return {};
    const auto clone = Shell32Ordinal<ItemIDListFunction1>(18);
    return ItemIDList(clone ? reinterpret_cast<PointerValue>(clone(AsList(List))) : 0);
}

ItemIDList CombineItemIDList(PointerValue First, PointerValue Second) {
    if (First == 0)
        return CloneItemIDList(Second);
    if (Second == 0)
        return CloneItemIDList(First);
    const auto combine = Shell32Ordinal<ItemIDListFunction2>(25);
    return ItemIDList(
        combine ? reinterpret_cast<PointerValue>(combine(AsList(First), AsList(Second))) : 0);
}

std::wstring PathFromItemIDList(PointerValue List) {
    if (List == 0)
        return {};
    std::vector<std::byte> buffer(AnsiCapacity(MAX_PATH));
    const bool answered = Binding::PathFromIDListCall()(
                              AsList(List), reinterpret_cast<char*>(buffer.data())) != FALSE;
    // The answer holds what MAX_PATH bytes of the code page can: a name outside it comes
    // with substitutes, a long path (in UTF-8 or double bytes) comes cut (Wine) or not at
    // all (Windows). The parsing name of a file system item is then the same path, whole;
    // a virtual folder's (::{...}) is no path, and neither is a folder that a browser
    // shows inside a file (C:\Data\a.zip\docs), which no program can be started in.
    const std::wstring name = NameFromItemIDList(List);
    if (!answered)
        return FullPath::IsFullyQualified(name) && IsExistingDirectory(name) ? name
                                                                             : std::wstring();
    const auto ansi = AnsiFromString(name);
    if (!name.empty() && (!ansi || ansi->size() >= MAX_PATH))
        return name;
    std::wstring path = StringFromBuffer(buffer, false);
    // Under a legacy code page the substitutes come also where the parsing name is a
    // namespace name the code page holds (a known folder in a profile named outside it).
    // The wide answer is whole: where it differs, it is the path, and a write of it is
    // refused as the same text typed.
    if (GetACP() != CP_UTF8) {
        std::array<wchar_t, MAX_PATH> wide{};
        if (SHGetPathFromIDListW(AsList(List), wide.data()) &&
            std::wstring_view(wide.data()) != path)
            return wide.data();
    }
    return path;
}

std::wstring NameFromItemIDList(PointerValue List, PointerValue ParentFolder) {
    const ComReference folder = FolderForCall(ParentFolder);
    STRRET answer;
    ZeroMemory(&answer, sizeof answer);
    VARIANT arguments[] = {AddressArgument(List), NumberArgument(SHGDN_FORPARSING),
                           AddressArgument(&answer)};
    if (!FunctionObject::MethodSucceeded(
            CallInterface(folder.Variable(), GetDisplayNameOfOffset, 3, arguments)))
        return {};

    switch (answer.uType) {
    case STRRET_WSTR: {
        // The text is ours to free once, even if reading it fails.
        const UniqueHandle<wchar_t*, &CoTaskMemFree> text(answer.pOleStr);
        return StringFromPointer(reinterpret_cast<PointerValue>(text.Get()), true);
    }
    case STRRET_OFFSET:
        return StringFromPointer(List + answer.uOffset, false);
    case STRRET_CSTR:
        return StringFromBuffer(std::as_bytes(std::span(answer.cStr)), false);
    default:
        return {};
    }
}

ItemIDList ItemIDListFromName(std::wstring_view Name, PointerValue ParentFolder) {
    if (Name.empty())
        return {};
    const ComReference folder = FolderForCall(ParentFolder);
    const std::wstring terminated(Name);
    ULONG parsedCount = 0;
    PointerValue list = 0;
    VARIANT arguments[] = {NumberArgument(0),
                           NumberArgument(0),
                           AddressArgument(terminated.c_str()),
                           AddressArgument(&parsedCount),
                           AddressArgument(&list),
                           NumberArgument(0)};
    // The list in the result cell is the caller's whatever the method answered, so the
    // answer itself is not read.
    static_cast<void>(CallInterface(folder.Variable(), ParseDisplayNameOffset, 6, arguments));
    return ItemIDList(list);
}

ItemIDList SpecialFolderItemIDList(std::int32_t SpecialFolder) {
    LPITEMIDLIST list = nullptr;
    SHGetSpecialFolderLocation(nullptr, SpecialFolder, &list);
    return ItemIDList(reinterpret_cast<PointerValue>(list));
}

std::wstring StringFromBuffer(std::span<const std::byte> Buffer, bool Utf16) {
    if (Utf16) {
        std::wstring text(Buffer.size() / 2, L'\0');
        CopyMemory(text.data(), Buffer.data(), text.size() * 2);
        return CutAtNul(std::move(text));
    }
    return CutAtNul(
        FromAnsi(reinterpret_cast<const char*>(Buffer.data()), static_cast<int>(Buffer.size())));
}

std::wstring StringFromPointer(PointerValue Address, bool Utf16) {
    if (Address == 0)
        return {};
    if (Utf16) {
        const auto text = reinterpret_cast<const wchar_t*>(Address);
        const int length = lstrlenW(text);
        return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
    }
    const auto text = reinterpret_cast<const char*>(Address);
    return FromAnsi(text, lstrlenA(text));
}

std::optional<std::string> AnsiFromString(std::wstring_view Text) {
    return ToAnsi(Text, false);
}

std::string AnsiForDisplay(std::wstring_view Text) {
    return ToAnsi(Text, true).value_or(std::string());
}

} // namespace FunctionShell

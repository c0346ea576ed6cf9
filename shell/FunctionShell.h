// Item ID lists, display names and the text converters for platform buffers.
// Every list handed out is a new allocation of the COM task allocator, in an
// ItemIDList holder that frees it with FreeItemIDList.
#pragma once

#include "com/FunctionObject.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace FunctionShell {

using FunctionObject::PointerValue;

FunctionObject::ComReference GetDesktopFolder();

void FreeItemIDList(PointerValue& List);

// One item ID list.
using ItemIDList = Owned<PointerValue, &FreeItemIDList>;

[[nodiscard]] ItemIDList CloneItemIDList(PointerValue List);
[[nodiscard]] ItemIDList CombineItemIDList(PointerValue First, PointerValue Second);

std::wstring PathFromItemIDList(PointerValue List);
std::wstring NameFromItemIDList(PointerValue List, PointerValue ParentFolder = 0);
[[nodiscard]] ItemIDList ItemIDListFromName(std::wstring_view Name, PointerValue ParentFolder = 0);
[[nodiscard]] ItemIDList SpecialFolderItemIDList(std::int32_t SpecialFolder);

// Text up to the first NUL of a platform buffer (UTF-16 code units, or ANSI bytes in
// the system code page); the whole text when there is no NUL.
std::wstring StringFromBuffer(std::span<const std::byte> Buffer, bool Utf16);
std::wstring StringFromPointer(PointerValue Address, bool Utf16);

// The text in the process's ANSI code page; c_str() gives it with its one terminating
// NUL. No value when the code page cannot hold the text whole: a character replaced by
// the default character or by a look-alike (best fit: the yen sign becomes a backslash
// under code page 932) would name another file or store another text.
std::optional<std::string> AnsiFromString(std::wstring_view Text);

// Text for the eye only (captions, status): what the code page cannot hold shows as
// its plain default character, never as a look-alike.
std::string AnsiForDisplay(std::wstring_view Text);

// Bytes of an ANSI buffer that holds as much as Units UTF-16 units would: the programs
// run under UTF-8, where one unit takes up to 3 bytes (a surrogate pair 4 for two).
constexpr std::size_t AnsiCapacity(std::size_t Units) {
    return Units * 3;
}

} // namespace FunctionShell

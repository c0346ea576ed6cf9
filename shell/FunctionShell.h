// Item ID lists, display names and the text converters for platform buffers.
// Every list handed out is a new allocation of the COM task allocator owned by the
// caller, who frees it with FreeItemIDList (or lets an ItemIDList holder do it).
#pragma once

#include "com/FunctionObject.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace FunctionShell {

using FunctionObject::PointerValue;

PointerValue GetDesktopFolder();

void FreeItemIDList(PointerValue& List);
PointerValue CloneItemIDList(PointerValue List);
PointerValue CombineItemIDList(PointerValue First, PointerValue Second);

std::wstring PathFromItemIDList(PointerValue List);
std::wstring NameFromItemIDList(PointerValue List, PointerValue ParentFolder = 0);
PointerValue ItemIDListFromName(std::wstring_view Name, PointerValue ParentFolder = 0);
PointerValue SpecialFolderItemIDList(std::int32_t SpecialFolder);

// Text up to the first NUL of a platform buffer (UTF-16 code units, or ANSI bytes in
// the system code page); the whole text when there is no NUL.
std::wstring StringFromBuffer(std::span<const std::byte> Buffer, bool Utf16);
std::wstring StringFromPointer(PointerValue Address, bool Utf16);

// The text in the system ANSI code page; c_str() gives it with its one terminating NUL.
std::string AnsiFromString(std::wstring_view Text);

// One item ID list.
using ItemIDList = Owned<PointerValue, &FreeItemIDList>;

} // namespace FunctionShell

// Picture objects (IPictureDisp) made from icons. A picture owns its icon: releasing
// the last reference destroys it, and an icon handed to PictureFromIcon is always
// either owned by the new picture or destroyed at once.
#pragma once

#include "com/FunctionObject.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace FunctionShell {

using FunctionObject::PointerValue;

// An icon handle of our own, destroyed with DestroyIcon.
using OwnedIcon = UniqueHandle<HICON, &DestroyIcon>;

// One reference to an IPictureDisp; empty means "no picture".
using Picture = FunctionObject::ComReference;

std::int32_t IconCountInFile(std::wstring_view FileName);
[[nodiscard]] Picture IconPictureFromFile(std::wstring_view FileName, std::int32_t IconIndex);
[[nodiscard]] Picture IconPictureFromItemIDList(PointerValue List);
[[nodiscard]] Picture PictureFromIcon(OwnedIcon Icon);
bool IsWindowsNT();

// The icon a picture shows, still owned by the picture (nullptr for no picture).
HICON IconOfPicture(const Picture& picture);

} // namespace FunctionShell

// Owners of the window system's handles: the project's one owner template, with the
// operation that gives back each kind of handle.
#pragma once

#include "base/Owned.h"

#include <windows.h>

namespace Toolkit {

using ::UniqueHandle;

inline void ReleaseScreenContext(HDC context) {
    ReleaseDC(nullptr, context);
}

using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;
using UniqueWindow = UniqueHandle<HWND, &DestroyWindow>;
using UniqueMemoryContext = UniqueHandle<HDC, &DeleteDC>;
using UniqueScreenContext = UniqueHandle<HDC, &ReleaseScreenContext>;

} // namespace Toolkit

// Owners of the window system's handles: the project's one owner template, with the
// operation that gives back each kind of handle.
#pragma once

#include "base/Owned.h"

#include <windows.h>
#include <commctrl.h>

namespace Toolkit {

namespace ReleaseClear {
inline void Font(HFONT& font) {
    if (font)
        DeleteObject(font);
    font = nullptr;
}
inline void Bitmap(HBITMAP& bitmap) {
    if (bitmap)
        DeleteObject(bitmap);
    bitmap = nullptr;
}
inline void Icon(HICON& icon) {
    if (icon)
        DestroyIcon(icon);
    icon = nullptr;
}
inline void ImageList(HIMAGELIST& list) {
    if (list)
        ImageList_Destroy(list);
    list = nullptr;
}
inline void ScreenContext(HDC& context) {
    if (context)
        ReleaseDC(nullptr, context);
    context = nullptr;
}
} // namespace ReleaseClear

using UniqueFont = Owned<HFONT, &ReleaseClear::Font>;
using UniqueBitmap = Owned<HBITMAP, &ReleaseClear::Bitmap>;
using UniqueIcon = Owned<HICON, &ReleaseClear::Icon>;
using UniqueImageList = Owned<HIMAGELIST, &ReleaseClear::ImageList>;
using UniqueScreenContext = Owned<HDC, &ReleaseClear::ScreenContext>;

} // namespace Toolkit

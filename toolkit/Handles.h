// Owners of the window system's handles: the project's one owner template, with the
// operation that gives back each kind of handle.
#pragma once

#include "base/Owned.h"

#include <windows.h>

namespace Toolkit {

// Gives a handle back with Destroy and leaves the holder's variable empty.
template <typename Handle, auto Destroy> void ReleaseClear(Handle& handle) {
    if (handle)
        Destroy(handle);
    handle = nullptr;
}

inline void ReleaseScreenContext(HDC context) {
    ReleaseDC(nullptr, context);
}

template <typename Handle, auto Destroy>
using UniqueHandle = Owned<Handle, &ReleaseClear<Handle, Destroy>>;

using UniqueFont = UniqueHandle<HFONT, &DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &DestroyIcon>;
using UniqueMemoryContext = UniqueHandle<HDC, &DeleteDC>;
using UniqueScreenContext = UniqueHandle<HDC, &ReleaseScreenContext>;

} // namespace Toolkit

// Owners of the window system's handles: one template, one line per handle kind.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace Toolkit {

template <typename Handle, void (*Destroy)(Handle)> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle owned) : handle_(owned) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle owned = nullptr) {
        if (handle_ != nullptr)
            Destroy(handle_);
        handle_ = owned;
    }
    Handle Release() { return std::exchange(handle_, nullptr); }

private:
    Handle handle_ = nullptr;
};

namespace Destroyers {
inline void Font(HFONT font) {
    DeleteObject(font);
}
inline void Bitmap(HBITMAP bitmap) {
    DeleteObject(bitmap);
}
inline void Icon(HICON icon) {
    DestroyIcon(icon);
}
inline void Window(HWND window) {
    DestroyWindow(window);
}
inline void ImageList(HIMAGELIST list) {
    ImageList_Destroy(list);
}
inline void ScreenContext(HDC context) {
    ReleaseDC(nullptr, context);
}
} // namespace Destroyers

using UniqueFont = UniqueHandle<HFONT, Destroyers::Font>;
using UniqueBitmap = UniqueHandle<HBITMAP, Destroyers::Bitmap>;
using UniqueIcon = UniqueHandle<HICON, Destroyers::Icon>;
using UniqueWindow = UniqueHandle<HWND, Destroyers::Window>;
using UniqueImageList = UniqueHandle<HIMAGELIST, Destroyers::ImageList>;
using UniqueScreenContext = UniqueHandle<HDC, Destroyers::ScreenContext>;

} // namespace Toolkit

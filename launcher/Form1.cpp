#include "launcher/Form1.h"

#include "launcher/Launch.h"
#include "resources/resource.h"
#include "toolkit/Units.h"

namespace Launcher {

std::shared_ptr<Form1> Form1::Create(std::wstring Arguments) {
    return std::shared_ptr<Form1>(new Form1(std::move(Arguments)));
}

Form1::Form1(std::wstring Arguments)
    : Form(L"Tarnwick", Toolkit::Twips{1, 1, 15, 15}, Toolkit::FontSpec{}),
      arguments_(std::move(Arguments)) {
    IconResource(IDI_TARNWICK);
    NeverDisplayed();
}

void Form1::Form_Load() {
    if (const HWND window = WindowHandle()) {
        // 15 twips square, 1 twip from the corner; never shown all the same.
        const Toolkit::PixelRectangle place = Toolkit::ToPixels(Toolkit::Twips{1, 1, 15, 15});
        SetWindowPos(window, nullptr, place.Left, place.Top, place.Width, place.Height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    started_ = Launch(arguments_);
}

} // namespace Launcher

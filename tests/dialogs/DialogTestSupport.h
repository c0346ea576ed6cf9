// Owners for the dialog tests: a form with a real window, one whose read throws, and
// one that answers no window.
#pragma once

#include "base/OwnerForm.h"

#include <memory>
#include <stdexcept>

namespace DialogTests {

class WindowForm : public OwnerForm {
public:
    WindowForm()
        : window_(CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr)) {}
    ~WindowForm() override { DestroyWindow(window_); }
    HWND WindowHandle() const override { return window_; }

private:
    HWND window_;
};

class ThrowingForm : public OwnerForm {
public:
    HWND WindowHandle() const override { throw std::runtime_error("form unloaded"); }
};

class WindowlessForm : public OwnerForm {
public:
    HWND WindowHandle() const override { return nullptr; }
};

} // namespace DialogTests

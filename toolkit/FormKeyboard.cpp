// The default button and the keyboard: which button has the default border, where the
// focus goes first, and which control a window is.
#include "toolkit/Form.h"
#include "toolkit/FormShared.h"

#include <algorithm>

namespace Toolkit {

using namespace FormShared;

bool Form::AnotherButtonBordered(const Control& button) const {
    return std::any_of(controls_.begin(), controls_.end(), [&button](const auto& control) {
        return control.get() != &button && control->window_ != nullptr &&
               dynamic_cast<const CommandButton*>(control.get()) != nullptr &&
               (GetWindowLongPtrW(control->window_, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    });
}

Control* Form::ControlOf(HWND window) const {
    if (window == nullptr)
        return nullptr;
    for (const auto& control : controls_)
        if (control->window_ == window)
            return control.get();
    return nullptr;
}

CommandButton* Form::ButtonWith(bool defaultButton) const {
    for (const auto& control : controls_) {
        auto* button = dynamic_cast<CommandButton*>(control.get());
        if (button != nullptr && (defaultButton ? button->Default() : button->Cancel()))
            return button;
    }
    return nullptr;
}

void Form::MarkDefaultButton(const Control* focused) {
    const auto* focusedButton = dynamic_cast<const CommandButton*>(focused);
    for (const auto& control : controls_) {
        const auto* button = dynamic_cast<const CommandButton*>(control.get());
        if (button == nullptr || button->window_ == nullptr)
            continue;
        const bool marked = focusedButton != nullptr ? button == focusedButton : button->Default();
        const LONG_PTR type = marked ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((GetWindowLongPtrW(button->window_, GWL_STYLE) & BS_TYPEMASK) != type)
            SendMessageW(button->window_, BM_SETSTYLE, static_cast<WPARAM>(type), TRUE);
    }
}

void Form::FocusFirstControl() {
    for (const auto& control : controls_) {
        if (control->window_ == nullptr && control->MayTakeFocus())
            MakeControlsThrough(*control);
        if (control->window_ != nullptr && TakesFocus(control->window_)) {
            ::SetFocus(control->window_);
            return;
        }
    }
}

} // namespace Toolkit

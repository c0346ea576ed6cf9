// The form's messages and the message loop: the window procedure, the dialog
// manager's keys, and DoEvents.
#include "toolkit/Form.h"
#include "toolkit/FormShared.h"
#include "base/Trace.h"

namespace Toolkit {

using namespace FormShared;

void Form::OnCommand(WORD id, WORD code, HWND control) {
    if (Control* source = ControlOf(control)) {
        source->OnNotify(code);
        return;
    }
    // Escape in the dialog manager arrives as IDCANCEL from no window.
    if (control == nullptr && id == IDCANCEL) {
        Control* cancel = ButtonWith(false);
        if (cancel != nullptr && cancel->Enabled() && cancel->Handle() != nullptr)
            cancel->OnNotify(BN_CLICKED);
    }
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case PostedWorkMessage:
        RunPosted();
        return 0;
    case WM_PAINT:
    case WM_GETOBJECT:
        // Painted or asked by a screen reader: every control is there, each field after
        // the label that names it.
        MakeControls();
        break;
    case WM_GETICON:
        ApplyIcons(); // a window never shown makes its icons only when asked
        break;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case DM_GETDEFID: {
        // Enter clicks the button that has the focus, as in any dialog; elsewhere the
        // default button (not clicked while it is disabled).
        const auto* focused = dynamic_cast<const CommandButton*>(ControlOf(GetFocus()));
        const CommandButton* button = focused != nullptr ? focused : ButtonWith(true);
        if (button != nullptr && button->Handle())
            return MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
        return 0;
    }
    case WM_NEXTDLGCTL:
        // The dialog manager moves the focus this way for a label's access key: to
        // the label, then on to the next control that takes the focus.
        if (LOWORD(lParam) != 0) {
            ::SetFocus(reinterpret_cast<HWND>(wParam));
        } else if (const HWND next = GetNextDlgTabItem(window_.Get(), GetFocus(), wParam != 0)) {
            ::SetFocus(next);
        }
        return 0;
    case WM_CTLCOLORSTATIC:
        // A locked text box still looks like a field, not like the form's face.
        if (dynamic_cast<TextBox*>(ControlOf(reinterpret_cast<HWND>(lParam))) != nullptr) {
            const HDC context = reinterpret_cast<HDC>(wParam);
            SetTextColor(context, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(context, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (IsChild(window_.Get(), focus))
                lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        if (lastFocus_ != nullptr && IsChild(window_.Get(), lastFocus_) && TakesFocus(lastFocus_))
            ::SetFocus(lastFocus_);
        else
            FocusFirstControl();
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        // Destroyed from outside (not by Unload): the form unloads with it.
        if (life_ == Life::Loaded) {
            static_cast<void>(window_.Release());
            Unload();
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_.Get(), message, wParam, lParam);
}

LRESULT CALLBACK FormWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->window_ = UniqueWindow(window);
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr || form->window_.Get() != window)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        static_cast<void>(form->window_.Release()); // gone: nothing left to destroy
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        Form::EventScope scope(*form);
        return form->OnMessage(message, wParam, lParam);
    } catch (...) {
        // No exception crosses into the window system.
        TraceFailure(L"a form's window procedure");
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool PreTranslateFormMessage(MSG& message) {
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (FormOfWindow(root) == nullptr)
        return false;
    if (!IsDialogMessageW(root, &message))
        return false;
    // The dialog manager moves the default button's border by rules of its own (Wine's
    // takes it off every button when Tab moves on to a field); the form's rule has the
    // last word. The message may have unloaded the form: it is looked up again.
    if (Form* const form = FormOfWindow(root))
        if (const Control* const focused = form->ControlOf(GetFocus()))
            form->MarkDefaultButton(focused);
    return true;
}

void DoEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (PreTranslateFormMessage(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void RunMessageLoop() {
    MSG message;
    while (loadedForms > 0 && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PreTranslateFormMessage(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace Toolkit

#include "toolkit/Form.h"
#include "toolkit/DropTarget.h"
#include "base/LibraryFunction.h"
#include "base/Trace.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace Toolkit {

LRESULT CALLBACK FormWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

constexpr wchar_t FormClassName[] = L"TarnwickForm";
constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD FormExtendedStyle = WS_EX_CONTROLPARENT;

int loadedForms = 0;

// Posted to the form's own window: prepare for the user, then run what was posted.
constexpr UINT PostedWorkMessage = WM_USER + 0x100;

void PrepareWindowClass() {
    static const bool prepared = [] {
        WNDCLASSEXW form{};
        form.cbSize = sizeof form;
        form.lpfnWndProc = FormWindowProcedure;
        form.hInstance = GetModuleHandleW(nullptr);
        form.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        form.lpszClassName = FormClassName;
        return RegisterClassExW(&form) != 0;
    }();
    (void)prepared;
}

// The tooltip window is the one thing that needs the common controls' library: the
// controls are the window system's own, which loads whatever version the program's
// manifest asks for by itself. A run that never waits for input, the launcher's,
// does not load the library at all.
void PrepareCommonControls() {
    static const bool prepared = [] {
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = LibraryFunction<InitFunction>(L"comctl32.dll", "InitCommonControlsEx");
        const INITCOMMONCONTROLSEX controls{sizeof controls,
                                            ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return init != nullptr && init(&controls) != FALSE;
    }();
    (void)prepared;
}

Form* FormOfWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    wchar_t name[std::size(FormClassName) + 1] = {};
    if (GetClassNameW(window, name, static_cast<int>(std::size(name))) == 0 ||
        std::wcscmp(name, FormClassName) != 0)
        return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool TakesFocus(HWND control) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

} // namespace

Form::EventScope::EventScope(Form& form) : form_(form), keepAlive_(form.weak_from_this().lock()) {
    ++form_.dispatchDepth_;
}

Form::EventScope::~EventScope() {
    if (--form_.dispatchDepth_ == 0) {
        form_.unloaded_.clear();
        if (form_.life_ == Life::UnloadedInEvent)
            form_.life_ = Life::Unloaded;
    }
}

Form::Form(std::wstring caption, Twips clientSize, FontSpec font, bool OLEDropTarget)
    : caption_(std::move(caption)), clientSize_(clientSize), font_(std::move(font)),
      wantsDrops_(OLEDropTarget) {}

Form::~Form() {
    // A derived form runs its own Form_Unload; here only the window and controls go.
    if (IsLoaded())
        --loadedForms;
    life_ = Life::Unloaded;
    ReleaseWindow();
    unloaded_.clear();
}

void Form::Load() {
    if (life_ != Life::Unloaded)
        return;
    life_ = Life::Loading;
    try {
        LoadWindowAndControls();
    } catch (...) {
        ReleaseWindow();
        life_ = Life::Unloaded;
        throw;
    }
    life_ = Life::Loaded;
    ++loadedForms;
    try {
        Form_Load();
    } catch (...) {
        // What Form_Load made (dialogs that hold the form, say) goes with the unload.
        Unload();
        throw;
    }
}

void Form::LoadWindowAndControls() {
    PrepareWindowClass();

    const PixelRectangle client = ToPixels(clientSize_);
    RECT frame{0, 0, client.Width, client.Height};
    AdjustWindowRectEx(&frame, FormStyle, FALSE, FormExtendedStyle);
    CreateWindowExW(FormExtendedStyle, FormClassName, caption_.c_str(), FormStyle, CW_USEDEFAULT,
                    CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                    neverDisplayed_ ? HWND_MESSAGE : nullptr, nullptr, GetModuleHandleW(nullptr),
                    this);
    // window_ is set from WM_NCCREATE on; without a window the controls still keep
    // their values, so the form's logic runs all the same.
    if (window_ != nullptr) {
        // Tooltips and drop targets wait for the window's first messages.
        prepared_.postedMessageWaiting = PostMessageW(window_, PostedWorkMessage, 0, 0) != FALSE;
    }
    CreateControls();
}

HWND Form::WindowHandle() const {
    MakeControls();
    return window_;
}

void Form::MakeControls() const {
    // The count moves on first: a control whose window cannot be made is not tried again.
    while (window_ != nullptr && madeControls_ < controls_.size())
        controls_[madeControls_++]->MakeWindow();
}

void Form::MakeControlsThrough(const Control& last) const {
    const auto found =
        std::find_if(controls_.begin(), controls_.end(),
                     [&last](const auto& control) { return control.get() == &last; });
    const auto count = static_cast<std::size_t>(found - controls_.begin()) + 1;
    while (window_ != nullptr && found != controls_.end() && madeControls_ < count)
        controls_[madeControls_++]->MakeWindow();
}

bool Form::AnotherButtonBordered(const Control& button) const {
    return std::any_of(controls_.begin(), controls_.end(), [&button](const auto& control) {
        return control.get() != &button && control->window_ != nullptr &&
               dynamic_cast<const CommandButton*>(control.get()) != nullptr &&
               (GetWindowLongPtrW(control->window_, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    });
}

void Form::PrepareInput() {
    if (prepared_.input || window_ == nullptr)
        return;
    MakeControls();
    prepared_.input = true;
    PrepareCommonControls();
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (toolTip_ != nullptr)
        SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_)), FALSE);
    if (wantsDrops_) {
        dropTarget_ = std::make_unique<DropTarget>(window_, [this](DragEventArgs& args, bool drop) {
            EventScope scope(*this);
            const Control::DragHandler& handler = drop ? OLEDragDrop : OLEDragOver;
            if (handler)
                handler(-1, args);
            else
                args.Effect = DROPEFFECT_NONE; // nobody answers: refuse
        });
    }
    for (const auto& control : controls_)
        control->PrepareInput();
}

void Form::ApplyIcons() {
    if (prepared_.icons || window_ == nullptr || iconResource_ == 0)
        return;
    prepared_.icons = true;
    const auto icon = [this](int size) {
        return reinterpret_cast<LPARAM>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(iconResource_), IMAGE_ICON,
                                                   size, size, LR_SHARED));
    };
    SendMessageW(window_, WM_SETICON, ICON_BIG, icon(GetSystemMetrics(SM_CXICON)));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, icon(GetSystemMetrics(SM_CXSMICON)));
}

void Form::Post(std::function<void()> action) {
    if (window_ == nullptr) {
        action();
        return;
    }
    posted_.push_back(std::move(action));
    if (!prepared_.postedMessageWaiting)
        prepared_.postedMessageWaiting = PostMessageW(window_, PostedWorkMessage, 0, 0) != FALSE;
}

void Form::RunPosted() {
    prepared_.postedMessageWaiting = false;
    PrepareInput();
    auto actions = std::move(posted_);
    posted_.clear();
    for (const auto& action : actions) {
        if (life_ != Life::Loaded)
            return; // an action unloaded the form: the rest belonged to that window
        action();
    }
}

HWND Form::ToolTipWindow() {
    PrepareInput();
    return toolTip_;
}

IDropTarget* Form::DropTargetObject() {
    PrepareInput();
    return dropTarget_ && dropTarget_->Registered() ? dropTarget_->Object() : nullptr;
}

void Form::Show() {
    Load();
    if (window_ == nullptr)
        return;
    ApplyIcons();
    ShowWindow(window_, SW_SHOWNORMAL);
    if (!IsChild(window_, GetFocus()))
        FocusFirstControl();
}

void Form::Unload() {
    if (life_ != Life::Loaded)
        return;
    // Inside an event the controls outlive the unload until the event returns, and
    // the form does not load again before then: a handler that goes on after its
    // window unloaded must not bring the window back.
    EventScope scope(*this);
    life_ = Life::Unloading;
    try {
        Form_Unload();
    } catch (...) {
        // The unload goes on: the window must not outlive a failing handler.
        TraceFailure(L"a form's unload handler");
    }
    --loadedForms;
    life_ = Life::UnloadedInEvent; // until the scope above, at least, returns
    ReleaseWindow();
}

void Form::ReleaseWindow() {
    // Drop targets are revoked while their windows still exist.
    for (const auto& control : controls_)
        control->Detach();
    dropTarget_.reset();
    if (window_ != nullptr)
        DestroyWindow(window_); // the tooltip, an owned window, goes with it
    window_ = nullptr;
    toolTip_ = nullptr;
    lastFocus_ = nullptr;
    prepared_ = {};
    posted_.clear();
    madeControls_ = 0;
    if (dispatchDepth_ > 0)
        std::move(controls_.begin(), controls_.end(), std::back_inserter(unloaded_));
    controls_.clear();
    fonts_.clear();
}

HFONT Form::FontHandle(const FontSpec& wanted) {
    const auto known = std::find_if(fonts_.begin(), fonts_.end(),
                                    [&wanted](const auto& font) { return font.first == wanted; });
    if (known != fonts_.end())
        return known->second.Get();
    LOGFONTW description{};
    description.lfHeight = -MulDiv(wanted.Size, ScreenDpiY(), 72);
    description.lfWeight = wanted.Bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = wanted.Charset;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy_s(description.lfFaceName, wanted.Name.c_str(), _TRUNCATE);
    UniqueFont font(CreateFontIndirectW(&description));
    const HFONT handle = font.Get();
    fonts_.emplace_back(wanted, std::move(font));
    return handle;
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
        } else if (const HWND next = GetNextDlgTabItem(window_, GetFocus(), wParam != 0)) {
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
            if (IsChild(window_, focus))
                lastFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        if (lastFocus_ != nullptr && IsChild(window_, lastFocus_) && TakesFocus(lastFocus_))
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
            window_ = nullptr;
            Unload();
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->window_ = window;
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr || form->window_ != window)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
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

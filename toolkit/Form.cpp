// A form's life: loaded with its window and controls, shown, unloaded; the controls'
// windows made when first needed, and what only a user needs (tooltips, drop targets,
// icons) made with the window's first messages.
#include "toolkit/Form.h"
#include "toolkit/DropTarget.h"
#include "toolkit/FormShared.h"
#include "base/LibraryFunction.h"
#include "base/Trace.h"

#include <commctrl.h>

#include <algorithm>

namespace Toolkit {

using namespace FormShared;

namespace {

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
    if (window_.Get() != nullptr) {
        // Tooltips and drop targets wait for the window's first messages.
        prepared_.postedMessageWaiting =
            PostMessageW(window_.Get(), PostedWorkMessage, 0, 0) != FALSE;
    }
    CreateControls();
}

HWND Form::WindowHandle() const {
    MakeControls();
    return window_.Get();
}

void Form::MakeControls() const {
    // The count moves on first: a control whose window cannot be made is not tried again.
    while (window_.Get() != nullptr && madeControls_ < controls_.size())
        controls_[madeControls_++]->MakeWindow();
}

void Form::MakeControlsThrough(const Control& last) const {
    const auto found =
        std::find_if(controls_.begin(), controls_.end(),
                     [&last](const auto& control) { return control.get() == &last; });
    const auto count = static_cast<std::size_t>(found - controls_.begin()) + 1;
    while (window_.Get() != nullptr && found != controls_.end() && madeControls_ < count)
        controls_[madeControls_++]->MakeWindow();
}

void Form::PrepareInput() {
    if (prepared_.input || window_.Get() == nullptr)
        return;
    MakeControls();
    prepared_.input = true;
    PrepareCommonControls();
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.Get(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (toolTip_ != nullptr)
        SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_)), FALSE);
    if (wantsDrops_) {
        dropTarget_ =
            std::make_unique<DropTarget>(window_.Get(), [this](DragEventArgs& args, bool drop) {
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
    if (prepared_.icons || window_.Get() == nullptr || iconResource_ == 0)
        return;
    prepared_.icons = true;
    const auto icon = [this](int size) {
        return reinterpret_cast<LPARAM>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(iconResource_), IMAGE_ICON,
                                                   size, size, LR_SHARED));
    };
    SendMessageW(window_.Get(), WM_SETICON, ICON_BIG, icon(GetSystemMetrics(SM_CXICON)));
    SendMessageW(window_.Get(), WM_SETICON, ICON_SMALL, icon(GetSystemMetrics(SM_CXSMICON)));
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
    if (window_.Get() == nullptr)
        return;
    ApplyIcons();
    ShowWindow(window_.Get(), SW_SHOWNORMAL);
    if (!IsChild(window_.Get(), GetFocus()))
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
    window_.Reset(); // the tooltip, an owned window, goes with it
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

} // namespace Toolkit

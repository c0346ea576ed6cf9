#include "toolkit/Control.h"
#include "toolkit/DropTarget.h"
#include "toolkit/Form.h"
#include "toolkit/Handles.h"

#include <commctrl.h>

#include <utility>

namespace Toolkit {

namespace {

std::wstring WindowText(HWND window) {
    if (window == nullptr)
        return {};
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void SetWindowTextOf(HWND window, std::wstring_view text) {
    if (window == nullptr)
        return;
    const std::wstring terminated(text);
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

} // namespace

Control::Control(Form& parent, const ControlOptions& options, const wchar_t* className, DWORD style,
                 DWORD extendedStyle)
    : text_(options.Caption), parent_(parent), index_(options.Index), bounds_(options.Bounds),
      font_(parent.DefaultFont()), toolTip_(options.ToolTipText), enabled_(options.Enabled),
      wantsDrops_(options.OLEDropTarget), className_(className), style_(style),
      extendedStyle_(extendedStyle), id_(parent.NextControlId()) {
    font_.Bold = options.FontBold;
}

Control::~Control() {
    dropTarget_.reset();
}

HWND Control::Handle() const {
    parent_.MakeControlsThrough(*this);
    return window_;
}

void Control::MakeWindow() {
    if (window_ != nullptr)
        return;
    const PixelRectangle pixels = ToPixels(bounds_);
    window_ = CreateWindowExW(
        extendedStyle_, className_, text_.c_str(),
        style_ | StyleWhenMade() | WS_CHILD | WS_VISIBLE | (enabled_ ? 0 : WS_DISABLED),
        pixels.Left, pixels.Top, pixels.Width, pixels.Height, parent_.window_.Get(),
        reinterpret_cast<HMENU>(INT_PTR{id_}), GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr)
        return;
    ApplyFont();
    WindowMade();
    if (parent_.prepared_.input)
        PrepareInput();
}

void Control::PrepareInput() {
    if (window_ == nullptr)
        return;
    ApplyToolTip(false);
    if (wantsDrops_ && !dropTarget_) {
        dropTarget_ = std::make_unique<DropTarget>(window_, [this](DragEventArgs& args, bool drop) {
            Form::EventScope scope(parent_);
            const DragHandler& handler = drop ? OLEDragDrop : OLEDragOver;
            if (handler)
                handler(index_, args);
            else
                args.Effect = DROPEFFECT_NONE; // nobody answers: refuse
        });
    }
}

void Control::RaiseGotFocus() {
    parent_.MarkDefaultButton(this);
    Raise(GotFocus);
}

void Control::Raise(const IndexHandler& handler) {
    if (!handler)
        return;
    Form::EventScope scope(parent_);
    handler(index_);
}

void Control::Detach() {
    dropTarget_.reset();
    window_ = nullptr;
}

bool Control::Enabled() const {
    return enabled_;
}

void Control::Enabled(bool NewEnabled) {
    enabled_ = NewEnabled;
    // Every synchronisation sets OK and Update again: a state the window already has
    // costs no call into the window system.
    if (window_ == nullptr || (IsWindowEnabled(window_) != FALSE) == NewEnabled)
        return;
    const bool hadFocus = ::GetFocus() == window_;
    EnableWindow(window_, NewEnabled ? TRUE : FALSE);
    // A focused control that is disabled loses the focus without a focus message to any
    // other control: the border goes back to the default button by itself.
    if (hadFocus && parent_.ControlOf(::GetFocus()) == nullptr)
        parent_.MarkDefaultButton(nullptr);
}

void Control::FontBold(bool NewBold) {
    if (font_.Bold == NewBold)
        return;
    font_.Bold = NewBold;
    ApplyFont();
}

void Control::ApplyFont() {
    if (window_ == nullptr)
        return;
    // The form keeps the font: WM_SETFONT hands over no ownership. A control of a
    // form not shown yet has nothing on screen to redraw.
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(parent_.FontHandle(font_)),
                 IsWindowVisible(window_));
    FontApplied();
}

void Control::ToolTipText(std::wstring_view NewText) {
    const bool wasRegistered = !toolTip_.empty();
    toolTip_ = NewText;
    ApplyToolTip(wasRegistered);
}

void Control::ApplyToolTip(bool wasRegistered) {
    // Before the form is prepared for input there is no tooltip window yet.
    const HWND tip = parent_.toolTip_;
    if (tip == nullptr || window_ == nullptr)
        return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent_.window_.Get();
    tool.uId = reinterpret_cast<UINT_PTR>(window_);
    tool.lpszText = toolTip_.data();
    if (toolTip_.empty()) {
        if (wasRegistered)
            SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    SendMessageW(tip, wasRegistered ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0,
                 reinterpret_cast<LPARAM>(&tool));
}

IDropTarget* Control::DropTargetObject() const {
    parent_.PrepareInput();
    return dropTarget_ && dropTarget_->Registered() ? dropTarget_->Object() : nullptr;
}

void Control::SetFocus() {
    if (const HWND window = Handle())
        ::SetFocus(window);
}

// A caption that does not fit is cut, never wrapped onto a hidden second line.
Label::Label(Form& parent, const ControlOptions& options)
    : Control(parent, options, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOTIFY, 0),
      autoSize_(options.AutoSize) {}

void Label::FitToCaption() {
    if (!autoSize_ || MadeWindow() == nullptr)
        return;
    const std::wstring caption = Caption();
    const UniqueScreenContext context(GetDC(nullptr));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(MadeWindow(), WM_GETFONT, 0, 0));
    const HGDIOBJ previous = SelectObject(context.Get(), font);
    RECT extent{};
    DrawTextW(context.Get(), caption.c_str(), static_cast<int>(caption.size()), &extent,
              DT_CALCRECT | DT_SINGLELINE);
    SelectObject(context.Get(), previous);
    SetWindowPos(MadeWindow(), nullptr, 0, 0, extent.right, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring Label::Caption() const {
    return MadeWindow() != nullptr ? WindowText(MadeWindow()) : text_;
}

void Label::Caption(std::wstring_view NewCaption) {
    // Drags rewrite the prompt on every pointer movement: an unchanged one is not redrawn.
    if (Caption() == NewCaption)
        return;
    text_ = NewCaption;
    if (MadeWindow() == nullptr)
        return;
    SetWindowTextOf(MadeWindow(), NewCaption);
    FitToCaption();
}

void Label::OnNotify(WORD code) {
    if (code == STN_CLICKED)
        Raise(Click);
}

TextBox::TextBox(Form& parent, const ControlOptions& options)
    : Control(parent, options, L"EDIT",
              WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL | (options.Locked ? ES_READONLY : 0),
              WS_EX_CLIENTEDGE),
      locked_(options.Locked) {}

std::wstring TextBox::Text() const {
    // The window's text as well: every change of it passes EN_CHANGE or Text below, and
    // an edit keeps a text as given.
    return text_;
}

void TextBox::Text(std::wstring_view NewText) {
    if (Text() == NewText)
        return;
    text_ = NewText;
    if (MadeWindow() != nullptr) {
        // The edit's own EN_CHANGE for this write is swallowed, so that the change is
        // raised exactly once below, whatever the edit control reports.
        settingText_ = true;
        SetWindowTextOf(MadeWindow(), text_);
        settingText_ = false;
    }
    Raise(Change);
}

void TextBox::OnNotify(WORD code) {
    switch (code) {
    case EN_CHANGE:
        if (settingText_)
            return;
        text_ = WindowText(MadeWindow());
        Raise(Change);
        return;
    case EN_SETFOCUS:
        RaiseGotFocus();
        return;
    default:
        return;
    }
}

CommandButton::CommandButton(Form& parent, const ControlOptions& options)
    : Control(parent, options, L"BUTTON",
              WS_TABSTOP | BS_NOTIFY | (options.Graphical ? BS_ICON : 0), 0),
      default_(options.Default), cancel_(options.Cancel) {}

DWORD CommandButton::StyleWhenMade() const {
    // The default button's border may have moved onto another button before this one
    // was made: it comes without it then, as if it had been there all along.
    return default_ && !Parent().AnotherButtonBordered(*this) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void CommandButton::WindowMade() {
    if (picture_)
        SendMessageW(MadeWindow(), BM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(picture_.Get()));
}

std::wstring CommandButton::Caption() const {
    return MadeWindow() != nullptr ? WindowText(MadeWindow()) : text_;
}

void CommandButton::Caption(std::wstring_view NewCaption) {
    text_ = NewCaption;
    SetWindowTextOf(MadeWindow(), NewCaption);
}

void CommandButton::Picture(UniqueIcon NewPicture) {
    // The button window lets go of the old icon before it is destroyed.
    if (MadeWindow() != nullptr)
        SendMessageW(MadeWindow(), BM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(NewPicture.Get()));
    picture_ = std::move(NewPicture);
}

void CommandButton::OnNotify(WORD code) {
    switch (code) {
    case BN_CLICKED:
        Raise(Click);
        return;
    case BN_SETFOCUS:
        RaiseGotFocus();
        return;
    default:
        return;
    }
}

UniqueIcon IconFromBitmapResource(int ResourceId, COLORREF Transparent) {
    const UniqueBitmap image(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ResourceId),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!image)
        return {};
    BITMAP shape{};
    if (GetObjectW(image.Get(), sizeof shape, &shape) == 0)
        return {};
    const UniqueBitmap mask(CreateBitmap(shape.bmWidth, shape.bmHeight, 1, 1, nullptr));
    const UniqueMemoryContext imageContext(CreateCompatibleDC(nullptr));
    const UniqueMemoryContext maskContext(CreateCompatibleDC(nullptr));
    if (!mask || !imageContext || !maskContext)
        return {};
    const HGDIOBJ oldImage = SelectObject(imageContext.Get(), image.Get());
    const HGDIOBJ oldMask = SelectObject(maskContext.Get(), mask.Get());
    // The mask is white where the picture has the transparent colour, and there the
    // image turns black: the icon then shows the button face through.
    SetBkColor(imageContext.Get(), Transparent);
    BitBlt(maskContext.Get(), 0, 0, shape.bmWidth, shape.bmHeight, imageContext.Get(), 0, 0,
           SRCCOPY);
    SetBkColor(imageContext.Get(), RGB(255, 255, 255));
    SetTextColor(imageContext.Get(), RGB(0, 0, 0));
    constexpr DWORD DestinationAndNotSource = 0x00220326;
    BitBlt(imageContext.Get(), 0, 0, shape.bmWidth, shape.bmHeight, maskContext.Get(), 0, 0,
           DestinationAndNotSource);
    SelectObject(imageContext.Get(), oldImage);
    SelectObject(maskContext.Get(), oldMask);
    ICONINFO parts{TRUE, 0, 0, mask.Get(), image.Get()};
    return UniqueIcon(CreateIconIndirect(&parts)); // the icon keeps copies of both
}

} // namespace Toolkit

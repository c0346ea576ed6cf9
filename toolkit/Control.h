// The controls of a toolkit form: a thin layer over the system's STATIC, EDIT and
// BUTTON windows that raises the events a form's handlers expect (change, focus,
// click, OLE drag and drop), each with the control's index in its group.
//
// A control keeps its caption, text, state and picture itself until its window is
// made: the form makes the windows when they are first needed (see Form.h).
#pragma once

#include "toolkit/Handles.h"
#include "toolkit/Units.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Toolkit {

class Form;
class DropTarget;

struct FontSpec {
    std::wstring Name;
    int Size = 9; // points
    BYTE Charset = DEFAULT_CHARSET;
    bool Bold = false;
    bool operator==(const FontSpec&) const = default;
};

// The states of a drag-over notification.
enum class DragState : std::int16_t { Enter = 0, Leave = 1, Over = 2 };

// One OLE drag notification as a form or control hands it to its handler.
struct DragEventArgs {
    IDataObject* Data = nullptr;    // valid for the call only; nullptr is possible on leave
    DWORD Effect = DROPEFFECT_NONE; // the answer: none unless a drag-over handler sets one
    std::int16_t Button = 0;        // 1 left, 2 right, 4 middle
    std::int16_t Shift = 0;         // 1 Shift, 2 Ctrl, 4 Alt
    int X = 0;                      // twips, in the receiver's client area
    int Y = 0;
    DragState State = DragState::Over; // not used by a drop
};

// How a control is made; one description serves every kind.
struct ControlOptions {
    std::int16_t Index = -1; // position in its group; -1 for a single control
    Twips Bounds{};
    std::wstring Caption{}; // label and button caption, text box text
    std::wstring ToolTipText{};
    bool FontBold = false;
    bool Enabled = true;
    bool Locked = false;    // text box: read-only to the user, still written by code
    bool Default = false;   // button: clicked by Enter
    bool Cancel = false;    // button: clicked by Escape
    bool Graphical = false; // button: shows its picture instead of the caption
    bool AutoSize = false;  // label: as wide and high as its caption in its font
    bool OLEDropTarget = false;
};

class Control {
public:
    using IndexHandler = std::function<void(std::int16_t Index)>;
    using DragHandler = std::function<void(std::int16_t Index, DragEventArgs& Args)>;

    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // The control's window, made now if it was not made yet.
    HWND Handle() const;
    std::int16_t Index() const { return index_; }
    Form& Parent() const { return parent_; }
    const Twips& Bounds() const { return bounds_; }

    bool Enabled() const;
    void Enabled(bool NewEnabled);
    const FontSpec& Font() const { return font_; }
    bool FontBold() const { return font_.Bold; }
    void FontBold(bool NewBold);
    const std::wstring& ToolTipText() const { return toolTip_; }
    void ToolTipText(std::wstring_view NewText);
    void SetFocus();
    // The control's registered drop target; nullptr without one.
    IDropTarget* DropTargetObject() const;

    // Events; each receives the control's index.
    IndexHandler Click;
    IndexHandler GotFocus;
    // Raised only for a control made with OLEDropTarget.
    DragHandler OLEDragOver;
    DragHandler OLEDragDrop;

protected:
    // The window's class and styles, made with the control's text when the form asks.
    Control(Form& parent, const ControlOptions& options, const wchar_t* className, DWORD style,
            DWORD extendedStyle);
    // The window if it has been made; never makes it.
    HWND MadeWindow() const { return window_; }
    void Raise(const IndexHandler& handler);
    // The focus arrived: the form moves the default button's border, then GotFocus.
    void RaiseGotFocus();
    // The control's font was set or changed.
    virtual void FontApplied() {}
    // Styles decided only when the window is made.
    virtual DWORD StyleWhenMade() const { return 0; }
    // The window has just been made, font and all.
    virtual void WindowMade() {}

    // A text box's text; a label's or button's caption while it has no window.
    std::wstring text_;

private:
    friend class Form;
    // A WM_COMMAND notification code sent by this control to the form.
    virtual void OnNotify(WORD code) = 0;
    // Made by the form, in tab order.
    void MakeWindow();
    // Whether the control will take the focus once its window is made.
    bool MayTakeFocus() const { return (style_ & WS_TABSTOP) != 0 && enabled_; }
    // The window is going away with its form.
    void Detach();
    void ApplyFont();
    void ApplyToolTip(bool wasRegistered);
    // Tooltip and drop target, once the form prepares for the user.
    void PrepareInput();

    Form& parent_;
    std::int16_t index_;
    Twips bounds_;
    FontSpec font_;
    std::wstring toolTip_;
    bool enabled_;
    bool wantsDrops_;
    const wchar_t* className_;
    DWORD style_;
    DWORD extendedStyle_;
    int id_;
    HWND window_ = nullptr;
    std::unique_ptr<DropTarget> dropTarget_;
};

// A STATIC caption; clicks need SS_NOTIFY, which also lets its tooltip see the mouse.
class Label : public Control {
public:
    Label(Form& parent, const ControlOptions& options);
    std::wstring Caption() const;
    void Caption(std::wstring_view NewCaption);

private:
    void OnNotify(WORD code) override;
    void FontApplied() override { FitToCaption(); }
    void FitToCaption();

    bool autoSize_;
};

// A single-line EDIT. Every change of its text, typed or set by code, raises Change
// exactly once; setting the text it already holds is no change and raises nothing.
class TextBox : public Control {
public:
    TextBox(Form& parent, const ControlOptions& options);
    std::wstring Text() const;
    void Text(std::wstring_view NewText);
    bool Locked() const { return locked_; }

    IndexHandler Change;

private:
    void OnNotify(WORD code) override;

    bool locked_;
    bool settingText_ = false;
};

// A push button with a caption, or a picture-only button that owns the icon it shows.
class CommandButton : public Control {
public:
    CommandButton(Form& parent, const ControlOptions& options);
    std::wstring Caption() const;
    void Caption(std::wstring_view NewCaption);
    bool Default() const { return default_; }
    bool Cancel() const { return cancel_; }
    HICON Picture() const { return picture_.Get(); }
    void Picture(UniqueIcon NewPicture);

private:
    void OnNotify(WORD code) override;
    DWORD StyleWhenMade() const override;
    void WindowMade() override;

    bool default_;
    bool cancel_;
    UniqueIcon picture_;
};

// An icon of a 16-colour bitmap resource of the program, with every pixel of the
// colour Transparent left see-through; none when the resource is missing.
UniqueIcon IconFromBitmapResource(int ResourceId, COLORREF Transparent);

} // namespace Toolkit

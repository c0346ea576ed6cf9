// A top-level window of the toolkit. A form loads on first touch (its window and
// controls are made, then Form_Load runs), shows modeless, and unloads (Form_Unload,
// then its window goes) by code or by its close box; it can load again afterwards.
// Forms are held by std::shared_ptr, so that dialogs can keep them as their owner.
//
// What only a user at the window needs (tooltips, drop targets) is prepared when
// the window first takes its messages, or at once when code asks for it: a form
// loaded, shown and unloaded without a message loop never pays for it. Likewise
// showing paints nothing by itself; the message loop paints.
//
// The controls' windows too are made when first needed: all of them when the window
// takes its first message (before it paints) or code asks for the form's window, and
// before that only as far as code asks for a control (its handle, the focus), always
// in tab order and every one before it too, so that the windows stand in the same
// order as if all were made at once (a field is named after the label window before
// it). A form shown and unloaded without taking a message makes only those.
#pragma once

#include "base/OwnerForm.h"
#include "toolkit/Control.h"
#include "toolkit/Handles.h"

#include <windows.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Toolkit {

class Form : public OwnerForm, public std::enable_shared_from_this<Form> {
public:
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The form's window while it is loaded, nullptr otherwise; never loads it. Code that
    // holds the window may look among its children: every control's window is made.
    HWND WindowHandle() const override;
    bool IsLoaded() const { return life_ == Life::Loaded || life_ == Life::Unloading; }

    // A Load that throws leaves the form unloaded (Form_Unload runs when Form_Load
    // threw) and passes the exception on. An event that unloads the form keeps it
    // unloaded until the event has returned.
    void Load();
    void Show();
    void Unload();
    // Makes every control's window now: for a window that other programs may look at
    // (assistive ones) before it takes its first message.
    void MakeControls() const;
    // Runs the action from the window's message queue, after the messages already
    // there; at once without a window. Unloading first drops it.
    void Post(std::function<void()> action);

    const std::wstring& Caption() const { return caption_; }
    const Twips& ClientSize() const { return clientSize_; }
    const FontSpec& DefaultFont() const { return font_; }
    // The form's own registered drop target; nullptr without one.
    IDropTarget* DropTargetObject();

    // Raised only when the form was made with OLEDropTarget.
    Control::DragHandler OLEDragOver;
    Control::DragHandler OLEDragDrop;

    // For the controls: the form owns every font it hands out, until it unloads.
    HFONT FontHandle(const FontSpec& wanted);
    HWND ToolTipWindow();
    int NextControlId() { return FirstControlId + static_cast<int>(controls_.size()); }
    // Whether a made button other than this one has the default button's border.
    bool AnotherButtonBordered(const Control& button) const;

    // Held while an event of the form or of one of its controls runs: an unload
    // inside the event releases the controls only when the outermost event returns.
    class EventScope {
    public:
        explicit EventScope(Form& form);
        ~EventScope();
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

    private:
        Form& form_;
        std::shared_ptr<Form> keepAlive_;
    };

protected:
    Form(std::wstring caption, Twips clientSize, FontSpec font, bool OLEDropTarget = false);

    // Makes the controls, in tab order, while the window is being loaded.
    virtual void CreateControls() = 0;
    // A program icon for the caption (a resource of the program); 0 for none. It is
    // set on the window when the window is first shown or asked for its icon.
    void IconResource(int NewResourceId) { iconResource_ = NewResourceId; }
    // For a form that is never displayed: its window is message-only, so the window
    // system makes no screen window for it.
    void NeverDisplayed() { neverDisplayed_ = true; }
    virtual void Form_Load() {}
    virtual void Form_Unload() {}

    template <typename ControlKind> ControlKind& Add(const ControlOptions& options) {
        auto control = std::make_unique<ControlKind>(*this, options);
        ControlKind& added = *control;
        controls_.push_back(std::move(control));
        return added;
    }

private:
    friend class Control;
    friend LRESULT CALLBACK FormWindowProcedure(HWND, UINT, WPARAM, LPARAM);
    friend bool PreTranslateFormMessage(MSG& message);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(WORD id, WORD code, HWND control);
    Control* ControlOf(HWND window) const;
    CommandButton* ButtonWith(bool defaultButton) const;
    // The default button's border marks what Enter clicks: the focused button, or the
    // default button while the focus is anywhere else (or nowhere: nullptr).
    void MarkDefaultButton(const Control* focused);
    void FocusFirstControl();
    void LoadWindowAndControls();
    // Makes the windows of the controls not made yet, in tab order, up to and
    // including the one given.
    void MakeControlsThrough(const Control& last) const;
    void ApplyIcons();
    void PrepareInput();
    void RunPosted();
    void ReleaseWindow();

    // Clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and Escape.
    static constexpr int FirstControlId = 1000;

    std::wstring caption_;
    Twips clientSize_;
    FontSpec font_;
    bool wantsDrops_;
    // Destroyed by the unload, or by the window system when destroyed from outside.
    UniqueWindow window_;
    HWND toolTip_ = nullptr; // owned by the window: it goes with it
    HWND lastFocus_ = nullptr;
    int iconResource_ = 0;
    bool neverDisplayed_ = false;
    // Unloaded -> Loading -> Loaded -> Unloading -> Unloaded. An unload inside one of
    // the form's own events ends in UnloadedInEvent instead, which lasts until that
    // event returns: the form does not load again meanwhile.
    enum class Life { Unloaded, Loading, Loaded, Unloading, UnloadedInEvent };
    Life life_ = Life::Unloaded;
    // What the current window has been given so far; a new window starts without.
    struct WindowPrepared {
        bool icons = false;
        bool input = false;                // tooltips and drop targets
        bool postedMessageWaiting = false; // a message to run posted work is on its way
    };
    WindowPrepared prepared_;
    std::vector<std::function<void()>> posted_;
    int dispatchDepth_ = 0;
    std::vector<std::unique_ptr<Control>> controls_;
    // The first ones in controls_ have their windows; as if all had them from the start.
    mutable std::size_t madeControls_ = 0;
    // Controls of an unload that ran inside one of their own events: they are
    // released when that event has returned.
    std::vector<std::unique_ptr<Control>> unloaded_;
    std::vector<std::pair<FontSpec, UniqueFont>> fonts_;
    std::unique_ptr<DropTarget> dropTarget_;
};

// Gives keyboard navigation (Tab, access keys, Enter, Escape) to the form that holds
// the message's window; true when the message was handled.
bool PreTranslateFormMessage(MSG& message);
// Dispatches the waiting messages and returns.
void DoEvents();
// Runs messages until no form is loaded any more.
void RunMessageLoop();

} // namespace Toolkit

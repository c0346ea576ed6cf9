#include "resources/resource.h"
#include "tests/support/DataObjectStub.h"
#include "toolkit/Form.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using TestSupport::FontOf;
using TestSupport::ToolTipOf;
using Toolkit::CommandButton;
using Toolkit::ControlOptions;
using Toolkit::DragEventArgs;
using Toolkit::DragState;
using Toolkit::Label;
using Toolkit::TextBox;

constexpr wchar_t FaceName[] = L"ＭＳ Ｐゴシック";

// Drag data that offers nothing; the tests only follow its references.
using EmptyData = TestSupport::DataObjectStub;

// A small form: a label, an editable and a locked text box, a default and a cancel
// button, each group member carrying its index, and events recorded as text.
class SampleForm : public Toolkit::Form {
public:
    static std::shared_ptr<SampleForm> Create() {
        return std::shared_ptr<SampleForm>(new SampleForm());
    }

    Label& label() { return Touch(label_); }
    TextBox& text(int index) { return Touch(text_[index]); }
    CommandButton& button(int index) { return Touch(button_[index]); }

    std::vector<std::wstring> events;
    int loads = 0;
    int unloads = 0;
    bool unloadOnClick = false;
    bool unloadOnDrop = false;
    bool throwOnLoad = false;
    DWORD dragAnswer = DROPEFFECT_LINK;
    std::optional<DWORD> dropAnswer; // left alone without one

private:
    SampleForm()
        : Form(L"Sample", {0, 0, 4800, 2400}, {FaceName, 9, SHIFTJIS_CHARSET, false}, true) {}

    // The pointer is read after the load that sets it.
    template <typename Kind> Kind& Touch(Kind* const& control) {
        Load();
        return *control;
    }

    void CreateControls() override {
        label_ = &Add<Label>({.Index = 0,
                              .Bounds = {120, 120, 1152, 180},
                              .Caption = L"ファイル名(&F):",
                              .ToolTipText = L"名前です。",
                              .FontBold = true,
                              .OLEDropTarget = true});
        text_[0] = &Add<TextBox>({.Index = 0, .Bounds = {1320, 120, 3000, 264}});
        text_[1] = &Add<TextBox>({.Index = 1, .Bounds = {1320, 480, 3000, 264}, .Locked = true});
        button_[0] = &Add<CommandButton>(
            {.Index = 0, .Bounds = {1320, 1200, 1080, 360}, .Caption = L"&OK", .Default = true});
        button_[1] = &Add<CommandButton>({.Index = 1,
                                          .Bounds = {2640, 1200, 1080, 360},
                                          .Caption = L"閉じる(&C)",
                                          .Cancel = true});
        label_->Click = [this](std::int16_t index) { Record(L"label click", index); };
        for (TextBox* box : text_) {
            box->Change = [this](std::int16_t index) { Record(L"change", index); };
            box->GotFocus = [this](std::int16_t index) { Record(L"focus", index); };
        }
        for (CommandButton* button : button_) {
            button->Click = [this](std::int16_t index) {
                Record(L"click", index);
                if (unloadOnClick)
                    UnloadAndTouch();
            };
            button->GotFocus = [this](std::int16_t index) { Record(L"button focus", index); };
        }
        label_->OLEDragOver = [this](std::int16_t index, DragEventArgs& args) {
            Record(L"drag " + std::to_wstring(static_cast<int>(args.State)), index);
            args.Effect = dragAnswer;
        };
        label_->OLEDragDrop = [this](std::int16_t index, DragEventArgs& args) {
            Record(L"drop", index);
            args.Effect = dropAnswer.value_or(args.Effect);
            if (unloadOnDrop)
                UnloadAndTouch();
        };
    }
    void Form_Load() override {
        ++loads;
        if (throwOnLoad)
            throw std::runtime_error("load failed");
    }
    // What a handler does after it closed its window: the window must not come back.
    void UnloadAndTouch() {
        Unload();
        label().Caption(L"after");
        text(0).Text(L"after");
    }
    void Form_Unload() override { ++unloads; }

    void Record(const std::wstring& what, std::int16_t index) {
        events.push_back(what + L" " + std::to_wstring(index));
    }

    Label* label_ = nullptr;
    TextBox* text_[2] = {};
    CommandButton* button_[2] = {};
};

MSG KeyMessage(HWND window, UINT key) {
    MSG message{};
    message.hwnd = window;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    return message;
}

TEST(Toolkit, TwipsArePixelsAtTheScreenDpi) {
    EXPECT_EQ(Toolkit::TwipsToPixels(6480, 96), 432);
    EXPECT_EQ(Toolkit::TwipsToPixels(2784, 96), 186); // 185.6 rounds to the nearest
    EXPECT_EQ(Toolkit::TwipsToPixels(1440, 120), 120);
    EXPECT_EQ(Toolkit::PixelsToTwips(432, 96), 6480);
}

struct ToolTipSearch {
    HWND form, found;
};

BOOL CALLBACK FindToolTip(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<ToolTipSearch*>(lParam);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) == TOOLTIPS_CLASSW && GetWindow(window, GW_OWNER) == search.form)
        search.found = window;
    return search.found == nullptr;
}

// The tooltip window the form owns, if it has made one.
HWND ToolTipOwnedBy(HWND form) {
    ToolTipSearch search{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(Toolkit, WhatOnlyAUserNeedsWaitsForTheWindowsMessages) {
    auto form = SampleForm::Create();
    form->Load();
    const HWND window = form->WindowHandle();
    form->Post([&form] { form->events.push_back(L"posted 1"); });
    form->Post([&form] { form->events.push_back(L"posted 2"); });
    form->Show();
    // Loaded and shown, no message taken: no tooltip, nothing posted has run, nothing painted.
    EXPECT_EQ(ToolTipOwnedBy(window), nullptr);
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_EQ(form->events, std::vector<std::wstring>{L"focus 0"});

    Toolkit::DoEvents();
    EXPECT_NE(ToolTipOwnedBy(window), nullptr);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_EQ(form->events, (std::vector<std::wstring>{L"focus 0", L"posted 1", L"posted 2"}));

    // What was posted to a window that unloaded belongs to that window only.
    form->Post([&form] { form->events.push_back(L"posted 3"); });
    form->Unload();
    form->Load();
    Toolkit::DoEvents();
    EXPECT_EQ(form->events.back(), L"posted 2");
    // So was what waits behind posted work that unloads it.
    form->Post([&form] { form->Unload(); });
    form->Post([&form] { form->events.push_back(L"posted 4"); });
    Toolkit::DoEvents();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->events.back(), L"posted 2");
    // Code that asks for a drop target gets it at once.
    EXPECT_NE(form->label().DropTargetObject(), nullptr);
    form->Unload();
}

// Shown and unloaded without a message (the launcher's way), a form makes the windows
// of the controls up to the focus only; the rest follow with the first message, in
// tab order, with what code set meanwhile.
TEST(Toolkit, ControlWindowsAreMadeInTabOrderWhenFirstNeeded) {
    auto form = SampleForm::Create();
    form->text(1).Text(L"C:\\windows");
    form->button(0).Enabled(false);
    form->Show();
    const HWND window = GetParent(GetFocus());
    const auto children = [window] {
        std::vector<std::wstring> texts;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            texts.push_back(TestSupport::WindowText(child));
        return texts;
    };
    EXPECT_EQ(children(), (std::vector<std::wstring>{L"ファイル名(&F):", L""}));
    EXPECT_EQ(form->text(1).Text(), L"C:\\windows");
    Toolkit::DoEvents();
    EXPECT_EQ(children(), (std::vector<std::wstring>{L"ファイル名(&F):", L"", L"C:\\windows",
                                                     L"&OK", L"閉じる(&C)"}));
    EXPECT_FALSE(IsWindowEnabled(form->button(0).Handle()));
    form->Unload();
}

TEST(Toolkit, FormLoadsOnFirstTouchAndAgainAfterUnload) {
    auto form = SampleForm::Create();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->WindowHandle(), nullptr);
    EXPECT_EQ(form->loads, 0);

    form->text(0); // first touch
    ASSERT_TRUE(form->IsLoaded());
    const HWND window = form->WindowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(form->loads, 1);
    EXPECT_FALSE(IsWindowVisible(window));

    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, MulDiv(4800, Toolkit::ScreenDpiX(), 1440));
    EXPECT_EQ(client.bottom, MulDiv(2400, Toolkit::ScreenDpiY(), 1440));

    form->Unload();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form->unloads, 1);

    form->label();
    EXPECT_EQ(form->loads, 2);
    form->Unload();
}

TEST(Toolkit, CloseBoxUnloadsTheForm) {
    auto form = SampleForm::Create();
    form->Show();
    SendMessageW(form->WindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->unloads, 1);
}

TEST(Toolkit, ChangeFiresOncePerChangeByCodeOrTyping) {
    auto form = SampleForm::Create();
    TextBox& box = form->text(0);

    box.Text(L"abc");
    EXPECT_EQ(box.Text(), L"abc");
    box.Text(L"abc"); // the same text is no change
    box.Text(L"");
    EXPECT_EQ(form->events, (std::vector<std::wstring>{L"change 0", L"change 0"}));

    form->events.clear();
    SendMessageW(box.Handle(), WM_CHAR, L'x', 1);
    SendMessageW(box.Handle(), WM_CHAR, L'y', 1);
    SendMessageW(box.Handle(), EM_SETSEL, 0, -1);
    SendMessageW(box.Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"引数"));
    EXPECT_EQ(box.Text(), L"引数");
    SendMessageW(box.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"外から"));
    EXPECT_EQ(box.Text(), L"外から");
    EXPECT_EQ(form->events,
              (std::vector<std::wstring>{L"change 0", L"change 0", L"change 0", L"change 0"}));
    form->Unload();
}

TEST(Toolkit, LockedTextBoxRefusesTypingButTakesTextFromCode) {
    auto form = SampleForm::Create();
    TextBox& locked = form->text(1);
    EXPECT_TRUE(GetWindowLongW(locked.Handle(), GWL_STYLE) & ES_READONLY);

    SendMessageW(locked.Handle(), WM_CHAR, L'x', 1);
    EXPECT_EQ(locked.Text(), L"");
    locked.Text(L"C:\\windows");
    EXPECT_EQ(locked.Text(), L"C:\\windows");
    EXPECT_EQ(form->events, (std::vector<std::wstring>{L"change 1"}));
    form->Unload();
}

TEST(Toolkit, FocusAndClicksRaiseEventsWithTheIndex) {
    auto form = SampleForm::Create();
    form->Show();
    // Showing puts the focus into the first control that takes it.
    EXPECT_EQ(GetFocus(), form->text(0).Handle());
    form->text(1).SetFocus();
    EXPECT_EQ(form->events, (std::vector<std::wstring>{L"focus 0", L"focus 1"}));

    form->events.clear();
    const HWND label = form->label().Handle();
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    SendMessageW(form->button(1).Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->events,
              (std::vector<std::wstring>{L"label click 0", L"button focus 1", L"click 1"}));
    form->Unload();
}

TEST(Toolkit, EnterClicksTheEnabledDefaultButtonAndEscapeTheCancelButton) {
    auto form = SampleForm::Create();
    form->Show();
    const HWND field = form->text(0).Handle();
    form->events.clear();

    MSG enter = KeyMessage(field, VK_RETURN);
    EXPECT_TRUE(Toolkit::PreTranslateFormMessage(enter));
    form->button(0).Enabled(false);
    EXPECT_FALSE(IsWindowEnabled(form->button(0).Handle()));
    EXPECT_TRUE(Toolkit::PreTranslateFormMessage(enter));
    MSG escape = KeyMessage(field, VK_ESCAPE);
    EXPECT_TRUE(Toolkit::PreTranslateFormMessage(escape));
    EXPECT_EQ(form->events, (std::vector<std::wstring>{L"click 0", L"click 1"}));
    form->Unload();
}

// The default button's border marks what Enter clicks: it follows the focus onto a
// button and back to the default button when the focus goes on to a field, by Tab or
// by code, or leaves a button that is disabled under it.
TEST(Toolkit, TheDefaultButtonsBorderFollowsTheFocus) {
    auto form = SampleForm::Create();
    form->Show();
    const auto bordered = [&form] {
        std::wstring marks;
        for (int index = 0; index < 2; ++index)
            marks += (GetWindowLongPtrW(form->button(index).Handle(), GWL_STYLE) & BS_TYPEMASK) ==
                             BS_DEFPUSHBUTTON
                         ? L'1'
                         : L'0';
        return marks;
    };
    const std::function<void()> tab = [] {
        MSG key = KeyMessage(GetFocus(), VK_TAB);
        EXPECT_TRUE(Toolkit::PreTranslateFormMessage(key));
    };
    form->text(0).SetFocus();
    // Tab goes on through the locked field, both buttons and round to the first field.
    const std::tuple<std::function<void()>, HWND, const wchar_t*> steps[] = {
        {tab, form->text(1).Handle(), L"10"},
        {tab, form->button(0).Handle(), L"10"},
        {tab, form->button(1).Handle(), L"01"},
        {tab, form->text(0).Handle(), L"10"},
        {[&form] { form->button(1).SetFocus(); }, form->button(1).Handle(), L"01"},
        {[&form] { form->text(1).SetFocus(); }, form->text(1).Handle(), L"10"},
        {[&form] { form->button(1).SetFocus(); }, form->button(1).Handle(), L"01"},
        {[&form] { form->button(1).Enabled(false); }, nullptr, L"10"},
    };
    for (const auto& [move, focus, marks] : steps) {
        move();
        EXPECT_EQ(GetFocus(), focus);
        EXPECT_EQ(bordered(), marks) << "focus " << focus;
    }
    form->Unload();
}

TEST(Toolkit, UnloadInsideAClickOfItsOwnButtonIsSafe) {
    auto form = SampleForm::Create();
    form->Show();
    form->unloadOnClick = true;
    SendMessageW(form->button(1).Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->unloads, 1);
    EXPECT_EQ(form->loads, 1); // touched after its unload, inside the click
    form->label();
    EXPECT_EQ(form->loads, 2); // after the click it loads again on demand
    form->Unload();
}

// A drop handler may refuse what the last drag-over answered, never widen it.
TEST(Toolkit, DropHandsBackTheLastDragOverAnswerAndMayUnloadTheForm) {
    auto form = SampleForm::Create();
    // Held by nobody but the form: the unload inside the last drop releases it.
    IDropTarget* target = form->label().DropTargetObject();
    EmptyData data;
    const auto drag = [&](DWORD answer, std::optional<DWORD> dropAnswer = {}) {
        form->dragAnswer = answer;
        form->dropAnswer = dropAnswer;
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        target->DragEnter(&data, MK_LBUTTON, {}, &effect);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        target->Drop(&data, 0, {}, &effect);
        return effect;
    };
    constexpr DWORD All = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const std::tuple<DWORD, std::optional<DWORD>, DWORD> drops[] = {
        {DROPEFFECT_NONE, {}, DROPEFFECT_NONE},  {DROPEFFECT_NONE, All, DROPEFFECT_NONE},
        {DROPEFFECT_LINK, All, DROPEFFECT_LINK}, {DROPEFFECT_COPY, DROPEFFECT_LINK, 0},
        {DROPEFFECT_LINK, DROPEFFECT_NONE, 0},
    };
    for (const auto& [over, drop, answered] : drops)
        EXPECT_EQ(drag(over, drop), answered) << over << " then " << drop.value_or(~0u);
    form->unloadOnDrop = true;
    EXPECT_EQ(drag(DROPEFFECT_LINK), DWORD{DROPEFFECT_LINK});
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->loads, 1); // not brought back by the handler's touch after its unload
    EXPECT_EQ(data.references(), 1);
}

TEST(Toolkit, ALoadThatThrowsLeavesTheFormUnloadedAndLoadable) {
    auto form = SampleForm::Create();
    form->throwOnLoad = true;
    EXPECT_THROW(form->Load(), std::runtime_error);
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->WindowHandle(), nullptr);
    EXPECT_EQ(form->unloads, 1); // Form_Unload undoes what Form_Load began
    form->throwOnLoad = false;
    form->Load();
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_NE(form->WindowHandle(), nullptr);
    form->Unload();
}

TEST(Toolkit, FontsAreTheFormsAndBoldSwitchesAtRunTime) {
    auto form = SampleForm::Create();
    Label& label = form->label();
    LOGFONTW font = FontOf(label.Handle());
    EXPECT_STREQ(font.lfFaceName, FaceName);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, Toolkit::ScreenDpiY(), 72));
    EXPECT_EQ(FontOf(form->text(0).Handle()).lfWeight, FW_NORMAL);

    label.FontBold(false);
    EXPECT_EQ(FontOf(label.Handle()).lfWeight, FW_NORMAL);
    // Bold and normal come from the form, shared between controls.
    const HGDIOBJ normal =
        reinterpret_cast<HGDIOBJ>(SendMessageW(label.Handle(), WM_GETFONT, 0, 0));
    EXPECT_EQ(normal,
              reinterpret_cast<HGDIOBJ>(SendMessageW(form->text(0).Handle(), WM_GETFONT, 0, 0)));
    label.FontBold(true);
    const HGDIOBJ bold = reinterpret_cast<HGDIOBJ>(SendMessageW(label.Handle(), WM_GETFONT, 0, 0));

    form->Unload();
    EXPECT_EQ(GetObjectType(normal), 0u);
    EXPECT_EQ(GetObjectType(bold), 0u);
}

TEST(Toolkit, ToolTipsFollowTheirControls) {
    auto form = SampleForm::Create();
    Label& label = form->label();
    const HWND tip = form->ToolTipWindow();
    ASSERT_NE(tip, nullptr);
    const HWND window = form->WindowHandle();
    EXPECT_EQ(ToolTipOf(tip, window, label.Handle()), L"名前です。");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    label.ToolTipText(L"説明などです。");
    EXPECT_EQ(ToolTipOf(tip, window, label.Handle()), L"説明などです。");
    label.ToolTipText(L"");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    form->text(0).ToolTipText(L"引数です。");
    EXPECT_EQ(ToolTipOf(tip, window, form->text(0).Handle()), L"引数です。");
    form->Unload();
}

TEST(Toolkit, BitmapPictureIsTransparentWhereItIsLightGrey) {
    constexpr COLORREF grey = RGB(192, 192, 192);
    const Toolkit::UniqueIcon picture = Toolkit::IconFromBitmapResource(IDB_BROWSE_FOLDER, grey);
    const HICON icon = picture.Get();
    ASSERT_NE(icon, nullptr);

    // Compare mask and image with the resource's own pixels: where the mask lets the
    // face through, the image must add nothing to it (black).
    const HBITMAP source = static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BROWSE_FOLDER), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(source, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon, &parts));
    const auto image = TestSupport::PixelsOf(source, 16, 16);
    const auto mask = TestSupport::PixelsOf(parts.hbmMask, 16, 16);
    const auto colour = TestSupport::PixelsOf(parts.hbmColor, 16, 16);
    int transparent = 0;
    int opaque = 0;
    int wrong = 0;
    for (std::size_t pixel = 0; pixel < image.size(); ++pixel) {
        const bool isGrey = image[pixel] == grey;
        const bool masked = mask[pixel] == RGB(255, 255, 255);
        (isGrey ? transparent : opaque) += 1;
        wrong += isGrey != masked || colour[pixel] != (isGrey ? RGB(0, 0, 0) : image[pixel]);
    }
    DeleteObject(parts.hbmMask);
    DeleteObject(parts.hbmColor);
    DeleteObject(source);
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
    EXPECT_EQ(wrong, 0);

    EXPECT_FALSE(Toolkit::IconFromBitmapResource(9999, grey));
}

TEST(Toolkit, ButtonKeepsThePictureItShows) {
    auto form = SampleForm::Create();
    CommandButton& button = form->button(0);
    button.Picture(Toolkit::IconFromBitmapResource(IDB_BROWSE_OPEN, RGB(192, 192, 192)));
    const HICON icon = button.Picture();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(button.Handle(), BM_GETIMAGE, IMAGE_ICON, 0)),
              icon);

    button.Picture({});
    EXPECT_EQ(SendMessageW(button.Handle(), BM_GETIMAGE, IMAGE_ICON, 0), 0);
    ICONINFO parts{};
    EXPECT_FALSE(GetIconInfo(icon, &parts)); // the button destroyed the icon it let go
    form->Unload();
}

TEST(Toolkit, DropTargetHandsEnterOverLeaveAndDropToTheControl) {
    auto form = SampleForm::Create();
    IDropTarget* target = form->label().DropTargetObject();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(form->text(0).DropTargetObject(), nullptr); // made without drops
    EXPECT_NE(form->DropTargetObject(), nullptr);

    EmptyData data;
    POINTL point{0, 0};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(target->DragOver(MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(data.references(), 1); // the data held from enter to leave is given back
    EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(target->Drop(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(data.references(), 1);
    EXPECT_EQ(form->events, (std::vector<std::wstring>{L"drag 0 0", L"drag 2 0", L"drag 1 0",
                                                       L"drag 0 0", L"drop 0"}));

    // The form has a drop target but no handler: it refuses.
    effect = DROPEFFECT_LINK;
    EXPECT_EQ(form->DropTargetObject()->DragEnter(&data, MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    // A handler that leaves the effect alone refuses too.
    form->OLEDragOver = [](std::int16_t, DragEventArgs&) {};
    effect = DROPEFFECT_LINK;
    EXPECT_EQ(form->DropTargetObject()->DragEnter(&data, MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    form->DropTargetObject()->DragLeave();
    EXPECT_EQ(data.references(), 1);
    form->Unload();
}

} // namespace

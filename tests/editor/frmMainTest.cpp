#include "editor/frmMain.h"
#include "dialogs/DialogPlatform.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ShortcutDamages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace TestSupport;
using Toolkit::Control;

constexpr wchar_t FaceName[] = L"ＭＳ Ｐゴシック";

const std::wstring Prompts[] = {L"リンクファイルをDragDropして下さい。",
                                L"リンク先をDragDropして下さい。",
                                L"引数を設定して下さい。",
                                L"作業ディレクトリをDragDropして下さい。",
                                L"説明を設定して下さい。",
                                L"アイコンを設定して下さい。"};

// The size of a caption as a label draws it: in its font, access key marks taken out.
SIZE CaptionExtent(HWND label) {
    const std::wstring caption = WindowText(label);
    const HDC context = GetDC(nullptr);
    const HGDIOBJ previous =
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT extent{};
    DrawTextW(context, caption.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(context, previous);
    ReleaseDC(nullptr, context);
    return {extent.right, extent.bottom};
}

HICON IconShownBy(Control& button) {
    return reinterpret_cast<HICON>(SendMessageW(button.Handle(), BM_GETIMAGE, IMAGE_ICON, 0));
}

void Type(Control& field, std::wstring_view text) {
    for (wchar_t character : text)
        SendMessageW(field.Handle(), WM_CHAR, character, 1);
}

int BoldLabel(frmMain& form) {
    int bold = -1;
    for (int field = 0; field < frmMain::FieldCount; ++field)
        if (form.lblText(field).FontBold())
            bold = bold == -1 ? field : -2; // -2: more than one
    return bold;
}

// What the text fields show, in order.
std::vector<std::wstring> Fields(frmMain& form) {
    std::vector<std::wstring> shown;
    for (int field = 0; field < frmMain::TextFieldCount; ++field)
        shown.push_back(form.txtText(field).Text());
    return shown;
}

// Counts the Change events of each text field, which still run as before.
void CountChanges(frmMain& form, std::vector<int>& changes) {
    changes.assign(frmMain::TextFieldCount, 0);
    for (int field = 0; field < frmMain::TextFieldCount; ++field) {
        Toolkit::TextBox& box = form.txtText(field);
        box.Change = [&changes, inner = box.Change](std::int16_t index) {
            ++changes[index];
            inner(index);
        };
    }
}

const std::vector<std::wstring> NoFields(frmMain::TextFieldCount);

class EditorWindow : public testing::Test {
protected:
    void TearDown() override { form->Unload(); }

    // A shortcut with the given fields, any left out empty; without a target, to a file
    // in the temporary folder.
    std::wstring WriteSampleShortcut(ShortcutFields fields,
                                     const std::wstring& name = L"Report.lnk") {
        if (fields.target.empty())
            fields.target = TestSupport::WriteFile(folder / L"Report.txt", "report");
        const std::wstring path = folder / name;
        EXPECT_TRUE(WriteShortcut(path, fields));
        return path;
    }

    bool CommandsEnabled(bool okAndUpdate) {
        return form->cmdCommand(0).Enabled() == okAndUpdate &&
               form->cmdCommand(2).Enabled() == okAndUpdate &&
               IsWindowEnabled(form->cmdCommand(0).Handle()) == okAndUpdate &&
               IsWindowEnabled(form->cmdCommand(2).Handle()) == okAndUpdate;
    }

    TempDirectory folder;
    std::shared_ptr<frmMain> form = frmMain::Create();
};

// What a user sees of the layout, whatever its numbers: every control whole inside the
// window and clear of the others, labels never cut, the tab order in reading order, and
// each access key once, taking the focus to its own field.
TEST_F(EditorWindow, LaysOutEveryControlWholeInReadingOrderWithItsOwnAccessKey) {
    frmMain& f = *form;
    f.Load();
    const HWND window = f.WindowHandle();
    EXPECT_EQ(WindowText(window), L"ShellLink without TypeLibrary");
    RECT client{};
    GetClientRect(window, &client);
    const auto placeOf = [window](HWND control) {
        RECT place{};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        return place;
    };

    // The tab order is the order of the child windows.
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    ASSERT_EQ(children.size(), 23u);
    std::wstring accessKeys;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const HWND control = children[i];
        SCOPED_TRACE(testing::Message() << "tab " << i);
        const RECT place = placeOf(control);
        RECT inside{};
        EXPECT_TRUE(IntersectRect(&inside, &place, &client) && EqualRect(&inside, &place));
        for (std::size_t later = i + 1; later < children.size(); ++later) {
            const RECT other = placeOf(children[later]);
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &place, &other)) << "overlaps tab " << later;
        }
        if (i > 0) {
            const RECT previous = placeOf(children[i - 1]);
            EXPECT_TRUE(place.top > previous.top ||
                        (place.top == previous.top && place.left > previous.left));
        }

        wchar_t className[32] = {};
        GetClassNameW(control, className, 32);
        const bool isLabel = lstrcmpiW(className, L"Static") == 0;
        if (isLabel) {
            const SIZE caption = CaptionExtent(control);
            EXPECT_EQ(place.right - place.left, caption.cx);
            EXPECT_EQ(place.bottom - place.top, caption.cy);
        }
        EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0, !isLabel);
        const LOGFONTW font = FontOf(control);
        EXPECT_STREQ(font.lfFaceName, FaceName);
        EXPECT_EQ(font.lfCharSet, 128);
        EXPECT_EQ(font.lfWeight, control == f.lblText(0).Handle() ? FW_BOLD : FW_NORMAL);

        const std::wstring caption = WindowText(control);
        if (const std::size_t mark = caption.find(L'&'); mark < caption.size() - 1) {
            const wchar_t key = towupper(caption[mark + 1]);
            EXPECT_EQ(accessKeys.find(key), std::wstring::npos) << "access key used twice";
            accessKeys += key;
        }
    }
    // A label's access key and tooltip belong to the field after it.
    for (int field = 0; field < frmMain::FieldCount; ++field) {
        SCOPED_TRACE(field);
        const HWND label = f.lblText(field).Handle();
        const HWND value =
            field < frmMain::TextFieldCount ? f.txtText(field).Handle() : f.cmdIcon().Handle();
        EXPECT_NE(WindowText(label).find(L'&'), std::wstring::npos);
        EXPECT_EQ(GetNextDlgTabItem(window, label, FALSE), value);
        EXPECT_FALSE(ToolTipOf(f.ToolTipWindow(), window, label).empty());
        EXPECT_EQ(ToolTipOf(f.ToolTipWindow(), window, label),
                  ToolTipOf(f.ToolTipWindow(), window, value));
    }
    EXPECT_EQ(accessKeys.size(), 9u); // six fields, three commands
}

TEST_F(EditorWindow, StartsEmptyWithOkAndUpdateDisabledAndPicturesOnTheBrowseButtons) {
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->LinkFile(), nullptr);
    frmMain& f = *form;

    EXPECT_EQ(Fields(f), NoFields);
    for (int field = 0; field < frmMain::TextFieldCount; ++field) {
        const bool readOnly = GetWindowLongW(f.txtText(field).Handle(), GWL_STYLE) & ES_READONLY;
        EXPECT_EQ(readOnly, field == 0 || field == 1 || field == 3) << field;
    }
    EXPECT_TRUE(CommandsEnabled(false));
    EXPECT_TRUE(f.cmdCommand(1).Enabled());
    EXPECT_TRUE(f.cmdCommand(0).Default());
    EXPECT_TRUE(f.cmdCommand(1).Cancel());
    EXPECT_EQ(BoldLabel(f), 0);
    EXPECT_EQ(f.lblCaption().Caption(), Prompts[0]);
    EXPECT_EQ(f.CurrentField(), 0);
    EXPECT_FALSE(f.Updating());
    // Pictures come with the window's first messages.
    EXPECT_EQ(IconShownBy(f.cmdBrowse(0)), nullptr);
    Toolkit::DoEvents();
    for (int button = 0; button < frmMain::BrowseButtonCount; ++button)
        EXPECT_TRUE(IsIcon(IconShownBy(f.cmdBrowse(button)))) << button;
    EXPECT_EQ(IconShownBy(f.cmdIcon()), nullptr);
    EXPECT_FALSE(IsWindowVisible(f.WindowHandle()));
}

// The OK button's window made after the focus moved onto a browse button comes without
// the default button's border, as if it had been there all along.
TEST_F(EditorWindow, TheBorderStaysOnTheFocusedButtonWhenOkIsMadeLater) {
    form->Show();
    form->cmdBrowse(0).SetFocus();
    const auto type = [](HWND button) {
        return GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
    };
    EXPECT_EQ(type(form->cmdCommand(0).Handle()), BS_PUSHBUTTON);
    EXPECT_EQ(type(form->cmdBrowse(0).Handle()), BS_DEFPUSHBUTTON);
}

TEST_F(EditorWindow, LoadMakesTheDialogsOwnedByTheWindowAndTheShortcut) {
    const long unloaded = form.use_count();
    form->Load();
    ASSERT_NE(form->LinkFile(), nullptr);
    EXPECT_EQ(form->LinkFile()->FileName(), L"");
    ASSERT_NE(form->IconDialog(), nullptr);
    ASSERT_NE(form->FolderDialog(), nullptr);
    ASSERT_NE(form->FileDialog(), nullptr);
    EXPECT_EQ(form->IconDialog()->DialogOwner(), form);
    EXPECT_EQ(form->FolderDialog()->DialogOwner(), form);
    EXPECT_EQ(form->FileDialog()->DialogOwner(), form);
    EXPECT_EQ(OwnerWindowHandle(form->FileDialog()->DialogOwner()), form->WindowHandle());
    EXPECT_EQ(form.use_count(), unloaded + 3);
}

TEST_F(EditorWindow, ShortcutFillsEveryFieldAndItsIcon) {
    const std::wstring target = TestSupport::WriteFile(folder / L"Report.txt", "report");
    const std::wstring link = WriteSampleShortcut({.target = target,
                                                   .arguments = L"/print now",
                                                   .directory = folder.Path().wstring(),
                                                   .description = L"Monthly report",
                                                   .iconPath = L"shell32.dll",
                                                   .iconIndex = 3});
    // The launcher's road: write the path, show, read the target, unload.
    form->txtText(0).Text(link);
    form->Show();
    Toolkit::DoEvents(); // the icon follows when the window takes its messages
    EXPECT_EQ(Fields(*form),
              (std::vector<std::wstring>{link, target, L"/print now", folder.Path().wstring(),
                                         L"Monthly report"}));
    EXPECT_TRUE(IsIcon(IconShownBy(form->cmdIcon())));
    EXPECT_EQ(IconShownBy(form->cmdIcon()), form->cmdIcon().Picture());
    EXPECT_TRUE(CommandsEnabled(false));
    EXPECT_FALSE(form->Updating());
}

TEST_F(EditorWindow, ShortcutWithoutIconLocationShowsItsTargetsIconOnceMessagesRun) {
    form->txtText(0).Text(WriteSampleShortcut({}));
    EXPECT_EQ(form->LinkFile()->IconPath(), L"");
    // A window unloaded before it takes a message never asks the shell for the icon.
    EXPECT_EQ(IconShownBy(form->cmdIcon()), nullptr);
    Toolkit::DoEvents();
    EXPECT_TRUE(IsIcon(IconShownBy(form->cmdIcon())));
}

TEST_F(EditorWindow, NonShortcutKeepsThePreviousShortcutAndItsName) {
    const std::wstring text = TestSupport::WriteFile(folder / L"notes.txt", "not a shortcut");
    // Right after loading: the new, empty shortcut stays.
    form->txtText(0).Text(text);
    EXPECT_EQ(Fields(*form), NoFields);
    EXPECT_TRUE(CommandsEnabled(false));

    const std::wstring link = WriteSampleShortcut({.description = L"kept"});
    form->txtText(0).Text(link);
    form->txtText(0).Text(text);
    EXPECT_EQ(form->txtText(0).Text(), link);
    EXPECT_EQ(form->txtText(4).Text(), L"kept");
    EXPECT_EQ(form->LinkFile()->FileName(), link);
    EXPECT_FALSE(form->Updating());
}

TEST_F(EditorWindow, EmptyNameStartsANewEmptyShortcut) {
    form->txtText(0).Text(WriteSampleShortcut({.arguments = L"-x", .description = L"old"}));
    ASSERT_EQ(form->txtText(4).Text(), L"old");
    form->txtText(0).Text(L"");
    EXPECT_EQ(form->LinkFile()->FileName(), L"");
    EXPECT_EQ(Fields(*form), NoFields);
    Toolkit::DoEvents();
    EXPECT_EQ(IconShownBy(form->cmdIcon()), nullptr);
    EXPECT_TRUE(CommandsEnabled(false));
}

TEST_F(EditorWindow, TypingWritesThroughAndEnablesOkAndUpdate) {
    form->txtText(0).Text(WriteSampleShortcut({}));
    form->Show();
    ASSERT_TRUE(CommandsEnabled(false));

    // Each change runs the synchronisation once; its own writes of the fields are
    // absorbed, and writing back the text being typed is no change.
    std::vector<int> changes;
    CountChanges(*form, changes);
    form->txtText(2).SetFocus();
    Type(form->txtText(2), L"-v");
    EXPECT_EQ(form->LinkFile()->LinkArgument(), L"-v");
    EXPECT_EQ(form->txtText(2).Text(), L"-v");
    EXPECT_TRUE(CommandsEnabled(true));
    EXPECT_EQ(changes, (std::vector<int>{0, 0, 2, 0, 0}));

    SendMessageW(form->txtText(4).Handle(), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(L"notes"));
    EXPECT_EQ(form->LinkFile()->LinkDescription(), L"notes");
    EXPECT_EQ(changes, (std::vector<int>{0, 0, 2, 0, 1}));

    // The user cannot type into the file name, target and directory.
    Type(form->txtText(1), L"x");
    Type(form->txtText(3), L"x");
    EXPECT_EQ(changes, (std::vector<int>{0, 0, 2, 0, 1}));
}

TEST_F(EditorWindow, CodeWritesEveryFieldOnceAndTheShortcutShowsWhatItHolds) {
    const std::wstring target = TestSupport::WriteFile(folder / L"Other.txt", "other");
    form->txtText(0).Text(WriteSampleShortcut({}));
    std::vector<int> changes;
    CountChanges(*form, changes);
    form->txtText(1).Text(target);
    form->txtText(3).Text(L"C:\\windows");
    EXPECT_EQ(form->LinkFile()->LinkToName(), target);
    EXPECT_EQ(form->LinkFile()->LinkDirectory(), L"C:\\windows");
    EXPECT_EQ(changes, (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_TRUE(CommandsEnabled(true));

    // While Updating is set, a change reaches nothing.
    form->Updating(true);
    form->txtText(2).Text(L"ignored");
    form->Updating(false);
    EXPECT_EQ(form->LinkFile()->LinkArgument(), L"");
}

TEST_F(EditorWindow, FocusAndLabelClicksMoveTheBoldLabelPromptAndCurrentField) {
    form->Show();
    EXPECT_EQ(GetFocus(), form->txtText(0).Handle());
    EXPECT_EQ(form->CurrentField(), 0);

    const LONG normalWidth = CaptionExtent(form->lblText(3).Handle()).cx;
    form->txtText(3).SetFocus();
    EXPECT_EQ(BoldLabel(*form), 3);
    // The bold caption is wider, and its label grows with it.
    RECT bold{};
    GetWindowRect(form->lblText(3).Handle(), &bold);
    EXPECT_GT(bold.right - bold.left, normalWidth);
    EXPECT_EQ(bold.right - bold.left, CaptionExtent(form->lblText(3).Handle()).cx);
    EXPECT_EQ(form->lblCaption().Caption(), Prompts[3]);
    EXPECT_EQ(form->CurrentField(), 3);

    form->cmdIcon().SetFocus();
    EXPECT_EQ(BoldLabel(*form), 5);
    EXPECT_EQ(form->lblCaption().Caption(), Prompts[5]);
    EXPECT_EQ(form->CurrentField(), 5);

    const HWND label = form->lblText(2).Handle();
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(GetFocus(), form->txtText(2).Handle());
    EXPECT_EQ(BoldLabel(*form), 2);
    EXPECT_EQ(form->CurrentField(), 2);

    form->lblText_Click(5);
    EXPECT_EQ(GetFocus(), form->cmdIcon().Handle());
    EXPECT_EQ(form->CurrentField(), 5);

    // A command button takes the focus without changing the current field.
    form->cmdCommand(1).SetFocus();
    EXPECT_EQ(form->CurrentField(), 5);

    // An access key of a label moves the focus to the field the label names.
    for (const auto& [key, field] : {std::pair{L'w', 3}, std::pair{L'i', 5}, std::pair{L'f', 0}}) {
        MSG access{};
        access.hwnd = GetFocus();
        access.message = WM_SYSCHAR;
        access.wParam = key;
        access.lParam = 0x20000001; // Alt held
        EXPECT_TRUE(Toolkit::PreTranslateFormMessage(access));
        EXPECT_EQ(form->CurrentField(), field) << static_cast<char>(key);
    }
    EXPECT_EQ(GetFocus(), form->txtText(0).Handle());

    form->txtText_GotFocus(9);
    EXPECT_EQ(BoldLabel(*form), -1);
    EXPECT_EQ(form->lblCaption().Caption(), L"");
    EXPECT_EQ(form->CurrentField(), 9);
}

TEST_F(EditorWindow, UnloadReleasesTheShortcutDialogsWindowIconAndFonts) {
    const long unloaded = form.use_count();
    const std::wstring link = WriteSampleShortcut({.iconPath = L"shell32.dll", .iconIndex = 4});
    form->txtText(0).Text(link);
    form->Show();
    Toolkit::DoEvents();
    const HWND window = form->WindowHandle();
    const HICON icon = IconShownBy(form->cmdIcon());
    const HICON browse = IconShownBy(form->cmdBrowse(0));
    const HGDIOBJ bold =
        reinterpret_cast<HGDIOBJ>(SendMessageW(form->lblText(0).Handle(), WM_GETFONT, 0, 0));
    const HGDIOBJ normal =
        reinterpret_cast<HGDIOBJ>(SendMessageW(form->txtText(0).Handle(), WM_GETFONT, 0, 0));
    ASSERT_TRUE(IsIcon(icon));
    ASSERT_TRUE(IsIcon(browse));

    form->Unload();
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form->LinkFile(), nullptr);
    EXPECT_EQ(form->IconDialog(), nullptr);
    EXPECT_EQ(form->FolderDialog(), nullptr);
    EXPECT_EQ(form->FileDialog(), nullptr);
    EXPECT_EQ(form.use_count(), unloaded); // no dialog holds the window any more
    EXPECT_FALSE(IsIcon(icon));
    EXPECT_FALSE(IsIcon(browse));
    EXPECT_EQ(GetObjectType(bold), 0u);
    EXPECT_EQ(GetObjectType(normal), 0u);
    EXPECT_TRUE(DeleteFileW(link.c_str()));

    // It loads again, fresh, on the next touch.
    EXPECT_EQ(form->txtText(0).Text(), L"");
    EXPECT_NE(form->LinkFile(), nullptr);
    EXPECT_EQ(form->CurrentField(), 0);
}

TEST_F(EditorWindow, JapaneseNamesAndTextsCrossTheAnsiBoundary) {
    if (!AnsiCodePageIs932())
        GTEST_SKIP() << "Japanese text needs the ANSI code page 932";
    const std::wstring target = TestSupport::WriteFile(folder / L"報告書.txt", "report");
    const std::wstring link = WriteSampleShortcut(
        {.target = target, .arguments = L"引数", .description = L"月次の報告"}, L"報告書.lnk");
    form->txtText(0).Text(link);
    EXPECT_EQ(Fields(*form),
              (std::vector<std::wstring>{link, target, L"引数", L"", L"月次の報告"}));

    form->Show();
    form->txtText(4).SetFocus();
    SendMessageW(form->txtText(4).Handle(), EM_SETSEL, 0, -1);
    SendMessageW(form->txtText(4).Handle(), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(L"年次の報告"));
    EXPECT_EQ(form->LinkFile()->LinkDescription(), L"年次の報告");
    EXPECT_TRUE(CommandsEnabled(true));
}

// Browse, icon and command buttons; the dialogs are the system's own, finished by the
// dialog driver.

// A text as it comes back from an ANSI entry point: what the code page cannot hold is lost.
std::wstring ThroughAnsi(const std::wstring& text) {
    char ansi[1024] = {};
    wchar_t wide[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 1024);
    return wide;
}

// Fields, shortcut, icon and commands: what a cancelled dialog leaves alone.
// What the window shows once it has taken its messages.
std::vector<std::wstring> StateOf(frmMain& form) {
    Toolkit::DoEvents();
    std::vector<std::wstring> state = Fields(form);
    const ShellLinkFile& link = *form.LinkFile();
    const auto icon = reinterpret_cast<UINT_PTR>(IconShownBy(form.cmdIcon()));
    const int commands = form.cmdCommand(0).Enabled() + 2 * form.cmdCommand(2).Enabled();
    state.insert(state.end(),
                 {link.FileName(), link.LinkToName(), link.LinkArgument(), link.LinkDirectory(),
                  link.IconPath(), std::to_wstring(link.IconIndex()), std::to_wstring(icon),
                  std::to_wstring(commands)});
    return state;
}

std::wstring SpecialFolderName(int folder) {
    LPITEMIDLIST list = nullptr;
    SHGetSpecialFolderLocation(nullptr, folder, &list);
    SHFILEINFOW info{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_DISPLAYNAME);
    CoTaskMemFree(list);
    return info.szDisplayName;
}

// What an open dialog shows: its caption, then the file name and the file type, or
// the root of the folder tree.
std::wstring Look(HWND dialog) {
    std::wstring seen = WindowText(dialog);
    if (const HWND tree = FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr)) {
        wchar_t text[MAX_PATH] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return seen + L"|" + text;
    }
    constexpr int FileNameBox = 0x47C, FileTypeBox = 0x470;
    return seen + L"|" + WindowText(GetDlgItem(dialog, FileNameBox)) + L"|" +
           WindowText(GetDlgItem(dialog, FileTypeBox));
}

// Confirms a typed file name, or a folder selected in the tree.
void Choose(HWND dialog, const std::wstring& name) {
    if (FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr))
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(name.c_str()));
    else
        TypeFileName(dialog, name);
    PressButton(dialog, IDOK);
}

class EditorCommands : public EditorWindow {
protected:
    // Report.lnk with a file as argument and the folder as working directory.
    std::wstring LoadSample(const std::wstring& name = L"Report.lnk") {
        const std::wstring link =
            WriteSampleShortcut({.arguments = TestSupport::WriteFile(folder / L"Notes.txt", "n"),
                                 .directory = folder.Path().wstring(),
                                 .description = L"sample"},
                                name);
        form->txtText(0).Text(link);
        form->Show();
        return link;
    }

    // Clicks a button of the window; the steps answer the dialogs it opens.
    bool Click(Control& button, std::vector<DialogDriver::Step> steps = {}) {
        DialogDriver driver(std::move(steps));
        SendMessageW(button.Handle(), BM_CLICK, 0, 0);
        return driver.Finished();
    }
};

TEST_F(EditorCommands, EveryBrowseButtonShowsItsDialogAndWritesOnlyWhenConfirmed) {
    // Under UTF-8 the names come from outside every legacy code page.
    const std::wstring outside = AnsiCodePageIsUtf8() ? L" " + UnicodeName : L"";
    const std::wstring other = LoadSample(L"Other" + outside + L".lnk");
    LoadSample();
    const std::wstring file = TestSupport::WriteFile(folder / (L"Other" + outside + L".txt"), "o");
    const std::wstring sub = folder / (L"Sub" + outside);
    const std::wstring saved = folder / (L"Saved" + outside); // as typed: no extension is added
    CreateDirectoryW(sub.c_str(), nullptr);
    const std::wstring desktop = SpecialFolderName(CSIDL_DESKTOP);
    // The dialog as shown, the choice (typed or selected) and the field that shows it.
    // Save as comes last, when there are changes to save.
    const std::tuple<int, std::wstring, std::wstring, int> rows[] = {
        {0, L"ショートカットファイルを開く|Report.lnk|ShellLink Files (*.lnk;*.pif;*.url)", other,
         0},
        {2, L"リンク先の指定|Report.txt|All Files (*.*)", file, 1},
        {3, L"リンク先の指定|" + desktop, sub, 1},
        {4, L"引数の指定|Notes.txt|All Files (*.*)", file, 2},
        {5, L"引数の指定|" + desktop, sub, 2},
        {6, L"作業ディレクトリの指定|" + SpecialFolderName(CSIDL_DRIVES), sub, 3},
        {1,
         L"名前を付けてショートカットファイルを保存する|Other" + outside +
             L".lnk|ShellLink Files (*.lnk)",
         saved, 0},
    };
    for (const auto& [index, shown, chosen, field] : rows) {
        SCOPED_TRACE(testing::Message() << "browse " << index);
        const std::vector<std::wstring> before = StateOf(*form);
        std::wstring seen;
        EXPECT_TRUE(Click(form->cmdBrowse(index), {[&](HWND d) {
                              seen = Look(d);
                              PressButton(d, IDCANCEL);
                          }}));
        EXPECT_TRUE(SameText(seen, ThroughAnsi(shown))) << seen;
        EXPECT_EQ(StateOf(*form), before);

        EXPECT_TRUE(Click(form->cmdBrowse(index), {[&](HWND d) { Choose(d, chosen); }}));
        EXPECT_TRUE(SameText(form->txtText(field).Text(), chosen)) << form->txtText(field).Text();
        EXPECT_EQ(form->LinkFile()->FileName(), index == 1 ? saved : other);
        // Opened: loaded, nothing to save. Saved: not loaded again, commands as they were.
        EXPECT_EQ(StateOf(*form).back(), index < 2 ? before.back() : L"3");
    }
    EXPECT_FALSE(form->LinkFile()->FileIsDirty());
    EXPECT_NE(GetFileAttributesW(saved.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Wine's icon picker is a stub that answers -1 at once without a dialog, so the
// picker's binding answers here: shell32.dll, icon 5, confirmed or not.
int pickerAnswer = 0;
int WINAPI AnswerPicker(HWND, void* path, UINT capacity, int* index) {
    lstrcpynW(static_cast<wchar_t*>(path), L"shell32.dll", static_cast<int>(capacity));
    *index = 5;
    return pickerAnswer;
}

TEST_F(EditorCommands, IconChoiceStoresTheLocationAndShowsItsIcon) {
    LoadSample();
    const std::vector<std::wstring> before = StateOf(*form);
    ScopedBinding<DialogPlatform::PickIconFunction> pick(DialogPlatform::PickIconCall(),
                                                         AnswerPicker);
    pickerAnswer = 0;
    Click(form->cmdIcon());
    EXPECT_EQ(StateOf(*form), before);
    EXPECT_EQ(form->CurrentField(), frmMain::FieldIcon);

    pickerAnswer = 1;
    Click(form->cmdIcon());
    EXPECT_EQ(form->LinkFile()->IconPath(), L"shell32.dll");
    EXPECT_EQ(form->LinkFile()->IconIndex(), 5);
    EXPECT_TRUE(IsIcon(IconShownBy(form->cmdIcon())));
    EXPECT_NE(StateOf(*form)[11], before[11]); // another icon shows
    EXPECT_TRUE(CommandsEnabled(true));
}

TEST_F(EditorCommands, UpdateSavesToTheFileAndDisablesOkAndUpdate) {
    const std::wstring link = LoadSample();
    form->txtText(2).Text(L"-updated");
    Click(form->cmdCommand(2));
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(CommandsEnabled(false));
    // The click gave Update the focus and its border; disabled, it gives both up.
    EXPECT_EQ(GetFocus(), nullptr);
    for (const int command : {0, 2})
        EXPECT_EQ(GetWindowLongPtrW(form->cmdCommand(command).Handle(), GWL_STYLE) & BS_TYPEMASK,
                  command == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    ShellLinkFile saved;
    ASSERT_TRUE(saved.FileLoad(link));
    EXPECT_EQ(saved.LinkArgument(), L"-updated");
}

// Wine's save writes no environment-variable block: the target found only there is saved.
TEST_F(EditorCommands, UpdateKeepsATargetFoundOnlyInTheEnvironmentBlock) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"TARNWICK_TEST_DATA", folder.Path().c_str()));
    const std::wstring link = TestSupport::WriteFile(
        folder / L"installed.lnk",
        TestSupport::EnvironmentOnlyShortcut(L"%TARNWICK_TEST_DATA%\\App\\app.exe"));
    form->txtText(0).Text(link);
    form->Show();
    form->txtText(2).Text(L"-edited");
    Click(form->cmdCommand(2));
    ShellLinkFile saved;
    ASSERT_TRUE(saved.FileLoad(link));
    EXPECT_EQ(saved.LinkToName(), folder / L"App\\app.exe");
    EXPECT_EQ(form->txtText(1).Text(), saved.LinkToName());
    SetEnvironmentVariableW(L"TARNWICK_TEST_DATA", nullptr);
}

TEST_F(EditorCommands, UnnamedShortcutIsSavedThroughSaveAsAfterTheOverwriteQuestion) {
    const std::wstring taken = TestSupport::WriteFile(folder / L"Taken.lnk", "old");
    form->Show();
    form->txtText(4).Text(L"new");
    EXPECT_TRUE(Click(form->cmdCommand(2), {[](HWND d) { PressButton(d, IDCANCEL); }}));
    EXPECT_EQ(form->txtText(0).Text(), L"");
    EXPECT_TRUE(CommandsEnabled(true));

    EXPECT_TRUE(Click(form->cmdCommand(2),
                      {[&](HWND d) { Choose(d, taken); }, [](HWND d) { PressButton(d, IDYES); }}));
    EXPECT_EQ(form->txtText(0).Text(), taken);
    EXPECT_TRUE(CommandsEnabled(false));
    ShellLinkFile saved;
    ASSERT_TRUE(saved.FileLoad(taken));
    EXPECT_EQ(saved.LinkDescription(), L"new");
}

TEST_F(EditorCommands, OkKeepsTheWindowWhenTheSaveFailsButNotWhenSaveAsIsCancelled) {
    const std::wstring sub = folder / L"Gone";
    CreateDirectoryW(sub.c_str(), nullptr);
    const std::wstring link = LoadSample(L"Gone\\Report.lnk");
    form->txtText(4).Text(L"unsaved");
    ASSERT_TRUE(DeleteFileW(link.c_str()) && RemoveDirectoryW(sub.c_str()));
    Click(form->cmdCommand(0));
    EXPECT_TRUE(form->IsLoaded());
    EXPECT_TRUE(CommandsEnabled(true));
    // Close drops the changes at once, without a question.
    EXPECT_TRUE(Click(form->cmdCommand(1)));
    EXPECT_FALSE(form->IsLoaded());

    form->Show();
    form->txtText(4).Text(L"dropped");
    EXPECT_TRUE(Click(form->cmdCommand(0), {[](HWND d) { PressButton(d, IDCANCEL); }}));
    EXPECT_FALSE(form->IsLoaded());
}

// Real key strokes, through the system's input queue and the toolkit's message loop.
void PressKey(WORD key) {
    INPUT strokes[2] = {};
    for (INPUT& stroke : strokes) {
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = key;
    }
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, strokes, sizeof(INPUT));
    for (int round = 0; round < 10; ++round, Sleep(10))
        Toolkit::DoEvents();
}

// Enter runs OK, which saves and closes, unless another button has the focus.
TEST_F(EditorCommands, EnterRunsOkOnlyWhileEnabledAndEscapeRunsCloseFromAnyControl) {
    const std::wstring link = LoadSample();
    SetForegroundWindow(form->WindowHandle());
    form->txtText(4).SetFocus();
    PressKey(VK_RETURN);
    EXPECT_TRUE(form->IsLoaded());
    form->txtText(4).Text(L"by Enter");
    PressKey(VK_RETURN);
    EXPECT_FALSE(form->IsLoaded());

    // The controls are made again with every load.
    const auto reopenWithAChangeOn = [&](Control& focus) {
        form->txtText(0).Text(link);
        form->Show();
        SetForegroundWindow(form->WindowHandle());
        form->txtText(2).Text(L"dropped");
        focus.SetFocus();
    };
    for (const bool onButton : {false, true}) {
        reopenWithAChangeOn(onButton ? static_cast<Control&>(form->cmdBrowse(3))
                                     : form->txtText(4));
        PressKey(VK_ESCAPE);
        EXPECT_FALSE(form->IsLoaded()) << onButton;
    }
    // A focused button takes Enter itself: Enter on Close saves nothing.
    reopenWithAChangeOn(form->cmdCommand(1));
    PressKey(VK_RETURN);
    EXPECT_FALSE(form->IsLoaded());
    ShellLinkFile saved;
    ASSERT_TRUE(saved.FileLoad(link));
    EXPECT_EQ(saved.LinkDescription(), L"by Enter");
    EXPECT_NE(saved.LinkArgument(), L"dropped");
}

// What the editor hands each of its eight dialogs, seen through the dialog bindings;
// every dialog answers cancel.
struct Handed {
    std::wstring dialog{}, initial{}, filter{}; // the filter's parts each followed by '|'
    DWORD flags = 0;
    int index = 0; // the filter index, or the icon's
    int root = -1; // the folder tree's root as a special folder, or -1
    bool operator==(const Handed&) const = default;
};
Handed handed;

void PrintTo(const Handed& h, std::ostream* out) {
    *out << testing::PrintToString(std::vector{h.dialog, h.initial, h.filter}) << std::hex
         << " flags 0x" << h.flags << std::dec << " index " << h.index << " root " << h.root;
}

std::wstring FromAnsi(const char* text) {
    return FunctionShell::StringFromPointer(reinterpret_cast<FunctionObject::PointerValue>(text),
                                            false);
}

Handed FileDialogHanded(const wchar_t* dialog, const OPENFILENAMEA& parameters) {
    Handed seen{.dialog = dialog, .initial = FromAnsi(parameters.lpstrFile)};
    for (const char* part = parameters.lpstrFilter; part && *part; part += lstrlenA(part) + 1)
        seen.filter += FromAnsi(part) + L"|";
    seen.flags = parameters.Flags;
    seen.index = static_cast<int>(parameters.nFilterIndex);
    return seen;
}

BOOL WINAPI HandOpen(OPENFILENAMEA* parameters) {
    handed = FileDialogHanded(L"open", *parameters);
    return FALSE;
}

BOOL WINAPI HandSave(OPENFILENAMEA* parameters) {
    handed = FileDialogHanded(L"save", *parameters);
    return FALSE;
}

LPITEMIDLIST WINAPI HandFolder(BROWSEINFOA* parameters) {
    // The initial selection reaches the dialog through its callback, from the dialog class.
    handed = {.dialog = L"folder",
              .initial = reinterpret_cast<const DialogFolder*>(parameters->lParam)->FolderName()};
    handed.flags = parameters->ulFlags;
    LPITEMIDLIST computer = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
    if (parameters->pidlRoot && parameters->pidlRoot->mkid.cb == 0)
        handed.root = CSIDL_DESKTOP;
    else if (parameters->pidlRoot && ILIsEqual(parameters->pidlRoot, computer))
        handed.root = CSIDL_DRIVES;
    CoTaskMemFree(computer);
    return nullptr;
}

int WINAPI HandIcon(HWND, void* path, UINT, int* index) {
    handed = {.dialog = L"icon", .initial = static_cast<const wchar_t*>(path)};
    handed.index = *index;
    return 0;
}

TEST_F(EditorCommands, EveryDialogIsHandedItsNameFilterAndFlags) {
    using namespace DialogPlatform;
    const ScopedBinding<FileDialogFunction> open(GetOpenFileNameCall(), HandOpen);
    const ScopedBinding<FileDialogFunction> save(GetSaveFileNameCall(), HandSave);
    const ScopedBinding<BrowseForFolderFunction> folders(BrowseForFolderCall(), HandFolder);
    const ScopedBinding<PickIconFunction> icons(PickIconCall(), HandIcon);
    const std::wstring link = LoadSample();
    form->LinkFile()->IconPath(L"shell32.dll");
    form->LinkFile()->IconIndex(3);
    const std::wstring target = form->txtText(1).Text(), argument = form->txtText(2).Text();
    constexpr DWORD Open = OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    constexpr DWORD Save =
        OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
    const std::wstring shortcuts = L"ShellLink Files (*.lnk;*.pif;*.url)|*.lnk;*.pif;*.url|";
    const std::wstring all = L"All Files (*.*)|*.*|";
    const std::pair<Control*, Handed> rows[] = {
        {&form->cmdBrowse(0), {L"open", link, shortcuts, 0x100004 | Open, 1}},
        {&form->cmdBrowse(1),
         {L"save", link, L"ShellLink Files (*.lnk)|*.lnk|", 0x100006 | Save, 1}},
        {&form->cmdBrowse(2), {L"open", target, all, OFN_HIDEREADONLY | Open, 1}},
        {&form->cmdBrowse(3), {L"folder", target, L"", 0, 0, CSIDL_DESKTOP}},
        {&form->cmdBrowse(4), {L"open", argument, all, OFN_HIDEREADONLY | Open, 1}},
        {&form->cmdBrowse(5), {L"folder", argument, L"", 0, 0, CSIDL_DESKTOP}},
        {&form->cmdBrowse(6), {L"folder", folder.Path().wstring(), L"", 0, 0, CSIDL_DRIVES}},
        {&form->cmdIcon(), {L"icon", L"shell32.dll", L"", 0, 3}},
    };
    for (const auto& [button, expected] : rows) {
        handed = {};
        Click(*button);
        EXPECT_EQ(handed, expected);
    }
}

// A write into a field counts even when the field already shows the text.
TEST_F(EditorCommands, ChoosingWhatAFieldAlreadyShowsStillCounts) {
    const std::wstring link = LoadSample();
    const std::wstring target = form->txtText(1).Text();
    EXPECT_TRUE(Click(form->cmdBrowse(2), {[&](HWND d) { Choose(d, target); }}));
    EXPECT_TRUE(form->LinkFile()->FileIsDirty());
    EXPECT_TRUE(CommandsEnabled(true));

    // Opening the shortcut that is open loads it again: the unsaved change goes.
    form->txtText(2).Text(L"unsaved");
    EXPECT_TRUE(Click(form->cmdBrowse(0), {[&](HWND d) { Choose(d, link); }}));
    EXPECT_EQ(form->LinkFile()->LinkArgument(), form->txtText(2).Text());
    EXPECT_NE(form->txtText(2).Text(), L"unsaved");
    EXPECT_TRUE(CommandsEnabled(false));
}

// After a save as, through its button or through Update of an unnamed shortcut,
// typing still writes through.
TEST_F(EditorCommands, TypingAfterASaveAsWritesThroughAndEnablesOkAndUpdate) {
    for (const bool unnamed : {false, true}) {
        SCOPED_TRACE(unnamed ? "Update of an unnamed shortcut" : "the save-as button");
        const std::wstring saved = folder / (unnamed ? L"New.lnk" : L"Copy.lnk");
        if (unnamed) {
            form->Show();
            form->txtText(4).Text(L"new");
        } else {
            LoadSample();
        }
        EXPECT_TRUE(Click(unnamed ? form->cmdCommand(2) : form->cmdBrowse(1),
                          {[&](HWND d) { Choose(d, saved); }}));
        EXPECT_EQ(form->txtText(0).Text(), saved);
        Type(form->txtText(4), L"typed ");
        EXPECT_EQ(form->LinkFile()->LinkDescription(), form->txtText(4).Text());
        EXPECT_NE(form->txtText(4).Text().find(L"typed "), std::wstring::npos);
        EXPECT_TRUE(CommandsEnabled(true));
        form->Unload();
    }
}

TEST_F(EditorCommands, ARelativeNameIsSavedWhereItWasReadWhereverADialogWent) {
    const std::wstring links = folder / L"Links", data = folder / L"Data";
    CreateDirectoryW(links.c_str(), nullptr);
    CreateDirectoryW(data.c_str(), nullptr);
    const std::wstring link = WriteSampleShortcut(
        {.target = TestSupport::WriteFile(data + L"\\Report.txt", "r")}, L"Links\\Report.lnk");
    const std::wstring chosen = TestSupport::WriteFile(data + L"\\Other.txt", "o");
    const CurrentDirectory inLinks(links);
    form->txtText(0).Text(L"Report.lnk");
    EXPECT_EQ(form->txtText(0).Text(), link);
    form->Show();
    EXPECT_TRUE(Click(form->cmdBrowse(2), {[&](HWND d) { Choose(d, chosen); }}));
    EXPECT_FALSE(SameText(CurrentDirectory::Now(), links)) << "the dialog moved it";
    Click(form->cmdCommand(2));
    ShellLinkFile saved;
    ASSERT_TRUE(saved.FileLoad(link));
    EXPECT_TRUE(SameText(saved.LinkToName(), chosen));
    EXPECT_EQ(GetFileAttributesW((data + L"\\Report.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A shortcut as Windows writes one, byte by byte: the target by its location block, and
// a description, relative path and arguments in UTF-16, then one extra data block (the
// console's code page) that the shell keeps for whoever wrote it.
constexpr std::uint32_t HasLinkInfo = 0x2, HasName = 0x4, HasRelativePath = 0x8,
                        HasArguments = 0x20, IsUnicode = 0x80;
constexpr std::uint32_t ConsoleCodePageBlock = 0xA0000004;

std::string WindowsMadeShortcut(const std::string& target, const std::wstring& description,
                                const std::wstring& relative, const std::wstring& arguments) {
    std::string bytes;
    const auto put = [&bytes](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(value >> (8 * i));
    };
    const auto putText = [&](const std::wstring& text) {
        put(static_cast<std::uint32_t>(text.size()), 2);
        for (const wchar_t character : text)
            put(character, 2);
    };
    put(0x4C, 4);
    for (const int byte : {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46})
        put(byte, 1);
    put(HasLinkInfo | HasName | HasRelativePath | HasArguments | IsUnicode, 4);
    put(FILE_ATTRIBUTE_ARCHIVE, 4);
    bytes.append(3 * 8 + 4 + 4, '\0'); // times, file size, icon index
    put(SW_SHOWNORMAL, 4);             // show command
    bytes.append(2 + 2 + 4 + 4, '\0'); // hot key, reserved
    const std::uint32_t volumeSize = 17, pathAt = 0x1C + volumeSize;
    const auto linkInfoSize = static_cast<std::uint32_t>(pathAt + target.size() + 2);
    for (const std::uint32_t value : {linkInfoSize, 0x1Cu, 1u, 0x1Cu, pathAt, 0u,
                                      static_cast<std::uint32_t>(pathAt + target.size() + 1)})
        put(value, 4);
    for (const std::uint32_t value : {volumeSize, 3u /* fixed drive */, 0x1234ABCDu, 0x10u})
        put(value, 4);
    bytes += '\0';                 // the volume label
    bytes += target + '\0' + '\0'; // the local path, then the empty common suffix
    putText(description);
    putText(relative);
    putText(arguments);
    put(0xC, 4);
    put(ConsoleCodePageBlock, 4);
    put(932, 4);
    put(0, 4); // the end of the extra data
    return bytes;
}

// The shell on Windows keeps what it does not change; Wine's shortcut object rewrites
// the whole file from what it understood.
TEST_F(EditorCommands, AShortcutMadeByWindowsKeepsItsPartsWhenSaved) {
    const std::wstring target = TestSupport::WriteFile(folder / L"Report.txt", "r");
    const std::string ansiTarget(target.begin(), target.end()); // the temporary path is ASCII
    const std::wstring link = TestSupport::WriteFile(
        folder / L"Windows.lnk", WindowsMadeShortcut(ansiTarget, L"old", L".\\Report.txt", L"/a"));
    form->txtText(0).Text(link);
    form->Show();
    ASSERT_EQ(form->txtText(2).Text(), L"/a");
    form->txtText(4).Text(L"edited");
    Click(form->cmdCommand(2));

    ShortcutFields saved;
    ASSERT_TRUE(ReadShortcut(link, saved));
    EXPECT_EQ(saved.description, L"edited");
    EXPECT_TRUE(SameText(saved.target, target)) << saved.target;
    const std::string bytes = ReadFileBytes(link);
    ASSERT_GE(bytes.size(), 0x4Cu);
    std::uint32_t flags = 0;
    std::memcpy(&flags, bytes.data() + 0x14, 4);
    const char signature[] = {0x04, 0x00, 0x00, static_cast<char>(0xA0)};
    std::vector<std::string> lost;
    if (!(flags & HasRelativePath))
        lost.push_back("the relative path's flag (its text is still written)");
    if (bytes.find(std::string_view(signature, 4)) == std::string::npos)
        lost.push_back("the extra data block");
    if (saved.arguments != L"/a")
        lost.push_back(saved.arguments == L".\\Report.txt"
                           ? "the arguments (the relative path reads back in their place)"
                           : "the arguments");
    if (!lost.empty() && RunningUnderWine())
        GTEST_SKIP() << "Wine's shortcut object rewrites a Windows-made shortcut and loses: "
                     << testing::PrintToString(lost) << " (the shell on Windows keeps them)";
    EXPECT_TRUE(lost.empty()) << testing::PrintToString(lost);
}

// Names from outside every legacy code page. The fields show them whole; under UTF-8 a
// save keeps them, under a legacy code page a save that would store substitutes fails,
// leaving the file as it was and the window open with OK and Update.
TEST_F(EditorCommands, UnicodeNamesAreShownEditedAndSavedWhole) {
    const std::wstring& name = UnicodeName;
    const std::wstring place = folder / name;
    ASSERT_TRUE(CreateDirectoryW(place.c_str(), nullptr));
    const std::wstring target = TestSupport::WriteFile(place + L"\\" + name + L".txt", "x");
    const std::wstring link = WriteSampleShortcut(
        {.target = target, .arguments = L"/" + name, .directory = place, .description = name},
        name + L".lnk");
    form->txtText(0).Text(link);
    form->Show();
    const bool utf8 = AnsiCodePageIsUtf8();
    // The target by its item ID list, under any code page.
    EXPECT_EQ(Fields(*form), (std::vector<std::wstring>{link, target, L"/" + name, place, name}));

    const std::string before = ReadFileBytes(link);
    for (const std::wstring& description : {L"edited " + name, std::wstring(L"plain")}) {
        const bool held = utf8 || description == L"plain";
        form->txtText(4).Text(description);
        EXPECT_EQ(form->txtText(4).Text(), description); // as typed, held or not
        Click(form->cmdCommand(2));
        EXPECT_TRUE(CommandsEnabled(!held));
        if (!held) {
            EXPECT_EQ(ReadFileBytes(link), before);
            Click(form->cmdCommand(0));
            EXPECT_TRUE(form->IsLoaded());
            continue;
        }
        // The fields not edited keep their names whole, whatever the window could show.
        ShortcutFields saved;
        ASSERT_TRUE(ReadShortcut(link, saved));
        EXPECT_EQ(saved.description, description);
        EXPECT_EQ(saved.arguments, L"/" + name);
        EXPECT_EQ(saved.directory, place);
        ShellLinkFile reread;
        ASSERT_TRUE(reread.FileLoad(link));
        EXPECT_EQ(reread.LinkToName(), target);
        if (!utf8 && saved.target != target && RunningUnderWine())
            GTEST_SKIP() << "Wine's shortcut object keeps the target's location only in the "
                            "saving process's code page, here with substitutes (Windows adds a "
                            "Unicode copy); its item ID list, which the editor reads, is whole";
        EXPECT_EQ(saved.target, target);
    }
}

} // namespace

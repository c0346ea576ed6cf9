#include "editor/frmMain.h"
#include "shell/DragData.h"
#include "shell/FunctionShell.h"
#include "tests/support/DataObjectStub.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using TestSupport::BlockData;
using TestSupport::MyComputerName;
using TestSupport::ShellDataFor;
using Toolkit::Control;

constexpr DWORD Allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// Enter, then over and leave, or drop, as the platform's drag loop calls a target.
DWORD Drag(IDropTarget* target, IDataObject* data, bool drop = false) {
    DWORD effect = Allowed;
    target->DragEnter(data, MK_LBUTTON, {}, &effect);
    effect = Allowed;
    if (drop) {
        target->Drop(data, 0, {}, &effect);
        return effect;
    }
    target->DragOver(MK_LBUTTON, {}, &effect);
    target->DragLeave();
    return effect;
}

bool SameName(const std::wstring& left, const std::wstring& right) {
    return CompareStringOrdinal(left.c_str(), -1, right.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class EditorDrops : public testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(inner.c_str(), nullptr);
        CreateDirectoryW(unicodeInner.c_str(), nullptr);
        EXPECT_TRUE(CopyFileW(TestSupport::ThisProgramPath().c_str(), unicodeIcons.c_str(), FALSE));
        // The arguments show which shortcut opened.
        for (const std::wstring& path : {first, second, capitals})
            EXPECT_TRUE(TestSupport::WriteShortcut(path, {.target = text, .arguments = path}));
    }
    void TearDown() override { form->Unload(); }

    TestSupport::TempDirectory folder;
    const std::wstring text = TestSupport::WriteFile(folder / L"Report.txt", "report");
    const std::wstring inner = folder / L"Inner";
    const std::wstring first = folder / L"First.lnk";
    const std::wstring second = folder / L"Second.lnk";
    const std::wstring capitals = folder / L"CAPITALS.LNK";
    const std::wstring icons = L"C:\\windows\\system32\\shell32.dll";
    // Names outside every legacy code page: a folder, and a program with an icon (this one).
    const std::wstring unicodeInner = folder / (L"Inner " + TestSupport::UnicodeName);
    const std::wstring unicodeIcons = folder / (TestSupport::UnicodeName + L".exe");
    const bool utf8 = TestSupport::AnsiCodePageIsUtf8();
    std::shared_ptr<frmMain> form = frmMain::Create();
};

TEST_F(EditorDrops, EveryTargetAnswersByTheRuleOfTheCurrentField) {
    const std::wstring names = inner + std::wstring(2, L'\0');
    BlockData fileListOnly(
        CF_HDROP,
        TestSupport::FileListBlock(
            true, std::string(reinterpret_cast<const char*>(names.data()), names.size() * 2)));
    BlockData words(CF_TEXT, std::string("dropped words\0", 14));
    // An ANSI file list: only UTF-8 holds the name.
    BlockData ansiList(
        CF_HDROP,
        TestSupport::FileListBlock(false, FunctionShell::AnsiFromString(unicodeInner).value_or("") +
                                              std::string(2, '\0')));
    const InterfaceReference<IDataObject> shell[] = {
        ShellDataFor({text}),         ShellDataFor({inner}),          ShellDataFor({first, text}),
        ShellDataFor({capitals}),     ShellDataFor({MyComputerName}), ShellDataFor({icons}),
        ShellDataFor({unicodeInner}), ShellDataFor({unicodeIcons})};
    // Windows offers no file list for a virtual folder; Wine makes up a path for it.
    const char computerArgument =
        FunctionShell::FileNameFromData(shell[4].Get()).empty() ? '0' : '1';
    // Accepted by field 0 to 5.
    const std::vector<std::pair<IDataObject*, std::string>> cases = {
        {shell[0].Get(), "011000"},
        {shell[1].Get(), "011100"},
        {shell[2].Get(), "111000"}, // two items: the first, a shortcut, counts
        {shell[3].Get(), "011000"}, // ".LNK" in capitals is no shortcut name
        {shell[4].Get(), std::string("01") + computerArgument + "000"},
        {shell[5].Get(), "011001"},
        {&fileListOnly, "011100"},
        {&words, "000000"},
        // A name a legacy code page cannot hold is no file there: no folder, no icons.
        {shell[6].Get(), utf8 ? "011100" : "011000"},
        {shell[7].Get(), utf8 ? "011001" : "011000"},
        {&ansiList, utf8 ? "011100" : "010000"}};
    form->Show();
    const HWND focus = GetFocus();
    std::vector<IDropTarget*> neutral{form->DropTargetObject(),
                                      form->lblCaption().DropTargetObject()};
    for (int command = 0; command < frmMain::CommandCount; ++command)
        neutral.push_back(form->cmdCommand(command).DropTargetObject());
    for (std::size_t row = 0; row < cases.size(); ++row) {
        for (int field = 0; field < frmMain::FieldCount; ++field) {
            SCOPED_TRACE(testing::Message() << "row " << row << ", field " << field);
            const DWORD expected = cases[row].second[field] == '1' ? DROPEFFECT_LINK : 0;
            Control* own = field == frmMain::FieldIcon ? static_cast<Control*>(&form->cmdIcon())
                                                       : &form->txtText(field);
            for (Control* selector : {static_cast<Control*>(&form->lblText(field)), own}) {
                form->txtText_GotFocus(static_cast<std::int16_t>((field + 1) % 6));
                EXPECT_EQ(Drag(selector->DropTargetObject(), cases[row].first), expected);
                EXPECT_EQ(form->CurrentField(), field); // kept after the leave
                EXPECT_TRUE(form->lblText(field).FontBold());
            }
            for (IDropTarget* target : neutral)
                EXPECT_EQ(Drag(target, cases[row].first), expected);
            EXPECT_EQ(form->CurrentField(), field);
        }
    }
    EXPECT_EQ(GetFocus(), focus);
    // The browse buttons refuse every drop, even a folder the field beside them takes.
    form->txtText_GotFocus(frmMain::FieldDirectory);
    for (int button = 0; button < frmMain::BrowseButtonCount; ++button)
        for (const bool drop : {false, true})
            EXPECT_EQ(Drag(form->cmdBrowse(button).DropTargetObject(), shell[1].Get(), drop),
                      DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(form->txtText(frmMain::FieldDirectory).Text(), L"");
}

TEST_F(EditorDrops, DropsFillTheFieldOfTheirRule) {
    const auto drop = [](Control& onto, std::vector<std::wstring> names) {
        return Drag(onto.DropTargetObject(), ShellDataFor(names).Get(), true);
    };
    EXPECT_EQ(drop(form->txtText(0), {first, second}), DWORD{DROPEFFECT_LINK});
    EXPECT_EQ(form->txtText(0).Text(), first);
    EXPECT_EQ(form->txtText(2).Text(), first);

    // A shortcut as target is not followed; a virtual folder has no path.
    drop(form->lblText(1), {capitals});
    EXPECT_TRUE(SameName(form->txtText(1).Text(), capitals));
    EXPECT_TRUE(form->cmdCommand(0).Enabled());
    drop(form->txtText(1), {MyComputerName});
    EXPECT_TRUE(SameName(form->txtText(1).Text(), MyComputerName)) << form->txtText(1).Text();
    BlockData fileListOnly(CF_HDROP, TestSupport::FileListBlock(false, std::string("C:\\\0\0", 5)));
    EXPECT_EQ(Drag(form->txtText(1).DropTargetObject(), &fileListOnly, true),
              DWORD{DROPEFFECT_LINK});
    EXPECT_TRUE(SameName(form->txtText(1).Text(), MyComputerName));
    // Data that names nothing (an item that Computer does not know) leaves the target.
    const FunctionShell::ItemIDList computer = FunctionShell::SpecialFolderItemIDList(CSIDL_DRIVES);
    const std::string parent = TestSupport::ListBytes(computer.Get());
    BlockData unknownItem(TestSupport::ShellIDListClipFormat(),
                          TestSupport::Bytes32(1) + TestSupport::Bytes32(12) +
                              TestSupport::Bytes32(static_cast<std::uint32_t>(12 + parent.size())) +
                              parent + std::string("\x03\x00\xFF\x00\x00", 5));
    Drag(form->txtText(1).DropTargetObject(), &unknownItem, true);
    EXPECT_TRUE(SameName(form->txtText(1).Text(), MyComputerName)) << form->txtText(1).Text();

    drop(form->txtText(2), {inner});
    EXPECT_EQ(form->LinkFile()->LinkArgument(), inner);
    EXPECT_EQ(drop(form->txtText(3), {text}), DWORD{DROPEFFECT_NONE});
    drop(form->lblText(3), {inner});
    EXPECT_EQ(form->LinkFile()->LinkDirectory(), inner);
    drop(form->lblText(3), {unicodeInner});
    EXPECT_EQ(form->LinkFile()->LinkDirectory(), utf8 ? unicodeInner : inner);

    form->txtText(0).Text(second);
    ASSERT_FALSE(form->cmdCommand(2).Enabled());
    drop(form->cmdIcon(), {text});
    EXPECT_EQ(form->LinkFile()->IconPath(), L"");
    drop(form->lblText(5), {icons});
    EXPECT_TRUE(SameName(form->LinkFile()->IconPath(), icons));
    EXPECT_EQ(form->LinkFile()->IconIndex(), 0);
    EXPECT_NE(form->cmdIcon().Picture(), nullptr);
    EXPECT_EQ(SendMessageW(form->cmdIcon().Handle(), BM_GETIMAGE, IMAGE_ICON, 0),
              reinterpret_cast<LRESULT>(form->cmdIcon().Picture()));
    EXPECT_TRUE(form->cmdCommand(0).Enabled() && form->cmdCommand(2).Enabled());
    drop(form->lblText(5), {unicodeIcons});
    EXPECT_TRUE(SameName(form->LinkFile()->IconPath(), utf8 ? unicodeIcons : icons));
}

// Led by the mouse: drops when the left button is up; gives up after a few seconds,
// so that a lost button release cannot hang the test.
class MouseDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape || GetTickCount() - started_ > 5000)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    DWORD started_ = GetTickCount();
};

void SendMouse(DWORD flags, POINT at = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &input, sizeof input);
}

TEST_F(EditorDrops, AWholeDragWithTheMouseFromAnotherFieldOntoTheFileName) {
    const auto data = ShellDataFor({first});
    form->Show();
    SetForegroundWindow(form->WindowHandle());
    RECT from{}, to{};
    GetWindowRect(form->txtText(2).Handle(), &from);
    GetWindowRect(form->txtText(0).Handle(), &to);
    SendMouse(MOUSEEVENTF_MOVE, {from.left + 20, from.top + 5});
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    // The drag loop reads the button from the thread's key state: let the press arrive.
    for (int wait = 0; wait < 50 && GetKeyState(VK_LBUTTON) >= 0; ++wait, Sleep(10))
        Toolkit::DoEvents();
    std::thread mouse([&to] {
        for (int step = 0; step < 4; ++step, Sleep(150))
            SendMouse(MOUSEEVENTF_MOVE, {to.left + 20 + step, to.top + 5});
        SendMouse(MOUSEEVENTF_LEFTUP);
    });
    MouseDropSource source;
    DWORD effect = 0;
    const HRESULT result = DoDragDrop(data.Get(), &source, Allowed, &effect);
    mouse.join();
    if (result == DRAGDROP_S_CANCEL)
        GTEST_SKIP() << "the platform's drag loop did not follow the synthetic mouse";
    EXPECT_EQ(result, DRAGDROP_S_DROP);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_LINK}); // never the move that the source allowed
    EXPECT_EQ(form->CurrentField(), frmMain::FieldFileName);
    EXPECT_EQ(form->txtText(2).Text(), first);
}

} // namespace

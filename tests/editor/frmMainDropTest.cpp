#include "editor/frmMain.h"
#include "shell/DragData.h"
#include "tests/support/DataObjectStub.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using TestSupport::BlockData;
using TestSupport::ComHolder;
using TestSupport::ShellDataFor;
using Toolkit::Control;

constexpr DWORD Allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
constexpr DWORD Link = DROPEFFECT_LINK;
constexpr DWORD None = DROPEFFECT_NONE;
constexpr wchar_t Computer[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

std::wstring SystemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

// A file list of one wide name, and nothing else.
std::string FileList(const std::wstring& name) {
    const std::wstring names = name + std::wstring(2, L'\0');
    return TestSupport::FileListBlock(
        true, std::string(reinterpret_cast<const char*>(names.data()), names.size() * 2));
}

class EditorDrops : public testing::Test {
protected:
    void SetUp() override {
        folderPath = folder / L"Inner";
        CreateDirectoryW(folderPath.c_str(), nullptr);
        textFile = TestSupport::WriteFile(folder / L"Report.txt", "report");
        TestSupport::ShortcutFields fields;
        fields.target = textFile;
        fields.arguments = L"/first";
        shortcut = folder / L"First.lnk";
        EXPECT_TRUE(TestSupport::WriteShortcut(shortcut, fields));
        fields.arguments = L"/second";
        EXPECT_TRUE(TestSupport::WriteShortcut(folder / L"Second.lnk", fields));
        capitals = folder / L"CAPITALS.LNK";
        EXPECT_TRUE(TestSupport::WriteShortcut(capitals, fields));
    }
    void TearDown() override { form->Unload(); }

    // Enter and over the target; the answers to both must agree.
    DWORD DragOver(IDropTarget* target, IDataObject* data) {
        DWORD entered = Allowed;
        DWORD over = Allowed;
        target->DragEnter(data, MK_LBUTTON, {0, 0}, &entered);
        target->DragOver(MK_LBUTTON, {0, 0}, &over);
        target->DragLeave();
        EXPECT_EQ(entered, over);
        return entered;
    }
    DWORD Drop(Control& control, IDataObject* data) {
        IDropTarget* target = control.DropTargetObject();
        DWORD effect = Allowed;
        target->DragEnter(data, MK_LBUTTON, {0, 0}, &effect);
        effect = Allowed;
        target->Drop(data, 0, {0, 0}, &effect);
        return effect;
    }
    // The text box, label or button that makes a field current.
    std::vector<Control*> SelectorsOf(int field) {
        std::vector<Control*> selectors{&form->lblText(field)};
        selectors.push_back(field == frmMain::FieldIcon ? static_cast<Control*>(&form->cmdIcon())
                                                        : &form->txtText(field));
        return selectors;
    }

    TestSupport::TempDirectory folder;
    std::wstring folderPath, textFile, shortcut, capitals;
    std::shared_ptr<frmMain> form = frmMain::Create();
};

TEST_F(EditorDrops, EveryTargetAnswersByTheRuleOfTheCurrentField) {
    BlockData text(CF_TEXT, std::string("dropped words\0", 14));
    BlockData fileListOnly(CF_HDROP, FileList(folderPath));
    struct Case {
        const wchar_t* what;
        IDataObject* data;
        std::array<bool, frmMain::FieldCount> accepted; // by field 0-5
    };
    const auto shell = [](std::vector<std::wstring> names) { return ShellDataFor(names); };
    const ComHolder<IDataObject> owned[] = {
        shell({textFile}),          shell({folderPath}), shell({shortcut}),
        shell({capitals}),          shell({Computer}),   shell({SystemFile(L"shell32.dll")}),
        shell({shortcut, textFile})};
    for (const auto& data : owned)
        ASSERT_TRUE(data);
    const std::vector<Case> cases = {
        {L"text file", owned[0].get(), {false, true, true, false, false, false}},
        {L"folder", owned[1].get(), {false, true, true, true, false, false}},
        {L"shortcut", owned[2].get(), {true, true, true, false, false, false}},
        {L".LNK in capitals", owned[3].get(), {false, true, true, false, false, false}},
        // Windows offers no file list for it; Wine makes up a path under the Desktop.
        {L"virtual folder",
         owned[4].get(),
         {false, true, !FunctionShell::FileNameFromData(owned[4].get()).empty(), false, false,
          false}},
        {L"program with icons", owned[5].get(), {false, true, true, false, false, true}},
        {L"shortcut and file", owned[6].get(), {true, true, true, false, false, false}},
        {L"file list only", &fileListOnly, {false, true, true, true, false, false}},
        {L"text only", &text, {false, false, false, false, false, false}},
    };
    form->Show();
    const HWND focus = GetFocus();
    std::vector<IDropTarget*> neutral{form->DropTargetObject(),
                                      form->lblCaption().DropTargetObject()};
    for (int command = 0; command < frmMain::CommandCount; ++command)
        neutral.push_back(form->cmdCommand(command).DropTargetObject());
    for (const Case& drag : cases) {
        for (int field = 0; field < frmMain::FieldCount; ++field) {
            SCOPED_TRACE(testing::Message() << drag.what << ", field " << field);
            const DWORD expected = drag.accepted[field] ? Link : None;
            for (Control* selector : SelectorsOf(field)) {
                form->txtText_GotFocus(static_cast<std::int16_t>((field + 1) % 6));
                EXPECT_EQ(DragOver(selector->DropTargetObject(), drag.data), expected);
                // The leave keeps the field; the bold label and prompt follow it.
                EXPECT_EQ(form->CurrentField(), field);
                EXPECT_TRUE(form->lblText(field).FontBold());
            }
            for (IDropTarget* target : neutral) {
                ASSERT_NE(target, nullptr);
                EXPECT_EQ(DragOver(target, drag.data), expected);
                EXPECT_EQ(form->CurrentField(), field);
            }
        }
    }
    EXPECT_EQ(GetFocus(), focus);
    for (int button = 0; button < frmMain::BrowseButtonCount; ++button)
        EXPECT_EQ(form->cmdBrowse(button).DropTargetObject(), nullptr);
}

TEST_F(EditorDrops, DropsFillTheFieldOfTheirRule) {
    const auto dropped = [this](Control& control, std::vector<std::wstring> names) {
        const ComHolder<IDataObject> data = ShellDataFor(names);
        EXPECT_TRUE(data);
        return data ? Drop(control, data.get()) : None;
    };
    // Several shortcuts onto the file name: the first one opens.
    EXPECT_EQ(dropped(form->txtText(0), {shortcut, folder / L"Second.lnk"}), Link);
    EXPECT_EQ(form->txtText(0).Text(), shortcut);
    EXPECT_EQ(form->txtText(1).Text(), textFile);
    EXPECT_EQ(form->txtText(2).Text(), L"/first");

    // A shortcut onto the target is not followed: the shortcut file is the target.
    EXPECT_EQ(dropped(form->lblText(1), {capitals}), Link);
    EXPECT_EQ(form->txtText(1).Text(), capitals);
    EXPECT_TRUE(form->cmdCommand(0).Enabled());
    EXPECT_EQ(dropped(form->txtText(1), {Computer}), Link);
    EXPECT_EQ(CompareStringOrdinal(form->txtText(1).Text().c_str(), -1, Computer, -1, TRUE),
              CSTR_EQUAL)
        << form->txtText(1).Text();
    BlockData fileListOnly(CF_HDROP, FileList(folderPath));
    EXPECT_EQ(Drop(form->txtText(1), &fileListOnly), Link);
    EXPECT_EQ(CompareStringOrdinal(form->txtText(1).Text().c_str(), -1, Computer, -1, TRUE),
              CSTR_EQUAL);

    EXPECT_EQ(dropped(form->txtText(2), {folderPath}), Link);
    EXPECT_EQ(form->LinkFile()->LinkArgument(), folderPath);

    EXPECT_EQ(dropped(form->txtText(3), {textFile}), None);
    EXPECT_EQ(form->txtText(3).Text(), L"");
    EXPECT_EQ(dropped(form->lblText(3), {folderPath}), Link);
    EXPECT_EQ(form->LinkFile()->LinkDirectory(), folderPath);

    EXPECT_EQ(dropped(form->txtText(4), {textFile}), None);
    EXPECT_EQ(form->txtText(4).Text(), L"");
}

TEST_F(EditorDrops, AFileWithIconsOntoTheIconSetsIconZeroAndEnablesOkAndUpdate) {
    form->txtText(0).Text(shortcut);
    ASSERT_FALSE(form->cmdCommand(0).Enabled());
    EXPECT_EQ(Drop(form->cmdIcon(), ShellDataFor({textFile}).get()), None);
    EXPECT_EQ(form->LinkFile()->IconPath(), L"");

    const std::wstring icons = SystemFile(L"shell32.dll");
    EXPECT_EQ(Drop(form->lblText(5), ShellDataFor({icons}).get()), Link);
    EXPECT_EQ(
        CompareStringOrdinal(form->LinkFile()->IconPath().c_str(), -1, icons.c_str(), -1, TRUE),
        CSTR_EQUAL);
    EXPECT_EQ(form->LinkFile()->IconIndex(), 0);
    const HICON shown =
        reinterpret_cast<HICON>(SendMessageW(form->cmdIcon().Handle(), BM_GETIMAGE, IMAGE_ICON, 0));
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(shown, form->cmdIcon().Picture());
    EXPECT_TRUE(form->cmdCommand(0).Enabled());
    EXPECT_TRUE(form->cmdCommand(2).Enabled());
}

// A drag source led by the mouse: it drops when the left button is up, and gives up
// after a few seconds so that a lost button release cannot hang the test.
class MouseDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object =
            IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
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

POINT CentreOf(const Control& control) {
    RECT bounds{};
    GetWindowRect(control.Handle(), &bounds);
    return {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
}

void SendMouse(DWORD flags, POINT at = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof input);
}

TEST_F(EditorDrops, AWholeDragWithTheMouseFromAnotherFieldOntoTheFileName) {
    const ComHolder<IDataObject> data = ShellDataFor({shortcut});
    ASSERT_TRUE(data);
    form->Show();
    SetForegroundWindow(form->WindowHandle());
    const POINT start = CentreOf(form->txtText(2));
    const POINT end = CentreOf(form->txtText(0));
    SendMouse(MOUSEEVENTF_MOVE, start);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    // The drag loop reads the button from the thread's key state: let the press arrive.
    for (int wait = 0; wait < 50 && GetKeyState(VK_LBUTTON) >= 0; ++wait) {
        Toolkit::DoEvents();
        Sleep(10);
    }
    std::thread mouse([start, end] {
        for (int step = 1; step <= 4; ++step) {
            Sleep(150);
            SendMouse(MOUSEEVENTF_MOVE, {start.x + (end.x - start.x) * step / 4,
                                         start.y + (end.y - start.y) * step / 4});
        }
        Sleep(150);
        SendMouse(MOUSEEVENTF_LEFTUP);
    });
    MouseDropSource source;
    DWORD effect = None;
    const HRESULT result = DoDragDrop(data.get(), &source, Allowed, &effect);
    mouse.join();
    if (result == DRAGDROP_S_CANCEL && form->CurrentField() != frmMain::FieldFileName)
        GTEST_SKIP() << "the platform's drag loop did not follow the synthetic mouse";
    EXPECT_EQ(result, DRAGDROP_S_DROP);
    EXPECT_EQ(effect, Link); // never the move the source allowed
    EXPECT_EQ(form->CurrentField(), frmMain::FieldFileName);
    EXPECT_EQ(form->txtText(0).Text(), shortcut);
    EXPECT_EQ(form->txtText(2).Text(), L"/first");
}

} // namespace

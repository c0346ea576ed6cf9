// The editor program, run as a process of its own on a real shortcut and watched
// from outside through its window.
#include "tests/launcher/ProgramRun.h"
#include "tests/support/ShortcutDamages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

BOOL CALLBACK CollectFields(HWND window, LPARAM parameter) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (lstrcmpiW(className, L"Edit") == 0) {
        wchar_t text[MAX_PATH] = {};
        // Asked by message: the text of another process's control is not cached.
        SendMessageW(window, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(text));
        reinterpret_cast<std::vector<std::wstring>*>(parameter)->push_back(text);
    }
    return TRUE;
}

// What the editor showed of a shortcut, and how it ended when its window was closed.
struct EditorRun {
    bool shown = false;
    std::vector<std::wstring> texts; // its text fields, in order
    bool ended = false;
    DWORD exitCode = ~0u;
};

EditorRun RunEditor(const std::wstring& arguments, const std::wstring& currentDirectory = L"") {
    const std::wstring program = TestSupport::ProgramPath();
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    EditorRun run;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                        &started))
        return run;
    CloseHandle(started.hThread);

    // Shown once the shortcut is loaded.
    HWND editor = nullptr;
    for (int waited = 0; waited < 30000 && !IsWindowVisible(editor); waited += 50, Sleep(50))
        editor = FindWindowW(nullptr, L"ShellLink without TypeLibrary");
    run.shown = editor != nullptr;
    if (editor) {
        EnumChildWindows(editor, CollectFields, reinterpret_cast<LPARAM>(&run.texts));
        run.texts.resize(std::max<std::size_t>(run.texts.size(), 2)); // missing fields read empty
        PostMessageW(editor, WM_CLOSE, 0, 0);
    }
    run.ended = WaitForSingleObject(started.hProcess, 30000) == WAIT_OBJECT_0;
    GetExitCodeProcess(started.hProcess, &run.exitCode);
    if (!run.ended)
        TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hProcess);
    return run;
}

// The shortcut by its full name in quotes, or by a name relative to the program's
// current directory: the window shows the full name either way.
class EditorProgram : public testing::TestWithParam<bool> {};

TEST_P(EditorProgram, OpensTheShortcutAndEndsWhenItsWindowCloses) {
    const bool relative = GetParam();
    TestSupport::TempDirectory folder;
    const std::wstring target = TestSupport::WriteFile(folder / L"Report.txt", "report");
    const std::wstring link = folder / L"My Report.lnk";
    ASSERT_TRUE(TestSupport::WriteShortcut(link, {.target = target}));

    const EditorRun run = relative ? RunEditor(L"My Report.lnk", folder.Path().wstring())
                                   : RunEditor(L"\"" + link + L"\"");
    ASSERT_TRUE(run.shown);
    EXPECT_EQ(run.texts[0], link);
    EXPECT_EQ(run.texts[1], target);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(QuotedOrRelative, EditorProgram, testing::Bool());

// Each row of the damage and shape tables, one test each: the editor refuses the damaged
// shortcut and shows the sound shape's target, and ends as it should.
class EditorProgramOnChangedShortcut : public testing::TestWithParam<std::size_t> {};

TEST_P(EditorProgramOnChangedShortcut, ShowsItAndEndsWhenItsWindowCloses) {
    const bool damaged = TestSupport::IsDamageRow(GetParam());
    SCOPED_TRACE(TestSupport::ChangeRow(GetParam()).what);
    TestSupport::TempDirectory folder;
    const std::wstring target = TestSupport::WriteFile(folder / L"Report.txt", "report");
    const std::wstring link = folder / L"Changed.lnk";
    ASSERT_TRUE(
        TestSupport::WriteChangedShortcut(link, target, TestSupport::ChangeRow(GetParam())));

    const EditorRun run = RunEditor(L"\"" + link + L"\"");
    ASSERT_TRUE(run.shown);
    // A load that failed leaves the new, unnamed shortcut.
    EXPECT_EQ(run.texts[0], damaged ? L"" : link);
    EXPECT_EQ(run.texts[1], damaged ? L"" : target);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, EditorProgramOnChangedShortcut,
                         testing::Range<std::size_t>(0, TestSupport::ChangeRows));

} // namespace

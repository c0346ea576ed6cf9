// The editor program, run as a process of its own on a real shortcut and watched
// from outside through its window.
#include "tests/launcher/ProgramRun.h"
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

// The shortcut by its full name in quotes, or by a name relative to the program's
// current directory: the window shows the full name either way.
class EditorProgram : public testing::TestWithParam<bool> {};

TEST_P(EditorProgram, OpensTheShortcutAndEndsWhenItsWindowCloses) {
    const bool relative = GetParam();
    TestSupport::TempDirectory folder;
    const std::wstring target = TestSupport::WriteFile(folder / L"Report.txt", "report");
    const std::wstring link = folder / L"My Report.lnk";
    ASSERT_TRUE(TestSupport::WriteShortcut(link, {.target = target}));

    const std::wstring program = TestSupport::ProgramPath();
    std::wstring commandLine =
        L"\"" + program + L"\" " + (relative ? L"My Report.lnk" : L"\"" + link + L"\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, relative ? folder.Path().c_str() : nullptr, &startup,
                               &started));
    CloseHandle(started.hThread);

    // Shown once the shortcut is loaded.
    HWND editor = nullptr;
    for (int waited = 0; waited < 30000 && !IsWindowVisible(editor); waited += 50, Sleep(50))
        editor = FindWindowW(nullptr, L"ShellLink without TypeLibrary");
    if (editor) {
        std::vector<std::wstring> texts;
        EnumChildWindows(editor, CollectFields, reinterpret_cast<LPARAM>(&texts));
        texts.resize(std::max<std::size_t>(texts.size(), 2)); // missing fields read empty
        EXPECT_EQ(texts[0], link);
        EXPECT_EQ(texts[1], target);
        PostMessageW(editor, WM_CLOSE, 0, 0);
    }
    const bool ended = WaitForSingleObject(started.hProcess, 30000) == WAIT_OBJECT_0;
    DWORD exitCode = ~0u;
    GetExitCodeProcess(started.hProcess, &exitCode);
    if (!ended)
        TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hProcess);
    EXPECT_TRUE(editor);
    EXPECT_TRUE(ended);
    EXPECT_EQ(exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(QuotedOrRelative, EditorProgram, testing::Bool());

} // namespace

// The startup window and the launcher's run in this process, with the real editor
// window and the process start swapped for a recorder.
#include "launcher/Form1.h"
#include "resources/resource.h"
#include "tests/launcher/StartRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring CaptionOf(HWND window) {
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    return caption;
}

TEST(LauncherForm1, ArgumentsWithoutAPathLeaveTheWindowHiddenAndStartNothing) {
    const TestSupport::ScopedStartRecorder recorder;
    for (const wchar_t* arguments : {L"", L"\"", L"\"\""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        auto form = Launcher::Form1::Create(arguments);
        form->Load();
        EXPECT_FALSE(form->Started());
        ASSERT_TRUE(form->WindowHandle());
        EXPECT_FALSE(IsWindowVisible(form->WindowHandle()));
        EXPECT_EQ(CaptionOf(form->WindowHandle()), L"Tarnwick");
        EXPECT_TRUE(SendMessageW(form->WindowHandle(), WM_GETICON, ICON_BIG, 0));
        form->Unload();
    }
    EXPECT_EQ(recorder.Record().calls, 0);
}

TEST(LauncherForm1, ShortcutResolvedByTheEditorGivesTheTargetsFolder) {
    TestSupport::TempDirectory temp;
    ASSERT_TRUE(CreateDirectoryW((temp / L"Data").c_str(), nullptr));
    TestSupport::ShortcutFields fields;
    fields.target = TestSupport::WriteFile(temp / L"Data\\Report.txt", "report");
    const std::wstring link = temp / L"Report.lnk";
    ASSERT_TRUE(TestSupport::WriteShortcut(link, fields));

    EXPECT_EQ(Launcher::TargetFromEditor(link), fields.target);
    EXPECT_EQ(Launcher::TargetFromEditor(fields.target), L"");

    const TestSupport::ScopedStartRecorder recorder;
    auto form = Launcher::Form1::Create(L"\"" + link + L"\"");
    form->Load();
    // The recorder refuses the start: the run ends all the same, reporting it.
    EXPECT_FALSE(form->Started());
    ASSERT_EQ(recorder.Record().calls, 1);
    EXPECT_EQ(recorder.Record().commandLine, L"EXPLORER.EXE /n,/e," + (temp / L"Data") + L"\\");
    EXPECT_FALSE(IsWindowVisible(form->WindowHandle()));
    form->Unload();
}

} // namespace

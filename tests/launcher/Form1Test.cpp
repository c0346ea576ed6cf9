// The startup window and the launcher's run in this process, with the real editor
// window and the process start swapped for a recorder.
#include "launcher/Form1.h"
#include "resources/resource.h"
#include "tests/launcher/StartRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(LauncherForm1, ArgumentsWithoutAPathLeaveTheWindowHiddenAndStartNothing) {
    const TestSupport::ScopedStartRecorder recorder;
    for (const wchar_t* arguments : {L"", L"\"", L"\"\""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        auto form = Launcher::Form1::Create(arguments);
        form->Load();
        EXPECT_FALSE(form->Started());
        ASSERT_TRUE(form->WindowHandle());
        EXPECT_FALSE(IsWindowVisible(form->WindowHandle()));
        EXPECT_EQ(TestSupport::WindowText(form->WindowHandle()), L"Tarnwick");
        EXPECT_TRUE(SendMessageW(form->WindowHandle(), WM_GETICON, ICON_BIG, 0));
        form->Unload();
    }
    EXPECT_EQ(recorder.Record().calls, 0);
}

TEST(LauncherForm1, ShortcutResolvedByTheEditorGivesTheTargetsFolder) {
    TestSupport::TempDirectory temp;
    ASSERT_TRUE(CreateDirectoryW((temp / L"Data").c_str(), nullptr));
    const std::wstring target = TestSupport::WriteFile(temp / L"Data\\Report.txt", "report");
    const std::wstring link = temp / L"Report.lnk";
    ASSERT_TRUE(TestSupport::WriteShortcut(link, {.target = target}));

    EXPECT_EQ(Launcher::TargetFromEditor(link), target);
    EXPECT_EQ(Launcher::TargetFromEditor(target), L"");

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

int questions = 0;
int answer = IDNO;
int WINAPI Answer(HWND, LPCWSTR, LPCWSTR, UINT) {
    ++questions;
    return answer;
}

// Send To hands a multiple selection over as several paths: each resolves through
// the editor in turn, and each distinct folder opens once.
TEST(LauncherForm1, EachDistinctFolderOfAMultipleSelectionOpensOnce) {
    TestSupport::TempDirectory temp;
    std::vector<std::wstring> folders; // A0 .. A16, each with a document in it
    for (int i = 0; i <= 16; ++i) {
        folders.push_back(temp / (L"A" + std::to_wstring(i)));
        ASSERT_TRUE(CreateDirectoryW(folders.back().c_str(), nullptr));
        TestSupport::WriteFile(folders.back() + L"\\Report.txt", "report");
    }
    const auto shortcutTo = [&](int folder, const std::wstring& name) {
        EXPECT_TRUE(
            TestSupport::WriteShortcut(temp / name, {.target = folders[folder] + L"\\Report.txt"}));
        return temp / name;
    };
    const std::wstring one = shortcutTo(1, L"one.lnk"), two = shortcutTo(2, L"two 2.lnk");
    const std::wstring alsoOne = shortcutTo(1, L"also one.lnk");
    const ScopedBinding<Launcher::Binding::QuestionFunction> ask(Launcher::Binding::QuestionCall(),
                                                                 Answer);
    const auto opened = [](const std::wstring& arguments) {
        const TestSupport::ScopedStartRecorder recorder;
        questions = 0;
        auto form = Launcher::Form1::Create(arguments);
        form->Load();
        form->Unload();
        return recorder.Record().commandLines;
    };
    const auto explorerOn = [&](int folder) {
        return L"EXPLORER.EXE /n,/e," + folders[folder] + L"\\";
    };

    // Quoted and unquoted paths mixed; a document that is no shortcut opens its own folder.
    EXPECT_EQ(opened(L"\"" + two + L"\" " + one + L" \"" + alsoOne + L"\" " + folders[3] +
                     L"\\Report.txt"),
              (std::vector{explorerOn(2), explorerOn(1), explorerOn(3)}));
    EXPECT_EQ(questions, 0);
    // One unquoted path with a blank is still one path.
    EXPECT_EQ(opened(two), std::vector{explorerOn(2)});

    std::wstring many; // documents in 17 folders: asked once, and No opens none
    for (int i = 0; i <= 16; ++i)
        many += L"\"" + folders[i] + L"\\Report.txt\" ";
    answer = IDNO;
    EXPECT_TRUE(opened(many).empty());
    EXPECT_EQ(questions, 1);
    answer = IDYES;
    EXPECT_EQ(opened(many).size(), 17u);
    EXPECT_EQ(questions, 1);
}

} // namespace

// The startup window and the launcher's run in this process, with the real editor
// window and the process start swapped for a recorder.
#include "launcher/Form1.h"
#include "launcher/Launch.h"
#include "resources/resource.h"
#include "tests/launcher/StartRecorder.h"
#include "tests/support/ShortcutDamages.h"
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
    // The clock a benchmark binds sees each step of the run once, in order.
    static std::vector<Launcher::Step> steps;
    const ScopedBinding<Launcher::Binding::ClockFunction> clock(
        Launcher::Binding::ClockCall(), [](Launcher::Step reached) { steps.push_back(reached); });
    auto form = Launcher::Form1::Create(L"\"" + link + L"\"");
    form->Load();
    using enum Launcher::Step;
    EXPECT_EQ(steps, (std::vector{FormLoad, EditorLoaded, ShortcutRead, Shown, EditorUnloaded,
                                  ExplorerStarted}));
    // The recorder refuses the start: the run ends all the same, reporting it.
    EXPECT_FALSE(form->Started());
    ASSERT_EQ(recorder.Record().calls, 1);
    EXPECT_EQ(recorder.Record().commandLine, L"EXPLORER.EXE /n,/e," + (temp / L"Data") + L"\\");
    EXPECT_FALSE(IsWindowVisible(form->WindowHandle()));
    form->Unload();
}

TEST(LauncherCommandLine, SplitsSeveralPathsAsWindowsDoes) {
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(Launcher::SplitArguments(L"\"C:\\a b.lnk\" C:\\c.lnk\t\"D:\\d.lnk\""),
              (Paths{L"C:\\a b.lnk", L"C:\\c.lnk", L"D:\\d.lnk"}));
    EXPECT_EQ(Launcher::SplitArguments(L"C:\\a\"b c\"\\d.lnk"), Paths{L"C:\\ab c\\d.lnk"});
    EXPECT_EQ(Launcher::SplitArguments(L"  "), Paths{});
    EXPECT_EQ(Launcher::DistinctFolders({L"C:\\A\\", L"D:\\", L"c:\\a\\", L"D:\\"}),
              (Paths{L"C:\\A\\", L"D:\\"}));
    // One folder by its short name, its long one and with "\.\" in it.
    TestSupport::TempDirectory temp;
    const std::wstring folder = temp / L"A long folder name\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(folder.c_str(), shortName, MAX_PATH), 0u);
    if (folder == shortName)
        GTEST_SKIP() << "the volume keeps no short names";
    EXPECT_EQ(Launcher::DistinctFolders({shortName, folder, temp / L".\\A long folder name\\"}),
              Paths{shortName});
}

int questions = 0;
int answer = IDNO;
int WINAPI Answer(HWND, LPCWSTR, LPCWSTR, UINT) {
    ++questions;
    return answer;
}

// Send To hands a multiple selection over as several paths: each resolves through the
// editor in turn, and each distinct folder opens once. A text that can be one path is
// one path.
TEST(LauncherRun, OneOrSeveralPathsOpenEachDistinctFolderOnce) {
    TestSupport::TempDirectory temp;
    std::vector<std::wstring> folders; // A0 .. A15, each with a document in it
    for (int i = 0; i < 16; ++i) {
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
    const std::wstring report3 = folders[3] + L"\\Report.txt";
    const auto explorerOn = [](const std::wstring& folder) {
        return L"EXPLORER.EXE /n,/e," + folder;
    };
    using Opened = std::vector<std::wstring>;
    // The documents of the first `count` folders, quoted; and their folders opened.
    const auto documents = [&](int count) {
        std::wstring arguments;
        for (int i = 0; i < count; ++i)
            arguments += L"\"" + folders[i] + L"\\Report.txt\" ";
        return arguments;
    };
    const auto each = [&](int count) {
        Opened opened;
        for (int i = 0; i < count; ++i)
            opened.push_back(explorerOn(folders[i] + L"\\"));
        return opened;
    };
    const std::wstring computer = TestSupport::MyComputerName;
    // Each piece of "Data 2026\notes.txt" names an item too: it stays one path.
    for (const wchar_t* made : {L"Data 2026", L"Data", L"2026"}) {
        ASSERT_TRUE(CreateDirectoryW((temp / made).c_str(), nullptr));
        TestSupport::WriteFile(temp / made + L"\\notes.txt", "notes");
    }
    const std::wstring drive = temp.Path().wstring().substr(0, 2);
    // Installers' shortcuts may name their target only through an environment variable.
    ASSERT_TRUE(SetEnvironmentVariableW(L"TARNWICK_TEST_A4", folders[4].c_str()));
    const auto installed = [&](const std::wstring& name, const std::wstring& target) {
        return TestSupport::WriteFile(temp / name, TestSupport::EnvironmentOnlyShortcut(target));
    };
    struct Case {
        const char* what;
        std::wstring arguments;
        Opened opened;
        int questions = 0;
        int answer = IDNO;
    };
    const Case cases[] = {
        {"quoted and unquoted mixed; a document that is no shortcut opens its own folder",
         L"\"" + two + L"\" " + one + L" \"" + alsoOne + L"\" " + report3,
         {explorerOn(folders[2] + L"\\"), explorerOn(folders[1] + L"\\"),
          explorerOn(folders[3] + L"\\")}},
        {"unquoted paths that each name an existing item",
         one + L" " + report3,
         {explorerOn(folders[1] + L"\\"), explorerOn(folders[3] + L"\\")}},
        {"relative paths made full from the current directory, one of them missing",
         L"one.lnk \"A3\\Report.txt\" \"gone 3.lnk\"",
         {explorerOn(folders[1] + L"\\"), explorerOn(folders[3] + L"\\"), explorerOn(temp / L"")}},
        {"one unquoted path with a blank", two, {explorerOn(folders[2] + L"\\")}},
        {"one unquoted missing path with blanks opens its own folder",
         temp / L"No such folder\\gone 2.lnk",
         {explorerOn(temp / L"No such folder\\")}},
        {"a missing path among existing ones: one path",
         one + L" gone.lnk",
         {explorerOn(temp / L"")}},
        {"a shell namespace name passes whole", computer, {explorerOn(computer)}},
        {"one missing item of a bare selection: each folder, the missing one's own",
         one + L" " + (temp / L"gone.lnk") + L" " + report3,
         {explorerOn(folders[1] + L"\\"), explorerOn(temp / L""), explorerOn(folders[3] + L"\\")}},
        {"blanks at either end belong to no path",
         L" \t\"" + two + L"\"  \t",
         {explorerOn(folders[2] + L"\\")}},
        {"an existing path whose pieces exist too stays one",
         temp / L"Data 2026\\notes.txt",
         {explorerOn(temp / L"Data 2026\\")}},
        {"a drive-relative name is made full",
         drive + L"A3\\Report.txt",
         {explorerOn(folders[3] + L"\\")}},
        {"targets only in the environment block, with slashes and a doubled separator: one "
         "folder; an unset variable: its own folder",
         installed(L"installed.lnk", L"%TARNWICK_TEST_A4%\\Report.txt") + L" " +
             installed(L"slashes.lnk", L"%TARNWICK_TEST_A4%/Report.txt") + L" " +
             installed(L"doubled.lnk", L"%TARNWICK_TEST_A4%\\\\Report.txt") + L" " +
             installed(L"unset.lnk", L"%TARNWICK_TEST_UNSET%\\Report.txt"),
         {explorerOn(folders[4] + L"\\"), explorerOn(temp / L"")}},
        {"a drive-relative piece after a blank does not split",
         one + L" " + drive + L"gone.lnk",
         {explorerOn(temp / L"")}},
        {"15 folders open without asking", documents(15), each(15)},
        {"16 folders: asked once, No opens none", documents(16), {}, 1, IDNO},
        {"16 folders: asked once, Yes opens all", documents(16), each(16), 1, IDYES},
    };

    const TestSupport::CurrentDirectory inTemp(temp.Path().wstring());
    const ScopedBinding<Launcher::Binding::QuestionFunction> ask(Launcher::Binding::QuestionCall(),
                                                                 Answer);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TestSupport::ScopedStartRecorder recorder;
        questions = 0;
        answer = c.answer;
        auto form = Launcher::Form1::Create(c.arguments);
        form->Load();
        form->Unload();
        EXPECT_EQ(recorder.Record().commandLines, c.opened);
        EXPECT_EQ(questions, c.questions);
    }
}

} // namespace

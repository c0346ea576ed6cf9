#include "launcher/ExplorerLaunch.h"
#include "tests/launcher/StartRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Launcher::ArgumentsFromCommandLine;
using Launcher::ExplorerCommandLine;
using Launcher::FolderFromTarget;
using Launcher::PathFromArguments;

TEST(LauncherCommandLine, SkipsTheProgramNameAsWindowsDoes) {
    EXPECT_EQ(ArgumentsFromCommandLine(L"tarnwick.exe D:\\Links\\Report.lnk"),
              L"D:\\Links\\Report.lnk");
    EXPECT_EQ(ArgumentsFromCommandLine(L"\"C:\\Program Files\\tarnwick.exe\"   \"D:\\a b.lnk\""),
              L"\"D:\\a b.lnk\"");
    // A quoted name ends at its quote even without a blank after it.
    EXPECT_EQ(ArgumentsFromCommandLine(L"\"C:\\x\\tarnwick.exe\"D:\\a.lnk"), L"D:\\a.lnk");
    EXPECT_EQ(ArgumentsFromCommandLine(L"tarnwick.exe\t\tD:\\a.lnk  "), L"D:\\a.lnk  ");
    EXPECT_EQ(ArgumentsFromCommandLine(L"tarnwick.exe"), L"");
    EXPECT_EQ(ArgumentsFromCommandLine(L"tarnwick.exe   "), L"");
    EXPECT_EQ(ArgumentsFromCommandLine(L"\"C:\\unclosed\\tarnwick.exe D:\\a.lnk"), L"");
    EXPECT_EQ(ArgumentsFromCommandLine(L""), L"");
}

TEST(LauncherCommandLine, RemovesTheFirstAndLastCharacterAfterALeadingQuote) {
    EXPECT_EQ(PathFromArguments(L"\"D:\\Links\\Report.lnk\""), L"D:\\Links\\Report.lnk");
    EXPECT_EQ(PathFromArguments(L"D:\\Links\\Report.lnk"), L"D:\\Links\\Report.lnk");
    // No closing quote: the last character goes all the same.
    EXPECT_EQ(PathFromArguments(L"\"D:\\Links\\Report.lnk"), L"D:\\Links\\Report.ln");
    EXPECT_EQ(PathFromArguments(L"D:\\a b\\\"x\""), L"D:\\a b\\\"x\"");
    EXPECT_EQ(PathFromArguments(L"\"\""), L"");
    EXPECT_EQ(PathFromArguments(L"\""), L"");
    EXPECT_EQ(PathFromArguments(L""), L"");
}

TEST(LauncherCommandLine, KeepsTheTargetUpToItsLastBackslash) {
    EXPECT_EQ(FolderFromTarget(L"D:\\Data\\Report.doc"), L"D:\\Data\\");
    EXPECT_EQ(FolderFromTarget(L"D:\\Data\\Reports"), L"D:\\Data\\");
    EXPECT_EQ(FolderFromTarget(L"D:\\"), L"D:\\");
    EXPECT_EQ(FolderFromTarget(L"\\\\server\\share\\file.txt"), L"\\\\server\\share\\");
    EXPECT_EQ(FolderFromTarget(L"\"D:\\Data\\notes.txt\""), L"\"D:\\Data\\");
    // Without a backslash the whole text is the folder: a virtual folder opens itself.
    EXPECT_EQ(FolderFromTarget(L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"),
              L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_EQ(FolderFromTarget(L"notes.txt"), L"notes.txt");
    EXPECT_EQ(FolderFromTarget(L""), L"");
}

TEST(LauncherCommandLine, QuotesOnlyAFolderWithACommaThatIsNotQuotedYet) {
    EXPECT_EQ(ExplorerCommandLine(L"D:\\Data\\"), L"EXPLORER.EXE /n,/e,D:\\Data\\");
    EXPECT_EQ(ExplorerCommandLine(L"D:\\My Data\\"), L"EXPLORER.EXE /n,/e,D:\\My Data\\");
    EXPECT_EQ(ExplorerCommandLine(L"D:\\a,b\\"), L"EXPLORER.EXE /n,/e,\"D:\\a,b\\\"");
    EXPECT_EQ(ExplorerCommandLine(L"\"D:\\a,b\\"), L"EXPLORER.EXE /n,/e,\"D:\\a,b\\");
    EXPECT_EQ(ExplorerCommandLine(L"\"D:\\Data\\"), L"EXPLORER.EXE /n,/e,\"D:\\Data\\");
    EXPECT_EQ(ExplorerCommandLine(L"D:\\\x65E5\x672C\\"), L"EXPLORER.EXE /n,/e,D:\\\x65E5\x672C\\");
}

TEST(LauncherStart, StartsExplorerFromTheWindowsDirectoryShownNormally) {
    const TestSupport::ScopedStartRecorder recorder;
    const TestSupport::StartRecord& record = recorder.Record();
    EXPECT_FALSE(Launcher::StartExplorer(L"C:\\a,b\\"));
    ASSERT_EQ(record.calls, 1);
    EXPECT_EQ(record.application, TestSupport::WindowsDirectory() + L"EXPLORER.EXE");
    EXPECT_EQ(record.commandLine, L"EXPLORER.EXE /n,/e,\"C:\\a,b\\\"");
    EXPECT_TRUE(record.startupFlags & STARTF_USESHOWWINDOW);
    EXPECT_EQ(record.showWindow, SW_SHOWNORMAL);
    EXPECT_FALSE(record.inheritHandles);
    EXPECT_EQ(record.creationFlags, 0u);
}

TEST(LauncherStart, TheRealStartFindsExplorerInTheWindowsDirectory) {
    const std::wstring application = Launcher::ExplorerApplicationName();
    EXPECT_NE(GetFileAttributesW(application.c_str()), INVALID_FILE_ATTRIBUTES) << application;
}

} // namespace

// The built program, run as its own process on real shortcuts: the Explorer command
// line it starts is read from the started process itself (see ProgramRun.h).
#include "tests/launcher/ProgramRun.h"
#include "tests/support/ShortcutDamages.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace {

using TestSupport::Lower;
using TestSupport::ProgramRun;
using TestSupport::RunProgram;
using TestSupport::TempDirectory;

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// Explorer's command line on a folder, given as the program passes it on.
std::wstring ExplorerOn(const std::wstring& folder) {
    return L"EXPLORER.EXE /n,/e," + folder;
}

// Expects exactly one process started: Explorer from the Windows directory with the
// given command line.
void ExpectExplorerStarted(const ProgramRun& run, const std::wstring& commandLine) {
    ASSERT_TRUE(run.ranToEnd);
    EXPECT_EQ(run.fault, 0u);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.started.size(), 1u);
    EXPECT_EQ(Lower(run.started[0].image),
              Lower(TestSupport::WindowsDirectory() + L"explorer.exe"));
    EXPECT_EQ(run.started[0].commandLine, commandLine);
}

void ExpectNothingStarted(const ProgramRun& run) {
    ASSERT_TRUE(run.ranToEnd);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.started.empty()) << run.started.front().commandLine;
}

class LauncherProgram : public testing::Test {
protected:
    std::wstring Folder(const std::wstring& relative) {
        const std::wstring path = temp / relative;
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    std::wstring Shortcut(const std::wstring& relative, const std::wstring& target) {
        const std::wstring path = temp / relative;
        EXPECT_TRUE(TestSupport::WriteShortcut(path, {.target = target})) << path;
        return path;
    }
    // A document in its own folder and a shortcut to it; returns the shortcut's path.
    std::wstring DocumentShortcut(const std::wstring& folder, const std::wstring& document,
                                  const std::wstring& link) {
        Folder(folder);
        return Shortcut(link, TestSupport::WriteFile(temp / (folder + L"\\" + document), "text"));
    }

    TempDirectory temp;
};

TEST_F(LauncherProgram, ShortcutToAFileOpensTheFolderThatHoldsTheFile) {
    Folder(L"Links");
    const std::wstring link = DocumentShortcut(L"Data", L"Report.txt", L"Links\\Report.lnk");
    ExpectExplorerStarted(RunProgram(Quoted(link)), ExplorerOn(temp / L"Data\\"));
    // A relative name is found from the program's current directory.
    ExpectExplorerStarted(RunProgram(L"Report.lnk", temp / L"Links"), ExplorerOn(temp / L"Data\\"));
}

TEST_F(LauncherProgram, LoadsNeitherTheCommonControlsNorTheCommonDialogs) {
    // Its editor window is gone before it takes a message: no control is painted, no
    // tooltip or file dialog appears, so neither library has anything to do.
    const ProgramRun run = RunProgram(DocumentShortcut(L"Data", L"Report.txt", L"Report.lnk"));
    ExpectExplorerStarted(run, ExplorerOn(temp / L"Data\\"));
    const auto loaded = [&run](const wchar_t* name) {
        return std::find(run.libraries.begin(), run.libraries.end(), name) != run.libraries.end();
    };
    ASSERT_TRUE(loaded(L"ole32.dll")); // libraries are seen at all
    EXPECT_FALSE(loaded(L"comctl32.dll"));
    EXPECT_FALSE(loaded(L"comdlg32.dll"));
}

TEST_F(LauncherProgram, ShortcutToAFolderOpensItsParent) {
    const std::wstring reports = Folder(L"Data");
    Folder(L"Data\\Reports");
    const std::wstring link = Shortcut(L"Reports.lnk", temp / L"Data\\Reports");
    ExpectExplorerStarted(RunProgram(link), ExplorerOn(reports + L"\\"));
}

TEST_F(LauncherProgram, ShortcutToADriveRootOpensTheRoot) {
    const std::wstring link = Shortcut(L"Drive.lnk", L"C:\\");
    ExpectExplorerStarted(RunProgram(Quoted(link)), ExplorerOn(L"C:\\"));
}

TEST_F(LauncherProgram, ShortcutToMyComputerOpensTheVirtualFolderItself) {
    const std::wstring link = temp / L"Computer.lnk";
    {
        PIDLIST_ABSOLUTE computer = nullptr;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
        IShellLinkW* shellLink = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)),
                  S_OK);
        EXPECT_EQ(shellLink->SetIDList(computer), S_OK);
        CoTaskMemFree(computer);
        IPersistFile* file = nullptr;
        ASSERT_EQ(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)),
                  S_OK);
        EXPECT_EQ(file->Save(link.c_str(), TRUE), S_OK);
        file->Release();
        shellLink->Release();
    }
    const ProgramRun run = RunProgram(Quoted(link));
    ASSERT_TRUE(run.ranToEnd);
    ASSERT_EQ(run.started.size(), 1u);
    // The shell writes the class ID in upper case on Windows, in lower case on Wine.
    EXPECT_EQ(Lower(run.started[0].commandLine),
              L"explorer.exe /n,/e,::{20d04fe0-3aea-1069-a2d8-08002b30309d}");
    EXPECT_EQ(run.started[0].commandLine.substr(0, 19), L"EXPLORER.EXE /n,/e,");
}

TEST_F(LauncherProgram, PathThatIsNoShortcutOpensItsOwnFolder) {
    const std::wstring data = Folder(L"Data");
    const std::wstring notes = TestSupport::WriteFile(temp / L"Data\\notes.txt", "notes");
    ExpectExplorerStarted(RunProgram(notes), ExplorerOn(data + L"\\"));
    // Quoted, the fallback keeps the opening quote of the arguments as received.
    ExpectExplorerStarted(RunProgram(Quoted(notes)), ExplorerOn(L"\"" + data + L"\\"));
    // Relative, it is the file of that name in the current directory.
    ExpectExplorerStarted(RunProgram(L"notes.txt", data), ExplorerOn(data + L"\\"));
    ExpectExplorerStarted(RunProgram(Quoted(L"notes.txt"), data), ExplorerOn(L"\"" + data + L"\\"));
}

// A damaged shortcut opens its own folder; one whose change no reader faults on opens
// its target's, as the unchanged file does. One test for each row of both tables.
class LauncherProgramOnChangedShortcut : public LauncherProgram,
                                         public testing::WithParamInterface<std::size_t> {};

TEST_P(LauncherProgramOnChangedShortcut, DamagedShortcutOpensItsOwnFolder) {
    const std::wstring links = Folder(L"Links");
    const std::wstring link = links + L"\\Damaged.lnk";
    const std::wstring data = Folder(L"Data");
    const std::wstring document = TestSupport::WriteFile(temp / L"Data\\Report.txt", "text");
    SCOPED_TRACE(TestSupport::ChangeRow(GetParam()).what);
    ASSERT_TRUE(
        TestSupport::WriteChangedShortcut(link, document, TestSupport::ChangeRow(GetParam())));
    ExpectExplorerStarted(
        RunProgram(link),
        ExplorerOn((TestSupport::IsDamageRow(GetParam()) ? links : data) + L"\\"));
}

INSTANTIATE_TEST_SUITE_P(Rows, LauncherProgramOnChangedShortcut,
                         testing::Range<std::size_t>(0, TestSupport::ChangeRows));

TEST_F(LauncherProgram, AMultipleSelectionOpensEachDistinctFolderOnce) {
    const std::wstring a = DocumentShortcut(L"Data", L"Report.txt", L"a.lnk");
    const std::wstring b = Shortcut(L"b b.lnk", temp / L"Data\\Report.txt");
    Folder(L"Other");
    const std::wstring notes = TestSupport::WriteFile(temp / L"Other\\notes.txt", "notes");
    const ProgramRun run = RunProgram(Quoted(a) + L" " + Quoted(b) + L" " + Quoted(notes));
    ASSERT_TRUE(run.ranToEnd);
    ASSERT_EQ(run.started.size(), 2u);
    EXPECT_EQ(run.started[0].commandLine, ExplorerOn(temp / L"Data\\"));
    EXPECT_EQ(run.started[1].commandLine, ExplorerOn(temp / L"Other\\"));
}

TEST_F(LauncherProgram, EmptyCommandLineOrALoneQuoteStartsNothing) {
    ExpectNothingStarted(RunProgram(L""));
    ExpectNothingStarted(RunProgram(L"\""));
}

TEST_F(LauncherProgram, FolderWithACommaIsQuotedForExplorer) {
    const std::wstring folder = temp / L"Smith, Jones";
    const std::wstring link = DocumentShortcut(L"Smith, Jones", L"Report.txt", L"Report.lnk");
    ExpectExplorerStarted(RunProgram(Quoted(link)), ExplorerOn(Quoted(folder + L"\\")));
}

TEST_F(LauncherProgram, ExplorerBesideTheShortcutIsNeverStarted) {
    const std::wstring link = DocumentShortcut(L"Data", L"Report.txt", L"Report.lnk");
    // Any program will do as the planted one: the test's own exe.
    ASSERT_TRUE(
        CopyFileW(TestSupport::ThisProgramPath().c_str(), (temp / L"EXPLORER.EXE").c_str(), FALSE));
    ExpectExplorerStarted(RunProgram(Quoted(link), temp.Path().wstring()),
                          ExplorerOn(temp / L"Data\\"));
}

// A library planted beside the program under the name of one the process loads after
// its start (the theme library, which the window system loads). Wine is told to
// prefer a library found on the search path over its own, for this program only.
TEST_F(LauncherProgram, ALibraryPlantedBesideTheProgramIsNotLoaded) {
    const std::wstring link = DocumentShortcut(L"Data", L"Report.txt", L"Report.lnk");
    const std::wstring app = Folder(L"App");
    const std::wstring program = app + L"\\tarnwick-planted.exe";
    ASSERT_TRUE(CopyFileW(TestSupport::ProgramPath().c_str(), program.c_str(), FALSE));
    const std::wstring self = TestSupport::ThisProgramPath();
    const std::wstring planted = self.substr(0, self.rfind(L'\\') + 1) + L"planted.dll";
    ASSERT_TRUE(CopyFileW(planted.c_str(), (app + L"\\uxtheme.dll").c_str(), FALSE));
    constexpr wchar_t Overrides[] = L"Software\\Wine\\AppDefaults\\tarnwick-planted.exe";
    constexpr wchar_t NativeFirst[] = L"native,builtin";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER,
                              (std::wstring(Overrides) + L"\\DllOverrides").c_str(), L"uxtheme",
                              REG_SZ, NativeFirst, sizeof NativeFirst),
              ERROR_SUCCESS);
    const ProgramRun run = RunProgram(Quoted(link), app, 60000, program);
    RegDeleteTreeW(HKEY_CURRENT_USER, Overrides);

    ExpectExplorerStarted(run, ExplorerOn(temp / L"Data\\"));
    // The planted library leaves this mark when it is loaded.
    EXPECT_EQ(GetFileAttributesW((app + L"\\uxtheme.dll.loaded").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LauncherProgram, FolderNameOutsideTheAnsiCodePageArrivesIntact) {
    // Hangul is in neither code page 1252 nor 932.
    const std::wstring folder = temp / L"\xD55C\xAE00";
    const std::wstring link = DocumentShortcut(L"\xD55C\xAE00", L"Report.txt", L"Report.lnk");
    ExpectExplorerStarted(RunProgram(Quoted(link)), ExplorerOn(folder + L"\\"));
}

// The launcher's manifest is the program's without Common Controls 6: UTF-8 stays its
// code page.
TEST(LauncherManifest, MakesUtf8TheCodePageWithoutCommonControls6) {
    const HMODULE program =
        LoadLibraryExW(TestSupport::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program);
    const HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(found);
    const std::string_view manifest(
        static_cast<const char*>(LockResource(LoadResource(program, found))),
        SizeofResource(program, found));
    EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string_view::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string_view::npos);
    FreeLibrary(program);
}

TEST_F(LauncherProgram, JapaneseShortcutAndFolderUnderCodePage932) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "needs the ANSI code page 932 (the cp932. run of this test)";
    // "資料", "報告"
    const std::wstring folder = temp / L"\x8CC7\x6599";
    const std::wstring link =
        DocumentShortcut(L"\x8CC7\x6599", L"\x5831\x544A.txt", L"\x5831\x544A.lnk");
    ExpectExplorerStarted(RunProgram(Quoted(link)), ExplorerOn(folder + L"\\"));
}

} // namespace

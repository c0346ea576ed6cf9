#include "dialogs/DialogFile.h"
#include "dialogs/DialogPlatform.h"
#include "shell/FunctionShell.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <tuple>

using namespace TestSupport;

namespace {

// What the dialog class handed to the platform, copied while the buffers live.
struct FileDialogCall {
    int calls = 0;
    OPENFILENAMEA parameters{};
    std::string file;   // all nMaxFile bytes
    std::string filter; // up to and including the first empty string
    std::string directory;
    std::string title;
    // The answer: written into the file buffer when the result is non-zero.
    std::string answer;
    BOOL result = FALSE;
};

FileDialogCall recorded;

// As much as 2048 UTF-16 units would hold, in UTF-8.
constexpr DWORD FileBufferSize = 3 * 2048;

BOOL WINAPI RecordFileDialog(OPENFILENAMEA* parameters) {
    ++recorded.calls;
    recorded.parameters = *parameters;
    recorded.file.assign(parameters->lpstrFile, parameters->nMaxFile);
    const char* end = parameters->lpstrFilter;
    while (*end)
        end += lstrlenA(end) + 1;
    recorded.filter.assign(parameters->lpstrFilter, end + 1);
    recorded.directory = parameters->lpstrInitialDir;
    recorded.title = parameters->lpstrTitle;
    if (recorded.result)
        lstrcpynA(parameters->lpstrFile, recorded.answer.c_str(), parameters->nMaxFile);
    return recorded.result;
}

class DialogFileSeam : public testing::Test {
protected:
    void SetUp() override { recorded = FileDialogCall(); }
    ScopedBinding<DialogPlatform::FileDialogFunction> open_{DialogPlatform::GetOpenFileNameCall(),
                                                            RecordFileDialog};
    ScopedBinding<DialogPlatform::FileDialogFunction> save_{DialogPlatform::GetSaveFileNameCall(),
                                                            RecordFileDialog};
    DialogFile dialog_;
};

// Shows the dialog, types the name into it and confirms; answers the caption it showed.
std::wstring CaptionOfConfirmed(DialogFile& dialog, bool save, const std::wstring& name) {
    std::wstring caption;
    DialogDriver driver({[&](HWND d) {
        caption = WindowText(d);
        TypeFileName(d, name);
        PressButton(d, IDOK);
    }});
    EXPECT_TRUE(dialog.DialogShowModal(save));
    EXPECT_TRUE(driver.Finished());
    return caption;
}

} // namespace

TEST_F(DialogFileSeam, FreshOpenPassesEmptyBuffersAndAddsMustExist) {
    EXPECT_FALSE(dialog_.DialogShowModal(false));

    ASSERT_EQ(recorded.calls, 1);
    const OPENFILENAMEA& p = recorded.parameters;
    EXPECT_EQ(p.lStructSize, sizeof(void*) == 8 ? 136u : 76u);
    EXPECT_EQ(p.hwndOwner, nullptr);
    EXPECT_EQ(p.Flags, DWORD(0x1000 | 0x80000 | 0x200000));
    EXPECT_EQ(p.nMaxFile, FileBufferSize);
    EXPECT_EQ(recorded.file, std::string(FileBufferSize, '\0'));
    EXPECT_EQ(recorded.filter, std::string(1, '\0'));
    EXPECT_EQ(recorded.directory, "");
    EXPECT_EQ(recorded.title, "");
    EXPECT_EQ(p.nFilterIndex, 0u);
    EXPECT_EQ(p.hInstance, nullptr);
    EXPECT_EQ(p.lpstrCustomFilter, nullptr);
    EXPECT_EQ(p.lpstrFileTitle, nullptr);
    EXPECT_EQ(p.lpstrDefExt, nullptr);
    EXPECT_EQ(p.lpfnHook, nullptr);
    EXPECT_EQ(dialog_.FileName(), L"");
    EXPECT_EQ(dialog_.DialogFlags(), 0u);
}

TEST_F(DialogFileSeam, ConfirmedSaveReturnsTheNameAndKeepsEverythingElse) {
    dialog_.FileName(L"C:\\old.lnk");
    dialog_.DialogTitle(L"Save it");
    dialog_.FileDirectory(L"C:\\windows");
    dialog_.FileFilter(std::wstring(L"ShellLink Files (*.lnk)\0*.lnk\0", 30));
    dialog_.FileFilterIndex(1);
    dialog_.DialogFlags(0x100006);
    recorded.result = TRUE;
    recorded.answer = "C:\\new.lnk";

    EXPECT_TRUE(dialog_.DialogShowModal(true));

    const OPENFILENAMEA& p = recorded.parameters;
    EXPECT_EQ(p.Flags, DWORD(0x100006 | 0x2 | 0x4 | 0x800 | 0x80000 | 0x200000));
    EXPECT_EQ(p.nFilterIndex, 1u);
    EXPECT_EQ(recorded.file.substr(0, 11), std::string("C:\\old.lnk\0", 11));
    EXPECT_EQ(recorded.filter, std::string("ShellLink Files (*.lnk)\0*.lnk\0\0", 31));
    EXPECT_EQ(recorded.directory, "C:\\windows");
    EXPECT_EQ(recorded.title, "Save it");
    EXPECT_EQ(dialog_.FileName(), L"C:\\new.lnk");
    EXPECT_EQ(dialog_.DialogFlags(), 0x100006u);
    EXPECT_EQ(dialog_.FileFilterIndex(), 1);
    EXPECT_EQ(dialog_.FileDirectory(), L"C:\\windows");
}

TEST_F(DialogFileSeam, CancelKeepsTheName) {
    dialog_.FileName(L"C:\\kept.lnk");
    recorded.answer = "C:\\never.lnk";
    EXPECT_FALSE(dialog_.DialogShowModal(false));
    EXPECT_EQ(dialog_.FileName(), L"C:\\kept.lnk");
}

TEST_F(DialogFileSeam, UnterminatedFilterStillEndsInsideItsBuffer) {
    dialog_.FileFilter(std::wstring(L"All\0*.*", 7));
    dialog_.DialogShowModal(false);
    EXPECT_EQ(recorded.filter, std::string("All\0*.*\0\0", 9));
}

TEST_F(DialogFileSeam, LongNameIsCutSoTheLastByteStaysNul) {
    dialog_.FileName(std::wstring(7000, L'a'));
    dialog_.DialogShowModal(false);
    EXPECT_EQ(recorded.file, std::string(FileBufferSize - 1, 'a') + '\0');
}

// Characters of 2 (code page 932), 3 and 4 bytes (UTF-8): the last that fits before the
// last byte stays whole, and nothing of the next is kept.
TEST_F(DialogFileSeam, LongUnicodeNameIsCutBetweenCharacters) {
    // A character, its bytes in UTF-8 and in code page 932 (0: not held).
    const std::tuple<std::wstring, std::size_t, std::size_t> rows[] = {{L"\x3042", 3, 2},
                                                                       {L"\U0001F600", 4, 0}};
    for (const auto& [character, utf8, cp932] : rows) {
        const std::size_t bytes = AnsiCodePageIsUtf8() ? utf8 : AnsiCodePageIs932() ? cp932 : 0;
        if (bytes == 0)
            continue;
        std::wstring name;
        while (name.size() < 8000)
            name += character;
        dialog_.FileName(name);
        dialog_.DialogShowModal(false);
        const std::size_t characters = (FileBufferSize - 1) / bytes;
        EXPECT_EQ(recorded.file.find('\0'), characters * bytes);
        EXPECT_EQ(FunctionShell::StringFromBuffer(std::as_bytes(std::span(recorded.file)), false),
                  name.substr(0, characters * character.size()));
    }
}

// A name the code page cannot hold would name another file: the dialog gets none. A
// title shows the code page's default character, never a look-alike (a backslash for
// the yen sign under 932).
TEST_F(DialogFileSeam, UnicodeNameTheCodePageCannotHoldIsLeftOut) {
    const bool utf8 = AnsiCodePageIsUtf8();
    const std::wstring refused = L"C:\\" + (utf8 ? std::wstring(L"a\xD800z") : UnicodeName);
    dialog_.FileName(refused + L".lnk");
    dialog_.FileDirectory(refused);
    dialog_.DialogTitle(L"\x00A5");
    dialog_.DialogShowModal(false);
    EXPECT_EQ(recorded.file, std::string(FileBufferSize, '\0'));
    EXPECT_EQ(recorded.directory, "");
    EXPECT_EQ(recorded.title, utf8 ? "\xC2\xA5" : "?");
}

TEST_F(DialogFileSeam, OwnerWindowIsPassedAndFailedReadsGiveNoOwner) {
    auto form = std::make_shared<DialogTests::WindowForm>();
    ASSERT_NE(form->WindowHandle(), nullptr);
    dialog_.DialogOwner(form);
    dialog_.DialogShowModal(false);
    EXPECT_EQ(recorded.parameters.hwndOwner, form->WindowHandle());

    dialog_.DialogOwner(std::make_shared<DialogTests::ThrowingForm>());
    dialog_.DialogShowModal(true);
    EXPECT_EQ(recorded.parameters.hwndOwner, nullptr);
    EXPECT_EQ(recorded.calls, 2);

    dialog_.DialogOwner(std::make_shared<DialogTests::WindowlessForm>());
    dialog_.DialogShowModal(true);
    EXPECT_EQ(recorded.parameters.hwndOwner, nullptr);
    EXPECT_EQ(recorded.calls, 3);
}

TEST_F(DialogFileSeam, JapaneseTextTravelsInCodePage932) {
    if (!AnsiCodePageIs932())
        GTEST_SKIP() << "Japanese text needs ANSI code page 932";
    dialog_.DialogTitle(L"\x958b\x304f");                                 // 開く
    dialog_.FileFilter(std::wstring(L"\x30ea\x30f3\x30af\0*.lnk\0", 10)); // リンク
    recorded.result = TRUE;
    recorded.answer = "C:\\\x83\x65\x83\x58\x83\x67.lnk"; // テスト

    EXPECT_TRUE(dialog_.DialogShowModal(false));
    EXPECT_EQ(recorded.title, "\x8a\x4a\x82\xad");
    EXPECT_EQ(recorded.filter, std::string("\x83\x8a\x83\x93\x83\x4e\0*.lnk\0\0", 14));
    EXPECT_EQ(dialog_.FileName(), L"C:\\\x30c6\x30b9\x30c8.lnk");
}

// The real common dialogs, finished by the driver.

TEST(DialogFileReal, OpenReturnsTheChosenFileAndShowsTheTitle) {
    TempDirectory directory;
    const std::wstring chosen = WriteFile(directory / L"chosen.txt", "x");
    DialogFile dialog;
    dialog.DialogTitle(L"Choose the target");
    dialog.FileFilter(std::wstring(L"All Files (*.*)\0*.*\0", 20));
    dialog.FileFilterIndex(1);
    EXPECT_EQ(CaptionOfConfirmed(dialog, false, chosen), L"Choose the target");
    EXPECT_EQ(dialog.FileName(), chosen);
}

TEST(DialogFileReal, CancelChangesNothing) {
    DialogFile dialog;
    dialog.FileName(L"C:\\before.lnk");
    DialogDriver driver({[](HWND d) { PressButton(d, IDCANCEL); }});
    EXPECT_FALSE(dialog.DialogShowModal(true));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(dialog.FileName(), L"C:\\before.lnk");
}

TEST(DialogFileReal, SaveOverAnExistingFileAsksFirst) {
    TempDirectory directory;
    const std::wstring existing = WriteFile(directory / L"existing.lnk", "x");
    DialogFile dialog;
    dialog.FileName(existing);
    bool asked = false;
    DialogDriver driver({[](HWND d) { PressButton(d, IDOK); },
                         [&](HWND question) {
                             asked = true;
                             PressButton(question, IDYES);
                         }});
    EXPECT_TRUE(dialog.DialogShowModal(true));
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(asked);
    EXPECT_EQ(dialog.FileName(), existing);
}

// Japanese under code page 932; under UTF-8 names outside every legacy code page too.
TEST(DialogFileReal, UnicodeNameAndTitleRoundTrip) {
    if (!AnsiCodePageIs932() && !AnsiCodePageIsUtf8())
        GTEST_SKIP() << "Japanese text needs ANSI code page 932 or UTF-8";
    const std::wstring outside = AnsiCodePageIsUtf8() ? L" " + UnicodeName : L"";
    TempDirectory directory;
    const std::wstring name = directory / (L"\x30c6\x30b9\x30c8" + outside + L".lnk"); // テスト
    const std::wstring title =
        L"\x540d\x524d\x3092\x4ed8\x3051\x3066\x4fdd\x5b58" + outside; // 名前を付けて保存
    DialogFile dialog;
    dialog.DialogTitle(title);
    EXPECT_EQ(CaptionOfConfirmed(dialog, true, name), title);
    EXPECT_EQ(dialog.FileName(), name);
}

#include "dialogs/DialogIcon.h"
#include "dialogs/DialogPlatform.h"
#include "shell/PlatformBinding.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr std::size_t Capacity = 1024;

// The picker as the dialog class called it; the answer is written back into the
// caller's buffer and index unless `echo` leaves them as they came.
struct PickIconCall {
    int calls = 0;
    HWND owner = nullptr;
    UINT capacity = 0;
    int index = 0;
    std::wstring widePath; // all Capacity characters, when the path is UTF-16
    std::string ansiPath;  // all Capacity bytes, when the path is ANSI
    bool wide = true;      // how the test expects the path to travel
    bool echo = false;
    std::wstring answerWide;
    std::string answerAnsi;
    int answerIndex = 0;
    int result = 1;
};

PickIconCall picked;

int WINAPI RecordPickIcon(HWND owner, void* path, UINT capacity, int* index) {
    ++picked.calls;
    picked.owner = owner;
    picked.capacity = capacity;
    picked.index = *index;
    if (picked.wide)
        picked.widePath.assign(static_cast<const wchar_t*>(path), Capacity);
    else
        picked.ansiPath.assign(static_cast<const char*>(path), Capacity);
    if (!picked.echo) {
        if (picked.wide)
            lstrcpynW(static_cast<wchar_t*>(path), picked.answerWide.c_str(), Capacity);
        else
            lstrcpynA(static_cast<char*>(path), picked.answerAnsi.c_str(), Capacity);
        *index = picked.answerIndex;
    }
    return picked.result;
}

BOOL WINAPI ReportWindows9x(LPOSVERSIONINFOA version) {
    version->dwMajorVersion = 4;
    version->dwMinorVersion = 10;
    version->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}

// The system reports a Windows 9x platform for one scope.
class Windows9x {
public:
    Windows9x() { FunctionShell::Binding::ForgetWindowsNT(); }
    ~Windows9x() { FunctionShell::Binding::ForgetWindowsNT(); }

private:
    ScopedBinding<FunctionShell::Binding::VersionQueryFunction> version_{
        FunctionShell::Binding::VersionQueryCall(), ReportWindows9x};
};

class DialogIconSeam : public testing::Test {
protected:
    void SetUp() override { picked = PickIconCall(); }
    ScopedBinding<DialogPlatform::PickIconFunction> pick_{DialogPlatform::PickIconCall(),
                                                          RecordPickIcon};
    DialogIcon dialog_;
};

} // namespace

TEST_F(DialogIconSeam, FreshPickerOpensOnShell32IconZeroAndReturnsTheChoice) {
    ASSERT_TRUE(FunctionShell::IsWindowsNT()) << "Wine reports the NT family";
    picked.answerWide = L"C:\\windows\\system32\\moricons.dll";
    picked.answerIndex = 7;

    EXPECT_TRUE(dialog_.DialogShowModal());

    ASSERT_EQ(picked.calls, 1);
    EXPECT_EQ(picked.owner, nullptr);
    EXPECT_EQ(picked.capacity, Capacity);
    EXPECT_EQ(picked.index, 0);
    EXPECT_EQ(picked.widePath, L"shell32.dll" + std::wstring(Capacity - 11, L'\0'));
    EXPECT_EQ(dialog_.IconFileName(), L"C:\\windows\\system32\\moricons.dll");
    EXPECT_EQ(dialog_.IconIndex(), 7);
}

TEST_F(DialogIconSeam, CancelAndFailureChangeNothing) {
    dialog_.IconFileName(L"C:\\icons.dll");
    dialog_.IconIndex(3);
    picked.answerWide = L"C:\\other.dll";
    picked.answerIndex = 9;
    for (const int answer : {0, -1}) {
        picked.result = answer;
        EXPECT_FALSE(dialog_.DialogShowModal()) << answer;
        EXPECT_EQ(dialog_.IconFileName(), L"C:\\icons.dll") << answer;
        EXPECT_EQ(dialog_.IconIndex(), 3) << answer;
    }
    EXPECT_EQ(picked.index, 3) << "the picker opens on the icon held";
}

TEST_F(DialogIconSeam, LongNameIsCutAndOwnerIsPassed) {
    auto form = std::make_shared<DialogTests::WindowForm>();
    dialog_.DialogOwner(form);
    dialog_.IconFileName(std::wstring(1500, L'a'));
    picked.echo = true;

    EXPECT_TRUE(dialog_.DialogShowModal());
    EXPECT_EQ(picked.owner, form->WindowHandle());
    EXPECT_EQ(picked.widePath, std::wstring(Capacity - 1, L'a') + L'\0');
    EXPECT_EQ(dialog_.IconFileName(), std::wstring(Capacity - 1, L'a'));

    dialog_.DialogOwner(std::make_shared<DialogTests::ThrowingForm>());
    dialog_.DialogShowModal();
    EXPECT_EQ(picked.owner, nullptr);
}

TEST_F(DialogIconSeam, PathTravelsAsAnsiOutsideTheNtFamily) {
    Windows9x platform;
    picked.wide = false;
    picked.answerAnsi = "C:\\windows\\moricons.dll";
    picked.answerIndex = 2;

    EXPECT_TRUE(dialog_.DialogShowModal());
    EXPECT_EQ(picked.ansiPath, "shell32.dll" + std::string(Capacity - 11, '\0'));
    EXPECT_EQ(dialog_.IconFileName(), L"C:\\windows\\moricons.dll");
    EXPECT_EQ(dialog_.IconIndex(), 2);
}

TEST_F(DialogIconSeam, NameOutsideALegacyCodePageIsNeverHandedWithAStandIn) {
    // U+0101 is in neither code page 1252 nor 932.
    const std::wstring name = L"C:\\\x0101.dll";
    dialog_.IconFileName(name);
    picked.echo = true;
    EXPECT_TRUE(dialog_.DialogShowModal());
    EXPECT_EQ(dialog_.IconFileName(), name);

    Windows9x platform;
    picked.wide = false;
    EXPECT_TRUE(dialog_.DialogShowModal());
    // Whole in UTF-8; a legacy code page hands the picker no name rather than another.
    EXPECT_EQ(dialog_.IconFileName(), TestSupport::AnsiCodePageIsUtf8() ? name : L"");
}

TEST_F(DialogIconSeam, JapaneseNameTravelsInCodePage932) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "Japanese text needs ANSI code page 932";
    Windows9x platform;
    picked.wide = false;
    picked.echo = true;
    dialog_.IconFileName(L"C:\\\x30a2\x30a4\x30b3\x30f3.ico"); // アイコン
    EXPECT_TRUE(dialog_.DialogShowModal());
    EXPECT_EQ(picked.ansiPath.substr(0, 12), "C:\\\x83\x41\x83\x43\x83\x52\x83\x93.");
    EXPECT_EQ(dialog_.IconFileName(), L"C:\\\x30a2\x30a4\x30b3\x30f3.ico");
}

TEST(DialogIconReal, WineStubIsNotTakenForOk) {
    if (!TestSupport::RunningUnderWine())
        GTEST_SKIP() << "Windows shows the real picker, which this test cannot finish";
    // Wine 8's PickIconDlg shows nothing and answers -1 at once.
    DialogIcon dialog;
    dialog.IconIndex(4);
    EXPECT_FALSE(dialog.DialogShowModal());
    EXPECT_EQ(dialog.IconFileName(), L"shell32.dll");
    EXPECT_EQ(dialog.IconIndex(), 4);
}

TEST(DialogIcon, IconAsPictureIsANewPictureOnEveryRead) {
    DialogIcon dialog;
    const FunctionShell::Picture first = dialog.IconAsPicture();
    const FunctionShell::Picture second = dialog.IconAsPicture();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_NE(FunctionShell::IconOfPicture(first), nullptr);
}

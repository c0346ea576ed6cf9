#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"
#include "shell/PlatformBinding.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <vector>

using namespace FunctionShell;
using TestSupport::IsIcon;

namespace {

// Counts the calls that reach a binding and hands them on to the platform.
int extractIconCalls = 0;
HICON WINAPI CountedExtractIcon(HINSTANCE instance, LPCSTR file, UINT index) {
    ++extractIconCalls;
    return ExtractIconA(instance, file, index);
}
HICON WINAPI NotAnIconFile(HINSTANCE, LPCSTR, UINT) {
    ++extractIconCalls;
    return reinterpret_cast<HICON>(1);
}

int createPictureCalls = 0;
HRESULT WINAPI CountedCreatePicture(LPPICTDESC description, REFIID iid, BOOL own, LPVOID* out) {
    ++createPictureCalls;
    return OleCreatePictureIndirect(description, iid, own, out);
}
HRESULT WINAPI FailingCreatePicture(LPPICTDESC, REFIID, BOOL, LPVOID* out) {
    ++createPictureCalls;
    *out = nullptr;
    return E_OUTOFMEMORY;
}

int versionQueries = 0;
BOOL WINAPI CountedVersionQuery(LPOSVERSIONINFOA version) {
    ++versionQueries;
    return GetVersionExA(version);
}
BOOL WINAPI FailingVersionQuery(LPOSVERSIONINFOA) {
    ++versionQueries;
    return FALSE;
}

class IconPictures : public testing::Test {
protected:
    void SetUp() override {
        extractIconCalls = 0;
        createPictureCalls = 0;
        versionQueries = 0;
    }

    static std::wstring SystemFile(const wchar_t* name) {
        wchar_t folder[MAX_PATH] = {};
        GetSystemDirectoryW(folder, MAX_PATH);
        return std::wstring(folder) + L"\\" + name;
    }

    // An icon of our own: the tests can tell whether it still exists.
    static HICON NewIcon() { return CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)); }

    TestSupport::TempDirectory temp;
};

TEST_F(IconPictures, CountsTheIconsOfALibraryAndNoneOfOtherFiles) {
    // shell32.dll holds a few hundred icons; the exact number is the system's business.
    EXPECT_GT(IconCountInFile(L"shell32.dll"), 10);
    EXPECT_EQ(IconCountInFile(SystemFile(L"shell32.dll")), IconCountInFile(L"shell32.dll"));

    EXPECT_EQ(IconCountInFile(TestSupport::WriteFile(temp / L"notes.txt", "just text\r\n")), 0);
    EXPECT_EQ(IconCountInFile(temp / L"missing.dll"), 0);

    const ScopedBinding counted(Binding::ExtractIconCall(), CountedExtractIcon);
    EXPECT_EQ(IconCountInFile(L""), 0);
    EXPECT_EQ(IconCountInFile(std::wstring(L"\0shell32.dll", 12)), 0);
    EXPECT_EQ(extractIconCalls, 0);
}

TEST_F(IconPictures, PictureOfAnIconInALibrary) {
    const Picture picture = IconPictureFromFile(L"shell32.dll", 3);
    ASSERT_TRUE(picture);
    const HICON icon = IconOfPicture(picture);
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(IsIcon(icon));

    // The handed-out interface is the picture's dispatch interface.
    IPictureDisp* disp = nullptr;
    EXPECT_EQ(reinterpret_cast<IUnknown*>(picture.Get())
                  ->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&disp)),
              S_OK);
    if (disp)
        disp->Release();
}

TEST_F(IconPictures, NoPictureWithoutAnIcon) {
    const std::wstring text = TestSupport::WriteFile(temp / L"notes.txt", "just text\r\n");
    EXPECT_FALSE(IconPictureFromFile(text, 0));
    EXPECT_FALSE(IconPictureFromFile(temp / L"missing.ico", 0));
    EXPECT_FALSE(IconPictureFromFile(L"shell32.dll", IconCountInFile(L"shell32.dll") + 100));

    const ScopedBinding counted(Binding::ExtractIconCall(), CountedExtractIcon);
    EXPECT_FALSE(IconPictureFromFile(L"shell32.dll", -1));
    EXPECT_FALSE(IconPictureFromFile(L"", 0));
    EXPECT_FALSE(IconPictureFromFile(std::wstring(L"\0shell32.dll", 12), 0));
    EXPECT_EQ(extractIconCalls, 0);
}

TEST_F(IconPictures, TheAnswerForAFileWithoutIconsIsNoPicture) {
    // ExtractIconA's 1 for "not an icon file" is no handle to wrap.
    const ScopedBinding notAnIconFile(Binding::ExtractIconCall(), NotAnIconFile);
    const ScopedBinding counted(Binding::CreatePictureCall(), CountedCreatePicture);
    EXPECT_FALSE(IconPictureFromFile(L"readme.txt", 0));
    EXPECT_EQ(extractIconCalls, 1);
    EXPECT_EQ(createPictureCalls, 0);
}

TEST_F(IconPictures, AnsiFileNamesReachTheLibrary) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "a Japanese file name needs the ANSI code page 932";
    const std::wstring copy = temp / L"アイコン集.dll";
    ASSERT_TRUE(CopyFileW(SystemFile(L"shell32.dll").c_str(), copy.c_str(), TRUE));
    EXPECT_EQ(IconCountInFile(copy), IconCountInFile(L"shell32.dll"));
    EXPECT_TRUE(IconPictureFromFile(copy, 0));
}

TEST_F(IconPictures, PictureOfTheShellIconOfAnItem) {
    EXPECT_FALSE(IconPictureFromItemIDList(0));

    const ItemIDList folder(ItemIDListFromName(temp.Path().wstring()));
    ASSERT_TRUE(folder);
    const Picture folderPicture = IconPictureFromItemIDList(folder.Get());
    ASSERT_TRUE(folderPicture);
    EXPECT_TRUE(IsIcon(IconOfPicture(folderPicture)));

    const ItemIDList computer(SpecialFolderItemIDList(CSIDL_DRIVES));
    ASSERT_TRUE(computer);
    EXPECT_TRUE(IconPictureFromItemIDList(computer.Get()));
}

TEST_F(IconPictures, ThePictureOwnsItsIcon) {
    const HICON icon = NewIcon();
    ASSERT_TRUE(IsIcon(icon));
    Picture picture = PictureFromIcon(OwnedIcon(icon));
    ASSERT_TRUE(picture);
    EXPECT_EQ(IconOfPicture(picture), icon);
    EXPECT_TRUE(IsIcon(icon));

    picture.Reset();
    EXPECT_FALSE(IsIcon(icon));
    EXPECT_EQ(IconOfPicture(picture), nullptr);
}

TEST_F(IconPictures, AnIconThatCannotBecomeAPictureIsDestroyed) {
    const ScopedBinding failing(Binding::CreatePictureCall(), FailingCreatePicture);
    const HICON icon = NewIcon();
    ASSERT_TRUE(IsIcon(icon));
    EXPECT_FALSE(PictureFromIcon(OwnedIcon(icon)));
    EXPECT_EQ(createPictureCalls, 1);
    EXPECT_FALSE(IsIcon(icon));

    EXPECT_FALSE(PictureFromIcon(OwnedIcon()));
    EXPECT_EQ(createPictureCalls, 1);
}

TEST_F(IconPictures, ManyPicturesLeaveNoHandlesBehind) {
    // Wine answers GetGuiResources with 0; there the icons are checked one by one.
    const HANDLE process = GetCurrentProcess();
    const DWORD userBefore = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD gdiBefore = GetGuiResources(process, GR_GDIOBJECTS);

    std::vector<HICON> icons;
    for (int round = 0; round < 2000; ++round) {
        const HICON icon = NewIcon();
        ASSERT_NE(icon, nullptr) << "round " << round;
        icons.push_back(icon);
        Picture picture = PictureFromIcon(OwnedIcon(icon));
        ASSERT_TRUE(picture);
        if (round % 2 == 0) {
            // The other half through the failure path.
            const ScopedBinding failing(Binding::CreatePictureCall(), FailingCreatePicture);
            EXPECT_FALSE(PictureFromIcon(OwnedIcon(NewIcon())));
        }
    }
    EXPECT_EQ(GetGuiResources(process, GR_USEROBJECTS), userBefore);
    EXPECT_EQ(GetGuiResources(process, GR_GDIOBJECTS), gdiBefore);
    for (const HICON icon : icons)
        ASSERT_FALSE(IsIcon(icon));
}

TEST_F(IconPictures, WindowsNTIsAskedOnceAndRememberedOnlyWhenAnswered) {
    Binding::ForgetWindowsNT();
    {
        const ScopedBinding failing(Binding::VersionQueryCall(), FailingVersionQuery);
        EXPECT_FALSE(IsWindowsNT());
        EXPECT_FALSE(IsWindowsNT());
        EXPECT_EQ(versionQueries, 2);
    }
    versionQueries = 0;
    {
        const ScopedBinding counted(Binding::VersionQueryCall(), CountedVersionQuery);
        // Wine reports the NT platform (2), as every supported Windows does.
        EXPECT_TRUE(IsWindowsNT());
        EXPECT_TRUE(IsWindowsNT());
        EXPECT_EQ(versionQueries, 1);
    }
    Binding::ForgetWindowsNT();
    EXPECT_TRUE(IsWindowsNT());
}

} // namespace

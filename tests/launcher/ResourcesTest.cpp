// The resources linked into this test exe are the program's own.
#include "resources/resource.h"
#include "tarnwick_version.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct BitmapHandle {
    HBITMAP handle;
    ~BitmapHandle() {
        if (handle)
            DeleteObject(handle);
    }
};

TEST(ProgramResources, BrowsePicturesAre16By16In16ColoursOnLightGrey) {
    for (int id : {IDB_BROWSE_OPEN, IDB_BROWSE_SAVE, IDB_BROWSE_DOCUMENT, IDB_BROWSE_FOLDER}) {
        SCOPED_TRACE(id);
        BitmapHandle bitmap{
            static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))};
        ASSERT_TRUE(bitmap.handle);
        DIBSECTION section{};
        ASSERT_EQ(GetObjectW(bitmap.handle, sizeof(section), &section), int(sizeof(section)));
        EXPECT_EQ(section.dsBm.bmWidth, 16);
        EXPECT_EQ(section.dsBm.bmHeight, 16);
        EXPECT_EQ(section.dsBmih.biBitCount, 4);

        // Top-left corner: the background the editor turns transparent.
        const std::vector<COLORREF> pixels = TestSupport::PixelsOf(bitmap.handle, 16, 16);
        EXPECT_EQ(pixels[0], RGB(192, 192, 192));
        // Something is drawn on it.
        EXPECT_GT(std::count_if(pixels.begin(), pixels.end(),
                                [](COLORREF pixel) { return pixel != RGB(192, 192, 192); }),
                  40);
    }
}

TEST(ProgramResources, ProgramIconHasBothSizes) {
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TARNWICK), IMAGE_ICON, size, size, 0));
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask{};
        GetObjectW(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(mask.bmWidth, size);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

std::wstring VersionText(const std::vector<BYTE>& block, const std::wstring& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\041104b0\\" + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
        return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

// The version is the project's; the text shows major.minor with two digits of minor.
TEST(ProgramResources, VersionInformationIsJapaneseWithTheProjectsVersion) {
    wchar_t module[MAX_PATH] = {};
    ASSERT_TRUE(GetModuleFileNameW(nullptr, module, MAX_PATH));
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(module, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(module, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD{TARNWICK_VERSION_MAJOR} << 16 | TARNWICK_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD{TARNWICK_VERSION_PATCH} << 16 | TARNWICK_VERSION_TWEAK);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionText(block, L"ProductName"), L"Tarnwick");
    EXPECT_EQ(VersionText(block, L"InternalName"), L"trwk");
    wchar_t text[16] = {};
    std::swprintf(text, std::size(text), L"%d.%02d", TARNWICK_VERSION_MAJOR,
                  TARNWICK_VERSION_MINOR);
    EXPECT_EQ(VersionText(block, L"FileVersion"), text);
    EXPECT_EQ(VersionText(block, L"ProductVersion"), text);
}

TEST(ProgramResources, ManifestAsksForCommonControls6SystemDpiUtf8AndInvoker) {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(found);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
    ASSERT_TRUE(text);
    const std::string_view manifest(text, SizeofResource(module, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string_view::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string_view::npos);
    EXPECT_NE(manifest.find(">UTF-8</activeCodePage>"), std::string_view::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string_view::npos);
}

} // namespace

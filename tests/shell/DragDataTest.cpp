#include "shell/DragData.h"
#include "shell/FunctionShell.h"
#include "shell/PlatformBinding.h"
#include "tests/support/DataObjectStub.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace FunctionShell;

namespace {

using namespace TestSupport;

PointerValue Parsed(const std::wstring& name) {
    LPITEMIDLIST list = nullptr;
    SHParseDisplayName(name.c_str(), nullptr, &list, 0, nullptr);
    return reinterpret_cast<PointerValue>(list);
}

// The desktop's parsing name of an absolute list, through the declared interface.
std::wstring ParsingName(PointerValue list) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return L"<no desktop>";
    const InterfaceReference<IShellFolder> folder(desktop);
    STRRET answer = {};
    wchar_t* name = nullptr;
    if (FAILED(folder->GetDisplayNameOf(reinterpret_cast<LPCITEMIDLIST>(list), SHGDN_FORPARSING,
                                        &answer)) ||
        FAILED(StrRetToStrW(&answer, reinterpret_cast<LPCITEMIDLIST>(list), &name)))
        return L"<no name>";
    std::wstring result(name);
    CoTaskMemFree(name);
    return result;
}

class DragData : public testing::Test {
protected:
    std::wstring NewFile(const std::wstring& name) {
        return TestSupport::WriteFile(temp / name, "content\r\n");
    }

    // The first item's list out of the data, with the data released before it is read.
    static std::wstring NameOfFirstItem(InterfaceReference<IDataObject> data) {
        const ItemIDList list(ItemIDListFromData(data.Get()));
        data.Reset();
        return list ? ParsingName(list.Get()) : L"<no list>";
    }

    // A hand-made "Shell IDList Array" block: a count, offsets and lists.
    ItemIDList ListFromBlock(const std::string& bytes) {
        BlockData data(ShellIDListClipFormat(), bytes);
        EXPECT_EQ(data.BlockSize(), bytes.size()) << "the block must end where its bytes end";
        ItemIDList list = ItemIDListFromData(&data);
        EXPECT_EQ(data.Deliveries(), 1);
        EXPECT_EQ(data.MediaHeld(), 0);
        return list;
    }

    TempDirectory temp;
};

TEST_F(DragData, TheFormatIsRegisteredOnceAsA16BitNumber) {
    const UINT registered = RegisterClipboardFormatA("Shell IDList Array");
    ASSERT_GE(registered, 0xC000u);
    EXPECT_EQ(ShellIDListFormat(), static_cast<std::int16_t>(registered));
    EXPECT_LT(ShellIDListFormat(), 0);
}

int registrations = 0;
UINT WINAPI CountedRegistration(LPCSTR name) {
    ++registrations;
    return RegisterClipboardFormatA(name);
}
UINT WINAPI FailingRegistration(LPCSTR) {
    ++registrations;
    return 0;
}

TEST_F(DragData, AFailedRegistrationIsTriedAgain) {
    Binding::ForgetShellIDListFormat();
    {
        const ScopedBinding failing(Binding::RegisterFormatCall(), FailingRegistration);
        EXPECT_EQ(ShellIDListFormat(), 0);
        EXPECT_EQ(ShellIDListFormat(), 0);
        EXPECT_EQ(registrations, 2);
        // Without a format number there is nothing to ask the data for.
        BlockData data(0, "");
        EXPECT_EQ(ItemIDListFromData(&data).Get(), 0u);
        EXPECT_EQ(data.Deliveries(), 0);
    }
    registrations = 0;
    {
        const ScopedBinding counted(Binding::RegisterFormatCall(), CountedRegistration);
        const std::int16_t format = ShellIDListFormat();
        EXPECT_LT(format, 0);
        EXPECT_EQ(ShellIDListFormat(), format);
        EXPECT_EQ(registrations, 1);
    }
    Binding::ForgetShellIDListFormat();
}

TEST_F(DragData, OneFileFromTheShell) {
    // Greek and Japanese together fit no single ANSI code page: the name survives.
    const std::wstring file = NewFile(L"report \u03A9mega \u65E5\u672C.txt");
    auto data = ShellDataFor(std::vector{file});
    ASSERT_TRUE(data);
    EXPECT_EQ(FileNameFromData(data.Get()), file);
    EXPECT_EQ(NameOfFirstItem(std::move(data)), file);
}

TEST_F(DragData, SeveralFilesGiveTheFirst) {
    const std::wstring first = NewFile(L"b first.txt");
    const std::wstring second = NewFile(L"a second.txt");
    const std::wstring third = NewFile(L"c third.txt");
    auto data = ShellDataFor(std::vector{first, second, third});
    ASSERT_TRUE(data);
    EXPECT_EQ(FileNameFromData(data.Get()), first);
    EXPECT_EQ(NameOfFirstItem(std::move(data)), first);
}

TEST_F(DragData, AFolderFromTheShell) {
    const std::wstring folder = temp / L"inner folder";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    auto data = ShellDataFor(std::vector{folder});
    ASSERT_TRUE(data);
    EXPECT_EQ(FileNameFromData(data.Get()), folder);
    EXPECT_EQ(NameOfFirstItem(std::move(data)), folder);
}

TEST_F(DragData, AVirtualFolderComesAsAList) {
    const std::wstring computer = MyComputerName;
    auto data = ShellDataFor(std::vector{computer});
    ASSERT_TRUE(data);
    // Windows offers no file list for it and Wine makes up a path under the Desktop:
    // either way the item comes through the ID list alone.
    // Wine writes the class identifier in lower case.
    const std::wstring name = NameOfFirstItem(std::move(data));
    EXPECT_EQ(CompareStringOrdinal(name.c_str(), -1, computer.c_str(), -1, TRUE), CSTR_EQUAL)
        << name;
}

TEST_F(DragData, AJapaneseFileThroughTheAnsiPath) {
    if (!AnsiCodePageIs932())
        GTEST_SKIP() << "a Japanese path in ANSI needs the code page 932";
    const std::wstring file = NewFile(L"報告書.txt");
    auto data = ShellDataFor(std::vector{file});
    ASSERT_TRUE(data);
    EXPECT_EQ(FileNameFromData(data.Get()), file);
    const ItemIDList list(ItemIDListFromData(data.Get()));
    EXPECT_EQ(PathFromItemIDList(list.Get()), file);
}

TEST_F(DragData, PlainTextIsNeitherFileNorItem) {
    BlockData text(CF_TEXT, std::string("dropped words\0", 14));
    EXPECT_EQ(FileNameFromData(&text), L"");
    EXPECT_EQ(ItemIDListFromData(&text).Get(), 0u);
    EXPECT_EQ(text.Deliveries(), 0);
    EXPECT_EQ(FileNameFromData(nullptr), L"");
    EXPECT_EQ(ItemIDListFromData(nullptr).Get(), 0u);
}

TEST_F(DragData, AWellFormedBlockOfOurOwn) {
    const std::wstring file = NewFile(L"made by hand.txt");
    const ItemIDList folder(Parsed(temp.Path().wstring()));
    const ItemIDList absolute(Parsed(file));
    ASSERT_TRUE(folder && absolute);
    const std::string folderList = ListBytes(folder.Get());
    const std::string itemList = ListBytes(reinterpret_cast<PointerValue>(
        ILFindLastID(reinterpret_cast<LPCITEMIDLIST>(absolute.Get()))));

    const std::uint32_t header = 4 + 2 * 4;
    const ItemIDList item(ListFromBlock(Bytes32(1) + Bytes32(header) +
                                        Bytes32(header + folderList.size()) + folderList +
                                        itemList));
    EXPECT_EQ(ParsingName(item.Get()), file);

    // A count of 0 names the folder alone.
    const ItemIDList onlyFolder(ListFromBlock(Bytes32(0) + Bytes32(8) + folderList));
    EXPECT_EQ(ParsingName(onlyFolder.Get()), temp.Path().wstring());
    EXPECT_NE(onlyFolder.Get(), 0u);
}

TEST_F(DragData, MalformedBlocksGiveNoList) {
    // One item "AB" (size 4) after the desktop's empty folder list.
    const std::string desktop = Bytes16(0);
    const std::string item = Bytes16(4) + "AB" + Bytes16(0);
    const std::string table = Bytes32(12) + Bytes32(14);
    const ItemIDList sound(ListFromBlock(Bytes32(1) + table + desktop + item));
    EXPECT_TRUE(sound);

    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::string unterminated = Bytes16(4) + "AB";
    const Case cases[] = {
        {"empty block", ""},
        {"count cut short", "\x01\x00"},
        {"offset table cut short", Bytes32(1) + Bytes32(12)},
        {"offset table longer than the block", Bytes32(5) + table + desktop + item},
        {"folder offset past the end", Bytes32(1) + Bytes32(200) + Bytes32(14) + desktop + item},
        {"item offset past the end",
         Bytes32(1) + Bytes32(12) + Bytes32(0xFFFFFFF0u) + desktop + item},
        {"folder offset at the very end", Bytes32(0) + Bytes32(8)},
        {"item without terminator", Bytes32(1) + table + desktop + unterminated},
        {"terminator cut in half", Bytes32(1) + table + desktop + unterminated + "\x00"},
        {"item size past the end", Bytes32(1) + table + desktop + Bytes16(40) + "AB" + Bytes16(0)},
        {"item size below its own field",
         Bytes32(1) + table + desktop + Bytes16(1) + "AB" + Bytes16(0)},
        {"folder list without terminator", Bytes32(0) + Bytes32(8) + unterminated},
        {"negative count", Bytes32(0xFFFFFFFFu) + table + desktop + item},
        {"most negative count", Bytes32(0x80000000u) + table + desktop + item},
        // 4 * (count + 2) wraps to 4 in 32 bits.
        {"count whose table size wraps", Bytes32(0x3FFFFFFFu) + table + desktop + item},
        {"huge count", Bytes32(0x7FFFFFFFu) + table + desktop + item},
    };
    for (const Case& malformed : cases) {
        SCOPED_TRACE(malformed.what);
        EXPECT_EQ(ListFromBlock(malformed.bytes).Get(), 0u);
    }
}

TEST_F(DragData, FileListsOfOurOwn) {
    const auto nameOf = [](const std::string& bytes) {
        BlockData data(CF_HDROP, bytes);
        const std::wstring name = FileNameFromData(&data);
        EXPECT_EQ(data.MediaHeld(), 0);
        return name;
    };
    EXPECT_EQ(nameOf(FileListBlock(true, Wide(std::wstring(L"C:\\a.txt\0C:\\b.txt\0\0", 20)))),
              L"C:\\a.txt");
    EXPECT_EQ(nameOf(FileListBlock(false, std::string("C:\\ansi.txt\0\0", 13))), L"C:\\ansi.txt");
    EXPECT_EQ(nameOf(FileListBlock(true, Wide(std::wstring(L"\0\0", 2)))), L"");

    EXPECT_EQ(nameOf(""), L"");
    EXPECT_EQ(nameOf(FileListBlock(true, "").substr(0, 10)), L"");
    EXPECT_EQ(nameOf(FileListBlock(true, Wide(L"C:\\no terminator"))), L"");
    EXPECT_EQ(nameOf(FileListBlock(false, "C:\\no terminator")), L"");
    EXPECT_EQ(nameOf(FileListBlock(true, Wide(std::wstring(L"C:\\a\0\0", 6)), 4000)), L"");
    EXPECT_EQ(nameOf(FileListBlock(true, Wide(std::wstring(L"C:\\a\0\0", 6)), 0xFFFFFFFFu)), L"");
}

TEST_F(DragData, AJapaneseAnsiFileList) {
    if (!AnsiCodePageIs932())
        GTEST_SKIP() << "double-byte ANSI names need the code page 932";
    BlockData data(CF_HDROP, FileListBlock(false, std::string("C:\\\x95\xF1\x8D\x90.txt\0\0", 12)));
    EXPECT_EQ(FileNameFromData(&data), L"C:\\報告.txt");
}

} // namespace

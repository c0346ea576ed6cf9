#include "shell/FunctionShell.h"
#include "shell/PlatformBinding.h"
#include "tests/support/TestSupport.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

using namespace FunctionShell;
using FunctionObject::PointerValue;
using TestSupport::IsMyComputerName;
using TestSupport::MyComputerName;

namespace {

// "日本語" in code page 932.
constexpr char JapaneseAnsi[] = "\x93\xfa\x96\x7b\x8c\xea";
constexpr wchar_t JapaneseText[] = L"\u65e5\u672c\u8a9e";

std::span<const std::byte> BytesOf(const void* data, std::size_t size) {
    return {static_cast<const std::byte*>(data), size};
}

PointerValue AddressOf(const void* data) {
    return reinterpret_cast<PointerValue>(data);
}

LPCITEMIDLIST AsList(PointerValue list) {
    return reinterpret_cast<LPCITEMIDLIST>(list);
}

// A parent folder of our own: answers GetDisplayNameOf with a chosen STRRET and
// ParseDisplayName with a chosen list, and counts its references.
class FakeFolder : public TestSupport::Counted<IShellFolder> {
public:
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR name, ULONG*,
                                               PIDLIST_RELATIVE* list, ULONG*) override {
        parsedName = name;
        *list = parseAnswer;
        return parseResult;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD list, SHGDNF flags,
                                               STRRET* name) override {
        askedList = list;
        askedFlags = flags;
        *name = displayAnswer;
        if (name->uType == STRRET_WSTR && wideAnswer) {
            const std::size_t bytes = (std::wcslen(wideAnswer) + 1) * sizeof(wchar_t);
            name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
            std::memcpy(name->pOleStr, wideAnswer, bytes);
            handedOut = name->pOleStr;
        }
        return displayResult;
    }

    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                        PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }

    PointerValue Pointer() { return AddressOf(static_cast<IShellFolder*>(this)); }
    bool Balanced() const { return references() == 1 && addRefCalls() == releaseCalls(); }

    STRRET displayAnswer{};
    const wchar_t* wideAnswer = nullptr;
    HRESULT displayResult = S_OK;
    const void* handedOut = nullptr;
    const void* askedList = nullptr;
    SHGDNF askedFlags = 0;

    PIDLIST_RELATIVE parseAnswer = nullptr;
    HRESULT parseResult = S_OK;
    std::wstring parsedName;
};

} // namespace

TEST(FunctionShell, CloneCombineAndFreeGiveNewLists) {
    EXPECT_EQ(CloneItemIDList(0).Get(), 0u);
    EXPECT_EQ(CombineItemIDList(0, 0).Get(), 0u);

    ItemIDList computer(SpecialFolderItemIDList(CSIDL_DRIVES));
    ASSERT_TRUE(computer);
    const ItemIDList clone(CloneItemIDList(computer.Get()));
    const ItemIDList firstOnly(CombineItemIDList(computer.Get(), 0));
    const ItemIDList secondOnly(CombineItemIDList(0, computer.Get()));
    for (const ItemIDList* copy : {&clone, &firstOnly, &secondOnly}) {
        ASSERT_TRUE(*copy);
        EXPECT_NE(copy->Get(), computer.Get());
        EXPECT_TRUE(ILIsEqual(AsList(copy->Get()), AsList(computer.Get())));
    }

    PointerValue variable = computer.Release();
    FreeItemIDList(variable);
    EXPECT_EQ(variable, 0u);
    FreeItemIDList(variable); // a second free of the cleared variable does nothing
    EXPECT_EQ(variable, 0u);
}

TEST(FunctionShell, CombineAppendsTheSecondList) {
    TestSupport::TempDirectory folder;
    const std::wstring file = TestSupport::WriteFile(folder / L"inner.txt", "x");

    const ItemIDList folderList(ItemIDListFromName(folder.Path().wstring()));
    const ItemIDList fileList(ItemIDListFromName(file));
    ASSERT_TRUE(folderList);
    ASSERT_TRUE(fileList);
    const PointerValue child = AddressOf(ILFindLastID(AsList(fileList.Get())));

    const ItemIDList combined(CombineItemIDList(folderList.Get(), child));
    EXPECT_EQ(PathFromItemIDList(combined.Get()), file);
}

TEST(FunctionShell, PathAndParsingNameOfFilesAndVirtualFolders) {
    EXPECT_EQ(PathFromItemIDList(0), L"");

    TestSupport::TempDirectory folder;
    const std::wstring file = TestSupport::WriteFile(folder / L"named file.txt", "x");
    const ItemIDList fileList(ItemIDListFromName(file));
    ASSERT_TRUE(fileList);
    EXPECT_EQ(PathFromItemIDList(fileList.Get()), file);
    EXPECT_EQ(NameFromItemIDList(fileList.Get()), file);

    const ItemIDList computer(SpecialFolderItemIDList(CSIDL_DRIVES));
    ASSERT_TRUE(computer);
    EXPECT_EQ(PathFromItemIDList(computer.Get()), L"");
    const std::wstring computerName = NameFromItemIDList(computer.Get());
    EXPECT_TRUE(IsMyComputerName(computerName)) << computerName;

    const ItemIDList parsedComputer(ItemIDListFromName(MyComputerName));
    ASSERT_TRUE(parsedComputer);
    EXPECT_TRUE(ILIsEqual(AsList(parsedComputer.Get()), AsList(computer.Get())));
}

TEST(FunctionShell, NamesThatDoNotParseGiveNoList) {
    TestSupport::TempDirectory folder;
    EXPECT_EQ(ItemIDListFromName(folder / L"missing.txt").Get(), 0u);
    EXPECT_EQ(ItemIDListFromName(folder / L"missing\\deeper.txt").Get(), 0u);

    // An empty name takes no folder reference at all.
    FakeFolder parent;
    EXPECT_EQ(ItemIDListFromName(L"", parent.Pointer()).Get(), 0u);
    EXPECT_EQ(parent.addRefCalls(), 0);
    EXPECT_TRUE(parent.parsedName.empty());
}

TEST(FunctionShell, ParseThroughAParentFolderKeepsItsReference) {
    FakeFolder parent;
    ItemIDList answer(SpecialFolderItemIDList(CSIDL_DRIVES));
    parent.parseAnswer = reinterpret_cast<PIDLIST_RELATIVE>(answer.Get());
    parent.parseResult = S_FALSE;

    // The list in the result cell is the caller's, whatever the method answered.
    ItemIDList parsed(ItemIDListFromName(L"C:\\some name", parent.Pointer()));
    EXPECT_EQ(parsed.Get(), answer.Get());
    answer.Release(); // now owned by `parsed`
    EXPECT_EQ(parent.parsedName, L"C:\\some name");
    EXPECT_TRUE(parent.Balanced());
}

TEST(FunctionShell, WideAnswerIsFreedExactlyOnce) {
    FakeFolder parent;
    parent.displayAnswer.uType = STRRET_WSTR;
    parent.wideAnswer = L"C:\\Wide\\\u00e9t\u00e9";
    const std::array<BYTE, 4> list{};

    TestSupport::TaskFreeRecorder recorder;
    ASSERT_TRUE(recorder.Registered()) << "CoRegisterMallocSpy refused";
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), parent.wideAnswer);
    EXPECT_EQ(recorder.FreesOf(parent.handedOut), 1);
    EXPECT_EQ(parent.askedList, list.data());
    EXPECT_EQ(parent.askedFlags, static_cast<SHGDNF>(SHGDN_FORPARSING));
    EXPECT_TRUE(parent.Balanced());
}

TEST(FunctionShell, OffsetAndRecordAnswersFreeNothing) {
    // Text placed inside the "list" itself, at the offset the answer names.
    std::array<char, 32> list{};
    std::memcpy(list.data() + 6, "C:\\Offset", 10);

    FakeFolder parent;
    parent.displayAnswer.uType = STRRET_OFFSET;
    parent.displayAnswer.uOffset = 6;
    TestSupport::TaskFreeRecorder recorder;
    ASSERT_TRUE(recorder.Registered()) << "CoRegisterMallocSpy refused";
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), L"C:\\Offset");

    parent.displayAnswer = {};
    parent.displayAnswer.uType = STRRET_CSTR;
    std::strcpy(parent.displayAnswer.cStr, "C:\\Record");
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), L"C:\\Record");
    EXPECT_EQ(recorder.Frees(), 0u);
    EXPECT_TRUE(parent.Balanced());
}

TEST(FunctionShell, UnknownAnswerTypeOrFailureGivesNoName) {
    const std::array<BYTE, 4> list{};
    FakeFolder parent;
    parent.displayAnswer.uType = 3;
    std::strcpy(parent.displayAnswer.cStr, "C:\\Ignored");
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), L"");

    parent.displayAnswer.uType = STRRET_CSTR;
    parent.displayResult = S_FALSE;
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), L"");
    EXPECT_TRUE(parent.Balanced());
}

TEST(FunctionShell, JapaneseAnswersInTheAnsiCodePage) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "needs ANSI code page 932 (runs as cp932.*)";
    std::array<char, 32> list{};
    std::memcpy(list.data() + 4, JapaneseAnsi, sizeof JapaneseAnsi);

    FakeFolder parent;
    parent.displayAnswer.uType = STRRET_OFFSET;
    parent.displayAnswer.uOffset = 4;
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), JapaneseText);

    parent.displayAnswer = {};
    parent.displayAnswer.uType = STRRET_CSTR;
    std::strcpy(parent.displayAnswer.cStr, JapaneseAnsi);
    EXPECT_EQ(NameFromItemIDList(AddressOf(list.data()), parent.Pointer()), JapaneseText);
}

TEST(FunctionShell, JapanesePathRoundTrip) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "needs ANSI code page 932 (runs as cp932.*)";
    TestSupport::TempDirectory folder;
    const std::wstring file =
        TestSupport::WriteFile(folder / (std::wstring(JapaneseText) + L"\u8868.txt"), "x");
    const ItemIDList list(ItemIDListFromName(file));
    ASSERT_TRUE(list);
    EXPECT_EQ(PathFromItemIDList(list.Get()), file);
    EXPECT_EQ(NameFromItemIDList(list.Get()), file);
}

TEST(FunctionShell, StringFromBufferCutsAtTheFirstNul) {
    const char noNul[] = {'a', 'b', 'c'};
    EXPECT_EQ(StringFromBuffer(BytesOf(noNul, sizeof noNul), false), L"abc");
    const char leadingNul[] = {'\0', 'a', 'b'};
    EXPECT_EQ(StringFromBuffer(BytesOf(leadingNul, sizeof leadingNul), false), L"");
    const char middleNul[] = {'a', '\0', 'b'};
    EXPECT_EQ(StringFromBuffer(BytesOf(middleNul, sizeof middleNul), false), L"a");
    EXPECT_EQ(StringFromBuffer({}, false), L"");

    const wchar_t wide[] = {L'x', L'\u3042', L'\0', L'y'};
    EXPECT_EQ(StringFromBuffer(BytesOf(wide, sizeof wide), true), L"x\u3042");
    const wchar_t wideNoNul[] = {L'x', L'y'};
    EXPECT_EQ(StringFromBuffer(BytesOf(wideNoNul, sizeof wideNoNul), true), L"xy");
}

TEST(FunctionShell, StringFromPointerReadsToTheTerminator) {
    EXPECT_EQ(StringFromPointer(0, false), L"");
    EXPECT_EQ(StringFromPointer(0, true), L"");
    EXPECT_EQ(StringFromPointer(AddressOf(""), false), L"");
    EXPECT_EQ(StringFromPointer(AddressOf(L""), true), L"");
    EXPECT_EQ(StringFromPointer(AddressOf("C:\\Text"), false), L"C:\\Text");
    EXPECT_EQ(StringFromPointer(AddressOf(L"C:\\\u30c6\u30ad"), true), L"C:\\\u30c6\u30ad");
}

TEST(FunctionShell, JapaneseTextConvertsBothWays) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "needs ANSI code page 932 (runs as cp932.*)";
    EXPECT_EQ(StringFromBuffer(BytesOf(JapaneseAnsi, 6), false), JapaneseText);
    EXPECT_EQ(StringFromBuffer(BytesOf(JapaneseAnsi, sizeof JapaneseAnsi), false), JapaneseText);
    EXPECT_EQ(StringFromPointer(AddressOf(JapaneseAnsi), false), JapaneseText);
    EXPECT_EQ(AnsiFromString(JapaneseText), JapaneseAnsi);
    EXPECT_EQ(std::strlen(AnsiFromString(JapaneseText)->c_str()), 6u);
    EXPECT_EQ(AnsiFromString(L""), "");
}

// Whether each code page holds a text: UTF-8, the programs' own, and 932, the legacy run's.
const std::tuple<std::wstring, bool, bool> HeldTexts[] = {
    {L"Київ", true, false}, // Cyrillic, but ї is outside 932
    {L"Ωμέγα", true, false},
    {L"한글", true, false},
    {L"Café", true, false}, // best fit would make it "Cafe"
    {L"\U0001F600", true, false},
    {L"C:\\¥", true, false}, // best fit would make the yen sign a backslash
    {JapaneseText, true, true},
    {L"a\xD800z", false, false}, // a lone surrogate half is no character
};

TEST(FunctionShell, UnicodeTextConvertsWholeOrNotAtAll) {
    const bool utf8 = TestSupport::AnsiCodePageIsUtf8();
    if (!utf8 && !TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "the table knows code pages UTF-8 and 932";
    for (const auto& [text, inUtf8, in932] : HeldTexts) {
        const auto ansi = AnsiFromString(text);
        ASSERT_EQ(ansi.has_value(), utf8 ? inUtf8 : in932) << testing::PrintToString(text);
        EXPECT_EQ(ansi ? StringFromPointer(AddressOf(ansi->c_str()), false) : text, text);
    }
}

BOOL WINAPI FailingPathFromIDList(LPCITEMIDLIST, LPSTR path) {
    *path = '\0';
    return FALSE;
}

// The ANSI path of an item holds MAX_PATH bytes of the code page: a name outside it, or
// a long name in two or three bytes a character, comes from the item's parsing name,
// whether the ANSI call cuts it (Wine) or fails (Windows, past MAX_PATH bytes). Where it
// fails, the parsing name stands in only for an existing directory: a folder shown
// inside a file (a zip file's) is no path a program can start in.
TEST(FunctionShell, UnicodePathsComeWholeFromItemIDLists) {
    TestSupport::TempDirectory folder;
    std::vector<std::pair<ItemIDList, std::wstring>> paths;
    for (const std::wstring& name : {TestSupport::UnicodeName, std::wstring(120, L'\x0416')}) {
        const std::wstring directory = folder / name;
        ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
        const std::wstring file =
            TestSupport::WriteFile(directory + L"\\" + name.substr(0, 30) + L".txt", "x");
        paths.emplace_back(ItemIDListFromName(file), file);
        paths.emplace_back(ItemIDListFromName(directory), directory);
    }
    paths.emplace_back(SpecialFolderItemIDList(CSIDL_DRIVES), L""); // no path at all
    for (const bool fails : {false, true}) {
        const ScopedBinding binding(Binding::PathFromIDListCall(),
                                    fails ? FailingPathFromIDList : Binding::PathFromIDListCall());
        for (const auto& [list, path] : paths) {
            ASSERT_TRUE(list);
            const bool file = path.ends_with(L".txt");
            EXPECT_EQ(PathFromItemIDList(list.Get()), fails && file ? L"" : path) << fails;
        }
    }
}

// Substitutes from a legacy code page give way to the wide answer.
BOOL WINAPI SubstitutingPathFromIDList(LPCITEMIDLIST list, LPSTR path) {
    const BOOL answered = SHGetPathFromIDListA(list, path);
    if (answered && *path != '\0')
        path[std::strlen(path) - 1] = '?';
    return answered;
}

TEST(FunctionShell, APathWithSubstitutesGivesWayToTheWideOne) {
    if (TestSupport::AnsiCodePageIsUtf8())
        GTEST_SKIP() << "UTF-8 holds every text: the ANSI answer is whole";
    TestSupport::TempDirectory folder;
    const ItemIDList list = ItemIDListFromName(folder.Path().wstring());
    const ScopedBinding binding(Binding::PathFromIDListCall(), SubstitutingPathFromIDList);
    EXPECT_EQ(PathFromItemIDList(list.Get()), folder.Path().wstring());
}

// Handed what it holds already, a sole owner keeps it, unfreed.
int releases = 0;
void CountRelease(int& value) {
    releases += std::exchange(value, 0) != 0;
}

TEST(Owned, ResetToWhatItHoldsKeepsIt) {
    Owned<int, &CountRelease> owner(7);
    owner.Reset(7);
    EXPECT_EQ(releases, 0);
    owner.Reset(8);
    EXPECT_EQ(releases, 1);
}

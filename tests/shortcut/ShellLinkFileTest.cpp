#include "shortcut/ShellLinkFile.h"

#include "base/ScopedBinding.h"
#include "shell/FunctionShell.h"
#include "shortcut/ShellLinkStructure.h"
#include "tests/support/ShortcutDamages.h"
#include "tests/support/TestSupport.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <intshcut.h>

#include <gtest/gtest.h>

#include <vector>

using FunctionShell::ItemIDList;
using TestSupport::IsMyComputerName;
using TestSupport::MyComputerName;
using TestSupport::ShortcutFields;
using TestSupport::TempDirectory;

namespace {

// The show command sits in the shortcut's header at this byte offset.
constexpr std::size_t ShowCommandOffset = 0x3C;

// Ctrl+Alt+K: virtual key in the low byte, modifier flags in the high byte.
constexpr std::int16_t SampleHotKey = ((HOTKEYF_CONTROL | HOTKEYF_ALT) << 8) | 'K';

// Records every class that object creation asks for, then creates it for real.
std::vector<GUID> askedClasses;
FunctionObject::CreateInstanceFunction platformCreation = nullptr;

HRESULT WINAPI RecordingCreation(REFCLSID classId, LPUNKNOWN outer, DWORD context,
                                 REFIID interfaceId, LPVOID* object) {
    askedClasses.push_back(classId);
    return platformCreation(classId, outer, context, interfaceId, object);
}

HRESULT WINAPI RefusedCreation(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

class RecordingScope {
public:
    RecordingScope() {
        platformCreation = binding_.Previous();
        askedClasses.clear();
    }

private:
    ScopedBinding<FunctionObject::CreateInstanceFunction> binding_{
        FunctionObject::CreateInstanceCall(), &RecordingCreation};
};

// Whether the platform's Internet-shortcut class answers IShellLinkA at all.
bool InternetShortcutOffersShellLinkA() {
    IUnknown* object = nullptr;
    const HRESULT created = CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkA, reinterpret_cast<void**>(&object));
    if (object)
        object->Release();
    return SUCCEEDED(created);
}

void ExpectFields(const ShellLinkFile& link, const ShortcutFields& expected) {
    EXPECT_EQ(link.LinkPath(), expected.target);
    EXPECT_EQ(link.LinkToName(), expected.target);
    EXPECT_EQ(link.LinkArgument(), expected.arguments);
    EXPECT_EQ(link.LinkDirectory(), expected.directory);
    EXPECT_EQ(link.LinkDescription(), expected.description);
    EXPECT_EQ(link.IconPath(), expected.iconPath);
    EXPECT_EQ(link.IconIndex(), expected.iconIndex);
}

// Writes every field through the class, saves, and checks the file both with a
// fresh instance and with the platform's declared interfaces, so that a slot mixed
// up in both directions cannot pass unseen.
void RoundTrip(const TempDirectory& folder, const ShortcutFields& fields) {
    const std::wstring file = folder / L"round trip.lnk";
    {
        ShellLinkFile link;
        link.LinkPath(fields.target);
        link.LinkArgument(fields.arguments);
        link.LinkDirectory(fields.directory);
        link.LinkDescription(fields.description);
        link.IconPath(fields.iconPath);
        link.IconIndex(fields.iconIndex);
        link.LinkHotKey(SampleHotKey);
        link.LinkShowCommand(SW_SHOWMINNOACTIVE);
        ASSERT_TRUE(link.FileSave(file));
        EXPECT_EQ(link.FileName(), file);
    }

    ShellLinkFile reread;
    ASSERT_TRUE(reread.FileLoad(file));
    EXPECT_EQ(reread.FileName(), file);
    ExpectFields(reread, fields);
    EXPECT_EQ(reread.LinkHotKey(), SampleHotKey);

    // Wine reads the show command back as 1 whatever the file holds, so the file's
    // own header is checked instead.
    const std::string bytes = TestSupport::ReadFileBytes(file);
    ASSERT_GT(bytes.size(), ShowCommandOffset);
    EXPECT_EQ(bytes[ShowCommandOffset], SW_SHOWMINNOACTIVE);

    ShortcutFields oracle, expected = fields;
    expected.hotKey = static_cast<WORD>(SampleHotKey);
    ASSERT_TRUE(TestSupport::ReadShortcut(file, oracle));
    EXPECT_EQ(oracle, expected);
}

// A shortcut with every text field set, written by the platform's interfaces.
struct SampleShortcut {
    explicit SampleShortcut(const TempDirectory& folder, std::wstring name = L"sample.lnk")
        : fields{.target = TestSupport::WriteFile(folder / L"target.txt", "target"),
                 .arguments = L"/sample \"quoted\"",
                 .directory = folder.Path().wstring(),
                 .description = L"Sample description",
                 .iconPath = L"C:\\windows\\system32\\shell32.dll",
                 .iconIndex = 4},
          file(folder / name), written(TestSupport::WriteShortcut(file, fields)) {}
    ShortcutFields fields;
    std::wstring file;
    bool written;
};

} // namespace

TEST(ShellLinkFile, EveryFieldReadsBackInAFreshInstance) {
    TempDirectory folder;
    RoundTrip(folder, {.target = TestSupport::WriteFile(folder / L"target file.txt", "target"),
                       .arguments = L"-a \"two words\" --flag",
                       .directory = folder.Path().wstring(),
                       .description = L"A shortcut to the target",
                       .iconPath = L"C:\\windows\\system32\\shell32.dll",
                       .iconIndex = 7});
}

TEST(ShellLinkFile, JapaneseFieldsReadBackInAFreshInstance) {
    if (!TestSupport::AnsiCodePageIs932())
        GTEST_SKIP() << "needs ANSI code page 932 (runs as cp932.*)";
    TempDirectory folder;
    const std::wstring japaneseFolder = folder / L"\u8cc7\u6599";
    ASSERT_TRUE(CreateDirectoryW(japaneseFolder.c_str(), nullptr));
    // U+8868 has 0x5C, the backslash, as its second byte in code page 932.
    RoundTrip(folder,
              {.target = TestSupport::WriteFile(japaneseFolder + L"\\\u5831\u544a\u8868.txt", "x"),
               .arguments = L"/\u540d\u524d \u8868\u793a",
               .directory = japaneseFolder,
               .description = L"\u65e5\u672c\u8a9e\u306e\u8aac\u660e\u30bd\u30d5\u30c8",
               .iconPath = japaneseFolder + L"\\\u30a2\u30a4\u30b3\u30f3.ico",
               .iconIndex = 2});
}

// Every text field, through the class.
struct TextField {
    void (*write)(ShellLinkFile&, std::wstring_view);
    std::wstring (*read)(const ShellLinkFile&);
    std::wstring ShortcutFields::*sample;
};

const TextField TextFields[] = {
    {[](ShellLinkFile& l, std::wstring_view t) { l.LinkPath(t); },
     [](const ShellLinkFile& l) { return l.LinkPath(); }, &ShortcutFields::target},
    {[](ShellLinkFile& l, std::wstring_view t) { l.LinkArgument(t); },
     [](const ShellLinkFile& l) { return l.LinkArgument(); }, &ShortcutFields::arguments},
    {[](ShellLinkFile& l, std::wstring_view t) { l.LinkDirectory(t); },
     [](const ShellLinkFile& l) { return l.LinkDirectory(); }, &ShortcutFields::directory},
    {[](ShellLinkFile& l, std::wstring_view t) { l.LinkDescription(t); },
     [](const ShellLinkFile& l) { return l.LinkDescription(); }, &ShortcutFields::description},
    {[](ShellLinkFile& l, std::wstring_view t) { l.IconPath(t); },
     [](const ShellLinkFile& l) { return l.IconPath(); }, &ShortcutFields::iconPath},
};

// A text the code page cannot hold is never stored with substitutes: it reads back as
// written, and the shortcut is not saved until the field is written again or reloaded.
TEST(ShellLinkFile, UnicodeTextTheCodePageCannotHoldIsRefusedUntilRewritten) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);
    const std::string saved = TestSupport::ReadFileBytes(sample.file);
    // A lone surrogate half is no character even in UTF-8.
    const std::wstring refused =
        TestSupport::AnsiCodePageIsUtf8() ? L"a\xD800z" : TestSupport::UnicodeName;
    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    for (const TextField& field : TextFields) {
        const std::wstring& before = sample.fields.*field.sample;
        SCOPED_TRACE(before);
        field.write(link, refused);
        EXPECT_EQ(field.read(link), refused);
        EXPECT_TRUE(link.FileIsDirty());
        EXPECT_FALSE(link.FileSave({}));
        EXPECT_EQ(TestSupport::ReadFileBytes(sample.file), saved);
        field.write(link, before);
        EXPECT_EQ(field.read(link), before);
    }
    EXPECT_TRUE(link.FileSave({}));
    link.LinkDescription(refused);
    ASSERT_TRUE(link.FileLoad(sample.file));
    EXPECT_FALSE(link.FileIsDirty());
    EXPECT_EQ(link.LinkDescription(), sample.fields.description);
}

// A text of the file that the code page cannot hold reads whole, never as the ANSI
// getter's substitutes: under a legacy code page an edit of it, or a new icon index with
// its path, is refused as the same text typed, and the file keeps it.
TEST(ShellLinkFile, UnicodeTextOfTheFileIsNeverWrittenBackWithSubstitutes) {
    TempDirectory folder;
    const std::wstring outside = L"/\u00dcn\u00ef " + TestSupport::UnicodeName;
    const std::wstring directory = folder / TestSupport::UnicodeName;
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    const ShortcutFields fields{.target = TestSupport::WriteFile(folder / L"target.txt", "t"),
                                .arguments = outside,
                                .directory = directory,
                                .description = outside,
                                .iconPath = directory + L"\\" + outside.substr(1) + L".ico",
                                .iconIndex = 2};
    const std::wstring file = folder / L"unicode.lnk";
    const bool held = TestSupport::AnsiCodePageIsUtf8();
    // Each text field but the target (Wine keeps a target's location in the code page
    // only), then the icon's index alone.
    for (std::size_t edit = 1; edit <= std::size(TextFields); ++edit) {
        SCOPED_TRACE(edit);
        ASSERT_TRUE(TestSupport::WriteShortcut(file, fields));
        const std::string saved = TestSupport::ReadFileBytes(file);
        ShellLinkFile link;
        ASSERT_TRUE(link.FileLoad(file));
        ExpectFields(link, fields);
        if (edit < std::size(TextFields)) {
            const TextField& field = TextFields[edit];
            field.write(link, fields.*field.sample + L" x");
            EXPECT_EQ(field.read(link), fields.*field.sample + L" x");
        } else {
            link.IconIndex(3);
            EXPECT_EQ(link.IconPath(), fields.iconPath);
        }
        EXPECT_EQ(link.FileSave({}), held);
        EXPECT_EQ(TestSupport::ReadFileBytes(file) == saved, !held);
    }
}

TEST(ShellLinkFile, LoadsAShortcutWrittenByThePlatform) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);
    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    EXPECT_EQ(link.FileName(), sample.file);
    ExpectFields(link, sample.fields);
    EXPECT_FALSE(link.FileIsDirty());
}

TEST(ShellLinkFile, FailedLoadKeepsTheShortcutItsNameAndIconCache) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);
    const std::wstring notAShortcut = TestSupport::WriteFile(folder / L"plain.lnk", "not a link");

    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    link.LinkDescription(L"changed, not saved");

    for (const std::wstring& bad : {folder / L"missing.lnk", folder / L"missing\\deeper.lnk",
                                    notAShortcut, folder.Path().wstring()}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(link.FileLoad(bad));
        EXPECT_EQ(link.FileName(), sample.file);
        EXPECT_EQ(link.LinkDescription(), L"changed, not saved");
        EXPECT_TRUE(link.FileIsDirty());
        EXPECT_EQ(link.LinkPath(), sample.fields.target);
        EXPECT_EQ(link.IconPath(), sample.fields.iconPath);
        EXPECT_EQ(link.IconIndex(), sample.fields.iconIndex);
    }
}

static_assert(TestSupport::CheckedBytes == ShellLinkStructure::ReadLimit);

// The shell's reader would walk past some of these damages, or take them as sound.
TEST(ShellLinkFile, StructuralDamageFailsTheLoadAndLeniencyDoesNot) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);
    const std::wstring changed = folder / L"changed.lnk";
    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    for (const TestSupport::ShortcutChange& damage : TestSupport::StructuralDamages) {
        SCOPED_TRACE(damage.what);
        ASSERT_TRUE(TestSupport::WriteChangedShortcut(changed, sample.fields.target, damage));
        EXPECT_FALSE(link.FileLoad(changed));
        EXPECT_EQ(link.FileName(), sample.file);
        ExpectFields(link, sample.fields);
    }
    std::vector<TestSupport::ShortcutChange> shapes(std::begin(TestSupport::SoundShapes),
                                                    std::end(TestSupport::SoundShapes));
    shapes.push_back(
        {"with an unknown block past the bytes that are read",
         [](std::string& bytes, const TestSupport::ShortcutParts& at) {
             bytes.insert(at.extra,
                          TestSupport::ExtraBlock(ShellLinkStructure::ReadLimit + 16, 0xA00000FF));
         }});
    // Wine drops the list, Windows cannot name it: the location names the target.
    shapes.push_back({"with an item ID list of an unknown item type",
                      [](std::string& b, const TestSupport::ShortcutParts& at) {
                          b.replace(at.list, 2 + TestSupport::GetNumber(b, at.list, 2),
                                    std::string("\x08\0\x06\0\x99\0\0\0\0\0", 10));
                      }});
    for (const TestSupport::ShortcutChange& shape : shapes) {
        SCOPED_TRACE(shape.what);
        ASSERT_TRUE(TestSupport::WriteChangedShortcut(changed, sample.fields.target, shape));
        ASSERT_TRUE(link.FileLoad(changed));
        // Without a local path, or advertised, the target is the item ID list's alone.
        EXPECT_EQ(link.LinkToName(), sample.fields.target);
        EXPECT_EQ(link.LinkDescription(), L"damaged");
    }
}

// Installers' shortcuts whose target is only an environment-variable path (Wine's reader
// ignores that block): the target comes from the file, expanded whole into a full path
// and made plain, until one is written; a save writes it as the target.
TEST(ShellLinkFile, TargetOnlyInTheEnvironmentBlockReadsExpanded) {
    TempDirectory folder;
    ASSERT_TRUE(SetEnvironmentVariableW(L"TARNWICK_TEST_DATA", folder.Path().c_str()));
    const std::wstring app = folder / L"App\\app.exe", accented = folder / L"Ap\u00e9\\app.exe";
    // The code page's copy alone is in the system's code page, its writer's.
    DWORD codePage = CP_ACP;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t));
    std::string ansi(64, '\0');
    const bool held = codePage == 1252 || codePage == CP_UTF8;
    ansi.resize(WideCharToMultiByte(codePage, 0, L"%TARNWICK_TEST_DATA%\\Ap\u00e9\\app.exe", -1,
                                    ansi.data(), 64, nullptr, nullptr));
    const struct {
        const char* what;
        std::wstring text; // the code page's copy holds "?" for what ASCII does not
        std::wstring target;
    } cases[] = {
        {"a variable", L"%TARNWICK_TEST_DATA%\\App\\app.exe", app},
        {"slashes, . and .., doubled separators",
         L"%TARNWICK_TEST_DATA%/Old\\..\\.\\\\App\\app.exe", app},
        {"a variable that is not set", L"%TARNWICK_TEST_UNSET%\\App\\app.exe", L""},
        {"a relative path", L"App\\app.exe", L""},
        {"the UTF-16 copy over the code page's", L"%TARNWICK_TEST_DATA%\\\u8cc7\u6599\\app.exe",
         folder / L"\u8cc7\u6599\\app.exe"},
        {"the code page's copy alone", L"", held ? accented : L""},
    };
    const std::wstring link = folder / L"installed.lnk";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = TestSupport::EnvironmentOnlyShortcut(c.text);
        if (c.text.empty() && held)
            bytes.replace(0x4C + 8, ansi.size(), ansi);
        ShellLinkFile file, saved;
        ASSERT_TRUE(file.FileLoad(TestSupport::WriteFile(link, bytes)));
        EXPECT_EQ(file.LinkPath(), c.target);
        EXPECT_EQ(file.LinkToName(), c.target);
        EXPECT_FALSE(file.FileIsDirty());
        file.LinkDescription(L"edited"); // Wine's save drops the block
        ASSERT_TRUE(file.FileSave({}));
        ASSERT_TRUE(saved.FileLoad(link));
        EXPECT_EQ(saved.LinkToName(), c.target);
    }
    // A target written takes the block's place.
    for (const bool byList : {false, true}) {
        ShellLinkFile file;
        ASSERT_TRUE(file.FileLoad(
            TestSupport::WriteFile(link, TestSupport::EnvironmentOnlyShortcut(cases[0].text))));
        byList ? file.LinkTo(ItemIDList(FunctionShell::ItemIDListFromName(link)).Get())
               : file.LinkPath(link);
        EXPECT_EQ(file.LinkPath(), link);
        EXPECT_EQ(file.LinkToName(), link);
    }
    SetEnvironmentVariableW(L"TARNWICK_TEST_DATA", nullptr);
}

TEST(ShellLinkFile, EmptyNameLoadsANewShortcut) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);

    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    RecordingScope recording;
    EXPECT_TRUE(link.FileLoad(L""));
    EXPECT_EQ(askedClasses, std::vector{CLSID_ShellLink});

    EXPECT_EQ(link.FileName(), L"");
    ExpectFields(link, ShortcutFields{});
    EXPECT_FALSE(link.FileIsDirty());
}

TEST(ShellLinkFile, DirtyStateFollowsTheShellObject) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);

    ShellLinkFile link;
    EXPECT_FALSE(link.FileIsDirty());
    link.LinkArgument(L"/x");
    EXPECT_TRUE(link.FileIsDirty());
    ASSERT_TRUE(link.FileSave(folder / L"saved.lnk"));
    EXPECT_FALSE(link.FileIsDirty());
    link.IconIndex(3);
    EXPECT_TRUE(link.FileIsDirty());
    ASSERT_TRUE(link.FileLoad(sample.file));
    EXPECT_FALSE(link.FileIsDirty());
}

TEST(ShellLinkFile, TargetByNameForFilesAndVirtualFolders) {
    TempDirectory folder;
    const std::wstring target = TestSupport::WriteFile(folder / L"target.txt", "x");

    ShellLinkFile link;
    EXPECT_FALSE(link.LinkTo());
    EXPECT_EQ(link.LinkToName(), L"");

    link.LinkToName(target);
    EXPECT_EQ(link.LinkToName(), target);
    EXPECT_EQ(link.LinkPath(), target);

    // An unparsable name leaves the target as it was.
    link.LinkToName(folder / L"missing.txt");
    EXPECT_EQ(link.LinkToName(), target);

    link.LinkToName(MyComputerName);
    const std::wstring name = link.LinkToName();
    EXPECT_TRUE(IsMyComputerName(name)) << name;
    EXPECT_EQ(link.LinkPath(), L""); // no file-system path: GetPath answers S_FALSE

    // Each read hands out a new list; a written list stays the caller's.
    ItemIDList first = link.LinkTo();
    ItemIDList second = link.LinkTo();
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.Get(), second.Get());
    ItemIDList targetList(FunctionShell::ItemIDListFromName(target));
    link.LinkTo(targetList.Get());
    targetList.Reset();
    EXPECT_EQ(link.LinkToName(), target);
}

TEST(ShellLinkFile, InternetShortcutNamesChooseTheInternetShortcutClass) {
    TempDirectory folder;
    const std::wstring url = TestSupport::WriteFile(
        folder / L"Site.URL", "[InternetShortcut]\r\nURL=http://example.com/\r\n");
    SampleShortcut sample(folder, L"sample.url.lnk");
    ASSERT_TRUE(sample.written);

    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    {
        RecordingScope recording;
        const bool loaded = link.FileLoad(url);
        ASSERT_FALSE(askedClasses.empty());
        EXPECT_EQ(askedClasses[0], CLSID_InternetShortcut);
        // Wine's Internet-shortcut class loads the file but refuses IShellLinkA
        // (E_NOINTERFACE), so there the load fails and the shortcut stays.
        if (InternetShortcutOffersShellLinkA()) {
            EXPECT_TRUE(loaded);
            EXPECT_EQ(link.FileName(), url);
        } else {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(link.FileName(), sample.file);
        }

        askedClasses.clear();
        EXPECT_FALSE(link.FileLoad(folder / L"missing.uRl"));
        EXPECT_EQ(askedClasses, std::vector{CLSID_InternetShortcut});

        askedClasses.clear();
        ASSERT_TRUE(link.FileLoad(sample.file));
        EXPECT_EQ(askedClasses, std::vector{CLSID_ShellLink});
    }
    EXPECT_EQ(link.FileName(), sample.file);
    EXPECT_EQ(link.LinkPath(), sample.fields.target);
}

TEST(ShellLinkFile, SaveUnderNewOldAndUnwritableNames) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);

    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));

    // An empty name saves under the current file.
    link.LinkDescription(L"saved in place");
    ASSERT_TRUE(link.FileSave(L""));
    EXPECT_EQ(link.FileName(), sample.file);
    ShortcutFields inPlace;
    ASSERT_TRUE(TestSupport::ReadShortcut(sample.file, inPlace));
    EXPECT_EQ(inPlace.description, L"saved in place");

    const std::wstring copy = folder / L"copy.lnk";
    ASSERT_TRUE(link.FileSave(copy));
    EXPECT_EQ(link.FileName(), copy);

    EXPECT_FALSE(link.FileSave(folder / L"missing\\copy.lnk"));
    EXPECT_EQ(link.FileName(), copy);

    // With no name at all, Save is still asked; the name follows its answer.
    ShellLinkFile fresh;
    const bool saved = fresh.FileSave(L"");
    EXPECT_EQ(fresh.FileName(), L"");
    EXPECT_FALSE(saved) << "saving a shortcut under an empty name worked";
}

TEST(ShellLinkFile, IconLocationIsCachedAndRefreshedFromTheShellObject) {
    TempDirectory folder;
    ShellLinkFile link;
    EXPECT_EQ(link.IconPath(), L"");
    EXPECT_EQ(link.IconIndex(), 0);

    link.IconPath(L"C:\\icons\\first.ico");
    link.IconIndex(5);
    EXPECT_EQ(link.IconPath(), L"C:\\icons\\first.ico");
    EXPECT_EQ(link.IconIndex(), 5);
    link.IconPath(L"C:\\icons\\second.ico");
    EXPECT_EQ(link.IconIndex(), 5); // the index goes along with a new path

    const std::wstring file = folder / L"icon.lnk";
    ASSERT_TRUE(link.FileSave(file));
    ShortcutFields oracle;
    ASSERT_TRUE(TestSupport::ReadShortcut(file, oracle));
    EXPECT_EQ(oracle.iconPath, L"C:\\icons\\second.ico");
    EXPECT_EQ(oracle.iconIndex, 5);
}

TEST(ShellLinkFile, HotKeyAndShowCommandPassThroughUnchecked) {
    ShellLinkFile link;
    link.LinkHotKey(SampleHotKey);
    EXPECT_EQ(link.LinkHotKey(), SampleHotKey);
    link.LinkShowCommand(SW_SHOWMAXIMIZED);
    EXPECT_EQ(link.LinkShowCommand(), SW_SHOWMAXIMIZED);
    link.LinkShowCommand(0x1234);
    EXPECT_EQ(link.LinkShowCommand(), 0x1234);
}

TEST(ShellLinkFile, InertInstanceReadsEmptyAndWritesNothing) {
    TempDirectory folder;
    const std::wstring file = folder / L"inert.lnk";
    std::unique_ptr<ShellLinkFile> link;
    {
        const ScopedBinding refused(FunctionObject::CreateInstanceCall(), &RefusedCreation);
        link = std::make_unique<ShellLinkFile>();
    }

    link->LinkPath(L"C:\\windows");
    link->LinkArgument(L"/x");
    link->LinkDescription(L"text");
    link->LinkToName(L"C:\\windows");
    link->LinkHotKey(SampleHotKey);
    link->IconPath(L"C:\\icons\\inert.ico");
    link->IconIndex(3);
    ExpectFields(*link, ShortcutFields{});
    EXPECT_FALSE(link->LinkTo());
    EXPECT_EQ(link->LinkHotKey(), 0);
    EXPECT_EQ(link->LinkShowCommand(), 0);
    EXPECT_FALSE(link->FileIsDirty());
    EXPECT_FALSE(link->FileSave(file));
    EXPECT_EQ(link->FileName(), L"");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(file)));

    // Loading makes an object of its own, which ends the inert state.
    ASSERT_TRUE(link->FileLoad(L""));
    link->LinkDescription(L"alive");
    EXPECT_EQ(link->LinkDescription(), L"alive");
    EXPECT_TRUE(link->FileSave(file));
}

namespace {

HRESULT WINAPI FailingDispatch(void*, ULONG_PTR, CALLCONV, VARTYPE, UINT, VARTYPE*, VARIANTARG**,
                               VARIANT*) {
    return DISP_E_BADCALLEE;
}

} // namespace

// A dispatch that never reached its method answers 0 like S_OK: no call may take it
// for a loaded, saved or clean shortcut.
TEST(ShellLinkFile, FailedDispatchIsNeverSuccess) {
    TempDirectory folder;
    SampleShortcut sample(folder);
    ASSERT_TRUE(sample.written);
    ShellLinkFile link;
    ASSERT_TRUE(link.FileLoad(sample.file));
    link.LinkDescription(L"changed");
    ASSERT_TRUE(link.FileIsDirty());
    const std::wstring copy = folder / L"copy.lnk";
    {
        const ScopedBinding failing(FunctionObject::DispatchCall(), &FailingDispatch);
        EXPECT_FALSE(link.FileLoad(sample.file));
        EXPECT_FALSE(link.FileSave(copy));
        EXPECT_FALSE(link.FileIsDirty());
        EXPECT_EQ(link.LinkPath(), L"");
        EXPECT_EQ(link.LinkDescription(), L"");
    }
    EXPECT_EQ(link.FileName(), sample.file);
    EXPECT_EQ(GetFileAttributesW(copy.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(link.LinkDescription(), L"changed");
}

#include "dialogs/DialogFolder.h"
#include "dialogs/DialogFolderFunction.h"
#include "dialogs/DialogPlatform.h"
#include "shell/FunctionShell.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TestSupport.h"
#include "toolkit/Handles.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

using FunctionObject::PointerValue;
using FunctionShell::ItemIDList;
using FunctionShell::ItemIDListFromName;
using namespace TestSupport;

namespace {

// A bare list address is no special-folder number: handing one over does not compile.
template <typename Argument>
constexpr bool TakesAsFolder = requires(DialogFolder& dialog, Argument argument) {
    dialog.FolderPIDL(argument);
    dialog.FolderRootPIDL(argument);
};
static_assert(TakesAsFolder<std::int32_t> && !TakesAsFolder<PointerValue>);

std::wstring WithoutTrailingBackslash(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The folder browser as the dialog class called it, and its answer.
struct BrowseCall {
    int calls = 0;
    BROWSEINFOA parameters{};
    PointerValue answer = 0; // handed over to the caller
};

BrowseCall browsed;

LPITEMIDLIST WINAPI RecordBrowse(BROWSEINFOA* parameters) {
    ++browsed.calls;
    browsed.parameters = *parameters;
    return reinterpret_cast<LPITEMIDLIST>(std::exchange(browsed.answer, 0));
}

class DialogFolderSeam : public testing::Test {
protected:
    void SetUp() override { browsed = BrowseCall(); }
    void TearDown() override { FunctionShell::FreeItemIDList(browsed.answer); }
    ScopedBinding<DialogPlatform::BrowseForFolderFunction> browse_{
        DialogPlatform::BrowseForFolderCall(), RecordBrowse};
};

// A window that records what the browse callback sends to its dialog.
struct SentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring text; // the path of a selection list, the status or window text
};

std::vector<SentMessage> sent;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BFFM_SETSELECTIONA: {
        wchar_t path[MAX_PATH] = {};
        SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), path);
        sent.push_back({message, wParam, lParam, path});
        return 0;
    }
    case BFFM_SETSTATUSTEXTA:
        sent.push_back(
            {message, wParam, lParam,
             FunctionShell::StringFromPointer(static_cast<PointerValue>(lParam), false)});
        return 0;
    case BFFM_ENABLEOK:
        sent.push_back({message, wParam, lParam, {}});
        return 0;
    case WM_SETTEXT:
        sent.push_back(
            {message, wParam, lParam,
             FunctionShell::StringFromPointer(static_cast<PointerValue>(lParam), false)});
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class RecordingWindow {
public:
    RecordingWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TarnwickBrowseRecorder";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "TarnwickBrowseRecorder", "platform caption", WS_POPUP, 0, 0,
                                  10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
        sent.clear();
    }
    ~RecordingWindow() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }

private:
    HWND window_;
};

void MoveTimesBack(const std::filesystem::path& folder) {
    const Toolkit::UniqueHandle<HANDLE, &CloseHandle> handle(
        CreateFileW(folder.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const FILETIME past{0, 0x01D00000}; // in 2014
    ASSERT_TRUE(SetFileTime(handle.Get(), nullptr, &past, &past));
}

int Callback(HWND window, UINT message, PointerValue parameter, const DialogFolder* dialog) {
    return DialogFolderFunction::FolderDialogCallback(
        window, message, static_cast<LPARAM>(parameter), reinterpret_cast<LPARAM>(dialog));
}

} // namespace

TEST(DialogFolder, RootIsMyComputerOrTheDesktop) {
    DialogFolder dialog;
    dialog.FolderRootPIDL(17);
    EXPECT_TRUE(SameText(dialog.FolderRootName(), MyComputerName)) << dialog.FolderRootName();

    dialog.FolderRootPIDL(0);
    const ItemIDList desktop = dialog.FolderRootPIDL();
    ASSERT_TRUE(desktop);
    EXPECT_EQ(reinterpret_cast<LPCITEMIDLIST>(desktop.Get())->mkid.cb, 0) << "the empty list";
}

TEST(DialogFolder, MyComputerHasANameButNoPath) {
    DialogFolder dialog;
    dialog.FolderPIDL(17);
    EXPECT_EQ(dialog.FolderPath(), L"");
    EXPECT_TRUE(SameText(dialog.FolderName(), MyComputerName)) << dialog.FolderName();
}

TEST(DialogFolder, ReadsAreDistinctCopies) {
    TempDirectory directory;
    DialogFolder dialog;
    dialog.FolderName(directory.Path().wstring());
    dialog.FolderRootPIDL(17);

    const ItemIDList first = dialog.FolderPIDL();
    const ItemIDList second = dialog.FolderPIDL();
    const ItemIDList root = dialog.FolderRootPIDL();
    ASSERT_TRUE(first && second && root);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_TRUE(ILIsEqual(reinterpret_cast<LPCITEMIDLIST>(first.Get()),
                          reinterpret_cast<LPCITEMIDLIST>(second.Get())));
    EXPECT_TRUE(SameText(dialog.FolderPath(), directory.Path().wstring()));
}

TEST(DialogFolder, EmptyOrUnparsableNameLeavesNoSelection) {
    DialogFolder dialog;
    dialog.FolderPIDL(17);
    dialog.FolderName(L"");
    EXPECT_FALSE(dialog.FolderPIDL());
    EXPECT_EQ(dialog.FolderName(), L"");
    dialog.FolderName(L"C:\\no such folder\\anywhere");
    EXPECT_FALSE(dialog.FolderPIDL());
}

TEST_F(DialogFolderSeam, PassesRootOwnerFlagsAndItself) {
    auto form = std::make_shared<DialogTests::WindowForm>();
    DialogFolder dialog;
    dialog.DialogOwner(form);
    dialog.DialogFlags(0x4);
    ItemIDList held = ItemIDListFromName(L"C:\\", 0);
    const PointerValue root = held.Get();
    ASSERT_NE(root, 0u);
    dialog.FolderRootPIDL(std::move(held)); // taken over

    EXPECT_FALSE(dialog.DialogShowModal());
    ASSERT_EQ(browsed.calls, 1);
    const BROWSEINFOA& p = browsed.parameters;
    EXPECT_EQ(p.hwndOwner, form->WindowHandle());
    EXPECT_EQ(reinterpret_cast<PointerValue>(p.pidlRoot), root) << "the list itself";
    EXPECT_NE(p.pszDisplayName, nullptr);
    EXPECT_EQ(p.lpszTitle, nullptr);
    EXPECT_EQ(p.ulFlags, 0x4u);
    EXPECT_EQ(p.lpfn, &DialogFolderFunction::FolderDialogCallback);
    EXPECT_EQ(p.lParam, reinterpret_cast<LPARAM>(&dialog));

    dialog.DialogOwner(std::make_shared<DialogTests::ThrowingForm>());
    dialog.DialogShowModal();
    EXPECT_EQ(browsed.calls, 2);
    EXPECT_EQ(browsed.parameters.hwndOwner, nullptr);
}

TEST_F(DialogFolderSeam, ConfirmFreesTheOldListOnceAndCancelKeepsTheNew) {
    TempDirectory first, second;
    DialogFolder dialog;
    ItemIDList held = ItemIDListFromName(first.Path().wstring(), 0);
    const PointerValue old = held.Get();
    dialog.FolderPIDL(std::move(held));
    browsed.answer = ItemIDListFromName(second.Path().wstring(), 0).Release();
    const auto chosen = reinterpret_cast<const void*>(browsed.answer);
    {
        TaskFreeRecorder frees;
        if (!frees.Registered())
            GTEST_SKIP() << "no malloc spy: the frees cannot be counted";
        EXPECT_TRUE(dialog.DialogShowModal());
        EXPECT_EQ(frees.FreesOf(reinterpret_cast<const void*>(old)), 1);
    }
    EXPECT_TRUE(SameText(dialog.FolderPath(), second.Path().wstring()));
    {
        TaskFreeRecorder frees;
        EXPECT_FALSE(dialog.DialogShowModal());
        EXPECT_EQ(frees.FreesOf(chosen), 0);
    }
    EXPECT_TRUE(SameText(dialog.FolderPath(), second.Path().wstring()));
}

TEST(DialogFolderCallback, InitializationSetsCaptionAndPreselectsACopy) {
    TempDirectory directory;
    DialogFolder dialog;
    dialog.DialogTitle(L"Choose the link target");
    dialog.FolderName(directory.Path().wstring());
    RecordingWindow window;

    EXPECT_EQ(Callback(window.Handle(), BFFM_INITIALIZED, 0, &dialog), 0);

    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, UINT(WM_SETTEXT));
    EXPECT_EQ(sent[0].text, L"Choose the link target");
    EXPECT_EQ(sent[1].message, UINT(BFFM_SETSELECTIONA));
    EXPECT_EQ(sent[1].wParam, 0u) << "lParam is a list, not a path";
    EXPECT_TRUE(SameText(sent[1].text, directory.Path().wstring()));
    EXPECT_TRUE(SameText(dialog.FolderPath(), directory.Path().wstring())) << "held list intact";
}

TEST(DialogFolderCallback, NoTitleAndNoSelectionSendNothing) {
    DialogFolder dialog;
    dialog.FolderName(L"");
    RecordingWindow window;
    Callback(window.Handle(), BFFM_INITIALIZED, 0, &dialog);
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(WindowText(window.Handle()), L"platform caption");

    dialog.DialogTitle(L"ignored");
    Callback(window.Handle(), BFFM_INITIALIZED, 0, nullptr);
    EXPECT_TRUE(sent.empty()) << "no callback data, nothing done";
}

TEST(DialogFolderCallback, SelectionSetsStatusAndOkState) {
    TempDirectory directory;
    DialogFolder dialog;
    RecordingWindow window;
    const ItemIDList folder(ItemIDListFromName(directory.Path().wstring(), 0));
    ASSERT_TRUE(folder);

    Callback(window.Handle(), BFFM_SELCHANGED, folder.Get(), &dialog);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].message, UINT(BFFM_SETSTATUSTEXTA));
    EXPECT_TRUE(SameText(sent[0].text, directory.Path().wstring())) << sent[0].text;
    EXPECT_EQ(sent[1].message, UINT(BFFM_ENABLEOK));
    EXPECT_EQ(sent[1].lParam, TRUE);

    // An item with no parsing name.
    sent.clear();
    Callback(window.Handle(), BFFM_SELCHANGED, 0, &dialog);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].text, L"");
    EXPECT_EQ(sent[1].message, UINT(BFFM_ENABLEOK));
    EXPECT_EQ(sent[1].lParam, FALSE);
}

// The real folder browser, finished by the driver.

TEST(DialogFolderReal, OpensOnTheHeldUnicodeFolderWithTheTitleAsCaption) {
    TempDirectory temporary;
    // The caption and the folder cross the ANSI boundary: in Japanese where code page 932
    // holds it, with names outside every legacy code page under UTF-8.
    const bool utf8 = AnsiCodePageIsUtf8();
    const std::wstring japanese =
        L"\x4f5c\x696d\x30c7\x30a3\x30ec\x30af\x30c8\x30ea\x306e\x6307\x5b9a";
    const std::wstring title = utf8                  ? japanese + L" " + UnicodeName
                               : AnsiCodePageIs932() ? japanese
                                                     : L"Choose the working directory";
    const std::wstring folder = temporary / (utf8 ? UnicodeName : L"Held");
    CreateDirectoryW(folder.c_str(), nullptr);
    DialogFolder dialog;
    dialog.DialogTitle(title);
    dialog.FolderName(folder);
    dialog.FolderRootPIDL(17);
    // The times of the folder and of its parent change after it was chosen, as writing
    // into them does; then a read moves the parent's on again.
    MoveTimesBack(folder);
    MoveTimesBack(temporary.Path());

    std::wstring caption;
    bool okEnabled = false;
    DialogDriver driver({[&](HWND d) {
        caption = WindowText(d);
        okEnabled = IsWindowEnabled(GetDlgItem(d, IDOK)) != FALSE;
        PressButton(d, IDOK);
    }});
    EXPECT_TRUE(dialog.DialogShowModal());
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(caption, title);
    EXPECT_TRUE(okEnabled);
    EXPECT_TRUE(SameText(WithoutTrailingBackslash(dialog.FolderPath()), folder))
        << dialog.FolderPath();
}

TEST(DialogFolderReal, CancelKeepsTheHeldFolder) {
    TempDirectory directory;
    DialogFolder dialog;
    dialog.FolderName(directory.Path().wstring());
    DialogDriver driver({[](HWND d) { PressButton(d, IDCANCEL); }});
    EXPECT_FALSE(dialog.DialogShowModal());
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(SameText(dialog.FolderPath(), directory.Path().wstring()));
}

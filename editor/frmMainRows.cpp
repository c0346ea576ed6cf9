// The editor's fields, one row each, in tab order, and the browse buttons of each.
#include "editor/frmMainRows.h"

#include "base/FullPathName.h"
#include "resources/resource.h"
#include "shell/DragData.h"
#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"

#include <commdlg.h>
#include <shlobj.h>

#include <array>

using namespace std::string_view_literals;

namespace {

using Browse = frmMain::BrowseRow;
using Dialog = Browse::Dialog;
using Action = Browse::Action;

constexpr std::uint32_t HideReadOnly = OFN_HIDEREADONLY;
constexpr std::uint32_t ShortcutsThemselves = OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;
constexpr std::wstring_view NoFilter;
constexpr std::wstring_view AllFiles = L"All Files (*.*)\0*.*\0"sv;
constexpr std::int32_t DesktopRoot = CSIDL_DESKTOP;
constexpr std::int32_t ComputerRoot = CSIDL_DRIVES;

// "ShellLink Files (*.lnk;*.pif;*.url)", NUL, "*.lnk;*.pif;*.url", NUL: the kinds of
// shortcut file, all of them or those saved.
std::wstring ShortcutFilter(bool savedOnly) {
    std::wstring patterns;
    for (const ShortcutKind& kind : ShortcutKinds) {
        if (savedOnly && !kind.Saved)
            continue;
        if (!patterns.empty())
            patterns += L';';
        patterns += L'*';
        patterns += kind.Extension;
    }
    return L"ShellLink Files (" + patterns + L")" + L'\0' + patterns + L'\0';
}
const std::wstring OpenFilter = ShortcutFilter(false);
const std::wstring SaveFilter = ShortcutFilter(true);

const Browse FileNameBrowse[] = {
    {{5880, 480, 240, 264},
     IDB_BROWSE_OPEN,
     L"既存のショートカットファイルを開きます。",
     Dialog::Open,
     true,
     L"ショートカットファイルを開く",
     OpenFilter,
     ShortcutsThemselves,
     false,
     0,
     Action::FileName},
    {{6120, 480, 240, 264},
     IDB_BROWSE_SAVE,
     L"名前を付けて保存します。",
     Dialog::SaveAs,
     true,
     L"名前を付けてショートカットファイルを保存する",
     SaveFilter,
     ShortcutsThemselves | OFN_OVERWRITEPROMPT,
     false,
     0,
     Action::SaveAs},
};
constexpr Browse LinkToBrowse[] = {
    {{5880, 840, 240, 264},
     IDB_BROWSE_DOCUMENT,
     L"リンク先のファイルを指定します。",
     Dialog::File,
     false,
     L"リンク先の指定",
     AllFiles,
     HideReadOnly,
     false,
     0,
     Action::FileName},
    {{6120, 840, 240, 264},
     IDB_BROWSE_FOLDER,
     L"リンク先のフォルダを指定します。",
     Dialog::Folder,
     false,
     L"リンク先の指定",
     NoFilter,
     0,
     true,
     DesktopRoot,
     Action::TargetFolder},
};
constexpr Browse ArgumentBrowse[] = {
    {{5880, 1200, 240, 264},
     IDB_BROWSE_DOCUMENT,
     L"引数となるファイルの名前を指定します。",
     Dialog::File,
     false,
     L"引数の指定",
     AllFiles,
     HideReadOnly,
     false,
     0,
     Action::FileName},
    {{6120, 1200, 240, 264},
     IDB_BROWSE_FOLDER,
     L"引数となるディレクトリの名前を指定します。",
     Dialog::Folder,
     false,
     L"引数の指定",
     NoFilter,
     0,
     true,
     DesktopRoot,
     Action::FolderName},
};
constexpr Browse DirectoryBrowse[] = {
    {{6120, 1560, 240, 264},
     IDB_BROWSE_FOLDER,
     L"作業ディレクトリを参照します。",
     Dialog::Folder,
     false,
     L"作業ディレクトリの指定",
     NoFilter,
     0,
     false,
     ComputerRoot,
     Action::FolderPath},
};

bool Offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data != nullptr && format != 0 && data->QueryGetData(&wanted) == S_OK;
}

CLIPFORMAT ItemListFormat() {
    return static_cast<CLIPFORMAT>(static_cast<std::uint16_t>(FunctionShell::ShellIDListFormat()));
}

// "*.lnk", "*.pif" or "*.url", matched case-sensitively as intended: ".LNK" is no match.
bool IsShortcutName(std::wstring_view name) {
    for (const ShortcutKind& kind : ShortcutKinds)
        if (name.ends_with(kind.Extension))
            return true;
    return false;
}

// A name whose attributes cannot be read (missing, empty, outside the code page) is no
// directory.
bool IsDirectory(std::wstring_view name) {
    const auto ansi = FunctionShell::AnsiFromString(name);
    const DWORD attributes = ansi ? GetFileAttributesA(ansi->c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

const frmMain::FieldRow frmMain::FieldRows[FieldCount] = {
    {
        .label = L"ファイル名(&F):",
        .labelBounds = {120, 480, 1152, 180},
        .prompt = L"リンクファイルをDragDropして下さい。",
        .toolTip = L"リンクファイルの名前です。DragDrop可能です。",
        .hasText = true,
        .valueBounds = {1320, 480, 4560, 264},
        .locked = true,
        .read = [](const ShellLinkFile& link) { return link.FileName(); },
        // Made full once, here: the file dialogs move the current directory, and the
        // shortcut must be saved where it was read. A name that does not load leaves the
        // previous shortcut; either way the field then shows the shortcut's own name.
        .write = [](ShellLinkFile& link,
                    std::wstring_view text) { link.FileLoad(FullPath::FullPathName(text)); },
        .acceptsDrag =
            [](IDataObject* data) { return IsShortcutName(FunctionShell::FileNameFromData(data)); },
        // The field synchronisation opens the dropped shortcut.
        .drop = &frmMain::DropName,
        .browse = FileNameBrowse,
    },
    {
        .label = L"リンク先(&L):",
        .labelBounds = {120, 840, 864, 180},
        .prompt = L"リンク先をDragDropして下さい。",
        .toolTip = L"リンク先の名前です。DragDrop可能です。",
        .hasText = true,
        .valueBounds = {1320, 840, 4560, 264},
        .locked = true,
        .read = [](const ShellLinkFile& link) { return link.LinkToName(); },
        .write = [](ShellLinkFile& link, std::wstring_view text) { link.LinkToName(text); },
        // A file list alone is accepted too; its drop then finds no item and does nothing.
        .acceptsDrag =
            [](IDataObject* data) {
                return Offers(data, CF_HDROP) || Offers(data, ItemListFormat());
            },
        .drop = &frmMain::DropLinkTo,
        .browse = LinkToBrowse,
    },
    {
        .label = L"引数(&A):",
        .labelBounds = {120, 1200, 636, 180},
        .prompt = L"引数を設定して下さい。",
        .toolTip = L"引数です。DragDrop可能です。",
        .hasText = true,
        .valueBounds = {1320, 1200, 4560, 264},
        .locked = false,
        .read = [](const ShellLinkFile& link) { return link.LinkArgument(); },
        .write = [](ShellLinkFile& link, std::wstring_view text) { link.LinkArgument(text); },
        .acceptsDrag =
            [](IDataObject* data) { return !FunctionShell::FileNameFromData(data).empty(); },
        .drop = &frmMain::DropName,
        .browse = ArgumentBrowse,
    },
    {
        .label = L"ディレクトリ(&W):",
        .labelBounds = {120, 1560, 1128, 180},
        .prompt = L"作業ディレクトリをDragDropして下さい。",
        .toolTip = L"作業ディレクトリです。DragDrop可能です。",
        .hasText = true,
        .valueBounds = {1320, 1560, 4800, 264},
        .locked = true,
        .read = [](const ShellLinkFile& link) { return link.LinkDirectory(); },
        .write = [](ShellLinkFile& link, std::wstring_view text) { link.LinkDirectory(text); },
        .acceptsDrag =
            [](IDataObject* data) { return IsDirectory(FunctionShell::FileNameFromData(data)); },
        .drop = &frmMain::DropFolderName,
        .browse = DirectoryBrowse,
    },
    {
        .label = L"説明(&D):",
        .labelBounds = {120, 1920, 636, 180},
        .prompt = L"説明を設定して下さい。",
        .toolTip = L"説明などです。",
        .hasText = true,
        .valueBounds = {1320, 1920, 5040, 264},
        .locked = false,
        .read = [](const ShellLinkFile& link) { return link.LinkDescription(); },
        .write = [](ShellLinkFile& link, std::wstring_view text) { link.LinkDescription(text); },
        .acceptsDrag = [](IDataObject*) { return false; },
        .drop = nullptr,
        .browse = {},
    },
    {
        .label = L"アイコン(&I)",
        .labelBounds = {120, 2280, 768, 180},
        .prompt = L"アイコンを設定して下さい。",
        .toolTip = L"表示用のアイコンを設定します。",
        .hasText = false,
        .valueBounds = {240, 2640, 480, 480},
        .locked = false,
        .read = nullptr,
        .write = nullptr,
        .acceptsDrag =
            [](IDataObject* data) {
                return FunctionShell::IconCountInFile(FunctionShell::FileNameFromData(data)) > 0;
            },
        .drop = &frmMain::DropIcon,
        .browse = {},
    },
};

frmMain::BrowseButton frmMain::BrowseButtonOf(int button) {
    // Numbered in tab order, as they are made.
    static const auto buttons = [] {
        std::array<BrowseButton, BrowseButtonCount> all{};
        std::size_t next = 0;
        for (std::int16_t field = 0; field < FieldCount; ++field)
            for (const BrowseRow& browse : FieldRows[field].browse)
                all.at(next++) = {&browse, field};
        return all;
    }();
    return buttons.at(static_cast<std::size_t>(button));
}

// The browse, icon and command buttons: which dialog each button shows, what a
// confirmed dialog writes, and OK, Close and Update.
#include "editor/frmMain.h"
#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string_view>

using namespace std::string_view_literals;

using Toolkit::CommandButton;

namespace {

enum class BrowseDialog { Open, SaveAs, File, Folder };
// What a confirmed dialog writes, and where.
enum class BrowseAction { FileName, SaveAs, TargetFolder, FolderName, FolderPath };

struct BrowseRow {
    BrowseDialog dialog;
    int initialField; // the initial name: this field's text, or -1 for the shortcut's name
    const wchar_t* title;
    std::wstring_view filter; // description, NUL, pattern, NUL
    std::uint32_t flags;      // of the file dialog
    bool clearsFolderFlags;   // the folder dialog's flags are set to 0 first
    FunctionObject::PointerValue root;
    BrowseAction action;
    int resultField;
};

constexpr std::uint32_t HideReadOnly = OFN_HIDEREADONLY;
constexpr std::uint32_t ShortcutsThemselves = OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;
constexpr std::wstring_view NoFilter;
constexpr std::wstring_view AllFiles = L"All Files (*.*)\0*.*\0"sv;
constexpr FunctionObject::PointerValue DesktopRoot = CSIDL_DESKTOP;
constexpr FunctionObject::PointerValue ComputerRoot = CSIDL_DRIVES;

constexpr BrowseRow BrowseRows[frmMain::BrowseButtonCount] = {
    {BrowseDialog::Open, -1, L"ショートカットファイルを開く",
     L"ShellLink Files (*.lnk;*.pif;*.url)\0*.lnk;*.pif;*.url\0"sv, ShortcutsThemselves, false, 0,
     BrowseAction::FileName, frmMain::FieldFileName},
    {BrowseDialog::SaveAs, -1, L"名前を付けてショートカットファイルを保存する",
     L"ShellLink Files (*.lnk)\0*.lnk\0"sv, ShortcutsThemselves | OFN_OVERWRITEPROMPT, false, 0,
     BrowseAction::SaveAs, frmMain::FieldFileName},
    {BrowseDialog::File, frmMain::FieldLinkTo, L"リンク先の指定", AllFiles, HideReadOnly, false, 0,
     BrowseAction::FileName, frmMain::FieldLinkTo},
    {BrowseDialog::Folder, frmMain::FieldLinkTo, L"リンク先の指定", NoFilter, 0, true, DesktopRoot,
     BrowseAction::TargetFolder, frmMain::FieldLinkTo},
    {BrowseDialog::File, frmMain::FieldArgument, L"引数の指定", AllFiles, HideReadOnly, false, 0,
     BrowseAction::FileName, frmMain::FieldArgument},
    {BrowseDialog::Folder, frmMain::FieldArgument, L"引数の指定", NoFilter, 0, true, DesktopRoot,
     BrowseAction::FolderName, frmMain::FieldArgument},
    {BrowseDialog::Folder, frmMain::FieldDirectory, L"作業ディレクトリの指定", NoFilter, 0, false,
     ComputerRoot, BrowseAction::FolderPath, frmMain::FieldDirectory},
};

constexpr std::int16_t CommandOK = 0;
constexpr std::int16_t CommandClose = 1;
constexpr std::int16_t CommandUpdate = 2;
constexpr std::int16_t BrowseSaveAs = 1;

} // namespace

void frmMain::ConnectButtons() {
    for (CommandButton* button : browse_)
        button->Click = [this](std::int16_t index) { cmdBrowse_Click(index); };
    icon_->Click = [this](std::int16_t) { cmdIcon_Click(); };
    for (CommandButton* button : commands_)
        button->Click = [this](std::int16_t index) { cmdCommand_Click(index); };
}

void frmMain::cmdBrowse_Click(std::int16_t Index) {
    if (Index >= 0 && Index < BrowseButtonCount)
        RunBrowse(Index);
}

bool frmMain::RunBrowse(std::int16_t index) {
    Load();
    const BrowseRow& row = BrowseRows[index];
    const std::wstring initial =
        row.initialField < 0 ? linkFile_->FileName() : txtText(row.initialField).Text();

    bool confirmed = false;
    if (row.dialog == BrowseDialog::Folder) {
        const auto shown = folderDialog_;
        DialogFolder& dialog = *shown;
        dialog.FolderName(initial);
        dialog.DialogTitle(row.title);
        dialog.FolderRootPIDL(row.root);
        if (row.clearsFolderFlags)
            dialog.DialogFlags(0);
        confirmed = dialog.DialogShowModal();
    } else {
        const auto shown = fileDialog_;
        DialogFile& dialog = *shown;
        dialog.FileName(initial);
        dialog.DialogTitle(row.title);
        dialog.FileFilterIndex(1);
        dialog.FileFilter(row.filter);
        dialog.DialogFlags(row.flags);
        confirmed = dialog.DialogShowModal(row.dialog == BrowseDialog::SaveAs);
    }
    // An unload while the dialog was open leaves nothing to write to.
    if (!confirmed || !linkFile_)
        return confirmed;

    switch (row.action) {
    case BrowseAction::FileName:
        WriteField(row.resultField, fileDialog_->FileName());
        break;
    case BrowseAction::SaveAs: {
        // The saved shortcut is not read again: only its (possibly new) name shows.
        linkFile_->FileSave(fileDialog_->FileName());
        const UpdatingScope updating(updating_);
        txtText(row.resultField).Text(linkFile_->FileName());
        break;
    }
    case BrowseAction::TargetFolder: {
        // By its item ID list, so that a folder without a path can be the target too.
        const FunctionShell::ItemIDList chosen(folderDialog_->FolderPIDL());
        linkFile_->LinkTo(chosen.Get());
        WriteField(row.resultField, linkFile_->LinkToName());
        break;
    }
    case BrowseAction::FolderName:
        WriteField(row.resultField, folderDialog_->FolderName());
        break;
    case BrowseAction::FolderPath:
        WriteField(row.resultField, folderDialog_->FolderPath());
        break;
    }
    return true;
}

void frmMain::cmdIcon_Click() {
    Load();
    const auto dialog = iconDialog_;
    dialog->IconFileName(linkFile_->IconPath());
    dialog->IconIndex(linkFile_->IconIndex());
    if (!dialog->DialogShowModal() || !linkFile_)
        return;
    linkFile_->IconPath(dialog->IconFileName());
    linkFile_->IconIndex(dialog->IconIndex());
    // Built from what the shortcut now holds, not from the dialog's answer.
    ShowIconPicture(
        FunctionShell::IconPictureFromFile(linkFile_->IconPath(), linkFile_->IconIndex()));
    ShowCommandsEnabled();
}

void frmMain::cmdCommand_Click(std::int16_t Index) {
    switch (Index) {
    case CommandOK:
        // A save that failed keeps the window, so that the changes are not lost
        // unseen; a save-as the user cancelled closes as asked.
        if (Update() && linkFile_ && linkFile_->FileIsDirty())
            return;
        Unload();
        return;
    case CommandClose:
        Unload();
        return;
    case CommandUpdate:
        Update();
        return;
    default:
        return;
    }
}

bool frmMain::Update() {
    bool confirmed = true;
    if (txtText(FieldFileName).Text().empty())
        confirmed = RunBrowse(BrowseSaveAs);
    else
        linkFile_->FileSave({});
    if (linkFile_)
        ShowCommandsEnabled();
    return confirmed;
}

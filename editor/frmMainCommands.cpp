// The browse, icon and command buttons: which dialog each button shows, what a
// confirmed dialog writes, and OK, Close and Update.
#include "editor/frmMain.h"
#include "editor/frmMainRows.h"
#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string_view>

using namespace std::string_view_literals;

using Toolkit::CommandButton;

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
    const auto [browse, field] = BrowseButtonOf(index);
    const BrowseRow& row = *browse;
    const std::wstring initial =
        row.initialIsShortcutName ? linkFile_->FileName() : txtText(field).Text();

    bool confirmed = false;
    if (row.dialog == BrowseRow::Dialog::Folder) {
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
        confirmed = dialog.DialogShowModal(row.dialog == BrowseRow::Dialog::SaveAs);
    }
    // An unload while the dialog was open leaves nothing to write to.
    if (!confirmed || !linkFile_)
        return confirmed;

    switch (row.action) {
    case BrowseRow::Action::FileName:
        WriteField(field, fileDialog_->FileName());
        break;
    case BrowseRow::Action::SaveAs: {
        // The saved shortcut is not read again: only its (possibly new) name shows.
        linkFile_->FileSave(fileDialog_->FileName());
        const UpdatingScope updating(updating_);
        txtText(field).Text(linkFile_->FileName());
        break;
    }
    case BrowseRow::Action::TargetFolder: {
        // By its item ID list, so that a folder without a path can be the target too.
        const FunctionShell::ItemIDList chosen = folderDialog_->FolderPIDL();
        linkFile_->LinkTo(chosen.Get());
        WriteField(field, linkFile_->LinkToName());
        break;
    }
    case BrowseRow::Action::FolderName:
        WriteField(field, folderDialog_->FolderName());
        break;
    case BrowseRow::Action::FolderPath:
        WriteField(field, folderDialog_->FolderPath());
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
        confirmed = RunBrowse(SaveAsButton());
    else
        linkFile_->FileSave({});
    if (linkFile_)
        ShowCommandsEnabled();
    return confirmed;
}

std::int16_t frmMain::SaveAsButton() {
    std::int16_t button = 0;
    while (BrowseButtonOf(button).row->action != BrowseRow::Action::SaveAs)
        ++button;
    return button;
}

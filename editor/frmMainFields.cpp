// The field synchronisation: a write into a field goes into the shortcut, and the
// window shows again what the shortcut now holds.
#include "base/Trace.h"
#include "editor/frmMain.h"
#include "editor/frmMainRows.h"
#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"

void frmMain::txtText_Change(std::int16_t Index) {
    if (updating_ || !linkFile_)
        return;
    const UpdatingScope updating(updating_);
    try {
        WriteBack(Index);
        ShowFields();
        // The icon follows the file and the target only: a keystroke in the arguments,
        // directory or description would only make the same picture again.
        if (Index == FieldFileName || Index == FieldLinkTo)
            ShowIconSoon();
        ShowCommandsEnabled();
    } catch (...) {
        // A failure ends the synchronisation; the fields show what they have.
        TraceFailure(L"the field synchronisation");
    }
}

void frmMain::WriteField(std::int16_t index, std::wstring_view text) {
    // The text box raises no change for the text it already shows, but a write still
    // counts: the same shortcut is opened again, and OK and Update follow what the
    // shortcut now holds (a target set by its item ID list names the same text).
    if (txtText(index).Text() == text)
        txtText_Change(index);
    else
        txtText(index).Text(text);
}

void frmMain::WriteBack(std::int16_t index) {
    if (index >= 0 && index < FieldCount && FieldRows[index].write)
        FieldRows[index].write(*linkFile_, txtText(index).Text());
}

void frmMain::ShowFields() {
    // Read back everything, so that a value the shortcut refused or normalised shows
    // as the shortcut holds it.
    for (std::int16_t field = 0; field < FieldCount; ++field)
        if (FieldRows[field].read)
            txtText(field).Text(FieldRows[field].read(*linkFile_));
}

void frmMain::ShowIcon() {
    const ShellLinkFile& link = *linkFile_;
    const std::wstring iconPath = link.IconPath();
    if (!iconPath.empty()) {
        ShowIconPicture(FunctionShell::IconPictureFromFile(iconPath, link.IconIndex()));
        return;
    }
    const FunctionShell::ItemIDList target = link.LinkTo();
    ShowIconPicture(FunctionShell::IconPictureFromItemIDList(target.Get()));
}

void frmMain::ShowIconSoon() {
    // Asking the shell for an icon is the slowest step of a synchronisation, and a
    // window unloaded before it takes a message (the launcher's) never shows it.
    if (iconPending_)
        return;
    iconPending_ = true;
    Post([this] {
        if (!iconPending_)
            return; // a picture was set meanwhile
        iconPending_ = false;
        ShowIcon();
    });
}

void frmMain::ShowIconPicture(const FunctionShell::Picture& picture) {
    iconPending_ = false; // a picture set now replaces the one still to come
    const HICON icon = FunctionShell::IconOfPicture(picture);
    cmdIcon().Picture(Toolkit::UniqueIcon(icon != nullptr ? CopyIcon(icon) : nullptr));
}

void frmMain::ShowCommandsEnabled() {
    cmdCommand(CommandOK).Enabled(linkFile_->FileIsDirty());
    cmdCommand(CommandUpdate).Enabled(linkFile_->FileIsDirty());
}

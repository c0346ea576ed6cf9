// Drag and drop: one pair of rules for the window and the controls that forward to it;
// the current field, not the pointer, says which rule applies.
#include "editor/frmMain.h"
#include "editor/frmMainRows.h"
#include "shell/DragData.h"
#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"

#include <shlobj.h>

#include <string_view>
#include <utility>
#include <vector>

using Toolkit::CommandButton;
using Toolkit::Control;

void frmMain::ConnectDrops() {
    using Toolkit::DragEventArgs;
    const Control::DragHandler over = [this](std::int16_t, DragEventArgs& args) {
        Form_OLEDragOver(args);
    };
    const Control::DragHandler drop = [this](std::int16_t, DragEventArgs& args) {
        Form_OLEDragDrop(args);
    };
    // Passing over a field's text box, label or button first makes it current.
    const auto selectThenOver = [this](std::int16_t field) -> Control::DragHandler {
        return [this, field](std::int16_t, DragEventArgs& args) {
            txtText_GotFocus(field);
            Form_OLEDragOver(args);
        };
    };
    OLEDragOver = over;
    OLEDragDrop = drop;
    std::vector<std::pair<Control*, Control::DragHandler>> targets = {
        {caption_, over}, {icon_, selectThenOver(FieldIcon)}};
    for (CommandButton* command : commands_)
        targets.emplace_back(command, over);
    for (int field = 0; field < FieldCount; ++field) {
        const auto index = static_cast<std::int16_t>(field);
        targets.emplace_back(labels_[field], selectThenOver(index));
        if (FieldRows[field].hasText)
            targets.emplace_back(fields_[field], selectThenOver(index));
    }
    for (auto& [control, overHandler] : targets) {
        control->OLEDragOver = std::move(overHandler);
        control->OLEDragDrop = drop;
    }
}

void frmMain::Form_OLEDragOver(Toolkit::DragEventArgs& Args) {
    const bool accepts = currentField_ >= 0 && currentField_ < FieldCount &&
                         FieldRows[currentField_].acceptsDrag(Args.Data);
    Args.Effect = accepts ? DROPEFFECT_LINK : DROPEFFECT_NONE;
}

void frmMain::Form_OLEDragDrop(Toolkit::DragEventArgs& Args) {
    if (!linkFile_ || currentField_ < 0 || currentField_ >= FieldCount)
        return;
    const auto field = static_cast<std::int16_t>(currentField_);
    if (const auto drop = FieldRows[field].drop)
        (this->*drop)(field, Args.Data);
}

// Data that yields no name (a damaged file list from another process) leaves the field
// as it was, as a refused drop does.
void frmMain::DropName(std::int16_t field, IDataObject* data) {
    if (const std::wstring name = FunctionShell::FileNameFromData(data); !name.empty())
        WriteField(field, name);
}

// The drag test runs again: the folder may have gone since the pointer passed.
void frmMain::DropFolderName(std::int16_t field, IDataObject* data) {
    if (FieldRows[field].acceptsDrag(data))
        DropName(field, data);
}

// The target goes in as an item ID list, so that items without a file-system path
// (virtual folders) can be targets too.
void frmMain::DropLinkTo(std::int16_t field, IDataObject* data) {
    const FunctionShell::ItemIDList target(FunctionShell::ItemIDListFromData(data));
    // A damaged list names nothing: the target stays as it was.
    if (!target || FunctionShell::NameFromItemIDList(target.Get()).empty())
        return;
    linkFile_->LinkTo(target.Get());
    WriteField(field, linkFile_->LinkToName());
}

void frmMain::DropIcon(std::int16_t, IDataObject* data) {
    const std::wstring fileName = FunctionShell::FileNameFromData(data);
    if (FunctionShell::IconCountInFile(fileName) < 1)
        return;
    linkFile_->IconPath(fileName);
    linkFile_->IconIndex(0);
    ShowIconPicture(FunctionShell::IconPictureFromFile(fileName, 0));
    ShowCommandsEnabled();
}

// Drag and drop: one pair of rules for the window and the controls that forward to it;
// the current field, not the pointer, says which rule applies.
#include "editor/frmMain.h"
#include "shell/DragData.h"
#include "shell/FunctionShell.h"
#include "shell/IconPictures.h"

#include <shlobj.h>

#include <string_view>
#include <utility>
#include <vector>

using Toolkit::CommandButton;
using Toolkit::Control;

namespace {

bool Offers(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data != nullptr && format != 0 && data->QueryGetData(&wanted) == S_OK;
}

CLIPFORMAT ItemListFormat() {
    return static_cast<CLIPFORMAT>(static_cast<std::uint16_t>(FunctionShell::ShellIDListFormat()));
}

// "*.lnk", "*.pif" or "*.url", matched case-sensitively as intended: ".LNK" is no match.
bool IsShortcutName(std::wstring_view name) {
    return name.ends_with(L".lnk") || name.ends_with(L".pif") || name.ends_with(L".url");
}

// A name whose attributes cannot be read (missing, empty, outside the code page) is no
// directory.
bool IsDirectory(std::wstring_view name) {
    const auto ansi = FunctionShell::AnsiFromString(name);
    const DWORD attributes = ansi ? GetFileAttributesA(ansi->c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

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
        if (field < TextFieldCount)
            targets.emplace_back(fields_[field], selectThenOver(index));
    }
    for (auto& [control, overHandler] : targets) {
        control->OLEDragOver = std::move(overHandler);
        control->OLEDragDrop = drop;
    }
}

void frmMain::Form_OLEDragOver(Toolkit::DragEventArgs& Args) {
    Args.Effect = AcceptsDrag(Args.Data) ? DROPEFFECT_LINK : DROPEFFECT_NONE;
}

// Runs on every pointer movement: each field reads only what its own test needs.
bool frmMain::AcceptsDrag(IDataObject* data) const {
    switch (currentField_) {
    case FieldFileName:
        return IsShortcutName(FunctionShell::FileNameFromData(data));
    case FieldLinkTo:
        // A file list alone is accepted too; its drop then finds no item and does nothing.
        return Offers(data, CF_HDROP) || Offers(data, ItemListFormat());
    case FieldArgument:
        return !FunctionShell::FileNameFromData(data).empty();
    case FieldDirectory:
        return IsDirectory(FunctionShell::FileNameFromData(data));
    case FieldIcon:
        return FunctionShell::IconCountInFile(FunctionShell::FileNameFromData(data)) > 0;
    default:
        return false;
    }
}

void frmMain::Form_OLEDragDrop(Toolkit::DragEventArgs& Args) {
    if (!linkFile_)
        return;
    IDataObject* const data = Args.Data;
    switch (currentField_) {
    case FieldFileName:
        // The field synchronisation opens the dropped shortcut.
        WriteField(FieldFileName, FunctionShell::FileNameFromData(data));
        return;
    case FieldLinkTo:
        DropLinkTo(data);
        return;
    case FieldArgument:
        WriteField(FieldArgument, FunctionShell::FileNameFromData(data));
        return;
    case FieldDirectory:
        if (const std::wstring name = FunctionShell::FileNameFromData(data); IsDirectory(name))
            WriteField(FieldDirectory, name);
        return;
    case FieldIcon:
        DropIcon(FunctionShell::FileNameFromData(data));
        return;
    default:
        return;
    }
}

// The target goes in as an item ID list, so that items without a file-system path
// (virtual folders) can be targets too.
void frmMain::DropLinkTo(IDataObject* data) {
    const FunctionShell::ItemIDList target(FunctionShell::ItemIDListFromData(data));
    if (!target)
        return;
    linkFile_->LinkTo(target.Get());
    WriteField(FieldLinkTo, linkFile_->LinkToName());
}

void frmMain::DropIcon(const std::wstring& fileName) {
    if (FunctionShell::IconCountInFile(fileName) < 1)
        return;
    linkFile_->IconPath(fileName);
    linkFile_->IconIndex(0);
    ShowIconPicture(FunctionShell::IconPictureFromFile(fileName, 0));
    ShowCommandsEnabled();
}

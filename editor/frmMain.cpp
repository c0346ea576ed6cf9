#include "editor/frmMain.h"
#include "base/FullPathName.h"
#include "resources/resource.h"
#include "shell/FunctionShell.h"
#include "shell/DragData.h"
#include "shell/IconPictures.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string_view>
#include <utility>
#include <vector>

using namespace std::string_view_literals;

using Toolkit::CommandButton;
using Toolkit::Control;
using Toolkit::ControlOptions;
using Toolkit::Label;
using Toolkit::TextBox;

namespace {

constexpr wchar_t FormCaption[] = L"ShellLink without TypeLibrary";
constexpr wchar_t FontName[] = L"ＭＳ Ｐゴシック";
constexpr int FontPoints = 9;

// The light grey of the browse pictures shows the button face instead.
constexpr COLORREF BrowseBackground = RGB(192, 192, 192);

// Per field: label caption, label position, prompt, tooltip of label and field.
struct FieldLayout {
    const wchar_t* label;
    Toolkit::Twips labelBounds;
    const wchar_t* prompt;
    const wchar_t* toolTip;
};

constexpr FieldLayout Fields[frmMain::FieldCount] = {
    {L"ファイル名(&F):",
     {120, 480, 1152, 180},
     L"リンクファイルをDragDropして下さい。",
     L"リンクファイルの名前です。DragDrop可能です。"},
    {L"リンク先(&L):",
     {120, 840, 864, 180},
     L"リンク先をDragDropして下さい。",
     L"リンク先の名前です。DragDrop可能です。"},
    {L"引数(&A):",
     {120, 1200, 636, 180},
     L"引数を設定して下さい。",
     L"引数です。DragDrop可能です。"},
    {L"ディレクトリ(&W):",
     {120, 1560, 1128, 180},
     L"作業ディレクトリをDragDropして下さい。",
     L"作業ディレクトリです。DragDrop可能です。"},
    {L"説明(&D):", {120, 1920, 636, 180}, L"説明を設定して下さい。", L"説明などです。"},
    {L"アイコン(&I)",
     {120, 2280, 768, 180},
     L"アイコンを設定して下さい。",
     L"表示用のアイコンを設定します。"},
};

struct TextLayout {
    Toolkit::Twips bounds;
    bool locked; // filled by code only: the launcher, browse buttons, drag and drop
};

constexpr TextLayout Texts[frmMain::TextFieldCount] = {
    {{1320, 480, 4560, 264}, true},   {{1320, 840, 4560, 264}, true},
    {{1320, 1200, 4560, 264}, false}, {{1320, 1560, 4800, 264}, true},
    {{1320, 1920, 5040, 264}, false},
};

struct BrowseLayout {
    Toolkit::Twips bounds;
    int picture;
    const wchar_t* toolTip;
};

constexpr BrowseLayout Browse[frmMain::BrowseButtonCount] = {
    {{5880, 480, 240, 264}, IDB_BROWSE_OPEN, L"既存のショートカットファイルを開きます。"},
    {{6120, 480, 240, 264}, IDB_BROWSE_SAVE, L"名前を付けて保存します。"},
    {{5880, 840, 240, 264}, IDB_BROWSE_DOCUMENT, L"リンク先のファイルを指定します。"},
    {{6120, 840, 240, 264}, IDB_BROWSE_FOLDER, L"リンク先のフォルダを指定します。"},
    {{5880, 1200, 240, 264}, IDB_BROWSE_DOCUMENT, L"引数となるファイルの名前を指定します。"},
    {{6120, 1200, 240, 264}, IDB_BROWSE_FOLDER, L"引数となるディレクトリの名前を指定します。"},
    {{6120, 1560, 240, 264}, IDB_BROWSE_FOLDER, L"作業ディレクトリを参照します。"},
};

// Browse buttons after each text field, in tab order.
constexpr int BrowseAfterField[frmMain::TextFieldCount + 1] = {0, 2, 4, 6, 7, 7};

struct CommandLayout {
    Toolkit::Twips bounds;
    const wchar_t* caption;
    const wchar_t* toolTip;
    bool isDefault;
    bool isCancel;
    bool enabled;
};

constexpr CommandLayout Commands[frmMain::CommandCount] = {
    {{2640, 3000, 1080, 360}, L"&OK", L"上書き保存して終了します。", true, false, false},
    {{3960, 3000, 1080, 360}, L"閉じる(&C)", L"保存せずに終了します。", false, true, true},
    {{5280, 3000, 1080, 360}, L"更新(&E)", L"", false, false, false},
};

constexpr Toolkit::Twips CaptionBounds{1320, 120, 2784, 180};
constexpr Toolkit::Twips IconBounds{240, 2640, 480, 480};

// Updating for one scope: the form's own writes into its fields raise no
// synchronisation meanwhile, and it is cleared on every way out.
class UpdatingScope {
public:
    explicit UpdatingScope(bool& updating) : updating_(updating) { updating_ = true; }
    ~UpdatingScope() { updating_ = false; }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

private:
    bool& updating_;
};

} // namespace

std::shared_ptr<frmMain> frmMain::Create() {
    return std::shared_ptr<frmMain>(new frmMain());
}

frmMain::frmMain()
    : Form(FormCaption, {0, 0, 6480, 3600}, {FontName, FontPoints, SHIFTJIS_CHARSET, false}, true) {
    IconResource(IDI_TARNWICK);
}

frmMain::~frmMain() {
    Unload();
}

Label& frmMain::lblCaption() {
    Load();
    return *caption_;
}

Label& frmMain::lblText(int Index) {
    Load();
    return *labels_.at(static_cast<std::size_t>(Index));
}

TextBox& frmMain::txtText(int Index) {
    Load();
    return *fields_.at(static_cast<std::size_t>(Index));
}

CommandButton& frmMain::cmdBrowse(int Index) {
    Load();
    return *browse_.at(static_cast<std::size_t>(Index));
}

CommandButton& frmMain::cmdIcon() {
    Load();
    return *icon_;
}

CommandButton& frmMain::cmdCommand(int Index) {
    Load();
    return *commands_.at(static_cast<std::size_t>(Index));
}

void frmMain::CreateControls() {
    // Creation order is the tab order.
    caption_ = &Add<Label>({.Bounds = CaptionBounds,
                            .Caption = Fields[0].prompt,
                            .AutoSize = true,
                            .OLEDropTarget = true});
    for (int field = 0; field < FieldCount; ++field) {
        const auto index = static_cast<std::int16_t>(field);
        Label& label = Add<Label>({.Index = index,
                                   .Bounds = Fields[field].labelBounds,
                                   .Caption = Fields[field].label,
                                   .ToolTipText = Fields[field].toolTip,
                                   .FontBold = field == 0,
                                   .AutoSize = true,
                                   .OLEDropTarget = true});
        label.Click = [this](std::int16_t clicked) { lblText_Click(clicked); };
        labels_[field] = &label;

        if (field == FieldIcon) {
            icon_ = &Add<CommandButton>({.Bounds = IconBounds,
                                         .ToolTipText = Fields[field].toolTip,
                                         .Graphical = true,
                                         .OLEDropTarget = true});
            icon_->GotFocus = [this](std::int16_t) { cmdIcon_GotFocus(); };
            break;
        }

        TextBox& text = Add<TextBox>({.Index = index,
                                      .Bounds = Texts[field].bounds,
                                      .ToolTipText = Fields[field].toolTip,
                                      .Locked = Texts[field].locked,
                                      .OLEDropTarget = true});
        text.Change = [this](std::int16_t changed) { txtText_Change(changed); };
        text.GotFocus = [this](std::int16_t focused) { txtText_GotFocus(focused); };
        fields_[field] = &text;

        for (int button = BrowseAfterField[field]; button < BrowseAfterField[field + 1]; ++button) {
            // A drop target without handlers, which refuses: a drag over a browse button
            // must not reach the window's own target behind it.
            CommandButton& browse = Add<CommandButton>({.Index = static_cast<std::int16_t>(button),
                                                        .Bounds = Browse[button].bounds,
                                                        .ToolTipText = Browse[button].toolTip,
                                                        .Graphical = true,
                                                        .OLEDropTarget = true});
            browse_[button] = &browse;
        }
    }
    for (int command = 0; command < CommandCount; ++command) {
        commands_[command] = &Add<CommandButton>({.Index = static_cast<std::int16_t>(command),
                                                  .Bounds = Commands[command].bounds,
                                                  .Caption = Commands[command].caption,
                                                  .ToolTipText = Commands[command].toolTip,
                                                  .Enabled = Commands[command].enabled,
                                                  .Default = Commands[command].isDefault,
                                                  .Cancel = Commands[command].isCancel,
                                                  .OLEDropTarget = true});
    }
    // Pictures are for the eye only: they come with the window's first messages.
    Post([this] {
        for (int button = 0; button < BrowseButtonCount; ++button)
            browse_[button]->Picture(
                Toolkit::IconFromBitmapResource(Browse[button].picture, BrowseBackground));
    });
    ConnectDrops();
    ConnectButtons();
}

void frmMain::Form_Load() {
    const FormReference self = shared_from_this();
    iconDialog_ = std::make_shared<DialogIcon>();
    iconDialog_->DialogOwner(self);
    folderDialog_ = std::make_shared<DialogFolder>();
    folderDialog_->DialogOwner(self);
    fileDialog_ = std::make_shared<DialogFile>();
    fileDialog_->DialogOwner(self);
    linkFile_ = std::make_unique<ShellLinkFile>();
    currentField_ = 0;
    updating_ = false;
    iconPending_ = false;
}

void frmMain::Form_Unload() {
    linkFile_.reset();
    if (fileDialog_)
        fileDialog_->DialogOwner(nullptr);
    fileDialog_.reset();
    if (folderDialog_)
        folderDialog_->DialogOwner(nullptr);
    folderDialog_.reset();
    if (iconDialog_)
        iconDialog_->DialogOwner(nullptr);
    iconDialog_.reset();
}

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
        // A failure ends the synchronisation silently; the fields show what they have.
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
    ShellLinkFile& link = *linkFile_;
    switch (index) {
    case FieldFileName:
        // Resolved once, here: the file dialogs move the current directory, and the
        // shortcut must be saved where it was read. A name that does not load leaves the
        // previous shortcut; either way the field shows the shortcut's own full name.
        link.FileLoad(FullPath::FullPathName(txtText(FieldFileName).Text()));
        txtText(FieldFileName).Text(link.FileName());
        return;
    case FieldLinkTo:
        link.LinkToName(txtText(FieldLinkTo).Text());
        return;
    case FieldArgument:
        link.LinkArgument(txtText(FieldArgument).Text());
        return;
    case FieldDirectory:
        link.LinkDirectory(txtText(FieldDirectory).Text());
        return;
    case FieldDescription:
        link.LinkDescription(txtText(FieldDescription).Text());
        return;
    default:
        return;
    }
}

void frmMain::ShowFields() {
    // Read back everything, so that a value the shortcut refused or normalised shows
    // as the shortcut holds it.
    const ShellLinkFile& link = *linkFile_;
    txtText(FieldLinkTo).Text(link.LinkToName());
    txtText(FieldArgument).Text(link.LinkArgument());
    txtText(FieldDirectory).Text(link.LinkDirectory());
    txtText(FieldDescription).Text(link.LinkDescription());
}

void frmMain::ShowIcon() {
    const ShellLinkFile& link = *linkFile_;
    const std::wstring iconPath = link.IconPath();
    if (!iconPath.empty()) {
        ShowIconPicture(FunctionShell::IconPictureFromFile(iconPath, link.IconIndex()));
        return;
    }
    const FunctionShell::ItemIDList target(link.LinkTo());
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
    cmdCommand(0).Enabled(linkFile_->FileIsDirty());
    cmdCommand(2).Enabled(linkFile_->FileIsDirty());
}

void frmMain::txtText_GotFocus(std::int16_t Index) {
    for (int field = 0; field < FieldCount; ++field)
        lblText(field).FontBold(field == Index);
    const bool known = Index >= 0 && Index < FieldCount;
    lblCaption().Caption(known ? Fields[Index].prompt : L"");
    currentField_ = Index;
}

void frmMain::lblText_Click(std::int16_t Index) {
    if (Index >= 0 && Index < TextFieldCount)
        txtText(Index).SetFocus();
    else if (Index == FieldIcon)
        cmdIcon().SetFocus();
}

void frmMain::cmdIcon_GotFocus() {
    txtText_GotFocus(FieldIcon);
}

// ---- Drag and drop ----

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

// Browse, icon and command buttons.

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

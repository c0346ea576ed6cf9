// The editor window's layout: the controls, their places, captions and tooltips, in
// tab order; the window's load and unload; which field is current.
#include "editor/frmMain.h"
#include "editor/frmMainRows.h"
#include "resources/resource.h"

using Toolkit::CommandButton;
using Toolkit::Label;
using Toolkit::TextBox;

namespace {

constexpr wchar_t FormCaption[] = L"ShellLink without TypeLibrary";
constexpr wchar_t FontName[] = L"ＭＳ Ｐゴシック";
constexpr int FontPoints = 9;

// The light grey of the browse pictures shows the button face instead.
constexpr COLORREF BrowseBackground = RGB(192, 192, 192);

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
                            .Caption = FieldRows[0].prompt,
                            .AutoSize = true,
                            .OLEDropTarget = true});
    int button = 0;
    for (std::int16_t field = 0; field < FieldCount; ++field) {
        const FieldRow& row = FieldRows[field];
        Label& label = Add<Label>({.Index = field,
                                   .Bounds = row.labelBounds,
                                   .Caption = row.label,
                                   .ToolTipText = row.toolTip,
                                   .FontBold = field == 0,
                                   .AutoSize = true,
                                   .OLEDropTarget = true});
        label.Click = [this](std::int16_t clicked) { lblText_Click(clicked); };
        labels_[field] = &label;

        if (!row.hasText) {
            icon_ = &Add<CommandButton>({.Bounds = row.valueBounds,
                                         .ToolTipText = row.toolTip,
                                         .Graphical = true,
                                         .OLEDropTarget = true});
            icon_->GotFocus = [this](std::int16_t) { cmdIcon_GotFocus(); };
            continue;
        }
        TextBox& text = Add<TextBox>({.Index = field,
                                      .Bounds = row.valueBounds,
                                      .ToolTipText = row.toolTip,
                                      .Locked = row.locked,
                                      .OLEDropTarget = true});
        text.Change = [this](std::int16_t changed) { txtText_Change(changed); };
        text.GotFocus = [this](std::int16_t focused) { txtText_GotFocus(focused); };
        fields_[field] = &text;

        for (const BrowseRow& browse : row.browse) {
            // A drop target without handlers, which refuses: a drag over a browse button
            // must not reach the window's own target behind it.
            browse_[button] = &Add<CommandButton>({.Index = static_cast<std::int16_t>(button),
                                                   .Bounds = browse.bounds,
                                                   .ToolTipText = browse.toolTip,
                                                   .Graphical = true,
                                                   .OLEDropTarget = true});
            ++button;
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
        for (int each = 0; each < BrowseButtonCount; ++each)
            browse_[each]->Picture(Toolkit::IconFromBitmapResource(
                BrowseButtonOf(each).row->picture, BrowseBackground));
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

void frmMain::txtText_GotFocus(std::int16_t Index) {
    for (int field = 0; field < FieldCount; ++field)
        lblText(field).FontBold(field == Index);
    const bool known = Index >= 0 && Index < FieldCount;
    lblCaption().Caption(known ? FieldRows[Index].prompt : L"");
    currentField_ = Index;
}

void frmMain::lblText_Click(std::int16_t Index) {
    if (Index < 0 || Index >= FieldCount)
        return;
    if (FieldRows[Index].hasText)
        txtText(Index).SetFocus();
    else
        cmdIcon().SetFocus();
}

void frmMain::cmdIcon_GotFocus() {
    txtText_GotFocus(FieldIcon);
}

// The editor window's layout: the controls, their places, captions and tooltips, in
// tab order; the window's load and unload; which field is current.
#include "editor/frmMain.h"
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

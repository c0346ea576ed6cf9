// The shortcut editor window: one shortcut file in five text fields and an icon
// button, kept in step with its ShellLinkFile. The first touch of the window or of
// any of its controls loads it (Form_Load).
#pragma once

#include "dialogs/DialogFile.h"
#include "dialogs/DialogFolder.h"
#include "dialogs/DialogIcon.h"
#include "shell/IconPictures.h"
#include "shortcut/ShellLinkFile.h"
#include "toolkit/Form.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class frmMain : public Toolkit::Form {
public:
    // Field indices: txtText(0..4), lblText(0..5), the prompts and CurrentField.
    static constexpr int FieldFileName = 0;
    static constexpr int FieldLinkTo = 1;
    static constexpr int FieldArgument = 2;
    static constexpr int FieldDirectory = 3;
    static constexpr int FieldDescription = 4;
    static constexpr int FieldIcon = 5;
    static constexpr int TextFieldCount = 5;
    static constexpr int FieldCount = 6;
    static constexpr int BrowseButtonCount = 7;
    // Command indices: cmdCommand(0..2).
    static constexpr int CommandOK = 0;
    static constexpr int CommandClose = 1;
    static constexpr int CommandUpdate = 2;
    static constexpr int CommandCount = 3;

    static std::shared_ptr<frmMain> Create(); // not loaded yet
    ~frmMain() override;

    Toolkit::Label& lblCaption();
    Toolkit::Label& lblText(int Index);
    Toolkit::TextBox& txtText(int Index);
    Toolkit::CommandButton& cmdBrowse(int Index);
    Toolkit::CommandButton& cmdIcon();
    Toolkit::CommandButton& cmdCommand(int Index);

    // Form-level state; the objects exist from Form_Load to Form_Unload.
    ShellLinkFile* LinkFile() const { return linkFile_.get(); }
    DialogIcon* IconDialog() const { return iconDialog_.get(); }
    DialogFolder* FolderDialog() const { return folderDialog_.get(); }
    DialogFile* FileDialog() const { return fileDialog_.get(); }
    std::int32_t CurrentField() const { return currentField_; }
    bool Updating() const { return updating_; }
    void Updating(bool NewUpdating) { updating_ = NewUpdating; }

    void txtText_Change(std::int16_t Index);
    void txtText_GotFocus(std::int16_t Index);
    void lblText_Click(std::int16_t Index);
    void cmdIcon_GotFocus();

    // Drag and drop: one pair of rules for the window and the controls that forward
    // to it; the current field, not the pointer, says which rule applies.
    void Form_OLEDragOver(Toolkit::DragEventArgs& Args);
    void Form_OLEDragDrop(Toolkit::DragEventArgs& Args);

    // Browse, icon and command buttons.
    void cmdBrowse_Click(std::int16_t Index);
    void cmdIcon_Click();
    void cmdCommand_Click(std::int16_t Index);

    // A field's and a browse button's description: frmMainRows.h.
    struct FieldRow;
    struct BrowseRow;

private:
    struct BrowseButton {
        const BrowseRow* row;
        std::int16_t field;
    };
    // Every field once, in tab order, with its browse buttons: frmMainRows.cpp.
    static const FieldRow FieldRows[FieldCount];
    static BrowseButton BrowseButtonOf(int button);
    static std::int16_t SaveAsButton();

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

    frmMain();

    void CreateControls() override;
    void Form_Load() override;
    void Form_Unload() override;

    // Writes a field's text and synchronises, also when the text is unchanged.
    void WriteField(std::int16_t index, std::wstring_view text);
    void WriteBack(std::int16_t index);
    void ShowFields();
    void ShowIcon();
    // ShowIcon once the window takes its messages again.
    void ShowIconSoon();
    void ShowCommandsEnabled();
    // cmdIcon shows a copy of the picture's icon; the picture keeps its own.
    void ShowIconPicture(const FunctionShell::Picture& picture);

    void ConnectDrops();
    // What a drop does in a field: write the dropped name, or only a folder's name, or
    // take the dropped item as the target, or its file's first icon.
    void DropName(std::int16_t field, IDataObject* data);
    void DropFolderName(std::int16_t field, IDataObject* data);
    void DropLinkTo(std::int16_t field, IDataObject* data);
    void DropIcon(std::int16_t field, IDataObject* data);

    void ConnectButtons();
    // The browse button's dialog and action; false when the dialog was not confirmed.
    bool RunBrowse(std::int16_t index);
    // Update; false only when its save-as dialog was not confirmed.
    bool Update();

    std::unique_ptr<ShellLinkFile> linkFile_;
    // Shared so that a dialog being shown outlives an unload of the window meanwhile.
    std::shared_ptr<DialogIcon> iconDialog_;
    std::shared_ptr<DialogFolder> folderDialog_;
    std::shared_ptr<DialogFile> fileDialog_;
    std::int32_t currentField_ = 0;
    bool updating_ = false;
    bool iconPending_ = false;

    // The controls belong to the form; these are set each time it loads.
    Toolkit::Label* caption_ = nullptr;
    std::array<Toolkit::Label*, FieldCount> labels_{};
    std::array<Toolkit::TextBox*, TextFieldCount> fields_{};
    std::array<Toolkit::CommandButton*, BrowseButtonCount> browse_{};
    Toolkit::CommandButton* icon_ = nullptr;
    std::array<Toolkit::CommandButton*, CommandCount> commands_{};
};

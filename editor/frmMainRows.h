// What the editor's files know of each field, in one row: its label, place, prompt
// and tooltip, its text box, how it reads and writes the shortcut, what it takes from
// a drag and what a drop does, and the browse buttons that belong to it. A new field
// is a new row of frmMainRows.cpp (and a new index in frmMain.h).
#pragma once

#include "com/FunctionObject.h"
#include "editor/frmMain.h"
#include "toolkit/Units.h"

#include <objidl.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// A browse button: its place and picture, the dialog it shows, and what a confirmed
// dialog writes into its field.
struct frmMain::BrowseRow {
    enum class Dialog { Open, SaveAs, File, Folder };
    enum class Action { FileName, SaveAs, TargetFolder, FolderName, FolderPath };

    Toolkit::Twips bounds;
    int picture;
    const wchar_t* toolTip;
    Dialog dialog;
    bool initialIsShortcutName; // else the initial name is its field's text
    const wchar_t* title;
    std::wstring_view filter; // description, NUL, pattern, NUL
    std::uint32_t flags;      // of the file dialog
    bool clearsFolderFlags;   // the folder dialog's flags are set to 0 first
    std::int32_t root;        // a special folder (CSIDL)
    Action action;
};

struct frmMain::FieldRow {
    const wchar_t* label;
    Toolkit::Twips labelBounds;
    const wchar_t* prompt;
    const wchar_t* toolTip;
    // A text box at valueBounds; the icon field has none and shows a button there instead.
    bool hasText;
    Toolkit::Twips valueBounds;
    bool locked; // filled by code only: the launcher, browse buttons, drag and drop
    std::wstring (*read)(const ShellLinkFile& link);
    void (*write)(ShellLinkFile& link, std::wstring_view text);
    // Runs on every pointer movement: each field reads only what its own test needs.
    bool (*acceptsDrag)(IDataObject* data);
    void (frmMain::*drop)(std::int16_t field, IDataObject* data);
    std::span<const BrowseRow> browse;
};

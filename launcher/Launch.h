// The launcher's decisions, from the arguments as received to the folders opened: which
// paths the arguments hold, the full name of each (made here, once), the folder each
// leads to through the editor window, each folder once, and whether to ask first.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Launcher {

// The arguments split as Windows splits a command line (quotes group, backslashes
// before a quote escape it).
std::vector<std::wstring> SplitArguments(std::wstring_view Arguments);

// Each folder once, in the order first seen, as first written; folders compare by their
// full long names (a file-system folder) or their text (any other), in any letter case.
std::vector<std::wstring> DistinctFolders(const std::vector<std::wstring>& Folders);

// The most folders opened without asking first, as Windows itself opens at most that
// many windows for one verb on a selection without asking.
constexpr std::size_t FoldersOpenedWithoutAsking = 15;

// The link target that the editor window reports for the path; empty when the path
// did not load as a shortcut. The editor is loaded, shown and unloaded again.
std::wstring TargetFromEditor(const std::wstring& Path);

// The run after the program's own name has been split off, from the arguments as
// received, less the blanks at either end. They are one path, as they always were,
// unless they cannot be one: they hold a quote past their first character (no name
// holds one), or they split into several pieces that each name an existing item (Send
// To hands a multiple selection over so, each path quoted where it has blanks), or a
// blank stands before a drive's root or a share ("C:\L\a.lnk Z:\b.lnk", where one of the
// selection is gone: they split there). A relative file-system path is made
// full from the current directory; any other text (a full path, a shell namespace name
// "::{...}") is taken as it is. Each path goes through one editor window; one that is
// no shortcut opens its own folder (for a single path, the folder of the arguments
// themselves, quotes and all). Then Explorer starts on each distinct folder, after
// asking when there are more than FoldersOpenedWithoutAsking. Returns whether Explorer
// was started; arguments that leave no path (none at all, a lone quote, an empty pair
// of quotes) start nothing.
bool Launch(std::wstring_view Arguments);

// The steps of a run, in order, as an optional clock sees them.
enum class Step {
    WinMain,
    FormLoad,
    EditorLoaded,   // for each path (the first one loads the editor)
    ShortcutRead,   // for each path: the shortcut loaded, the fields filled
    Shown,          // for each path
    EditorUnloaded, // after the last path
    ExplorerStarted,
    End,
};

// Tells the clock that the run reached the step, when a clock is bound.
void Clock(Step Reached);

namespace Binding {

using QuestionFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);

// Asks as MessageBoxW; a test answers in its place.
QuestionFunction& QuestionCall();

using ClockFunction = void (*)(Step);

// None in the program; a benchmark binds one to time the program's own steps.
ClockFunction& ClockCall();

} // namespace Binding

} // namespace Launcher

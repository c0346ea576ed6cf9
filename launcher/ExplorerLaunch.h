// The launcher's text steps, from the program's command line to the Explorer
// command line, and the start of Explorer itself.
#pragma once

#include "base/CommandLine.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Launcher {

// The command line's path, read as the editor program reads it too.
using ProgramCommandLine::ArgumentsFromCommandLine;
using ProgramCommandLine::PathFromArguments;

// Whether the text names a file or folder that exists (a relative name from the
// current directory).
bool NamesExistingItem(std::wstring_view Path);

// The arguments split as Windows splits a command line (quotes group, backslashes
// before a quote escape it): the paths of a multiple selection from Send To.
std::vector<std::wstring> SplitArguments(std::wstring_view Arguments);

// Each folder once, in the order first seen; folder names compare in any letter case.
std::vector<std::wstring> DistinctFolders(const std::vector<std::wstring>& Folders);

// The most folders opened without asking first, as Windows itself opens at most that
// many windows for one verb on a selection without asking.
constexpr std::size_t FoldersOpenedWithoutAsking = 15;

// Asks, in the program's language, whether to open that many folders.
bool MayOpenFolders(std::size_t Count);

// Everything up to and including the last backslash. A text without a backslash is
// kept whole, so that a virtual folder's "::{...}" name opens that folder.
std::wstring FolderFromTarget(std::wstring_view Target);

// "EXPLORER.EXE /n,/e," followed directly by the folder. Explorer splits its
// switches at commas, so a folder with a comma goes in double quotes, unless it
// already begins with one.
std::wstring ExplorerCommandLine(std::wstring_view Folder);

// The Explorer image in the Windows directory. Naming it keeps the program search
// away from the current directory, where a planted EXPLORER.EXE would be found first.
std::wstring ExplorerApplicationName();

// Starts the command line with its window shown normally and does not wait for it.
bool StartExplorer(std::wstring_view Folder);

namespace Binding {

using CreateProcessFunction = BOOL(WINAPI*)(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES,
                                            LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR,
                                            LPSTARTUPINFOW, LPPROCESS_INFORMATION);

// Starts as CreateProcessW; a test swaps it for one scope (ScopedBinding) to see
// what would be started.
CreateProcessFunction& CreateProcessCall();

using QuestionFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);

// Asks as MessageBoxW; a test answers in its place.
QuestionFunction& QuestionCall();

} // namespace Binding

} // namespace Launcher

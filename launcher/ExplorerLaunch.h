// The launcher's command line and the start of Explorer on a folder, apart from the
// editor window (the benchmark's baseline uses them too).
#pragma once

#include "base/CommandLine.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace Launcher {

// The command line's path, read as the editor program reads it too.
using ProgramCommandLine::ArgumentsFromCommandLine;
using ProgramCommandLine::PathFromArguments;

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

} // namespace Binding

} // namespace Launcher

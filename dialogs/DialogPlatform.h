// The platform calls that show the system dialogs, held as bindings so that a test
// can observe what a dialog class passes, or answer in its place, for one scope.
#pragma once

#include "base/ScopedBinding.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace DialogPlatform {

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA* Parameters);
using BrowseForFolderFunction = LPITEMIDLIST(WINAPI*)(BROWSEINFOA* Parameters);
// PathBuffer holds UTF-16 on the NT family, ANSI elsewhere; Capacity is in characters.
// Answers 1 for OK, 0 for cancel; Wine's stub answers -1.
using PickIconFunction = int(WINAPI*)(HWND Owner, void* PathBuffer, UINT Capacity, int* Index);

// comdlg32 is loaded on the first call; FALSE when it cannot be.
FileDialogFunction& GetOpenFileNameCall();      // GetOpenFileNameA
FileDialogFunction& GetSaveFileNameCall();      // GetSaveFileNameA
BrowseForFolderFunction& BrowseForFolderCall(); // SHBrowseForFolderA
// PickIconDlg by shell32 ordinal 62; answers 0 when shell32 does not export it.
PickIconFunction& PickIconCall();

} // namespace DialogPlatform

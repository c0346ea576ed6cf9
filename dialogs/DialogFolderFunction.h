// The folder browser's callback: caption, preselection, status text and OK state.
#pragma once

#include <windows.h>

namespace DialogFolderFunction {

// CallbackData is the DialogFolder showing the dialog (uncounted), or 0.
int CALLBACK FolderDialogCallback(HWND Window, UINT Message, LPARAM Parameter, LPARAM CallbackData);

} // namespace DialogFolderFunction

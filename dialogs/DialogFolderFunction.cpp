#include "dialogs/DialogFolderFunction.h"
#include "base/Trace.h"
#include "dialogs/DialogFolder.h"
#include "shell/FunctionShell.h"

#include <shlobj.h>

namespace DialogFolderFunction {

namespace {

void ShowTitleAndSelection(HWND window, const DialogFolder& dialog) {
    if (!dialog.DialogTitle().empty())
        SetWindowTextA(window, FunctionShell::AnsiForDisplay(dialog.DialogTitle()).c_str());

    // Wine's folder browser finds the selection in its tree by comparing item IDs byte
    // for byte, and a file system item holds its folder's write and access times as they
    // were when the list was made. Writing into a folder moves them on, and so does the
    // next read of it after that or after a day (Wine reads each folder it binds to, for
    // desktop.ini); an older list then matches no item, nothing is selected, and OK
    // answers the Desktop.
    // Naming the held folder binds to each folder on its way, so the list made from the
    // name after that carries the times the tree reads; a name that does not parse back
    // leaves the held list.
    FunctionShell::ItemIDList selection(FunctionShell::ItemIDListFromName(dialog.FolderName()));
    if (!selection)
        selection = dialog.FolderPIDL();
    if (selection)
        SendMessageA(window, BFFM_SETSELECTIONA, FALSE, static_cast<LPARAM>(selection.Get()));
}

void FollowSelection(HWND window, LPARAM selectedList) {
    const auto list = static_cast<FunctionObject::PointerValue>(selectedList);
    const std::wstring name =
        list != 0 ? FunctionShell::NameFromItemIDList(list, 0) : std::wstring();
    const std::string status = FunctionShell::AnsiForDisplay(name);
    SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(status.c_str()));
    // An item without a real parsing name could not be named back into a list.
    SendMessageA(window, BFFM_ENABLEOK, 0, name.size() > 2 ? TRUE : FALSE);
}

} // namespace

int CALLBACK FolderDialogCallback(HWND Window, UINT Message, LPARAM Parameter,
                                  LPARAM CallbackData) {
    if (CallbackData == 0)
        return 0;
    const auto& dialog = *reinterpret_cast<const DialogFolder*>(CallbackData);
    // The shell calls us from its dialog procedure: nothing may be thrown back into it.
    try {
        switch (Message) {
        case BFFM_INITIALIZED:
            ShowTitleAndSelection(Window, dialog);
            break;
        case BFFM_SELCHANGED:
            FollowSelection(Window, Parameter);
            break;
        default:
            break;
        }
    } catch (...) {
        TraceFailure(L"the folder dialog's callback");
    }
    return 0;
}

} // namespace DialogFolderFunction

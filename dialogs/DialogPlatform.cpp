#include "dialogs/DialogPlatform.h"
#include "shell/Shell32Ordinal.h"

namespace DialogPlatform {

namespace {

int WINAPI PickIconByOrdinal(HWND Owner, void* PathBuffer, UINT Capacity, int* Index) {
    const auto pickIcon = FunctionShell::Shell32Ordinal<PickIconFunction>(62);
    return pickIcon ? pickIcon(Owner, PathBuffer, Capacity, Index) : 0;
}

} // namespace

FileDialogFunction GetOpenFileNameCall = GetOpenFileNameA;
FileDialogFunction GetSaveFileNameCall = GetSaveFileNameA;
BrowseForFolderFunction BrowseForFolderCall = SHBrowseForFolderA;
PickIconFunction PickIconCall = PickIconByOrdinal;

} // namespace DialogPlatform

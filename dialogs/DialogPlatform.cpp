#include "dialogs/DialogPlatform.h"
#include "shell/Shell32Ordinal.h"

namespace DialogPlatform {

namespace {

int WINAPI PickIconByOrdinal(HWND Owner, void* PathBuffer, UINT Capacity, int* Index) {
    const auto pickIcon = FunctionShell::Shell32Ordinal<PickIconFunction>(62);
    return pickIcon ? pickIcon(Owner, PathBuffer, Capacity, Index) : 0;
}

} // namespace

FileDialogFunction& GetOpenFileNameCall() {
    static FileDialogFunction call = GetOpenFileNameA;
    return call;
}

FileDialogFunction& GetSaveFileNameCall() {
    static FileDialogFunction call = GetSaveFileNameA;
    return call;
}

BrowseForFolderFunction& BrowseForFolderCall() {
    static BrowseForFolderFunction call = SHBrowseForFolderA;
    return call;
}

PickIconFunction& PickIconCall() {
    static PickIconFunction call = PickIconByOrdinal;
    return call;
}

} // namespace DialogPlatform

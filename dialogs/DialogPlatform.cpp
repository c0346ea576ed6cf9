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
    return BindingOf<&GetOpenFileNameA>();
}

FileDialogFunction& GetSaveFileNameCall() {
    return BindingOf<&GetSaveFileNameA>();
}

BrowseForFolderFunction& BrowseForFolderCall() {
    return BindingOf<&SHBrowseForFolderA>();
}

PickIconFunction& PickIconCall() {
    return BindingOf<PickIconByOrdinal>();
}

} // namespace DialogPlatform

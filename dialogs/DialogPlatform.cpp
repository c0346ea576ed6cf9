#include "dialogs/DialogPlatform.h"
#include "base/LibraryFunction.h"
#include "shell/Shell32Ordinal.h"

namespace DialogPlatform {

namespace {

// The common dialogs' library (and the printing libraries it pulls in) is loaded
// when a file dialog is first shown, not at every start of the program: the
// launcher never shows one.
BOOL WINAPI OpenFileNameOnDemand(OPENFILENAMEA* Parameters) {
    static const auto open =
        LibraryFunction<FileDialogFunction>(L"comdlg32.dll", "GetOpenFileNameA");
    return open ? open(Parameters) : FALSE;
}

BOOL WINAPI SaveFileNameOnDemand(OPENFILENAMEA* Parameters) {
    static const auto save =
        LibraryFunction<FileDialogFunction>(L"comdlg32.dll", "GetSaveFileNameA");
    return save ? save(Parameters) : FALSE;
}

int WINAPI PickIconByOrdinal(HWND Owner, void* PathBuffer, UINT Capacity, int* Index) {
    const auto pickIcon = FunctionShell::Shell32Ordinal<PickIconFunction>(62);
    return pickIcon ? pickIcon(Owner, PathBuffer, Capacity, Index) : 0;
}

} // namespace

FileDialogFunction& GetOpenFileNameCall() {
    return BindingOf<OpenFileNameOnDemand>();
}

FileDialogFunction& GetSaveFileNameCall() {
    return BindingOf<SaveFileNameOnDemand>();
}

BrowseForFolderFunction& BrowseForFolderCall() {
    return BindingOf<&SHBrowseForFolderA>();
}

PickIconFunction& PickIconCall() {
    return BindingOf<PickIconByOrdinal>();
}

} // namespace DialogPlatform

#include "dialogs/DialogPlatform.h"
#include "shell/Shell32Ordinal.h"

namespace DialogPlatform {

namespace {

// The common dialogs' library (and the printing libraries it pulls in) is loaded
// when a file dialog is first shown, not at every start of the program: the
// launcher never shows one. It then stays for the life of the process.
FileDialogFunction CommonDialog(const char* name) {
    static const HMODULE library = LoadLibraryW(L"comdlg32.dll");
    if (!library)
        return nullptr;
    // Through void* since FARPROC has no parameters to convert from.
    return reinterpret_cast<FileDialogFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, name)));
}

BOOL WINAPI OpenFileNameOnDemand(OPENFILENAMEA* Parameters) {
    static const FileDialogFunction open = CommonDialog("GetOpenFileNameA");
    return open ? open(Parameters) : FALSE;
}

BOOL WINAPI SaveFileNameOnDemand(OPENFILENAMEA* Parameters) {
    static const FileDialogFunction save = CommonDialog("GetSaveFileNameA");
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

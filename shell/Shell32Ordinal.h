// Binds a shell32 export by its ordinal: ILClone (18), ILCombine (25) and
// PickIconDlg (62) are exported by number only on older systems.
#pragma once

#include <windows.h>

namespace FunctionShell {

template <typename Function> Function Shell32Ordinal(WORD ordinal) {
    static const HMODULE shell32 = LoadLibraryA("shell32.dll");
    if (!shell32)
        return nullptr;
    // Through void* since FARPROC has no parameters to convert from.
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(shell32, MAKEINTRESOURCEA(ordinal))));
}

} // namespace FunctionShell

// Binds a shell32 export by its ordinal: ILClone (18), ILCombine (25) and
// PickIconDlg (62) are exported by number only on older systems.
#pragma once

#include "base/LibraryFunction.h"

#include <windows.h>

namespace FunctionShell {

template <typename Function> Function Shell32Ordinal(WORD ordinal) {
    return LibraryFunction<Function>(L"shell32.dll", MAKEINTRESOURCEA(ordinal));
}

} // namespace FunctionShell

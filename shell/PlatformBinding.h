// Platform calls of the item ID list, icon and drag-data operations, each made through
// a binding that starts as the platform's own function. A test swaps one binding for
// the length of a scope to observe the call or make it fail; nothing else touches them.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <shtypes.h>

#include "base/ScopedBinding.h"

namespace FunctionShell::Binding {

using ExtractIconFunction = HICON(WINAPI*)(HINSTANCE, LPCSTR, UINT);
using CreatePictureFunction = HRESULT(WINAPI*)(LPPICTDESC, REFIID, BOOL, LPVOID*);
using VersionQueryFunction = BOOL(WINAPI*)(LPOSVERSIONINFOA);
using RegisterFormatFunction = UINT(WINAPI*)(LPCSTR);
using GlobalLockFunction = LPVOID(WINAPI*)(HGLOBAL);
using PathFromIDListFunction = BOOL(WINAPI*)(LPCITEMIDLIST, LPSTR);

ExtractIconFunction& ExtractIconCall();
CreatePictureFunction& CreatePictureCall();
VersionQueryFunction& VersionQueryCall();
RegisterFormatFunction& RegisterFormatCall();
// Where the bytes of a drag data block are read from; the block's size always comes
// from the platform (GlobalSize).
GlobalLockFunction& GlobalLockCall();
PathFromIDListFunction& PathFromIDListCall();

// IsWindowsNT and ShellIDListFormat remember their answers for the process. A test
// that swaps their platform call forgets the answer before and after the swap, so
// that the swapped call is really asked and a made-up answer never outlives it.
void ForgetWindowsNT();
void ForgetShellIDListFormat();

} // namespace FunctionShell::Binding

// A function of a system library that the program needs only now and then: the
// library is loaded when the function is first asked for, not at every start, and
// then stays for the life of the process, as an imported one would.
#pragma once

#include <windows.h>

// `name` is an export's name or, through MAKEINTRESOURCEA, its ordinal.
template <typename Function> Function LibraryFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr)
        module = LoadLibraryW(library);
    if (module == nullptr)
        return nullptr;
    // Through void* since FARPROC has no parameters to convert from.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A function of a system library that the program needs only now and then: the
// library is loaded when the function is first asked for, not at every start, and
// then stays for the life of the process, as an imported one would.
//
// Libraries come from the system folder only. The default search starts at the
// program's own folder, where a program run from a downloads folder can find a
// planted library of the same name.
#pragma once

#include <windows.h>

#include <string>

// First thing in a program: every later search for a library by name, ours and the
// system's own (the theme library, for one), looks in the system folder only. Systems
// without the call (Windows 7 before its update) still lose the current directory.
inline void SearchLibrariesInTheSystemFolderOnly() {
    using SetDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDirectories = reinterpret_cast<SetDirectoriesFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDirectories == nullptr || !setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");
}

// A system library by its name. Side-by-side assemblies (Common Controls 6) still
// redirect the name; a system that does not know the search flag gets the full path.
inline HMODULE SystemLibrary(const wchar_t* library) {
    if (HMODULE loaded = GetModuleHandleW(library))
        return loaded;
    if (HMODULE loaded = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return loaded;
    if (GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
}

// `name` is an export's name or, through MAKEINTRESOURCEA, its ordinal.
template <typename Function> Function LibraryFunction(const wchar_t* library, const char* name) {
    const HMODULE module = SystemLibrary(library);
    if (module == nullptr)
        return nullptr;
    // Through void* since FARPROC has no parameters to convert from.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Where a failure is handled and goes no further (a window procedure, a COM method or
// callback of ours, a program's last line), it still leaves one line for a debugger:
// OutputDebugStringW, which a debugger on Windows shows and Wine prints with
// WINEDEBUG=+debugstr.
#pragma once

#include <windows.h>

#include <exception>

// Call inside a catch block only: it names the exception being handled.
inline void TraceFailure(const wchar_t* Where) noexcept {
    wchar_t what[256] = L"an exception of no standard type";
    try {
        throw;
    } catch (const std::exception& failure) {
        if (MultiByteToWideChar(CP_UTF8, 0, failure.what(), -1, what, 256) == 0)
            lstrcpynW(what, L"a standard exception with a long text", 256);
    } catch (...) {
    }
    wchar_t line[512] = L"Tarnwick: ";
    lstrcatW(line, Where);
    lstrcatW(line, L" stopped: ");
    lstrcpynW(line + lstrlenW(line), what, 512 - lstrlenW(line) - 1);
    lstrcatW(line, L"\n");
    OutputDebugStringW(line);
}

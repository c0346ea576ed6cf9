// Explorer's stand-in: appends its command line, as UTF-8, to the file named by
// TARNWICK_BENCH_RECORD, and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t file[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TARNWICK_BENCH_RECORD", file, MAX_PATH))
        return 1;
    const wchar_t* commandLine = GetCommandLineW();
    std::string line(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, commandLine, -1,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, line.data(), static_cast<int>(line.size()),
                        nullptr, nullptr);
    line.back() = '\n';
    const HANDLE output = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(output);
    return 0;
}

// Stands in for CreateProcessW for one scope: records what would be started, then
// fails as if Explorer were missing.
#pragma once

#include "launcher/ExplorerLaunch.h"
#include "base/ScopedBinding.h"

#include <windows.h>

#include <string>
#include <vector>

namespace TestSupport {

struct StartRecord {
    int calls = 0;
    std::wstring application;
    std::wstring commandLine;
    std::vector<std::wstring> commandLines; // of every call, in order
    DWORD startupFlags = 0;
    WORD showWindow = 0;
    BOOL inheritHandles = TRUE;
    DWORD creationFlags = ~0u;
};

inline StartRecord& LastStart() {
    static StartRecord record;
    return record;
}

inline BOOL WINAPI RecordStart(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                               LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags,
                               LPVOID, LPCWSTR, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION) {
    StartRecord& record = LastStart();
    ++record.calls;
    record.application = application ? application : L"";
    record.commandLine = commandLine ? commandLine : L"";
    record.commandLines.push_back(record.commandLine);
    record.startupFlags = startup->dwFlags;
    record.showWindow = startup->wShowWindow;
    record.inheritHandles = inheritHandles;
    record.creationFlags = creationFlags;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

class ScopedStartRecorder {
public:
    ScopedStartRecorder() { LastStart() = {}; }
    const StartRecord& Record() const { return LastStart(); }

private:
    ScopedBinding<Launcher::Binding::CreateProcessFunction> swap_{
        Launcher::Binding::CreateProcessCall(), &RecordStart};
};

} // namespace TestSupport

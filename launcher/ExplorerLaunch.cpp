#include "launcher/ExplorerLaunch.h"

#include "base/Owned.h"
#include "base/ScopedBinding.h"

#include <vector>

namespace Launcher {

std::wstring FolderFromTarget(std::wstring_view Target) {
    const std::size_t last = Target.rfind(L'\\');
    if (last == std::wstring_view::npos)
        return std::wstring(Target);
    return std::wstring(Target.substr(0, last + 1));
}

std::wstring ExplorerCommandLine(std::wstring_view Folder) {
    std::wstring commandLine = L"EXPLORER.EXE /n,/e,";
    const bool quote =
        Folder.find(L',') != std::wstring_view::npos && (Folder.empty() || Folder.front() != L'"');
    if (quote)
        commandLine += L'"';
    commandLine += Folder;
    if (quote)
        commandLine += L'"';
    return commandLine;
}

std::wstring ExplorerApplicationName() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0)
            return std::wstring();
        if (length < buffer.size()) {
            std::wstring name(buffer.data(), length);
            if (name.back() != L'\\')
                name += L'\\';
            return name + L"EXPLORER.EXE";
        }
        buffer.resize(length);
    }
}

bool StartExplorer(std::wstring_view Folder) {
    const std::wstring application = ExplorerApplicationName();
    if (application.empty())
        return false;
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring commandLine = ExplorerCommandLine(Folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!Binding::CreateProcessCall()(application.c_str(), commandLine.data(), nullptr, nullptr,
                                      FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // Not waiting: the handles are only given back.
    const UniqueHandle<HANDLE, &CloseHandle> thread(process.hThread), started(process.hProcess);
    return true;
}

namespace Binding {

CreateProcessFunction& CreateProcessCall() {
    return BindingOf<&CreateProcessW>();
}

} // namespace Binding

} // namespace Launcher

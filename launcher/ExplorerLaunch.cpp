#include "launcher/ExplorerLaunch.h"

#include "base/FullPathName.h"
#include "base/Owned.h"
#include "base/ScopedBinding.h"

#include <shellapi.h>

#include <memory>
#include <vector>

namespace Launcher {

bool NamesExistingItem(std::wstring_view Path) {
    return !Path.empty() &&
           GetFileAttributesW(FullPath::FullPathName(Path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> SplitArguments(std::wstring_view Arguments) {
    // The system's splitter takes its first word as a program name, by other rules.
    const std::wstring commandLine = L"x " + std::wstring(Arguments);
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
        CommandLineToArgvW(commandLine.c_str(), &count), &LocalFree);
    std::vector<std::wstring> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.emplace_back(words.get()[i]);
    return arguments;
}

std::vector<std::wstring> DistinctFolders(const std::vector<std::wstring>& Folders) {
    std::vector<std::wstring> distinct;
    for (const std::wstring& folder : Folders) {
        bool seen = false;
        for (const std::wstring& kept : distinct)
            seen = seen ||
                   CompareStringOrdinal(kept.c_str(), static_cast<int>(kept.size()), folder.c_str(),
                                        static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
        if (!seen)
            distinct.push_back(folder);
    }
    return distinct;
}

bool MayOpenFolders(std::size_t Count) {
    const std::wstring question =
        std::to_wstring(Count) + L" 個のフォルダを開きます。よろしいですか？";
    return Binding::QuestionCall()(nullptr, question.c_str(), L"Tarnwick",
                                   MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

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

QuestionFunction& QuestionCall() {
    return BindingOf<&MessageBoxW>();
}

} // namespace Binding

} // namespace Launcher

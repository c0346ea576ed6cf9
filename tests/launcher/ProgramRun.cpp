#include "tests/launcher/ProgramRun.h"

#include "toolkit/Handles.h"

#include <windows.h>
#include <dbghelp.h>
#include <winternl.h>

#include <map>

namespace TestSupport {

namespace {

template <typename Value> bool ReadRemote(HANDLE process, const void* address, Value& value) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, &value, sizeof(value), &read) &&
           read == sizeof(value);
}

std::wstring ReadRemoteString(HANDLE process, const UNICODE_STRING& text) {
    if (!text.Buffer || text.Length == 0)
        return std::wstring();
    std::wstring value(text.Length / sizeof(wchar_t), L'\0');
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, text.Buffer, value.data(), text.Length, &read))
        return L"<unreadable>";
    value.resize(read / sizeof(wchar_t));
    return value;
}

StartedProcess Describe(HANDLE process) {
    StartedProcess started;
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic),
                                  nullptr) != 0)
        return started;
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!ReadRemote(process, basic.PebBaseAddress, peb) ||
        !ReadRemote(process, peb.ProcessParameters, parameters))
        return started;
    started.image = ReadRemoteString(process, parameters.ImagePathName);
    started.commandLine = ReadRemoteString(process, parameters.CommandLine);
    return started;
}

std::wstring FileNameOf(HANDLE file) {
    wchar_t path[MAX_PATH] = {};
    if (GetFinalPathNameByHandleW(file, path, MAX_PATH, FILE_NAME_NORMALIZED) == 0)
        return L"<unknown>";
    std::wstring name(path);
    name.erase(0, name.rfind(L'\\') + 1);
    CharLowerW(name.data());
    return name;
}

// Wine starts its desktop process from the first program that needs a window when
// none runs yet; it belongs to the session, not to the program under test.
bool IsWineDesktop(const StartedProcess& started) {
    return started.commandLine.find(L"/desktop") != std::wstring::npos;
}

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    if (info.fUnicode ||
        !ReadProcessMemory(process, info.lpDebugStringData, text.data(), text.size(), &read))
        return std::string();
    text.resize(read);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

void EndSymbols(HANDLE& process) {
    if (process)
        SymCleanup(process);
    process = nullptr;
}

using Thread = Toolkit::UniqueHandle<HANDLE, &CloseHandle>;
using SymbolSession = Owned<HANDLE, &EndSymbols>;

// Walks the stopped thread's call chain outward from the faulting instruction, up to
// the first frame in the program's own image, and answers whether shell32 is on it.
bool ShellOnCallChain(HANDLE process, DWORD threadId, DWORD64 programBase) {
    const Thread thread(OpenThread(THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, threadId));
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    SymSetOptions(SymGetOptions() | SYMOPT_DEFERRED_LOADS);
    if (!thread || !GetThreadContext(thread.Get(), &context) ||
        !SymInitializeW(process, nullptr, TRUE))
        return false;
    const SymbolSession symbols(process);
    STACKFRAME64 frame{};
#ifdef _WIN64
    constexpr DWORD machine = IMAGE_FILE_MACHINE_AMD64;
    frame.AddrPC.Offset = context.Rip;
    frame.AddrStack.Offset = context.Rsp;
    frame.AddrFrame.Offset = context.Rbp;
#else
    constexpr DWORD machine = IMAGE_FILE_MACHINE_I386;
    frame.AddrPC.Offset = context.Eip;
    frame.AddrStack.Offset = context.Esp;
    frame.AddrFrame.Offset = context.Ebp;
#endif
    frame.AddrPC.Mode = frame.AddrStack.Mode = frame.AddrFrame.Mode = AddrModeFlat;
    for (int depth = 0; depth < 64; ++depth) {
        if (!StackWalk64(machine, process, thread.Get(), &frame, &context, nullptr,
                         SymFunctionTableAccess64, SymGetModuleBase64, nullptr))
            return false;
        IMAGEHLP_MODULEW64 module{};
        module.SizeOfStruct = sizeof(module);
        if (!SymGetModuleInfoW64(process, frame.AddrPC.Offset, &module) ||
            module.BaseOfImage == programBase)
            return false;
        if (lstrcmpiW(module.ModuleName, L"shell32") == 0)
            return true;
    }
    return false;
}

} // namespace

std::wstring ProgramPath() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    path.resize(path.rfind(L'\\') + 1);
    path += TARNWICK_PROGRAM_FROM_TEST;
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

ProgramRun RunProgram(const std::wstring& arguments, const std::wstring& currentDirectory,
                      unsigned long timeLimitMilliseconds, const std::wstring& programPath) {
    ProgramRun run;
    const std::wstring program = programPath.empty() ? ProgramPath() : programPath;
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION root{};
    // Under Wine a start as a debuggee fails now and then, at once and for no reason
    // of the program's: it is tried again before the run counts as failed.
    bool rootStarted = false;
    for (int attempt = 0; attempt < 3 && !rootStarted; ++attempt) {
        if (attempt > 0)
            Sleep(200);
        rootStarted = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                     DEBUG_PROCESS, nullptr,
                                     currentDirectory.empty() ? nullptr : currentDirectory.c_str(),
                                     &startup, &root) != FALSE;
    }
    if (!rootStarted)
        return run;
    // Detaching from a process must not end it.
    DebugSetProcessKillOnExit(FALSE);
    CloseHandle(root.hThread);

    // Every debuggee still alive, by id; the handles belong to the debug events.
    std::map<DWORD, HANDLE> alive;
    DWORD64 programBase = 0;
    const ULONGLONG deadline = GetTickCount64() + timeLimitMilliseconds;
    bool rootEnded = false;
    while (!rootEnded || !alive.empty()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        DEBUG_EVENT event{};
        if (!WaitForDebugEvent(&event, static_cast<DWORD>(deadline - now)))
            continue;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT: {
            const auto& info = event.u.CreateProcessInfo;
            if (info.hFile)
                CloseHandle(info.hFile);
            alive[event.dwProcessId] = info.hProcess;
            if (event.dwProcessId == root.dwProcessId) {
                programBase = reinterpret_cast<DWORD64>(info.lpBaseOfImage);
                break;
            }
            StartedProcess started = Describe(info.hProcess);
            if (IsWineDesktop(started)) {
                ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
                DebugActiveProcessStop(event.dwProcessId);
                alive.erase(event.dwProcessId);
                continue;
            }
            run.started.push_back(std::move(started));
            // Explorer is not run: what it would show is not under test.
            TerminateProcess(info.hProcess, 0);
            break;
        }
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) {
                if (event.dwProcessId == root.dwProcessId)
                    run.libraries.push_back(FileNameOf(event.u.LoadDll.hFile));
                CloseHandle(event.u.LoadDll.hFile);
            }
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            if (event.dwProcessId == root.dwProcessId)
                run.messages.push_back(ReadDebugString(root.hProcess, event.u.DebugString));
            break;
        case EXCEPTION_DEBUG_EVENT: {
            const auto& exception = event.u.Exception;
            if (exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT)
                break;
            status = DBG_EXCEPTION_NOT_HANDLED;
            if (!exception.dwFirstChance && event.dwProcessId == root.dwProcessId) {
                run.fault = exception.ExceptionRecord.ExceptionCode;
                run.faultInShell = ShellOnCallChain(root.hProcess, event.dwThreadId, programBase);
                TerminateProcess(root.hProcess, run.fault);
            }
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT:
            alive.erase(event.dwProcessId);
            if (event.dwProcessId == root.dwProcessId) {
                rootEnded = true;
                run.exitCode = event.u.ExitProcess.dwExitCode;
            }
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }

    run.ranToEnd = rootEnded;
    // Out of time: end whatever is left, by handle, so that nothing outlives the test.
    for (const auto& [id, handle] : alive) {
        TerminateProcess(handle, 1);
        DebugActiveProcessStop(id);
    }
    if (!rootEnded)
        TerminateProcess(root.hProcess, 1);
    CloseHandle(root.hProcess);
    return run;
}

} // namespace TestSupport

// Runs the built tarnwick.exe (or another program) as a debuggee, so that every process
// it starts is seen at its creation: its image and exact command line are read from its
// own process parameters, and it is then ended before it runs a single instruction of
// its own. The debugger also takes the program's debug output and sees an exception
// that the program leaves unhandled.
#pragma once

#include <string>
#include <vector>

namespace TestSupport {

struct StartedProcess {
    std::wstring image;       // ImagePathName of the new process
    std::wstring commandLine; // CommandLine of the new process, exactly as passed
};

struct ProgramRun {
    bool ranToEnd = false; // the program ended within the time limit
    unsigned long exitCode = ~0ul;
    std::vector<StartedProcess> started;
    std::vector<std::wstring> libraries; // file names of the DLLs the program loaded, lower case
    std::vector<std::string> messages;   // its OutputDebugString texts, in order
    // The code of an exception the program left unhandled (0: none); it is ended there.
    unsigned long fault = 0;
    // The shell's library (shell32) was running a call of the program's when it faulted:
    // its code lies on the call chain between the faulting instruction and the program's.
    bool faultInShell = false;
};

// The built program's full path, found from this test exe's own location.
std::wstring ProgramPath();

// Starts "<program>" followed by a blank and the arguments (no blank when they are
// empty), in the given current directory (the test's own when empty), and waits for
// it to end, at most the time limit. The program is the built one unless named.
ProgramRun RunProgram(const std::wstring& arguments, const std::wstring& currentDirectory = L"",
                      unsigned long timeLimitMilliseconds = 60000,
                      const std::wstring& programPath = L"");

} // namespace TestSupport

// The launcher's own run (Launcher::Run, as tarnwick.exe's WinMain makes it) with a
// clock bound between its steps. The times (milliseconds) go to the file named by
// TARNWICK_BENCH_PHASES, one line: process start to WinMain, then from each step to the
// next (Launcher::Step), the last to the end of the run.
#include "launcher/Form1.h"
#include "launcher/Launch.h"

#include <windows.h>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

// 100-nanosecond units since 1601, comparable with the process's creation time.
double Milliseconds(const FILETIME& time) {
    return ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart / 10000.0;
}

std::vector<std::pair<Launcher::Step, double>> marks;

void Mark(Launcher::Step reached) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    marks.emplace_back(reached, Milliseconds(now));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    Launcher::Binding::ClockCall() = Mark;
    const int exitCode = Launcher::Run(GetCommandLineW());

    // One shortcut: each step once, in order.
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (marks[i].first != static_cast<Launcher::Step>(i))
            return 2;
    }
    wchar_t file[MAX_PATH] = {};
    if (marks.size() != static_cast<std::size_t>(Launcher::Step::End) + 1 ||
        !GetEnvironmentVariableW(L"TARNWICK_BENCH_PHASES", file, MAX_PATH))
        return 2;
    if (FILE* output = _wfopen(file, L"a")) {
        double last = Milliseconds(created);
        for (const auto& [step, time] : marks) {
            std::fprintf(output, "%s%.3f", step == Launcher::Step::WinMain ? "" : " ", time - last);
            last = time;
        }
        std::fprintf(output, "\n");
        std::fclose(output);
    }
    return exitCode;
}

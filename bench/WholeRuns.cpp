// The launcher, the baseline, a script that does the same under cscript and the
// launcher's own run with its clock bound, side by side (interleaved; medians and
// trimmed means); then the phases of that timed run.
#include "bench/Bench.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace Bench {

namespace {

struct Run {
    double milliseconds = -1;
    bool startedExplorer = false;
};

// From the start of the process to its end; the recorder's line is waited for
// afterwards, outside the time, so that no run overlaps the previous one's Explorer.
Run TimedRun(const std::wstring& program, const std::wstring& arguments,
             const std::wstring& shortcut, const std::wstring& record) {
    const std::size_t recorded = Lines(record).size();
    std::wstring commandLine = L"\"" + program + L"\" " + arguments + L"\"" + shortcut + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = Milliseconds();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return {};
    WaitForSingleObject(process.hProcess, 60000);
    const double elapsed = Milliseconds() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 500 && Lines(record).size() == recorded; ++wait)
        Sleep(10);
    Sleep(100);
    return {elapsed, Lines(record).size() > recorded};
}

struct Program {
    const char* name;
    std::wstring path;
    std::wstring arguments{}; // before the shortcut's
    std::vector<double> times{};
    int startedExplorer = 0;
    double Median() const { return Bench::Median(times); }
    double Trimmed() const { return TrimmedMean(times); }
};

// What follows the switches: the folder, whoever started Explorer and however.
std::string FolderOf(const std::string& explorerCommandLine) {
    const std::size_t switches = explorerCommandLine.find("/n,/e,");
    return switches == std::string::npos ? explorerCommandLine
                                         : explorerCommandLine.substr(switches + 6);
}

} // namespace

void WholeRuns(const Sample& sample, int rounds) {
    const std::wstring own = OwnDirectory();
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::vector<Program> programs = {
        {"tarnwick.exe", LauncherPath()},
        {"baseline", own + L"bench_baseline.exe"},
        {"script (cscript)", std::wstring(system) + L"\\cscript.exe",
         L"//nologo //B \"" + sample.script + L"\" "},
        {"launcher with its clock", own + L"bench_timed_launcher.exe"},
        // The baseline with the interactive editor's manifest: its edit field comes
        // from Common Controls 6 (visual styles), as the controls of trwkedit.exe do.
        {"baseline, Common Controls 6", own + L"bench_baseline_styled.exe"},
    };
    const std::size_t ownPrograms = programs.size();
    // Other builds to compare in the same run, as Windows paths separated by ';'.
    std::vector<std::string> names;
    if (const wchar_t* also = _wgetenv(L"TARNWICK_BENCH_ALSO")) {
        std::wstring list = also;
        for (std::size_t start = 0; start < list.size();) {
            const std::size_t end = std::min(list.find(L';', start), list.size());
            if (end > start) {
                const std::wstring path = list.substr(start, end - start);
                names.push_back(Utf8(path.substr(path.rfind(L'\\') + 1)));
                programs.push_back({nullptr, path});
            }
            start = end + 1;
        }
    }
    for (std::size_t i = ownPrograms; i < programs.size(); ++i)
        programs[i].name = names[i - ownPrograms].c_str();
    // One unmeasured run each: the first start of a program pays for the disk cache.
    for (Program& program : programs)
        TimedRun(program.path, program.arguments, sample.shortcut, sample.record);
    DeleteFileW(sample.phases.c_str());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            Program& program = programs[round % 2 ? programs.size() - 1 - i : i];
            const Run run =
                TimedRun(program.path, program.arguments, sample.shortcut, sample.record);
            program.times.push_back(run.milliseconds);
            program.startedExplorer += run.startedExplorer;
        }
    }

    std::printf("Whole runs on one shortcut, %d interleaved rounds, ms:\n", rounds);
    // A run that did not start Explorer did not do the work: its time proves nothing.
    std::printf("  %-34s %8s %8s  %s\n", "", "median", "trimmed", "started Explorer");
    for (const Program& program : programs)
        std::printf("  %-34s %8.1f %8.1f  %d of %d%s\n", program.name, program.Median(),
                    program.Trimmed(), program.startedExplorer, rounds,
                    program.startedExplorer == rounds ? "" : ": NOT EVERY RUN");
    const auto ratio = [](const char* what, const Program& over, const Program& under) {
        std::printf("  %-34s %8.2f %8.2f\n", what, over.Median() / under.Median(),
                    over.Trimmed() / under.Trimmed());
    };
    // Taken only now: the other builds above may have moved the programs in memory.
    const Program& launcher = programs[0];
    const Program& baseline = programs[1];
    const Program& script = programs[2];
    const Program& timed = programs[3];
    ratio("launcher / baseline (goal 1.15)", launcher, baseline);
    ratio("launcher / script (goal 0.9)", launcher, script);
    ratio("launcher with its clock / launcher", timed, launcher);
    ratio("baseline, Common Controls 6 / baseline", programs[4], baseline);
    for (std::size_t i = ownPrograms; i < programs.size(); ++i)
        ratio((std::string(programs[i].name) + " / baseline").c_str(), programs[i], baseline);

    const auto record = Lines(sample.record);
    const bool same = !record.empty() && std::all_of(record.begin(), record.end(), [&](auto& l) {
        return FolderOf(l) == FolderOf(record.front());
    });
    std::printf("  Explorer command lines:    %zu recorded, %s: %s\n", record.size(),
                same ? "all on the same folder" : "NOT ALL ON THE SAME FOLDER",
                record.empty() ? "" : record.front().c_str());

    const char* phaseNames[] = {"process start to WinMain",
                                "WinMain to Form_Load",
                                "paths and editor load",
                                "shortcut load and fields",
                                "show",
                                "unload",
                                "Explorer start",
                                "end of Form_Load to exit"};
    std::vector<std::vector<double>> phases(std::size(phaseNames));
    for (const std::string& line : Lines(sample.phases)) {
        std::istringstream values(line);
        for (auto& phase : phases) {
            double value = 0;
            values >> value;
            phase.push_back(value);
        }
    }
    std::printf("Phases of the launcher's run, median ms (the process's exit after that is not "
                "seen from inside):\n");
    double sum = 0;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        sum += Median(phases[i]);
        std::printf("  %-28s %8.1f\n", phaseNames[i], Median(phases[i]));
    }
    std::printf("  %-28s %8.1f (whole run %.1f)\n", "sum", sum, timed.Median());
}

} // namespace Bench

// Runs the launcher, the baseline, a script that does the same under cscript and the
// launcher's own run with its clock bound side by side, then measures the editor in
// this process.
//   bench_driver [rounds [runs]]   (TARNWICK_BENCH_ALSO: more programs to compare)
#include "bench/Bench.h"

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Bench;

int main(int argc, char** argv) {
    // 0 rounds: the editor's measurements only.
    const int rounds = argc > 1 ? std::max(0, std::atoi(argv[1])) : 21;
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    Sample sample;
    if (!MakeSample(sample)) {
        std::fprintf(stderr, "bench_driver: the sample shortcut could not be made\n");
        return 1;
    }
    std::printf("Shortcut %s -> %s\n", Utf8(sample.shortcut).c_str(),
                Utf8(sample.document).c_str());
    if (rounds > 0)
        WholeRuns(sample, rounds);
    // "runs": the whole runs only.
    if (argc < 3 || std::string(argv[2]) != "runs")
        EditorMeasurements(sample);
    OleUninitialize();
    return 0;
}

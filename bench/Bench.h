// What the benchmark driver's parts share: the clock and the statistics, the files
// they read, and the sample shortcut that every measurement uses.
#pragma once

#include <string>
#include <vector>

namespace Bench {

// A monotonic clock, in milliseconds.
double Milliseconds();
double Median(std::vector<double> values);
// The mean of the middle 80%: single runs under Wine fall into steps of the scheduler's
// tick, which a median of few rounds follows and a trimmed mean smooths.
double TrimmedMean(std::vector<double> values);

// The folder of the driver's exe, with a trailing backslash.
std::wstring OwnDirectory();
// The launcher of the same build tree.
std::wstring LauncherPath();
std::string Utf8(const std::wstring& text);
std::vector<std::string> Lines(const std::wstring& file);

// A document in a folder with a blank in its name, a shortcut to it, the script that
// resolves it, and the files the Explorer stand-in and the timed launcher write to.
struct Sample {
    std::wstring folder, document, shortcut, record, phases, script;
};
bool MakeSample(Sample& sample);

// The programs side by side, whole runs from process start to end (WholeRuns.cpp).
void WholeRuns(const Sample& sample, int rounds);

// The editor in this process: one field synchronisation, one drag-over, and what
// 10,000 of each leave behind (EditorMeasurements.cpp).
void EditorMeasurements(const Sample& sample);

} // namespace Bench

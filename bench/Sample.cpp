#include "bench/Bench.h"

#include "tools/DeclaredShortcut.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string_view>

namespace Bench {

double Milliseconds() {
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double TrimmedMean(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t cut = values.size() / 10;
    double sum = 0;
    for (std::size_t i = cut; i < values.size() - cut; ++i)
        sum += values[i];
    return sum / static_cast<double>(values.size() - 2 * cut);
}

std::wstring OwnDirectory() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring path = module;
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring LauncherPath() {
    // The build tree's layout, without a ".." that the shell's parser would not take.
    const std::wstring own = OwnDirectory();
    return own.substr(0, own.rfind(L'\\', own.size() - 2) + 1) + L"launcher\\tarnwick.exe";
}

std::string Utf8(const std::wstring& text) {
    std::string result(text.size() * 3 + 1, '\0');
    result.resize(static_cast<std::size_t>(
                      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(),
                                          static_cast<int>(result.size()), nullptr, nullptr)) -
                  1);
    return result;
}

std::vector<std::string> Lines(const std::wstring& file) {
    std::ifstream input(Utf8(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(input, line);)
        lines.push_back(line);
    return lines;
}

namespace {

// What a user might write instead of the program: the shortcut resolved through the
// shell's automation object, Explorer started on the folder of its target. (Wine's
// WScript.Shell shortcut answers no TargetPath: a script through it stops there.)
// Run searches system32 first, where Wine's own Explorer is; the Windows folder's is
// the one the program's search finds.
constexpr char ResolverScript[] =
    "path = WScript.Arguments(0)\r\n"
    "at = InStrRev(path, \"\\\")\r\n"
    "Set item = CreateObject(\"Shell.Application\").NameSpace(Left(path, at))"
    ".ParseName(Mid(path, at + 1))\r\n"
    "target = \"\"\r\n"
    "If Not item Is Nothing Then\r\n"
    "    If item.IsLink Then target = item.GetLink.Path\r\n"
    "End If\r\n"
    "If target = \"\" Then target = path\r\n"
    "folder = Left(target, InStrRev(target, \"\\\"))\r\n"
    "CreateObject(\"WScript.Shell\").Run \"%SystemRoot%\\EXPLORER.EXE /n,/e,\" & folder, 1, "
    "False\r\n";

} // namespace

bool MakeSample(Sample& sample) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"tarnwick-bench\\";
    CreateDirectoryW(root.c_str(), nullptr);
    sample.folder = root + L"Reports 2026\\";
    CreateDirectoryW(sample.folder.c_str(), nullptr);
    CreateDirectoryW((root + L"Shortcuts").c_str(), nullptr);
    sample.document = sample.folder + L"Report.txt";
    sample.script = root + L"resolve.vbs";
    const auto write = [](const std::wstring& path, std::string_view bytes) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return written == bytes.size();
    };
    if (!write(sample.document, "") || !write(sample.script, ResolverScript))
        return false;
    sample.shortcut = root + L"Shortcuts\\Report.lnk";
    sample.record = root + L"explorer-record.txt";
    sample.phases = root + L"phases.txt";
    DeleteFileW(sample.record.c_str());
    DeleteFileW(sample.phases.c_str());
    SetEnvironmentVariableW(L"TARNWICK_BENCH_RECORD", sample.record.c_str());
    SetEnvironmentVariableW(L"TARNWICK_BENCH_PHASES", sample.phases.c_str());
    return Tools::WriteShortcut(sample.shortcut,
                                {.target = sample.document, .arguments = L"/report"});
}

} // namespace Bench

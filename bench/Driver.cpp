// Runs the launcher, the baseline, a script that does the same under cscript and the
// timed copy of the launcher side by side (interleaved; medians and trimmed means),
// then measures the editor in this process: one field
// synchronisation, one drag-over notification with a program file, and what
// 10,000 of each leave behind.
//   bench_driver [rounds [runs]]   (TARNWICK_BENCH_ALSO: more programs to compare)
#include "base/ScopedBinding.h"
#include "com/FunctionObject.h"
#include "editor/frmMain.h"
#include "launcher/ExplorerLaunch.h"
#include "shell/IconPictures.h"
#include "shell/PlatformBinding.h"
#include "tools/TaskMemorySpy.h"

#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

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

// The mean of the middle 80%: single runs under Wine fall into steps of the scheduler's
// tick, which a median of few rounds follows and a trimmed mean smooths.
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

std::wstring Directory(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\') + 1);
}

std::wstring OwnDirectory() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    return Directory(module);
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return full;
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

// ----- The sample: a document in a folder with a blank in its name, and a shortcut.

struct Sample {
    std::wstring folder, document, shortcut, record, phases, script;
};

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

bool WriteShortcut(const std::wstring& path, const std::wstring& target) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    const bool saved =
        SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(L"/report")) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Save(path.c_str(), TRUE));
    if (file)
        file->Release();
    link->Release();
    return saved;
}

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
    return WriteShortcut(sample.shortcut, sample.document);
}

// ----- Whole runs.

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
    double Median() const { return ::Median(times); }
    double Trimmed() const { return TrimmedMean(times); }
};

// What follows the switches: the folder, whoever started Explorer and however.
std::string FolderOf(const std::string& explorerCommandLine) {
    const std::size_t switches = explorerCommandLine.find("/n,/e,");
    return switches == std::string::npos ? explorerCommandLine
                                         : explorerCommandLine.substr(switches + 6);
}

void WholeRuns(const Sample& sample, int rounds) {
    const std::wstring own = OwnDirectory();
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    std::vector<Program> programs = {
        {"tarnwick.exe", FullPath(own + L"..\\launcher\\tarnwick.exe")},
        {"baseline", own + L"bench_baseline.exe"},
        {"script (cscript)", std::wstring(system) + L"\\cscript.exe",
         L"//nologo //B \"" + sample.script + L"\" "},
        {"timed copy of the launcher", own + L"bench_phases.exe"},
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
    const Program& timedCopy = programs[3];
    ratio("launcher / baseline (goal 1.25)", launcher, baseline);
    ratio("launcher / script (goal 0.9)", launcher, script);
    ratio("timed copy / launcher", timedCopy, launcher);
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
                                "editor load",
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
    std::printf("Phases of the timed copy, median ms (the process's exit after that is not "
                "seen from inside):\n");
    double sum = 0;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        sum += Median(phases[i]);
        std::printf("  %-28s %8.1f\n", phaseNames[i], Median(phases[i]));
    }
    std::printf("  %-28s %8.1f (whole run %.1f)\n", "sum", sum, timedCopy.Median());
}

// ----- Counters of this process.

struct Counters {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    DWORD gdi = 0, user = 0;
    int windows = 0;
    // Measured without asking the platform for totals (Wine answers 0 to those):
    // handle values that are open, and committed private memory.
    int openHandles = 0;
    SIZE_T committedPrivate = 0;
};

int OpenHandles() {
    int open = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        open += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    }
    return open;
}

SIZE_T CommittedPrivate() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

Counters Read() {
    Counters counters;
    GetProcessHandleCount(GetCurrentProcess(), &counters.handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    counters.privateBytes = memory.PrivateUsage;
    counters.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counters.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindow,
                      reinterpret_cast<LPARAM>(&counters.windows));
    counters.openHandles = OpenHandles();
    counters.committedPrivate = CommittedPrivate();
    return counters;
}

// Whether each counter sees 20 objects of its kind made on purpose.
void CheckCounters() {
    const Counters before = Read();
    std::vector<HANDLE> events;
    std::vector<HBRUSH> brushes;
    std::vector<HICON> icons;
    for (int i = 0; i < 20; ++i) {
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
        icons.push_back(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    }
    std::vector<char> memory(8 << 20, 1);
    const Counters after = Read();
    std::printf("Counters, checked by making 20 events, brushes and icons and 8 MB:\n"
                "  platform totals: handles %+ld, GDI objects %+ld, USER objects %+ld, private "
                "bytes %+lld\n"
                "  measured instead: open handle values %+d, committed private bytes %+lld\n",
                long(after.handles) - long(before.handles), long(after.gdi) - long(before.gdi),
                long(after.user) - long(before.user),
                static_cast<long long>(after.privateBytes) -
                    static_cast<long long>(before.privateBytes),
                after.openHandles - before.openHandles,
                static_cast<long long>(after.committedPrivate) -
                    static_cast<long long>(before.committedPrivate));
    for (HANDLE event : events)
        CloseHandle(event);
    for (HBRUSH brush : brushes)
        DeleteObject(brush);
    for (HICON icon : icons)
        DestroyIcon(icon);
}

void PrintGrowth(const char* what, const Counters& before, const Counters& after) {
    std::printf("  %s:\n    platform totals: handles %+ld, private bytes %+lld, GDI %+ld, USER "
                "%+ld\n    measured: open handle values %+d, committed private bytes %+lld, "
                "windows %+d\n",
                what, long(after.handles) - long(before.handles),
                static_cast<long long>(after.privateBytes) -
                    static_cast<long long>(before.privateBytes),
                long(after.gdi) - long(before.gdi), long(after.user) - long(before.user),
                after.openHandles - before.openHandles,
                static_cast<long long>(after.committedPrivate) -
                    static_cast<long long>(before.committedPrivate),
                after.windows - before.windows);
}

ULONG ReferencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The last object the slot-call layer created (the loaded shortcut's).
IUnknown* lastCreated = nullptr;
FunctionObject::CreateInstanceFunction platformCreate = nullptr;
HRESULT WINAPI RememberCreated(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID iid,
                               LPVOID* object) {
    const HRESULT result = platformCreate(classId, outer, context, iid, object);
    if (SUCCEEDED(result))
        lastCreated = static_cast<IUnknown*>(*object);
    return result;
}

// Pictures made for the icon button, each kept alive by one extra reference of ours.
std::vector<IUnknown*> pictures;
FunctionShell::Binding::CreatePictureFunction platformPicture = nullptr;
HRESULT WINAPI KeepPicture(LPPICTDESC description, REFIID iid, BOOL own, LPVOID* object) {
    const HRESULT result = platformPicture(description, iid, own, object);
    if (SUCCEEDED(result) && *object) {
        static_cast<IUnknown*>(*object)->AddRef();
        pictures.push_back(static_cast<IUnknown*>(*object));
    }
    return result;
}

// The drag data the shell hands a drop target for one file.
class ShellData {
public:
    explicit ShellData(const std::wstring& file) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (FAILED(SHParseDisplayName(file.c_str(), nullptr, &list, 0, nullptr)))
            return;
        IShellFolder* parent = nullptr;
        PCUITEMID_CHILD child = nullptr;
        if (SUCCEEDED(SHBindToParent(list, IID_IShellFolder, reinterpret_cast<void**>(&parent),
                                     &child))) {
            parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                                  reinterpret_cast<void**>(&data_));
            parent->Release();
        }
        CoTaskMemFree(list);
    }
    ~ShellData() {
        if (data_)
            data_->Release();
    }
    ShellData(const ShellData&) = delete;
    ShellData& operator=(const ShellData&) = delete;

    IDataObject* Get() const { return data_; }

private:
    IDataObject* data_ = nullptr;
};

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Times each call; returns the median in milliseconds.
double MedianOf(int count, const std::function<void(int)>& once) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double start = Milliseconds();
        once(i);
        times.push_back(Milliseconds() - start);
        if (i % 50 == 0)
            PumpMessages();
    }
    return Median(times);
}

void EditorMeasurements(const Sample& sample) {
    const ScopedBinding remember(FunctionObject::CreateInstanceCall(), RememberCreated);
    platformCreate = remember.Previous();

    auto editor = frmMain::Create();
    editor->txtText(frmMain::FieldFileName).Text(sample.shortcut);
    editor->Show();
    PumpMessages();
    IUnknown* const shortcutObject = lastCreated;
    const HWND arguments = editor->txtText(frmMain::FieldArgument).Handle();
    // A character typed, then taken back: the field keeps its length however long.
    const auto type = [&](int i) {
        SendMessageW(arguments, EM_SETSEL, 0x7FFF, 0x7FFF);
        SendMessageW(arguments, WM_CHAR, i % 2 ? VK_BACK : L'x', 1);
    };
    type(0);
    const bool synchronised = editor->LinkFile()->LinkArgument() == L"/reportx";
    type(1);

    const std::wstring ownProgram = FullPath(OwnDirectory() + L"..\\launcher\\tarnwick.exe");
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring shell32 = std::wstring(system) + L"\\shell32.dll";
    const ShellData ownData(ownProgram);
    const ShellData shell32Data(shell32);
    // One drag-over notification of the icon button, as its drop target raises it:
    // the icon field is made current, then the window's drag-over rule answers.
    DWORD lastAnswer = DROPEFFECT_NONE;
    const auto dragOver = [&editor, &lastAnswer](const ShellData& data) {
        return [&editor, &lastAnswer, &data](int) {
            Toolkit::DragEventArgs args;
            args.Data = data.Get();
            args.Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
            editor->txtText_GotFocus(frmMain::FieldIcon);
            editor->Form_OLEDragOver(args);
            lastAnswer = args.Effect;
        };
    };

    std::printf("Editor, in this process, median of 500 (ms):\n");
    std::printf("  one field synchronisation (a character typed into txtText(2)) %.2f%s\n",
                MedianOf(500, type), synchronised ? "" : "  [THE SHORTCUT DID NOT FOLLOW]");
    const double ownTime = MedianOf(500, dragOver(ownData));
    const bool ownAccepted = lastAnswer == DROPEFFECT_LINK;
    const double shell32Time = MedianOf(500, dragOver(shell32Data));
    std::printf("  one drag-over notification on the icon button, shell data of a program file:\n"
                "    tarnwick.exe (%d icon) %.2f, shell32.dll (%d icons) %.2f%s\n",
                FunctionShell::IconCountInFile(ownProgram), ownTime,
                FunctionShell::IconCountInFile(shell32), shell32Time,
                ownAccepted && lastAnswer == DROPEFFECT_LINK ? "" : "  [THE DRAG WAS REFUSED]");

    CheckCounters();
    std::printf("Growth after 10,000 of each (after 200 to settle):\n");
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    const ULONG desktopBefore = ReferencesOf(desktop);
    const ULONG shortcutBefore = ReferencesOf(shortcutObject);
    // What the task allocator hands out and takes back (item ID lists, texts).
    unsigned long allocations = 0, frees = 0;
    {
        MedianOf(200, type);
        const Counters before = Read();
        {
            const Tools::TaskMemorySpy taskMemory(Tools::TaskMemorySpy::Keep::Counts);
            MedianOf(10000, type);
            allocations = static_cast<unsigned long>(taskMemory.Allocations());
            frees = static_cast<unsigned long>(taskMemory.Frees());
        }
        PumpMessages();
        PrintGrowth("field synchronisations", before, Read());
    }
    std::printf("    task memory: %lu allocations, %lu frees; shortcut object references %lu "
                "-> %lu, desktop folder %lu -> %lu\n",
                allocations, frees, shortcutBefore, ReferencesOf(shortcutObject), desktopBefore,
                ReferencesOf(desktop));
    {
        MedianOf(200, dragOver(shell32Data));
        const Counters before = Read();
        MedianOf(10000, dragOver(shell32Data));
        PrintGrowth("drag-over notifications (shell32.dll)", before, Read());
    }
    desktop->Release();

    // Every picture made is given back, except the one the icon button shows.
    {
        const ScopedBinding keep(FunctionShell::Binding::CreatePictureCall(), KeepPicture);
        platformPicture = keep.Previous();
        const auto heldAfter = [](const char* what, const std::function<void(int)>& once) {
            pictures.clear();
            MedianOf(100, once);
            long stillHeld = 0;
            for (IUnknown* picture : pictures)
                stillHeld += picture->Release() > 0;
            std::printf("  icon pictures of 100 %s: %zu made, %ld still held by others after\n",
                        what, pictures.size(), stillHeld);
        };
        // An emptied target field: the shortcut refuses the empty name, the field shows
        // the target again, and the icon button is refreshed once messages run.
        heldAfter("target synchronisations (0 expected: the button keeps its own copy of the icon)",
                  [&](int) {
                      editor->txtText(frmMain::FieldLinkTo).Text(L"");
                      PumpMessages();
                  });
        heldAfter("drag-over notifications (0 expected)", dragOver(shell32Data));
    }
    editor->Unload();
}

} // namespace

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

// The launcher's run with a clock read between its steps: the same startup window,
// editor, resources and Explorer start as the program, in the program's order. The
// times (milliseconds) go to the file named by TARNWICK_BENCH_PHASES, one line:
// start-to-main, main-to-Form_Load, editor load, shortcut load and synchronisation,
// show, unload, Explorer start, Form_Load-return-to-end.
#include "base/LibraryFunction.h"
#include "editor/frmMain.h"
#include "launcher/ExplorerLaunch.h"
#include "resources/resource.h"
#include "toolkit/Form.h"

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// 100-nanosecond units since 1601, comparable with the process's creation time.
double NowMilliseconds() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart) / 10000.0;
}

double ProcessStartMilliseconds() {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return (ULARGE_INTEGER{{created.dwLowDateTime, created.dwHighDateTime}}.QuadPart) / 10000.0;
}

std::vector<double> marks;
void Mark() {
    marks.push_back(NowMilliseconds());
}

class TimedForm : public Toolkit::Form {
public:
    explicit TimedForm(std::wstring arguments)
        : Form(L"Tarnwick", Toolkit::Twips{1, 1, 15, 15}, Toolkit::FontSpec{}),
          arguments_(std::move(arguments)) {
        IconResource(IDI_TARNWICK);
    }

private:
    void CreateControls() override {}
    void Form_Load() override {
        Mark();
        const std::wstring path = Launcher::PathFromArguments(arguments_);
        auto editor = frmMain::Create();
        editor->Load();
        Mark();
        editor->txtText(0).Text(path);
        Mark();
        editor->Show();
        Mark();
        std::wstring target = editor->txtText(1).Text();
        editor->Unload();
        Mark();
        if (target.empty())
            target = arguments_;
        Launcher::StartExplorer(Launcher::FolderFromTarget(target));
        Mark();
    }

    std::wstring arguments_;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    marks.push_back(ProcessStartMilliseconds());
    Mark();
    SearchLibrariesInTheSystemFolderOnly();
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    {
        auto form =
            std::make_shared<TimedForm>(Launcher::ArgumentsFromCommandLine(GetCommandLineW()));
        form->Load();
        form->Unload();
    }
    OleUninitialize();
    Mark();

    wchar_t file[MAX_PATH] = {};
    if (marks.size() != 9 || !GetEnvironmentVariableW(L"TARNWICK_BENCH_PHASES", file, MAX_PATH))
        return 1;
    if (FILE* output = _wfopen(file, L"a")) {
        for (std::size_t i = 1; i < marks.size(); ++i)
            std::fprintf(output, "%s%.3f", i > 1 ? " " : "", marks[i] - marks[i - 1]);
        std::fprintf(output, "\n");
        std::fclose(output);
    }
    return 0;
}

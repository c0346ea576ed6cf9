#include "tests/support/DialogDriver.h"

#include <algorithm>

namespace TestSupport {

namespace {

constexpr int FileNameBox = 0x47C; // cmb13
constexpr DWORD PollMilliseconds = 20;

struct DialogSearch {
    const std::vector<HWND>* handled;
    HWND found;
};

BOOL CALLBACK FindNewDialog(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (std::find(search.handled->begin(), search.handled->end(), window) != search.handled->end())
        return TRUE;
    search.found = window;
    return FALSE;
}

} // namespace

DialogDriver::DialogDriver(std::vector<Step> Steps, DWORD TimeoutMilliseconds)
    : uiThread_(GetCurrentThreadId()),
      thread_(&DialogDriver::Run, this, std::move(Steps), TimeoutMilliseconds) {}

DialogDriver::~DialogDriver() {
    Finished();
}

bool DialogDriver::Finished() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    return finished_;
}

void DialogDriver::Run(std::vector<Step> steps, DWORD timeout) {
    std::vector<HWND> handled;
    for (const Step& step : steps) {
        DialogSearch search{&handled, nullptr};
        for (const DWORD start = GetTickCount(); !search.found; Sleep(PollMilliseconds)) {
            EnumThreadWindows(uiThread_, FindNewDialog, reinterpret_cast<LPARAM>(&search));
            if (stop_ || (!search.found && GetTickCount() - start > timeout))
                return CancelLeftovers(timeout);
        }
        handled.push_back(search.found);
        step(search.found);
    }
    finished_ = true;
    CancelLeftovers(timeout);
}

void DialogDriver::CancelLeftovers(DWORD timeout) {
    const std::vector<HWND> none;
    for (const DWORD start = GetTickCount(); !stop_; Sleep(PollMilliseconds)) {
        if (GetTickCount() - start <= timeout)
            continue;
        DialogSearch search{&none, nullptr};
        EnumThreadWindows(uiThread_, FindNewDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            PressButton(search.found, IDCANCEL);
    }
}

void TypeFileName(HWND Dialog, std::wstring_view Name) {
    SetDlgItemTextW(Dialog, FileNameBox, std::wstring(Name).c_str());
}

void PressButton(HWND Dialog, int Command) {
    PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(Command, BN_CLICKED), 0);
}

} // namespace TestSupport

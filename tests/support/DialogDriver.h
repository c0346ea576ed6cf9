// Finishes the system's modal dialogs of the calling thread from a helper thread.
// Each step waits, at most Timeout, for a visible dialog window (#32770) that no
// earlier step handled, then acts on it with messages: the modal loop of the calling
// thread answers them. Create the driver right before the modal call. A dialog still
// open a Timeout after the last step (or a step that found none) is cancelled, so a
// failing test ends instead of hanging in the modal loop.
#pragma once

#include "tests/support/TestSupport.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace TestSupport {

class DialogDriver {
public:
    using Step = std::function<void(HWND Dialog)>;

    explicit DialogDriver(std::vector<Step> Steps, DWORD TimeoutMilliseconds = 10000);
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    ~DialogDriver();

    // Call after the modal call returned: stops the helper thread and answers whether
    // every step found its dialog.
    bool Finished();

private:
    void Run(std::vector<Step> steps, DWORD timeout);
    void CancelLeftovers(DWORD timeout);

    DWORD uiThread_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Actions for a step.
void TypeFileName(HWND Dialog, std::wstring_view Name); // the file dialogs' name box (cmb13)
void PressButton(HWND Dialog, int Command);             // IDOK, IDCANCEL, IDYES ...

} // namespace TestSupport

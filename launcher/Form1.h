// The startup window. It is never shown: its Load makes the launcher's whole run
// (Launch.h) and the program ends when it returns.
#pragma once

#include "toolkit/Form.h"

#include <memory>
#include <string>

namespace Launcher {

// The program's whole run from its command line, as its WinMain makes it: libraries
// from the system folder only, OLE, then the startup window loaded and unloaded.
// Returns the exit code.
int Run(const wchar_t* CommandLine);

class Form1 : public Toolkit::Form {
public:
    // Not loaded yet: Load runs the launch with these arguments.
    static std::shared_ptr<Form1> Create(std::wstring Arguments);

    // What the launch in Form_Load returned.
    bool Started() const { return started_; }

private:
    explicit Form1(std::wstring Arguments);

    void CreateControls() override {}
    void Form_Load() override;

    std::wstring arguments_;
    bool started_ = false;
};

} // namespace Launcher

// The startup window. It is never shown: its Load does the launcher's whole run
// (resolve the path through the editor window, start Explorer on the folder) and the
// program ends when it returns.
#pragma once

#include "toolkit/Form.h"

#include <memory>
#include <string>
#include <string_view>

namespace Launcher {

// The steps of one run after the program's own name has been split off, from the
// arguments as received. Returns whether Explorer was started; arguments that leave
// no path (none at all, a lone quote, an empty pair of quotes) start nothing.
bool Launch(std::wstring_view Arguments);

// The link target that the editor window reports for the path; empty when the path
// did not load as a shortcut. The editor is loaded, shown and unloaded again.
std::wstring TargetFromEditor(const std::wstring& Path);

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

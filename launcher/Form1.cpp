#include "launcher/Form1.h"

#include "base/LibraryFunction.h"
#include "base/Trace.h"
#include "launcher/ExplorerLaunch.h"
#include "launcher/Launch.h"
#include "resources/resource.h"
#include "toolkit/Units.h"

#include <ole2.h>

namespace Launcher {

int Run(const wchar_t* CommandLine) {
    Clock(Step::WinMain);
    SearchLibrariesInTheSystemFolderOnly();
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    try {
        // The whole run happens inside the startup window's Load.
        auto form = Form1::Create(ArgumentsFromCommandLine(CommandLine));
        form->Load();
        form->Unload();
    } catch (...) {
        // No message: the run simply ends without Explorer.
        TraceFailure(L"the launcher");
    }
    OleUninitialize();
    Clock(Step::End);
    return 0;
}

std::shared_ptr<Form1> Form1::Create(std::wstring Arguments) {
    return std::shared_ptr<Form1>(new Form1(std::move(Arguments)));
}

Form1::Form1(std::wstring Arguments)
    : Form(L"Tarnwick", Toolkit::Twips{1, 1, 15, 15}, Toolkit::FontSpec{}),
      arguments_(std::move(Arguments)) {
    IconResource(IDI_TARNWICK);
    NeverDisplayed();
}

void Form1::Form_Load() {
    if (const HWND window = WindowHandle()) {
        // 15 twips square, 1 twip from the corner; never shown all the same.
        const Toolkit::PixelRectangle place = Toolkit::ToPixels(Toolkit::Twips{1, 1, 15, 15});
        SetWindowPos(window, nullptr, place.Left, place.Top, place.Width, place.Height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Clock(Step::FormLoad);
    started_ = Launch(arguments_);
}

} // namespace Launcher

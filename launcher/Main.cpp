// The program: one path on the command line, the folder of its target in Explorer.
#include "base/LibraryFunction.h"
#include "base/Trace.h"
#include "launcher/ExplorerLaunch.h"
#include "launcher/Form1.h"

#include <windows.h>
#include <ole2.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SearchLibrariesInTheSystemFolderOnly();
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    try {
        // The whole run happens inside the startup window's Load.
        auto form = Launcher::Form1::Create(Launcher::ArgumentsFromCommandLine(GetCommandLineW()));
        form->Load();
        form->Unload();
    } catch (...) {
        // No message: the run simply ends without Explorer.
        TraceFailure(L"the launcher");
    }
    OleUninitialize();
    return 0;
}

// The editor as a program of its own: trwkedit.exe [PATH] opens the shortcut PATH
// (optionally in double quotes) in the editor window and ends when the window goes.
#include "base/CommandLine.h"
#include "base/FullPathName.h"
#include "base/LibraryFunction.h"
#include "base/Trace.h"
#include "editor/frmMain.h"

#include <windows.h>
#include <ole2.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SearchLibrariesInTheSystemFolderOnly();
    // OLE, not only COM: the window is a drop target.
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    try {
        const std::wstring path = FullPath::FullPathName(ProgramCommandLine::PathFromArguments(
            ProgramCommandLine::ArgumentsFromCommandLine(GetCommandLineW())));
        auto editor = frmMain::Create();
        if (!path.empty())
            editor->txtText(frmMain::FieldFileName).Text(path);
        // Whole when shown: an assistive program may read it before its first message.
        editor->MakeControls();
        editor->Show();
        Toolkit::RunMessageLoop();
        editor->Unload();
    } catch (...) {
        // No message: the program simply ends.
        TraceFailure(L"the editor program");
    }
    OleUninitialize();
    return 0;
}

// The program: one path on the command line, the folder of its target in Explorer.
#include "launcher/Form1.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return Launcher::Run(GetCommandLineW());
}

// Holds Wine's virtual desktop open for a session of the scripts: without a process on
// it, the desktop closes about a second after each program and the next one waits to
// reopen it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HWND window = CreateWindowExA(0, "STATIC", "tarnwick keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                                  nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

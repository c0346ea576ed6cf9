// The least a windowed resolver does: one captioned window with an edit field in a
// Japanese font, the shortcut read through the shell's declared interfaces, the
// target's parsing name shown, the window gone again, Explorer started on the folder.
#include "base/Owned.h"
#include "launcher/ExplorerLaunch.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

namespace {

std::wstring TargetOf(const std::wstring& path) {
    InterfaceReference<IShellLinkW> link;
    InterfaceReference<IPersistFile> file;
    InterfaceReference<IShellFolder> desktop;
    PIDLIST_ABSOLUTE list = nullptr;
    STRRET name{};
    wchar_t* text = nullptr;
    std::wstring target;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(link.Put()))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()))) &&
        file->Load(path.c_str(), STGM_READ) == S_OK && link->GetIDList(&list) == S_OK &&
        SUCCEEDED(SHGetDesktopFolder(desktop.Put())) &&
        SUCCEEDED(desktop->GetDisplayNameOf(list, SHGDN_FORPARSING, &name)) &&
        SUCCEEDED(StrRetToStrW(&name, list, &text))) {
        target = text;
        CoTaskMemFree(text);
    }
    CoTaskMemFree(list);
    return target;
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::wstring arguments = Launcher::ArgumentsFromCommandLine(GetCommandLineW());
    const std::wstring path = Launcher::PathFromArguments(arguments);
    if (path.empty() || FAILED(OleInitialize(nullptr)))
        return 0;

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"BaselineWindow";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(0, L"BaselineWindow", L"Baseline", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 480, 200, nullptr, nullptr, instance, nullptr);
    const HWND field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 8, 8,
                                       400, 24, window, nullptr, instance, nullptr);
    const HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                                   L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF");
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    std::wstring target = TargetOf(path);
    SetWindowTextW(field, target.c_str());
    ShowWindow(window, SW_SHOWNORMAL);
    DestroyWindow(window);
    DeleteObject(font);

    if (target.empty())
        target = arguments;
    Launcher::StartExplorer(Launcher::FolderFromTarget(target));
    OleUninitialize();
    return 0;
}

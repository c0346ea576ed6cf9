// Writes or reads a shortcut for scripts/run and scripts/package-check, through the shell's
// declared interfaces (not the program's own code, whose run it demonstrates).
//   tarnwick_shortcut_tool write LINK TARGET
//   tarnwick_shortcut_tool read LINK      prints the target's parsing name (UTF-8)
#include "base/Owned.h"
#include "tools/DeclaredShortcut.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

std::wstring Read(const wchar_t* link) {
    InterfaceReference<IShellLinkW> shellLink;
    InterfaceReference<IPersistFile> file;
    InterfaceReference<IShellFolder> desktop;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(shellLink.Put()))) ||
        FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Put()))) ||
        file->Load(link, STGM_READ) != S_OK || FAILED(SHGetDesktopFolder(desktop.Put())))
        return std::wstring();
    PIDLIST_ABSOLUTE list = nullptr;
    if (shellLink->GetIDList(&list) != S_OK || !list)
        return std::wstring();
    std::wstring name;
    STRRET answer{};
    answer.uType = STRRET_WSTR;
    if (desktop->GetDisplayNameOf(list, SHGDN_FORPARSING, &answer) == S_OK) {
        wchar_t* text = nullptr;
        if (SUCCEEDED(StrRetToStrW(&answer, list, &text))) {
            name = text;
            CoTaskMemFree(text);
        }
    }
    CoTaskMemFree(list);
    return name;
}

void PrintUtf8(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
}

} // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return 2;
    int result = 2;
    if (SUCCEEDED(CoInitialize(nullptr))) {
        const std::wstring mode = count > 1 ? arguments[1] : L"";
        if (mode == L"write" && count == 4) {
            result = Tools::WriteShortcut(arguments[2], {.target = arguments[3]}) ? 0 : 1;
        } else if (mode == L"read" && count == 3) {
            const std::wstring target = Read(arguments[2]);
            PrintUtf8(target);
            result = target.empty() ? 1 : 0;
        }
        CoUninitialize();
    }
    LocalFree(arguments);
    return result;
}

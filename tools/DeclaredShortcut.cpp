#include "tools/DeclaredShortcut.h"

#include "base/Owned.h"

#include <shlobj.h>
#include <shobjidl.h>

namespace Tools {

namespace {

// A new shortcut object and its file interface; neither when the object is missing.
struct ShellLinkObject {
    InterfaceReference<IShellLinkW> link;
    InterfaceReference<IPersistFile> file;
};

ShellLinkObject NewShellLink() {
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))))
        link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    return {InterfaceReference<IShellLinkW>(link), InterfaceReference<IPersistFile>(file)};
}

} // namespace

bool WriteShortcut(const std::wstring& path, const ShortcutFields& fields) {
    const ShellLinkObject shortcut = NewShellLink();
    if (!shortcut.file)
        return false;
    IShellLinkW& link = *shortcut.link.Get();
    if (!fields.target.empty())
        link.SetPath(fields.target.c_str());
    if (!fields.arguments.empty())
        link.SetArguments(fields.arguments.c_str());
    if (!fields.directory.empty())
        link.SetWorkingDirectory(fields.directory.c_str());
    if (!fields.description.empty())
        link.SetDescription(fields.description.c_str());
    if (!fields.iconPath.empty())
        link.SetIconLocation(fields.iconPath.c_str(), fields.iconIndex);
    if (fields.hotKey != 0)
        link.SetHotkey(fields.hotKey);
    return shortcut.file.Get()->Save(path.c_str(), TRUE) == S_OK;
}

bool ReadShortcut(const std::wstring& path, ShortcutFields& fields) {
    const ShellLinkObject shortcut = NewShellLink();
    if (!shortcut.file || shortcut.file.Get()->Load(path.c_str(), STGM_READ) != S_OK)
        return false;
    IShellLinkW& link = *shortcut.link.Get();
    const auto read = [&link](auto get) {
        wchar_t text[1024] = {};
        (link.*get)(text, 1024);
        return std::wstring(text);
    };
    wchar_t text[1024] = {};
    fields.target = SUCCEEDED(link.GetPath(text, 1024, nullptr, 0)) ? text : L"";
    fields.arguments = read(&IShellLinkW::GetArguments);
    fields.directory = read(&IShellLinkW::GetWorkingDirectory);
    fields.description = read(&IShellLinkW::GetDescription);
    text[0] = L'\0';
    fields.iconIndex = 0;
    link.GetIconLocation(text, 1024, &fields.iconIndex);
    fields.iconPath = text;
    fields.hotKey = 0;
    link.GetHotkey(&fields.hotKey);
    return true;
}

} // namespace Tools

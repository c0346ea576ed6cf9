#include "tests/support/TestSupport.h"
#include "tests/support/DataObjectStub.h"
#include "shell/DragData.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwctype>
#include <fstream>
#include <iterator>
#include <vector>

namespace TestSupport {

namespace {
struct TaskMemory {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
} // namespace

InterfaceReference<IDataObject> ShellDataFor(const std::vector<std::wstring>& names) {
    std::vector<std::unique_ptr<ITEMIDLIST, TaskMemory>> lists;
    for (const std::wstring& name : names) {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHParseDisplayName(name.c_str(), nullptr, &list, 0, nullptr)))
            return {};
        lists.emplace_back(list);
    }
    IShellFolder* parent = nullptr;
    LPCITEMIDLIST firstChild = nullptr;
    if (lists.empty() || FAILED(SHBindToParent(lists.front().get(), IID_IShellFolder,
                                               reinterpret_cast<void**>(&parent), &firstChild)))
        return {};
    const InterfaceReference<IShellFolder> folder(parent);
    std::vector<LPCITEMIDLIST> children;
    for (const auto& list : lists)
        children.push_back(ILFindLastID(list.get()));
    IDataObject* data = nullptr;
    folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                          IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
    return InterfaceReference<IDataObject>(data);
}

CLIPFORMAT ShellIDListClipFormat() {
    return static_cast<CLIPFORMAT>(static_cast<std::uint16_t>(FunctionShell::ShellIDListFormat()));
}

std::string ListBytes(std::uintptr_t list) {
    const auto* items = reinterpret_cast<LPCITEMIDLIST>(list);
    return std::string(reinterpret_cast<const char*>(items), ILGetSize(items));
}

TempDirectory::TempDirectory() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    for (unsigned attempt = GetTickCount();; ++attempt) {
        std::filesystem::path candidate =
            std::filesystem::path(temp) /
            (L"trwk" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(attempt));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::wstring TempDirectory::operator/(std::wstring_view child) const {
    return (path_ / child).wstring();
}

bool AnsiCodePageIs932() {
    return GetACP() == 932;
}

bool AnsiCodePageIsUtf8() {
    return GetACP() == CP_UTF8;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool IsMyComputerName(const std::wstring& name) {
    return _wcsicmp(name.c_str(), MyComputerName) == 0;
}

bool SameText(const std::wstring& left, const std::wstring& right) {
    return lstrcmpiW(left.c_str(), right.c_str()) == 0;
}

std::wstring Lower(std::wstring text) {
    for (auto& character : text)
        character = static_cast<wchar_t>(std::towlower(character));
    return text;
}

std::wstring ThisProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring WindowsDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetWindowsDirectoryW(path, MAX_PATH);
    const std::wstring directory = path;
    return directory.ends_with(L'\\') ? directory : directory + L'\\';
}

bool IsIcon(HICON icon) {
    ICONINFO parts{};
    if (icon == nullptr || !GetIconInfo(icon, &parts))
        return false;
    DeleteObject(parts.hbmMask);
    DeleteObject(parts.hbmColor);
    return true;
}

LOGFONTW FontOf(HWND window) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

std::wstring ToolTipOf(HWND tip, HWND owner, HWND control) {
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
    return text;
}

std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height) {
    const HDC screen = GetDC(nullptr);
    const HDC context = CreateCompatibleDC(screen);
    const HGDIOBJ previous = SelectObject(context, bitmap);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(context, x, y));
    SelectObject(context, previous);
    DeleteDC(context);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::wstring WriteFile(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HRESULT CountingObject::Probe(std::uintptr_t first, std::uintptr_t second) {
    ++probeCalls;
    probeFirst = first;
    probeSecond = second;
    return probeResult;
}

} // namespace TestSupport

void Tools::PrintTo(const ShortcutFields& fields, std::ostream* out) {
    *out << testing::PrintToString(std::vector{fields.target, fields.arguments, fields.directory,
                                               fields.description, fields.iconPath})
         << " icon " << fields.iconIndex << " hot key 0x" << std::hex << fields.hotKey << std::dec;
}

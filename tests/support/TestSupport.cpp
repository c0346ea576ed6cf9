#include "tests/support/TestSupport.h"
#include "tests/support/DataObjectStub.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace TestSupport {

namespace {
struct TaskMemory {
    void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};
} // namespace

ComHolder<IDataObject> ShellDataFor(const std::vector<std::wstring>& names) {
    std::vector<std::unique_ptr<ITEMIDLIST, TaskMemory>> lists;
    for (const std::wstring& name : names) {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHParseDisplayName(name.c_str(), nullptr, &list, 0, nullptr)))
            return nullptr;
        lists.emplace_back(list);
    }
    IShellFolder* parent = nullptr;
    LPCITEMIDLIST firstChild = nullptr;
    if (lists.empty() || FAILED(SHBindToParent(lists.front().get(), IID_IShellFolder,
                                               reinterpret_cast<void**>(&parent), &firstChild)))
        return nullptr;
    const ComHolder<IShellFolder> folder(parent);
    std::vector<LPCITEMIDLIST> children;
    for (const auto& list : lists)
        children.push_back(ILFindLastID(list.get()));
    IDataObject* data = nullptr;
    folder->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), children.data(),
                          IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
    return ComHolder<IDataObject>(data);
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

std::wstring WriteFile(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

bool WriteShortcut(const std::wstring& path, const ShortcutFields& fields) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    if (!fields.target.empty())
        link->SetPath(fields.target.c_str());
    if (!fields.arguments.empty())
        link->SetArguments(fields.arguments.c_str());
    if (!fields.directory.empty())
        link->SetWorkingDirectory(fields.directory.c_str());
    if (!fields.description.empty())
        link->SetDescription(fields.description.c_str());
    if (!fields.iconPath.empty())
        link->SetIconLocation(fields.iconPath.c_str(), fields.iconIndex);
    if (fields.hotKey != 0)
        link->SetHotkey(fields.hotKey);

    IPersistFile* file = nullptr;
    HRESULT saved = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(saved)) {
        saved = file->Save(path.c_str(), TRUE);
        file->Release();
    }
    link->Release();
    return saved == S_OK;
}

bool ReadShortcut(const std::wstring& path, ShortcutFields& fields) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    HRESULT loaded = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(loaded)) {
        loaded = file->Load(path.c_str(), STGM_READ);
        file->Release();
    }
    if (loaded == S_OK) {
        wchar_t text[1024] = {};
        fields.target = SUCCEEDED(link->GetPath(text, 1024, nullptr, 0)) ? text : L"";
        text[0] = L'\0';
        link->GetArguments(text, 1024);
        fields.arguments = text;
        text[0] = L'\0';
        link->GetWorkingDirectory(text, 1024);
        fields.directory = text;
        text[0] = L'\0';
        link->GetDescription(text, 1024);
        fields.description = text;
        text[0] = L'\0';
        fields.iconIndex = 0;
        link->GetIconLocation(text, 1024, &fields.iconIndex);
        fields.iconPath = text;
        fields.hotKey = 0;
        link->GetHotkey(&fields.hotKey);
    }
    link->Release();
    return loaded == S_OK;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HRESULT CountingObject::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CountingObject::AddRef() {
    ++addRefCalls_;
    return static_cast<ULONG>(++references_);
}

ULONG CountingObject::Release() {
    ++releaseCalls_;
    // Lives on the test's stack: never deletes itself.
    return static_cast<ULONG>(--references_);
}

HRESULT CountingObject::Probe(std::uintptr_t first, std::uintptr_t second) {
    ++probeCalls;
    probeFirst = first;
    probeSecond = second;
    return probeResult;
}

} // namespace TestSupport

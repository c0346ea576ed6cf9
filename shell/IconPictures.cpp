#include "shell/IconPictures.h"
#include "shell/FunctionShell.h"
#include "shell/PlatformBinding.h"

#include "base/Owned.h"
#include "base/ScopedBinding.h"

#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

namespace FunctionShell {

namespace {

// ExtractIconA answers 1, not an icon, for a file that is no executable, library or
// icon file, and 0 when the file has no icon at that index.
constexpr UINT_PTR NotAnIconFile = 1;

// The picture interfaces, here so that the program needs no uuid library for them.
constexpr GUID PictureDispInterface = {
    0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
constexpr GUID PictureInterface = {
    0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

bool queriedWindowsNT = false;
bool windowsNT = false;

bool StartsWithName(std::wstring_view fileName) {
    return !fileName.empty() && fileName.front() != L'\0';
}

// A name the code page cannot hold is no file: its substitutes could name another one.
HICON ExtractIconFrom(std::wstring_view fileName, UINT index) {
    const auto ansi = AnsiFromString(fileName);
    return ansi ? Binding::ExtractIconCall()(nullptr, ansi->c_str(), index) : nullptr;
}

} // namespace

namespace Binding {

ExtractIconFunction& ExtractIconCall() {
    return BindingOf<&ExtractIconA>();
}

CreatePictureFunction& CreatePictureCall() {
    return BindingOf<&OleCreatePictureIndirect>();
}

VersionQueryFunction& VersionQueryCall() {
    return BindingOf<&GetVersionExA>();
}

void ForgetWindowsNT() {
    queriedWindowsNT = false;
    windowsNT = false;
}

} // namespace Binding

std::int32_t IconCountInFile(std::wstring_view FileName) {
    if (!StartsWithName(FileName))
        return 0;
    // Index -1 asks for the number of icons, which comes back in the handle's place.
    const HICON count = ExtractIconFrom(FileName, static_cast<UINT>(-1));
    return static_cast<std::int32_t>(reinterpret_cast<UINT_PTR>(count));
}

Picture IconPictureFromFile(std::wstring_view FileName, std::int32_t IconIndex) {
    if (!StartsWithName(FileName) || IconIndex < 0)
        return {};
    const HICON icon = ExtractIconFrom(FileName, static_cast<UINT>(IconIndex));
    if (reinterpret_cast<UINT_PTR>(icon) <= NotAnIconFile)
        return {};
    return PictureFromIcon(OwnedIcon(icon));
}

Picture IconPictureFromItemIDList(PointerValue List) {
    if (List == 0)
        return {};
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof info);
    // SHGFI_PIDL: the list goes in place of the path.
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(List), 0, &info, sizeof info,
                        SHGFI_ICON | SHGFI_PIDL))
        return {};
    return PictureFromIcon(OwnedIcon(info.hIcon));
}

Picture PictureFromIcon(OwnedIcon Icon) {
    // Ours until a picture takes it over.
    OwnedIcon icon = std::move(Icon);
    if (!icon)
        return {};
    PICTDESC description;
    ZeroMemory(&description, sizeof description);
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_ICON;
    description.icon.hicon = icon.Get();

    void* created = nullptr;
    const HRESULT result =
        Binding::CreatePictureCall()(&description, PictureDispInterface, TRUE, &created);
    if (result == S_OK && created) {
        icon.Release();
        return Picture(reinterpret_cast<PointerValue>(created));
    }
    // The icon was never taken over: its holder destroys it.
    const InterfaceReference<IUnknown> failed(static_cast<IUnknown*>(created));
    return {};
}

bool IsWindowsNT() {
    if (queriedWindowsNT)
        return windowsNT;
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    static_assert(sizeof version == 148);
    version.dwOSVersionInfoSize = sizeof version;
    // A failed query leaves the record zero (so not NT) and is asked again next time.
    queriedWindowsNT = Binding::VersionQueryCall()(&version) != FALSE;
    windowsNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    return windowsNT;
}

HICON IconOfPicture(const Picture& picture) {
    if (!picture)
        return nullptr;
    IPicture* answer = nullptr;
    const HRESULT queried =
        reinterpret_cast<IUnknown*>(picture.Get())
            ->QueryInterface(PictureInterface, reinterpret_cast<void**>(&answer));
    const InterfaceReference<IPicture> shown(answer);
    if (FAILED(queried) || !shown)
        return nullptr;
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    const bool isIcon = SUCCEEDED(shown.Get()->get_Type(&type)) && type == PICTYPE_ICON &&
                        SUCCEEDED(shown.Get()->get_Handle(&handle));
    // OLE_HANDLE keeps 32 bits of a handle; a 64-bit handle is their sign extension.
    return isIcon ? static_cast<HICON>(LongToHandle(static_cast<LONG>(handle))) : nullptr;
}

} // namespace FunctionShell

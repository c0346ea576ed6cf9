// Helpers shared by the tests: temporary folders, code page checks, shortcuts
// written through the SDK's declared interfaces (an oracle independent of the
// slot calls under test) and a COM object that counts its references.
#pragma once

#include "base/Owned.h"
#include "tools/DeclaredShortcut.h"
#include "tools/TaskMemorySpy.h"

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace TestSupport {

// A fresh folder under the temporary directory, removed with its content.
class TempDirectory {
public:
    TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    ~TempDirectory();

    const std::filesystem::path& Path() const { return path_; }
    // Path of a child, as a Windows path string.
    std::wstring operator/(std::wstring_view child) const;

private:
    std::filesystem::path path_;
};

// The current directory of this process for one scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& directory) {
        GetCurrentDirectoryW(MAX_PATH, previous_);
        SetCurrentDirectoryW(directory.c_str());
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;
    ~CurrentDirectory() { SetCurrentDirectoryW(previous_); }
    static std::wstring Now() {
        wchar_t now[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, now);
        return now;
    }

private:
    wchar_t previous_[MAX_PATH] = {};
};

bool AnsiCodePageIs932();
// The programs' own code page, from their manifest; the cp932.* run has a legacy one.
bool AnsiCodePageIsUtf8();

// A name outside both legacy code pages 1252 and 932: Ukrainian (its ї is outside 932
// too), Greek, Hangul, accented Latin (outside 932) and a character outside the BMP.
inline const std::wstring UnicodeName = L"Київ Ωμέγα 한글 Café 😀";

// Wine's ntdll exports its version; Windows' does not.
bool RunningUnderWine();

// The parsing name of My Computer. Wine spells the class identifier in small letters,
// Windows in capitals: IsMyComputerName takes either.
inline constexpr wchar_t MyComputerName[] = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
bool IsMyComputerName(const std::wstring& name);

// Equal but for case, as the user's locale compares them.
bool SameText(const std::wstring& left, const std::wstring& right);
std::wstring Lower(std::wstring text);

// The full path of this test program.
std::wstring ThisProgramPath();
// The Windows directory, with a trailing backslash.
std::wstring WindowsDirectory();

std::wstring WindowText(HWND window);
// Whether the handle names an icon that still exists.
bool IsIcon(HICON icon);
LOGFONTW FontOf(HWND window);
// The text a tooltip window shows for a control of the owner window.
std::wstring ToolTipOf(HWND tip, HWND owner, HWND control);
// The colours of a bitmap's pixels, row by row, read through a screen-compatible context.
std::vector<COLORREF> PixelsOf(HBITMAP bitmap, int width, int height);

// Writes a file with the given bytes; returns its path.
std::wstring WriteFile(const std::wstring& path, std::string_view bytes);

// Shortcuts through the SDK's declared interfaces (see tools/DeclaredShortcut.h); Wine
// does not read the show command back (see ReadFileBytes).
using Tools::ReadShortcut;
using Tools::ShortcutFields;
using Tools::WriteShortcut;

// The whole content of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// What the COM task allocator frees while an instance lives, address by address.
struct TaskFreeRecorder : Tools::TaskMemorySpy {
    TaskFreeRecorder() : TaskMemorySpy(Keep::FreedAddresses) {}
};

// IUnknown for a COM object of a test's own that lives on the test's stack: it answers
// IUnknown and Interface, counts AddRef and Release calls and its references (1 to
// start with, the creator's), and never deletes itself.
template <typename Interface> class Counted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Interface))) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ++addRefCalls_;
        return static_cast<ULONG>(++references_);
    }
    ULONG STDMETHODCALLTYPE Release() override {
        ++releaseCalls_;
        return static_cast<ULONG>(--references_);
    }

    long references() const { return references_; }
    long addRefCalls() const { return addRefCalls_; }
    long releaseCalls() const { return releaseCalls_; }

private:
    std::atomic<long> references_{1};
    std::atomic<long> addRefCalls_{0};
    std::atomic<long> releaseCalls_{0};
};

// A minimal COM object that answers only IUnknown, and a method to call by its slot.
class CountingObject : public Counted<IUnknown> {
public:
    // Slot 3: records the raw register-wide values of its two arguments
    // and answers probeResult, so that a test sees what a slot call passes.
    virtual HRESULT STDMETHODCALLTYPE Probe(std::uintptr_t first, std::uintptr_t second);

    HRESULT probeResult = S_OK;
    long probeCalls = 0;
    std::uintptr_t probeFirst = 0;
    std::uintptr_t probeSecond = 0;
};

} // namespace TestSupport

namespace Tools {
void PrintTo(const ShortcutFields& fields, std::ostream* out);
} // namespace Tools

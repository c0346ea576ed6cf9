// Helpers shared by the tests: temporary folders, code page checks, shortcuts
// written through the SDK's declared interfaces (an oracle independent of the
// slot calls under test) and a COM object that counts its references.
#pragma once

#include "tools/TaskMemorySpy.h"

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

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

bool AnsiCodePageIs932();
// The programs' own code page, from their manifest; the cp932.* run has a legacy one.
bool AnsiCodePageIsUtf8();

// A name outside both legacy code pages 1252 and 932: Ukrainian (its ї is outside 932
// too), Greek, Hangul, accented Latin (outside 932) and a character outside the BMP.
inline const std::wstring UnicodeName = L"Київ Ωμέγα 한글 Café 😀";

// Wine's ntdll exports its version; Windows' does not.
bool RunningUnderWine();

// Writes a file with the given bytes; returns its path.
std::wstring WriteFile(const std::wstring& path, std::string_view bytes);

struct ShortcutFields {
    std::wstring target; // path of the target (SetPath)
    std::wstring arguments;
    std::wstring directory;
    std::wstring description;
    std::wstring iconPath;
    int iconIndex = 0;
    WORD hotKey = 0;
};

// Saves a shortcut through IShellLinkW / IPersistFile; returns false on failure.
bool WriteShortcut(const std::wstring& path, const ShortcutFields& fields);

// Loads a shortcut through IShellLinkW / IPersistFile; false when it does not load.
// (Wine does not read the show command back; see ReadFileBytes.)
bool ReadShortcut(const std::wstring& path, ShortcutFields& fields);

// The whole content of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// What the COM task allocator frees while an instance lives, address by address.
struct TaskFreeRecorder : Tools::TaskMemorySpy {
    TaskFreeRecorder() : TaskMemorySpy(Keep::FreedAddresses) {}
};

// A minimal COM object that counts AddRef and Release calls. It answers only
// IUnknown; its reference count starts at 1 (the creator's reference).
class CountingObject : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Slot 3: records the raw register-wide values of its two arguments
    // and answers probeResult, so that a test sees what a slot call passes.
    virtual HRESULT STDMETHODCALLTYPE Probe(std::uintptr_t first, std::uintptr_t second);

    long references() const { return references_; }
    long addRefCalls() const { return addRefCalls_; }
    long releaseCalls() const { return releaseCalls_; }

    HRESULT probeResult = S_OK;
    long probeCalls = 0;
    std::uintptr_t probeFirst = 0;
    std::uintptr_t probeSecond = 0;

private:
    std::atomic<long> references_{1};
    std::atomic<long> addRefCalls_{0};
    std::atomic<long> releaseCalls_{0};
};

} // namespace TestSupport

// The editor in this process: one field synchronisation, one drag-over notification
// with a program file, and what 10,000 of each leave behind.
#include "bench/Bench.h"

#include "base/Owned.h"
#include "base/ScopedBinding.h"
#include "com/FunctionObject.h"
#include "editor/frmMain.h"
#include "shell/IconPictures.h"
#include "shell/PlatformBinding.h"
#include "tools/TaskMemorySpy.h"

#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <functional>

namespace Bench {

namespace {

struct Counters {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    DWORD gdi = 0, user = 0;
    int windows = 0;
    // Measured without asking the platform for totals (Wine answers 0 to those):
    // handle values that are open, and committed private memory.
    int openHandles = 0;
    SIZE_T committedPrivate = 0;
};

int OpenHandles() {
    int open = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        open += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    }
    return open;
}

SIZE_T CommittedPrivate() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
    }
    return total;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

Counters Read() {
    Counters counters;
    GetProcessHandleCount(GetCurrentProcess(), &counters.handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    counters.privateBytes = memory.PrivateUsage;
    counters.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counters.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindow,
                      reinterpret_cast<LPARAM>(&counters.windows));
    counters.openHandles = OpenHandles();
    counters.committedPrivate = CommittedPrivate();
    return counters;
}

// Whether each counter sees 20 objects of its kind made on purpose.
void CheckCounters() {
    const Counters before = Read();
    std::vector<HANDLE> events;
    std::vector<HBRUSH> brushes;
    std::vector<HICON> icons;
    for (int i = 0; i < 20; ++i) {
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
        icons.push_back(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    }
    std::vector<char> memory(8 << 20, 1);
    const Counters after = Read();
    std::printf("Counters, checked by making 20 events, brushes and icons and 8 MB:\n"
                "  platform totals: handles %+ld, GDI objects %+ld, USER objects %+ld, private "
                "bytes %+lld\n"
                "  measured instead: open handle values %+d, committed private bytes %+lld\n",
                long(after.handles) - long(before.handles), long(after.gdi) - long(before.gdi),
                long(after.user) - long(before.user),
                static_cast<long long>(after.privateBytes) -
                    static_cast<long long>(before.privateBytes),
                after.openHandles - before.openHandles,
                static_cast<long long>(after.committedPrivate) -
                    static_cast<long long>(before.committedPrivate));
    for (HANDLE event : events)
        CloseHandle(event);
    for (HBRUSH brush : brushes)
        DeleteObject(brush);
    for (HICON icon : icons)
        DestroyIcon(icon);
}

void PrintGrowth(const char* what, const Counters& before, const Counters& after) {
    std::printf("  %s:\n    platform totals: handles %+ld, private bytes %+lld, GDI %+ld, USER "
                "%+ld\n    measured: open handle values %+d, committed private bytes %+lld, "
                "windows %+d\n",
                what, long(after.handles) - long(before.handles),
                static_cast<long long>(after.privateBytes) -
                    static_cast<long long>(before.privateBytes),
                long(after.gdi) - long(before.gdi), long(after.user) - long(before.user),
                after.openHandles - before.openHandles,
                static_cast<long long>(after.committedPrivate) -
                    static_cast<long long>(before.committedPrivate),
                after.windows - before.windows);
}

ULONG ReferencesOf(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The last object the slot-call layer created (the loaded shortcut's).
IUnknown* lastCreated = nullptr;
FunctionObject::CreateInstanceFunction platformCreate = nullptr;
HRESULT WINAPI RememberCreated(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID iid,
                               LPVOID* object) {
    const HRESULT result = platformCreate(classId, outer, context, iid, object);
    if (SUCCEEDED(result))
        lastCreated = static_cast<IUnknown*>(*object);
    return result;
}

// Pictures made for the icon button, each kept alive by one extra reference of ours.
std::vector<IUnknown*> pictures;
FunctionShell::Binding::CreatePictureFunction platformPicture = nullptr;
HRESULT WINAPI KeepPicture(LPPICTDESC description, REFIID iid, BOOL own, LPVOID* object) {
    const HRESULT result = platformPicture(description, iid, own, object);
    if (SUCCEEDED(result) && *object) {
        static_cast<IUnknown*>(*object)->AddRef();
        pictures.push_back(static_cast<IUnknown*>(*object));
    }
    return result;
}

// The drag data the shell hands a drop target for one file.
InterfaceReference<IDataObject> ShellDataOf(const std::wstring& file) {
    InterfaceReference<IDataObject> data;
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHParseDisplayName(file.c_str(), nullptr, &list, 0, nullptr)))
        return data;
    InterfaceReference<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    if (SUCCEEDED(
            SHBindToParent(list, IID_IShellFolder, reinterpret_cast<void**>(parent.Put()), &child)))
        parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                              reinterpret_cast<void**>(data.Put()));
    CoTaskMemFree(list);
    return data;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Times each call; returns the median in milliseconds.
double MedianOf(int count, const std::function<void(int)>& once) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double start = Milliseconds();
        once(i);
        times.push_back(Milliseconds() - start);
        if (i % 50 == 0)
            PumpMessages();
    }
    return Median(times);
}

} // namespace

void EditorMeasurements(const Sample& sample) {
    const ScopedBinding remember(FunctionObject::CreateInstanceCall(), RememberCreated);
    platformCreate = remember.Previous();

    auto editor = frmMain::Create();
    editor->txtText(frmMain::FieldFileName).Text(sample.shortcut);
    editor->Show();
    PumpMessages();
    IUnknown* const shortcutObject = lastCreated;
    const HWND arguments = editor->txtText(frmMain::FieldArgument).Handle();
    // A character typed, then taken back: the field keeps its length however long.
    const auto type = [&](int i) {
        SendMessageW(arguments, EM_SETSEL, 0x7FFF, 0x7FFF);
        SendMessageW(arguments, WM_CHAR, i % 2 ? VK_BACK : L'x', 1);
    };
    type(0);
    const bool synchronised = editor->LinkFile()->LinkArgument() == L"/reportx";
    type(1);

    const std::wstring ownProgram = LauncherPath();
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring shell32 = std::wstring(system) + L"\\shell32.dll";
    const auto ownData = ShellDataOf(ownProgram);
    const auto shell32Data = ShellDataOf(shell32);
    // One drag-over notification of the icon button, as its drop target raises it:
    // the icon field is made current, then the window's drag-over rule answers.
    DWORD lastAnswer = DROPEFFECT_NONE;
    const auto dragOver = [&editor, &lastAnswer](const InterfaceReference<IDataObject>& data) {
        return [&editor, &lastAnswer, &data](int) {
            Toolkit::DragEventArgs args;
            args.Data = data.Get();
            args.Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
            editor->txtText_GotFocus(frmMain::FieldIcon);
            editor->Form_OLEDragOver(args);
            lastAnswer = args.Effect;
        };
    };

    std::printf("Editor, in this process, median of 500 (ms):\n");
    std::printf("  one field synchronisation (a character typed into txtText(2)) %.2f%s\n",
                MedianOf(500, type), synchronised ? "" : "  [THE SHORTCUT DID NOT FOLLOW]");
    const double ownTime = MedianOf(500, dragOver(ownData));
    const bool ownAccepted = lastAnswer == DROPEFFECT_LINK;
    const double shell32Time = MedianOf(500, dragOver(shell32Data));
    std::printf("  one drag-over notification on the icon button, shell data of a program file:\n"
                "    tarnwick.exe (%d icon) %.2f, shell32.dll (%d icons) %.2f%s\n",
                FunctionShell::IconCountInFile(ownProgram), ownTime,
                FunctionShell::IconCountInFile(shell32), shell32Time,
                ownAccepted && lastAnswer == DROPEFFECT_LINK ? "" : "  [THE DRAG WAS REFUSED]");

    CheckCounters();
    std::printf("Growth after 10,000 of each (after 200 to settle):\n");
    InterfaceReference<IShellFolder> desktop;
    SHGetDesktopFolder(desktop.Put());
    const ULONG desktopBefore = ReferencesOf(desktop.Get());
    const ULONG shortcutBefore = ReferencesOf(shortcutObject);
    // What the task allocator hands out and takes back (item ID lists, texts).
    unsigned long allocations = 0, frees = 0;
    {
        MedianOf(200, type);
        const Counters before = Read();
        {
            const Tools::TaskMemorySpy taskMemory(Tools::TaskMemorySpy::Keep::Counts);
            MedianOf(10000, type);
            allocations = static_cast<unsigned long>(taskMemory.Allocations());
            frees = static_cast<unsigned long>(taskMemory.Frees());
        }
        PumpMessages();
        PrintGrowth("field synchronisations", before, Read());
    }
    std::printf("    task memory: %lu allocations, %lu frees; shortcut object references %lu "
                "-> %lu, desktop folder %lu -> %lu\n",
                allocations, frees, shortcutBefore, ReferencesOf(shortcutObject), desktopBefore,
                ReferencesOf(desktop.Get()));
    {
        MedianOf(200, dragOver(shell32Data));
        const Counters before = Read();
        MedianOf(10000, dragOver(shell32Data));
        PrintGrowth("drag-over notifications (shell32.dll)", before, Read());
    }
    desktop.Reset();

    // Every picture made is given back, except the one the icon button shows.
    {
        const ScopedBinding keep(FunctionShell::Binding::CreatePictureCall(), KeepPicture);
        platformPicture = keep.Previous();
        const auto heldAfter = [](const char* what, const std::function<void(int)>& once) {
            pictures.clear();
            MedianOf(100, once);
            long stillHeld = 0;
            for (IUnknown* picture : pictures)
                stillHeld += picture->Release() > 0;
            std::printf("  icon pictures of 100 %s: %zu made, %ld still held by others after\n",
                        what, pictures.size(), stillHeld);
        };
        // An emptied target field: the shortcut refuses the empty name, the field shows
        // the target again, and the icon button is refreshed once messages run.
        heldAfter("target synchronisations (0 expected: the button keeps its own copy of the icon)",
                  [&](int) {
                      editor->txtText(frmMain::FieldLinkTo).Text(L"");
                      PumpMessages();
                  });
        heldAfter("drag-over notifications (0 expected)", dragOver(shell32Data));
    }
    editor->Unload();
}

} // namespace Bench

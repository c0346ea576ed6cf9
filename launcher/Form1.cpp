#include "launcher/Form1.h"

#include "base/FullPathName.h"
#include "base/Trace.h"
#include "editor/frmMain.h"
#include "launcher/ExplorerLaunch.h"
#include "resources/resource.h"
#include "toolkit/Units.h"

#include <vector>

namespace Launcher {

namespace {

// The editor and its dialogs hold each other until it unloads: it unloads on every
// way out, also when something in between throws.
class UnloadOnExit {
public:
    explicit UnloadOnExit(Toolkit::Form& form) : form_(form) {}
    ~UnloadOnExit() { form_.Unload(); }
    UnloadOnExit(const UnloadOnExit&) = delete;
    UnloadOnExit& operator=(const UnloadOnExit&) = delete;

private:
    Toolkit::Form& form_;
};

// The target the editor reports for the path; empty when the path did not load.
std::wstring TargetThrough(frmMain& editor, const std::wstring& path) {
    try {
        // A path that does not load would leave the previous shortcut on show.
        editor.txtText(0).Text(L"");
        editor.txtText(0).Text(path);
        editor.Show();
        return editor.txtText(1).Text();
    } catch (...) {
        TraceFailure(L"resolving a path through the editor");
        return {}; // no target: the launcher opens the folder of the path itself
    }
}

// Each path of a multiple selection through the same editor window, in order; then
// each distinct folder once, after asking when there are many.
bool LaunchEach(const std::vector<std::wstring>& paths) {
    std::vector<std::wstring> folders;
    {
        const auto editor = frmMain::Create();
        const UnloadOnExit unload(*editor);
        for (const std::wstring& path : paths) {
            const std::wstring fullPath = FullPath::FullPathName(path);
            const std::wstring target = TargetThrough(*editor, fullPath);
            folders.push_back(FolderFromTarget(target.empty() ? fullPath : target));
        }
    }
    folders = DistinctFolders(folders);
    if (folders.size() > FoldersOpenedWithoutAsking && !MayOpenFolders(folders.size()))
        return false;
    bool started = false;
    for (const std::wstring& folder : folders)
        started = StartExplorer(folder) || started;
    return started;
}

} // namespace

std::wstring TargetFromEditor(const std::wstring& Path) {
    const auto editor = frmMain::Create();
    const UnloadOnExit unload(*editor);
    return TargetThrough(*editor, Path);
}

bool Launch(std::wstring_view Arguments) {
    // A lone quote leaves no path at all: nothing to open, as for no arguments.
    const std::wstring path = PathFromArguments(Arguments);
    if (path.empty())
        return false;
    // Send To hands a multiple selection over as several paths, each quoted where it
    // needs to be; a text that names an existing item stays one path, blanks and all.
    if (!NamesExistingItem(path)) {
        if (const std::vector<std::wstring> paths = SplitArguments(Arguments); paths.size() > 1)
            return LaunchEach(paths);
    }
    // A relative path is taken from the current directory now, in the arguments too.
    const std::wstring fullPath = FullPath::FullPathName(path);
    const std::wstring arguments =
        std::wstring(Arguments).replace(Arguments.front() == L'"' ? 1 : 0, path.size(), fullPath);
    std::wstring target = TargetFromEditor(fullPath);
    // Not a shortcut: the folder of the arguments themselves, quotes and all.
    if (target.empty())
        target = arguments;
    return StartExplorer(FolderFromTarget(target));
}

std::shared_ptr<Form1> Form1::Create(std::wstring Arguments) {
    return std::shared_ptr<Form1>(new Form1(std::move(Arguments)));
}

Form1::Form1(std::wstring Arguments)
    : Form(L"Tarnwick", Toolkit::Twips{1, 1, 15, 15}, Toolkit::FontSpec{}),
      arguments_(std::move(Arguments)) {
    IconResource(IDI_TARNWICK);
    NeverDisplayed();
}

void Form1::Form_Load() {
    if (const HWND window = WindowHandle()) {
        // 15 twips square, 1 twip from the corner; never shown all the same.
        const Toolkit::PixelRectangle place = Toolkit::ToPixels(Toolkit::Twips{1, 1, 15, 15});
        SetWindowPos(window, nullptr, place.Left, place.Top, place.Width, place.Height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    started_ = Launch(arguments_);
}

} // namespace Launcher

#include "launcher/Launch.h"

#include "base/CommandLine.h"
#include "base/FullPathName.h"
#include "base/Owned.h"
#include "base/ScopedBinding.h"
#include "base/Trace.h"
#include "editor/frmMain.h"
#include "launcher/ExplorerLaunch.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

namespace Launcher {

namespace {

// One path of the arguments: the name the editor reads, and the text whose folder
// opens when that name is no shortcut.
struct GivenPath {
    std::wstring name;
    std::wstring otherwise;
};

// A file-system path relative to the current directory or drive, made full from it now;
// every other text (a full path, a shell namespace name "::{...}", a text with another
// colon) as it is.
std::wstring FullName(std::wstring_view Name) {
    // Only a drive's colon ("C:Report.lnk") belongs to a file-system path.
    const std::size_t colon = Name.find(L':');
    const bool drive =
        colon == 1 && Name.find(L':', 2) == std::wstring_view::npos &&
        ((Name[0] >= L'A' && Name[0] <= L'Z') || (Name[0] >= L'a' && Name[0] <= L'z'));
    if (colon != std::wstring_view::npos && !drive)
        return std::wstring(Name);
    return FullPath::FullPathName(Name);
}

bool NamesExistingItem(const std::wstring& Name) {
    return !Name.empty() && GetFileAttributesW(Name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Unquoted arguments split where a new path begins: at a blank before a drive's root
// ("C:\") or a share ("\\"), which no Win32 path holds inside it.
std::vector<std::wstring> SplitBeforeFullPaths(std::wstring_view Arguments) {
    std::vector<std::wstring> pieces;
    std::size_t start = 0;
    for (std::size_t at = 1; at < Arguments.size(); ++at) {
        if (!ProgramCommandLine::IsBlank(Arguments[at - 1]) ||
            !FullPath::IsFullyQualified(Arguments.substr(at)))
            continue;
        pieces.emplace_back(ProgramCommandLine::TrimBlanks(Arguments.substr(start, at - start)));
        start = at;
    }
    pieces.emplace_back(Arguments.substr(start));
    return pieces;
}

// Each piece when the arguments cannot be one path; none when they can. Send To quotes
// each path with a blank and hands the others over bare, so the pieces are found by the
// system's splitter, or (for bare paths of which some are gone) before each full path.
std::vector<GivenPath> SeveralPaths(std::wstring_view Arguments) {
    const bool quoteInside = Arguments.find(L'"', 1) != std::wstring_view::npos;
    std::vector<GivenPath> paths;
    bool allExist = true;
    for (const std::wstring& piece : SplitArguments(Arguments)) {
        const std::wstring name = FullName(piece);
        allExist = allExist && NamesExistingItem(name);
        paths.push_back({name, name});
    }
    if (paths.size() >= 2 && (quoteInside || allExist))
        return paths;
    paths.clear();
    for (const std::wstring& piece : SplitBeforeFullPaths(Arguments)) {
        const std::wstring name = FullName(piece);
        paths.push_back({name, name});
    }
    return paths.size() >= 2 ? paths : std::vector<GivenPath>{};
}

std::vector<GivenPath> PathsFromArguments(std::wstring_view Arguments) {
    Arguments = ProgramCommandLine::TrimBlanks(Arguments);
    // A lone quote leaves no path at all: nothing to open, as for no arguments.
    const std::wstring path = PathFromArguments(Arguments);
    if (path.empty())
        return {};
    const std::wstring name = FullName(path);
    if (!NamesExistingItem(name)) {
        if (std::vector<GivenPath> paths = SeveralPaths(Arguments); !paths.empty())
            return paths;
    }
    // Not a shortcut: the folder of the arguments themselves, quotes and all, with the
    // name made full in them too.
    std::wstring otherwise(Arguments);
    otherwise.replace(Arguments.front() == L'"' ? 1 : 0, path.size(), name);
    return {{name, std::move(otherwise)}};
}

// Asks, in the program's language, whether to open that many folders.
bool MayOpenFolders(std::size_t Count) {
    const std::wstring question =
        std::to_wstring(Count) + L" 個のフォルダを開きます。よろしいですか？";
    return Binding::QuestionCall()(nullptr, question.c_str(), L"Tarnwick",
                                   MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

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
        editor.Load();
        Clock(Step::EditorLoaded);
        // A path that does not load would leave the previous shortcut on show.
        editor.txtText(frmMain::FieldFileName).Text(L"");
        editor.txtText(frmMain::FieldFileName).Text(path);
        Clock(Step::ShortcutRead);
        editor.Show();
        Clock(Step::Shown);
        return editor.txtText(frmMain::FieldLinkTo).Text();
    } catch (...) {
        TraceFailure(L"resolving a path through the editor");
        return {}; // no target: the launcher opens the folder of the path itself
    }
}

} // namespace

std::vector<std::wstring> SplitArguments(std::wstring_view Arguments) {
    // The system's splitter takes its first word as a program name, by other rules.
    const std::wstring commandLine = L"x " + std::wstring(Arguments);
    int count = 0;
    const UniqueHandle<LPWSTR*, &LocalFree> words(CommandLineToArgvW(commandLine.c_str(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.emplace_back(words.Get()[i]);
    return arguments;
}

std::vector<std::wstring> DistinctFolders(const std::vector<std::wstring>& Folders) {
    if (Folders.size() < 2)
        return Folders; // nothing to ask the disk about
    std::vector<std::wstring> distinct, known;
    for (const std::wstring& folder : Folders) {
        // One folder has many texts ("PROGRA~1", "\.\", "..", "/"): by its plain long name.
        const std::wstring name = FullPath::LongFullPathName(folder).value_or(folder);
        const auto same = [&name](const std::wstring& kept) {
            return CompareStringOrdinal(kept.c_str(), static_cast<int>(kept.size()), name.c_str(),
                                        static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
        };
        if (std::any_of(known.begin(), known.end(), same))
            continue;
        known.push_back(name);
        distinct.push_back(folder);
    }
    return distinct;
}

std::wstring TargetFromEditor(const std::wstring& Path) {
    const auto editor = frmMain::Create();
    const UnloadOnExit unload(*editor);
    return TargetThrough(*editor, Path);
}

bool Launch(std::wstring_view Arguments) {
    const std::vector<GivenPath> paths = PathsFromArguments(Arguments);
    if (paths.empty())
        return false;
    std::vector<std::wstring> folders;
    {
        const auto editor = frmMain::Create();
        const UnloadOnExit unload(*editor);
        for (const GivenPath& path : paths) {
            const std::wstring target = TargetThrough(*editor, path.name);
            folders.push_back(FolderFromTarget(target.empty() ? path.otherwise : target));
        }
    }
    Clock(Step::EditorUnloaded);
    folders = DistinctFolders(folders);
    if (folders.size() > FoldersOpenedWithoutAsking && !MayOpenFolders(folders.size()))
        return false;
    bool started = false;
    for (const std::wstring& folder : folders)
        started = StartExplorer(folder) || started;
    Clock(Step::ExplorerStarted);
    return started;
}

void Clock(Step Reached) {
    if (const Binding::ClockFunction clock = Binding::ClockCall())
        clock(Reached);
}

namespace Binding {

QuestionFunction& QuestionCall() {
    return BindingOf<&MessageBoxW>();
}

ClockFunction& ClockCall() {
    static ClockFunction clock = nullptr;
    return clock;
}

} // namespace Binding

} // namespace Launcher

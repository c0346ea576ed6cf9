// Shortcuts written and read through the shell's declared interfaces (IShellLinkW,
// IPersistFile), not the program's own slot calls: the tests' oracle, the benchmark's
// sample and the sample of scripts/run are made by it.
#pragma once

#include <windows.h>

#include <string>

namespace Tools {

// Any field left out of a designated initialiser stays empty.
struct ShortcutFields {
    std::wstring target{}; // path of the target (SetPath)
    std::wstring arguments{};
    std::wstring directory{};
    std::wstring description{};
    std::wstring iconPath{};
    int iconIndex = 0;
    WORD hotKey = 0;
    bool operator==(const ShortcutFields&) const = default;
};

// Saves a shortcut; returns false on failure.
bool WriteShortcut(const std::wstring& path, const ShortcutFields& fields);

// Loads a shortcut; false when it does not load. (Wine does not read the show command
// back.)
bool ReadShortcut(const std::wstring& path, ShortcutFields& fields);

} // namespace Tools

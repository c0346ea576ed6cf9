// File names made absolute where they enter the programs. The file dialogs move the
// process's current directory, so a relative name kept as it came would later name a
// file in whatever folder a dialog visited last.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace FullPath {

inline bool IsSeparator(wchar_t Character) {
    return Character == L'\\' || Character == L'/';
}

// "C:\..." and "\\server\..." (with "\\?\..." and "\\.\...") need no current directory.
inline bool IsFullyQualified(std::wstring_view Name) {
    if (Name.size() >= 2 && IsSeparator(Name[0]) && IsSeparator(Name[1]))
        return true;
    return Name.size() >= 3 && Name[1] == L':' && IsSeparator(Name[2]) &&
           ((Name[0] >= L'A' && Name[0] <= L'Z') || (Name[0] >= L'a' && Name[0] <= L'z'));
}

// The name as the system resolves it now, with "." and "..", "/" and doubled separators
// made plain; no value when the system cannot resolve it.
inline std::optional<std::wstring> ResolvedPathName(const std::wstring& name) {
    DWORD capacity = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    while (capacity != 0) {
        std::wstring full(capacity, L'\0');
        const DWORD length = GetFullPathNameW(name.c_str(), capacity, full.data(), nullptr);
        if (length < capacity) {
            if (length == 0)
                break;
            full.resize(length);
            return full;
        }
        capacity = length; // the current directory changed in between
    }
    return std::nullopt;
}

// A relative name ("Report.lnk", "..\Links\Report.lnk", "\Links\Report.lnk",
// "C:Report.lnk") resolved as the system resolves it now. A fully qualified name is
// kept to the character, and so is one the system cannot resolve.
inline std::wstring FullPathName(std::wstring_view Name) {
    const std::wstring name(Name);
    if (name.empty() || IsFullyQualified(name))
        return name;
    return ResolvedPathName(name).value_or(name);
}

// A fully qualified name made plain; no value for any other name.
inline std::optional<std::wstring> PlainFullPathName(std::wstring_view Name) {
    if (!IsFullyQualified(Name))
        return std::nullopt;
    return ResolvedPathName(std::wstring(Name));
}

// PlainFullPathName with each existing part's long name ("PROGRA~1" names what
// "Program Files" names); no value for a name that is not fully qualified. A share's
// name stays plain: a server that does not answer would hold the caller for seconds.
inline std::optional<std::wstring> LongFullPathName(std::wstring_view Name) {
    const std::optional<std::wstring> full = PlainFullPathName(Name);
    if (!full || IsSeparator(Name[0]))
        return full;
    DWORD capacity = GetLongPathNameW(full->c_str(), nullptr, 0);
    while (capacity != 0) {
        std::wstring longName(capacity, L'\0');
        const DWORD length = GetLongPathNameW(full->c_str(), longName.data(), capacity);
        if (length < capacity) {
            if (length == 0)
                break;
            longName.resize(length);
            return longName;
        }
        capacity = length;
    }
    return full; // a part that does not exist has no other name
}

} // namespace FullPath

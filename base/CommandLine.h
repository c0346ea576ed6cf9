// The program's command line as both programs read it: one path after the program's
// own name, optionally in double quotes.
#pragma once

#include <string>
#include <string_view>

namespace ProgramCommandLine {

inline bool IsBlank(wchar_t Character) {
    return Character == L' ' || Character == L'\t';
}

// What follows the program's own name, found as Windows finds it for WinMain: a
// quoted name runs to its closing quote, any other name to the first blank; the
// blanks after the name are skipped.
inline std::wstring ArgumentsFromCommandLine(std::wstring_view CommandLine) {
    std::size_t position = 0;
    if (!CommandLine.empty() && CommandLine.front() == L'"') {
        const std::size_t closing = CommandLine.find(L'"', 1);
        position = closing == std::wstring_view::npos ? CommandLine.size() : closing + 1;
    } else {
        while (position < CommandLine.size() && !IsBlank(CommandLine[position]))
            ++position;
    }
    while (position < CommandLine.size() && IsBlank(CommandLine[position]))
        ++position;
    return std::wstring(CommandLine.substr(position));
}

// The arguments without the blanks at either end, which belong to no path (a Win32
// name never ends with a blank), as some programs and a prompt hand them over.
inline std::wstring_view TrimBlanks(std::wstring_view Arguments) {
    while (!Arguments.empty() && IsBlank(Arguments.front()))
        Arguments.remove_prefix(1);
    while (!Arguments.empty() && IsBlank(Arguments.back()))
        Arguments.remove_suffix(1);
    return Arguments;
}

// The arguments without their enclosing quotes (and the blanks around them): when the
// first character is a double quote, it and the last character go, whatever the last
// character is.
inline std::wstring PathFromArguments(std::wstring_view Arguments) {
    Arguments = TrimBlanks(Arguments);
    if (Arguments.empty() || Arguments.front() != L'"')
        return std::wstring(Arguments);
    // A lone quote leaves nothing to take the last character from.
    if (Arguments.size() < 2)
        return std::wstring();
    return std::wstring(Arguments.substr(1, Arguments.size() - 2));
}

} // namespace ProgramCommandLine

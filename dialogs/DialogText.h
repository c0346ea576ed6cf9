// Text buffers handed to the system dialogs, which write their answers into them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace DialogText {

// The name in the process's ANSI code page, zero-filled to exactly Size bytes. A longer
// name is cut before the first character that would reach the last byte, so the buffer
// always ends in NUL and never in part of a character. A name the code page cannot hold
// leaves the buffer empty: its substitutes would name another file.
std::vector<char> AnsiBuffer(std::wstring_view Name, std::size_t Size);

// The text as UTF-16, zero-filled to exactly Size characters, cut likewise (never
// between the halves of a surrogate pair).
std::vector<wchar_t> WideBuffer(std::wstring_view Text, std::size_t Size);

// The name in the process's ANSI code page followed by Terminators NUL bytes; only the
// NULs when the code page cannot hold it.
std::vector<char> AnsiTerminated(std::wstring_view Name, std::size_t Terminators = 1);

// Text for the eye, likewise; what the code page cannot hold shows as its default
// character.
std::vector<char> DisplayTerminated(std::wstring_view Text, std::size_t Terminators = 1);

} // namespace DialogText

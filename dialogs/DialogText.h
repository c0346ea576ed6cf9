// Text buffers handed to the system dialogs, which write their answers into them.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace DialogText {

// The text in the system ANSI code page, zero-filled to exactly Size bytes. A longer
// text is cut before the first character that would reach the last byte, so the
// buffer always ends in NUL and never in half of a double-byte character.
std::vector<char> AnsiBuffer(std::wstring_view Text, std::size_t Size);

// The text as UTF-16, zero-filled to exactly Size characters, cut likewise (never
// between the halves of a surrogate pair).
std::vector<wchar_t> WideBuffer(std::wstring_view Text, std::size_t Size);

// The text in the system ANSI code page followed by Terminators NUL bytes.
std::vector<char> AnsiTerminated(std::wstring_view Text, std::size_t Terminators = 1);

} // namespace DialogText

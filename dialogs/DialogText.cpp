#include "dialogs/DialogText.h"
#include "shell/FunctionShell.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace DialogText {

namespace {

// Units of the character at `at`: a surrogate pair is one character.
std::size_t CharacterUnits(std::wstring_view text, std::size_t at) {
    return at + 1 < text.size() && IS_SURROGATE_PAIR(text[at], text[at + 1]) ? 2 : 1;
}

std::vector<char> Terminated(const std::string& ansi, std::size_t terminators) {
    std::vector<char> buffer(ansi.begin(), ansi.end());
    buffer.resize(ansi.size() + terminators, '\0');
    return buffer;
}

} // namespace

std::vector<char> AnsiBuffer(std::wstring_view Name, std::size_t Size) {
    std::vector<char> buffer(Size, '\0');
    const auto whole = FunctionShell::AnsiFromString(Name);
    if (Size == 0 || !whole)
        return buffer;
    std::string kept = *whole;
    if (kept.size() > Size - 1) {
        // Character by character: their lengths differ (1 to 4 bytes in UTF-8).
        kept.clear();
        for (std::size_t at = 0; at < Name.size();) {
            const std::size_t units = CharacterUnits(Name, at);
            const auto character = FunctionShell::AnsiFromString(Name.substr(at, units));
            if (!character || kept.size() + character->size() > Size - 1)
                break;
            kept += *character;
            at += units;
        }
    }
    std::copy(kept.begin(), kept.end(), buffer.begin());
    return buffer;
}

std::vector<wchar_t> WideBuffer(std::wstring_view Text, std::size_t Size) {
    std::vector<wchar_t> buffer(Size, L'\0');
    if (Size == 0)
        return buffer;
    std::size_t kept = std::min(Text.size(), Size - 1);
    if (kept > 0 && kept < Text.size() && IS_HIGH_SURROGATE(Text[kept - 1]))
        --kept;
    std::copy_n(Text.begin(), kept, buffer.begin());
    return buffer;
}

std::vector<char> AnsiTerminated(std::wstring_view Name, std::size_t Terminators) {
    return Terminated(FunctionShell::AnsiFromString(Name).value_or(std::string()), Terminators);
}

std::vector<char> DisplayTerminated(std::wstring_view Text, std::size_t Terminators) {
    return Terminated(FunctionShell::AnsiForDisplay(Text), Terminators);
}

} // namespace DialogText

#include "dialogs/DialogText.h"
#include "shell/FunctionShell.h"

#include <windows.h>

#include <algorithm>

namespace DialogText {

std::vector<char> AnsiBuffer(std::wstring_view Text, std::size_t Size) {
    std::vector<char> buffer(Size, '\0');
    if (Size == 0)
        return buffer;
    const std::string ansi = FunctionShell::AnsiFromString(Text);
    std::size_t kept = 0;
    while (kept < ansi.size()) {
        const bool lead = IsDBCSLeadByte(static_cast<BYTE>(ansi[kept])) != FALSE;
        const std::size_t next = kept + (lead ? 2 : 1);
        if (next > Size - 1 || next > ansi.size())
            break;
        kept = next;
    }
    std::copy_n(ansi.begin(), kept, buffer.begin());
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

std::vector<char> AnsiTerminated(std::wstring_view Text, std::size_t Terminators) {
    const std::string ansi = FunctionShell::AnsiFromString(Text);
    std::vector<char> buffer(ansi.begin(), ansi.end());
    buffer.resize(ansi.size() + Terminators, '\0');
    return buffer;
}

} // namespace DialogText

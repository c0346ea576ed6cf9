// Loads damaged shortcuts through the shortcut object in a process of its own, for
// ShortcutMutationTest, which runs it as its debuggee: the platform's loader may fault
// on a damaged file, and that must end this process, not the test.
//   tarnwick_shortcut_load_worker <sound.lnk> <folder> <first> <last>
// loads <folder>\damaged<N>.lnk for N from first to last, each over the sound
// shortcut, and reports each file as one debug output text, in order:
// "<N> loaded", "<N> refused" or "<N> failed: <what>".
#include "shortcut/ShellLinkFile.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Fields {
    std::wstring name, target, path, arguments, directory, description, iconPath;
    std::int32_t iconIndex = 0;
    std::int16_t hotKey = 0;
    bool operator==(const Fields&) const = default;
};

// Every field the shortcut object offers, read through it.
Fields Read(const ShellLinkFile& link) {
    return {link.FileName(),     link.LinkToName(),    link.LinkPath(),
            link.LinkArgument(), link.LinkDirectory(), link.LinkDescription(),
            link.IconPath(),     link.IconIndex(),     link.LinkHotKey()};
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                     nullptr));
    return bytes;
}

void Report(int index, const std::string& outcome) {
    OutputDebugStringA((std::to_string(index) + " " + outcome).c_str());
}

// The outcome of one damaged file loaded over the sound shortcut.
std::string LoadOver(ShellLinkFile& link, const std::wstring& file, const std::wstring& sound,
                     const Fields& soundFields) {
    if (!link.FileLoad(file)) {
        const Fields kept = Read(link);
        if (kept == soundFields)
            return "refused";
        return "failed: a failed load changed the fields to target '" + Utf8(kept.target) +
               "', name '" + Utf8(kept.name) + "', arguments '" + Utf8(kept.arguments) + "'";
    }
    if (link.FileName() != file)
        return "failed: loaded, but the name reads '" + Utf8(link.FileName()) + "'";
    Read(link); // whatever the shell made of it can be read
    return link.FileLoad(sound) ? "loaded" : "failed: the sound shortcut no longer loads";
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> copied(arguments, arguments ? arguments + count : nullptr);
    LocalFree(arguments);
    return copied;
}

} // namespace

int main() {
    const std::vector<std::wstring> arguments = Arguments();
    if (arguments.size() != 5 || FAILED(OleInitialize(nullptr)))
        return 2;
    const std::wstring &sound = arguments[1], &folder = arguments[2];
    int result = 3;
    {
        ShellLinkFile link;
        if (link.FileLoad(sound)) {
            const Fields soundFields = Read(link);
            for (int index = std::stoi(arguments[3]); index <= std::stoi(arguments[4]); ++index) {
                const std::wstring file = folder + L"\\damaged" + std::to_wstring(index) + L".lnk";
                Report(index, LoadOver(link, file, sound, soundFields));
            }
            result = 0;
        }
    }
    OleUninitialize();
    return result;
}

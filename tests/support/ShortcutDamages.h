// A sound shortcut written by the shell, with a special-folder block added, changed in
// one structure: damaged at a value that cannot be true (one row per kind of field),
// or reshaped in ways that the platform's readers take.
#pragma once

#include "tests/support/TestSupport.h"

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <iterator>
#include <string>

namespace TestSupport {

// Where the sound shortcut's parts begin.
struct ShortcutParts {
    std::size_t list;     // the item ID list's size
    std::size_t location; // the location block
    std::size_t strings;  // the first string's count
    std::size_t extra;    // the special-folder block, the first extra-data block
    std::size_t folder;   // the units of the shortcut's folder in its full name
};

// The bytes of a file that the structural check reads (ShellLinkStructure::ReadLimit).
inline constexpr std::size_t CheckedBytes = 1u << 20;
// Wine's buffers where it joins the relative path after the load, in units, NUL included.
inline constexpr std::size_t JoinUnits = 520;

struct ShortcutChange {
    const char* what;
    void (*apply)(std::string& bytes, const ShortcutParts& at);
};

inline std::uint32_t GetNumber(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

inline void PutNumber(std::string& bytes, std::size_t at, int width, std::uint32_t value) {
    for (int i = 0; i < width; ++i)
        bytes.at(at + i) = static_cast<char>(value >> (8 * i));
}

inline std::string ExtraBlock(std::size_t size, std::uint32_t signature) {
    std::string block(size, '\0');
    PutNumber(block, 0, 4, static_cast<std::uint32_t>(size));
    PutNumber(block, 4, 4, signature);
    return block;
}

// The bytes of a shortcut whose only target is the environment-variable block, as
// installers write them: no item ID list, no location block, no strings.
inline std::string EnvironmentOnlyShortcut(const std::wstring& target) {
    std::string bytes(0x4C, '\0');
    PutNumber(bytes, 0, 4, 0x4C);
    bytes.replace(4, 16, std::string("\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16));
    PutNumber(bytes, 0x14, 4, 0x200 | 0x80); // the block is there; strings are UTF-16
    PutNumber(bytes, 0x3C, 4, SW_SHOWNORMAL);
    std::string block = ExtraBlock(0x314, 0xA0000001);
    for (std::size_t i = 0; i < target.size() && i < 259; ++i) {
        block[8 + i] = target[i] < 0x80 ? static_cast<char>(target[i]) : '?';
        PutNumber(block, 8 + 260 + 2 * i, 2, target[i]);
    }
    return bytes + block + std::string(4, '\0');
}

// Strings in place of the shell's: a description, a relative path of relative units, a
// working directory of directory units (none at 0) and arguments, in UTF-16 or in the
// code page; the location block names no local path, so that Wine joins them.
inline void PutJoinedStrings(std::string& b, const ShortcutParts& at, std::size_t relative,
                             std::size_t directory = 0, bool wide = true) {
    const int width = wide ? 2 : 1;
    std::wstring texts[] = {L"damaged", std::wstring(relative, 'r'),
                            L"C:\\" + std::wstring(directory ? directory - 3 : 0, 'd'), L"/a"};
    std::string held;
    for (const std::wstring& text : texts) {
        if (&text == &texts[2] && directory == 0)
            continue;
        const std::size_t start = held.size();
        held.append(2 + width * text.size(), '\0');
        PutNumber(held, start, 2, static_cast<std::uint32_t>(text.size()));
        for (std::size_t i = 0; i < text.size(); ++i)
            PutNumber(held, start + 2 + width * i, width, text[i]);
    }
    PutNumber(b, 0x14, 4,
              (GetNumber(b, 0x14, 4) & ~0xFCu) | 0x2C | (directory ? 0x10 : 0) | (wide ? 0x80 : 0));
    PutNumber(b, at.location + 0x08, 4, 0); // neither part
    PutNumber(b, at.location + 0x10, 4, 0); // no local path
    b.replace(at.strings, at.extra - at.strings, held);
}

// At Wine's limits with Past 0, one unit past them with Past 1.
template <std::size_t Past, bool Wide = true>
void RelativePathJoin(std::string& b, const ShortcutParts& at) {
    PutJoinedStrings(b, at, JoinUnits - 1 - at.folder + Past, 0, Wide);
}
template <std::size_t Directory, std::size_t Relative>
void DirectoryJoin(std::string& b, const ShortcutParts& at) {
    PutJoinedStrings(b, at, Relative, Directory);
}

// A description of Count units before a relative path "r". Read whole, it says "damaged";
// read as 0 bytes, as a 16-bit byte count wraps at 0x8000 units, it starts with the
// count of a relative path past the join.
template <std::uint32_t Count> void LongDescription(std::string& b, const ShortcutParts& at) {
    PutJoinedStrings(b, at, 1);
    std::wstring text =
        Count < 0x8000 ? std::wstring(L"damaged", 8) : wchar_t{600} + std::wstring(600, 'r');
    text.resize(Count, 'x');
    std::string description(2 + 2 * text.size(), '\0');
    for (std::size_t i = 0; i <= text.size(); ++i)
        PutNumber(description, 2 * i, 2, i == 0 ? Count : text[i - 1]);
    b.replace(at.strings, 16, description);
}

// A location block grown so that the strings end at the bytes checked, plus Past.
template <std::size_t Past> void GrownLocation(std::string& b, const ShortcutParts& at) {
    const std::size_t grown = CheckedBytes + Past - at.extra;
    PutNumber(b, at.location, 4, static_cast<std::uint32_t>(at.strings - at.location + grown));
    b.insert(at.strings, grown, '\0');
}

// The advertised product's and component's blocks (flags 0x800, 0x1000) after the
// strings; the component's text ends with a NUL or fills its 260 units.
template <bool Ended> void AdvertisedBlocks(std::string& b, const ShortcutParts& at) {
    PutNumber(b, 0x14, 4, GetNumber(b, 0x14, 4) | 0x1800);
    for (const bool ended : {true, Ended}) {
        std::string block = ExtraBlock(0x314, 0xA0000006);
        for (std::size_t i = 0; i < 260; ++i) {
            block[8 + i] = i < 259 ? 'p' : '\0';
            PutNumber(block, 8 + 260 + 2 * i, 2, i < 259 || !ended ? 'p' : 0);
        }
        b.insert(at.extra, block);
    }
}

// The volume part's size: its label (at 0x10) ends with the block, plus Past; no label
// at Past 0x7FFF0000.
template <std::uint32_t Past> void VolumeSize(std::string& b, const ShortcutParts& at) {
    const std::size_t volume = at.location + GetNumber(b, at.location + 0x0C, 4);
    PutNumber(b, volume, 4, static_cast<std::uint32_t>(at.strings - volume + Past));
    if (Past == 0x7FFF0000)
        PutNumber(b, volume + 0x0C, 4, 0);
}

// Each limit of Wine's reader has a row here one past it, and one at it in SoundShapes.
inline const ShortcutChange StructuralDamages[] = {
    {"header size", [](std::string& b, const ShortcutParts&) { PutNumber(b, 0, 4, 0x4B); }},
    {"header class", [](std::string& b, const ShortcutParts&) { b[4] ^= 1; }},
    {"item ID list past the file",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.list, 2, 0xFFFF); }},
    {"item of size 1",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.list + 2, 2, 1); }},
    {"item past its list",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.list + 2, 2, 0xFFFF); }},
    {"item ID list without its terminator",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.list, 2, GetNumber(b, at.list, 2) - 2);
     }},
    {"location block past the file",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.location, 4, 0xFFFFFFFF); }},
    {"location block smaller than its header",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.location, 4, 0x1B); }},
    {"location header size",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.location + 4, 4, 0x1D); }},
    {"location offset past the block",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.location + 0x10, 4, GetNumber(b, at.location, 4));
     }},
    // The shell writes the block's last string, the path suffix, last.
    {"location string without its NUL",
     [](std::string& b, const ShortcutParts& at) {
         b[at.location + GetNumber(b, at.location, 4) - 1] = 'x';
     }},
    {"volume part too small for its label",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.location + GetNumber(b, at.location + 0x0C, 4), 4, 0x10);
     }},
    {"string past the file",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.strings, 2, 0xFFFF); }},
    // Each of these two breaks one rule alone: the rest of the file stays consistent.
    {"lone item of size 1",
     [](std::string& b, const ShortcutParts& at) {
         b.replace(at.list, 2 + GetNumber(b, at.list, 2), std::string("\4\0\1\0\0\0", 6));
     }},
    {"items filling the list, no terminator",
     [](std::string& b, const ShortcutParts& at) {
         const std::size_t size = GetNumber(b, at.list, 2);
         b.erase(at.list + size, 2);
         PutNumber(b, at.list, 2, static_cast<std::uint32_t>(size - 2));
     }},
    {"relative path past the join after the shortcut's folder", RelativePathJoin<1>},
    {"relative path in the code page past the join", RelativePathJoin<1, false>},
    {"working directory of MAX_PATH units", DirectoryJoin<260, 1>},
    {"working directory, backslash and relative path past the join", DirectoryJoin<259, 260>},
    {"description of 0x8000 units", LongDescription<0x8000>},
    {"strings ending past the bytes checked", GrownLocation<1>},
    {"advertised text without its NUL", AdvertisedBlocks<false>},
    {"volume label claiming past the block", VolumeSize<1>},
    {"volume offset wrapping at 32 bits",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.location + 0x0C, 4, ~7u); }},
};

// Changes that no reader faults on: Windows' reader ends the extra data, and succeeds,
// wherever its blocks stop holding together; Wine's reads only the advertised blocks.
inline const ShortcutChange SoundShapes[] = {
    {"as written", [](std::string&, const ShortcutParts&) {}},
    {"without its terminal block",
     [](std::string& b, const ShortcutParts&) { b.resize(b.size() - 4); }},
    {"with an unknown block and trailing bytes",
     [](std::string& b, const ShortcutParts& at) {
         b.insert(at.extra, ExtraBlock(12, 0xA00000FF));
         b += "trailing";
     }},
    {"cut inside the extra data",
     [](std::string& b, const ShortcutParts&) { b.resize(b.size() - 12); }},
    {"a terminal block of FF FF FF FF",
     [](std::string& b, const ShortcutParts&) { PutNumber(b, b.size() - 4, 4, 0xFFFFFFFF); }},
    {"a terminal block of 5",
     [](std::string& b, const ShortcutParts&) { PutNumber(b, b.size() - 4, 4, 5); }},
    {"a block over 0xFFFF bytes",
     [](std::string& b, const ShortcutParts& at) {
         b.insert(at.extra, ExtraBlock(0x10008, 0xA00000FF));
     }},
    {"a known block too small for its fields",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.extra, 4, 0x0F); }},
    {"a special folder's offset past the item ID list",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.extra + 0x0C, 4, GetNumber(b, at.list, 2));
     }},
    // Where the shell knows a target, the environment block is never read.
    {"an environment block beside the target",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, 0x14, 4, GetNumber(b, 0x14, 4) | 0x200);
         b.insert(at.extra, EnvironmentOnlyShortcut(L"C:\\Other\\x.exe").substr(0x4C, 0x314));
     }},
    {"a network offset past the block, with no network part",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.location + 0x14, 4, GetNumber(b, at.location, 4) + 8);
     }},
    {"a local path offset past the block, with neither part",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.location + 0x08, 4, 0);
         PutNumber(b, at.location + 0x10, 4, GetNumber(b, at.location, 4) + 8);
     }},
    {"a volume part past its block, with no label", VolumeSize<0x7FFF0000>},
    {"a relative path filling the join after the shortcut's folder", RelativePathJoin<0>},
    {"a relative path in the code page filling the join", RelativePathJoin<0, false>},
    {"a working directory of MAX_PATH - 1 units", DirectoryJoin<259, 1>},
    {"a working directory, backslash and relative path filling the join", DirectoryJoin<259, 259>},
    {"a description of 0x7FFF units", LongDescription<0x7FFF>},
    {"strings ending where the bytes checked end", GrownLocation<0>},
    {"advertised texts ending with their NUL", AdvertisedBlocks<true>},
    {"a volume label ending with the block", VolumeSize<0>},
};

// Both tables' rows by one index, the damages first.
inline constexpr std::size_t ChangeRows = std::size(StructuralDamages) + std::size(SoundShapes);
inline bool IsDamageRow(std::size_t row) {
    return row < std::size(StructuralDamages);
}
inline const ShortcutChange& ChangeRow(std::size_t row) {
    return IsDamageRow(row) ? StructuralDamages[row]
                            : SoundShapes[row - std::size(StructuralDamages)];
}

// Writes at path a shortcut to target, with an argument and a description, changed as
// the row says; false when the shell did not write the sound one.
inline bool WriteChangedShortcut(const std::wstring& path, const std::wstring& target,
                                 const ShortcutChange& change) {
    if (!WriteShortcut(path, {.target = target, .arguments = L"/a", .description = L"damaged"}))
        return false;
    std::string bytes = ReadFileBytes(path);
    ShortcutParts at{};
    at.list = 0x4C;
    at.location = at.list + 2 + GetNumber(bytes, at.list, 2);
    at.strings = at.location + GetNumber(bytes, at.location, 4);
    at.folder = path.rfind(L'\\') + 1;
    // The shell's file ends with the terminal block: the special folder goes before it.
    at.extra = bytes.size() - 4;
    bytes.insert(at.extra, ExtraBlock(0x10, 0xA0000005));
    change.apply(bytes, at);
    WriteFile(path, bytes);
    return true;
}

} // namespace TestSupport

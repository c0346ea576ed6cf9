// A sound shortcut written by the shell, with a special-folder block added, changed in
// one structure: damaged at a value that cannot be true (one row per kind of field),
// or reshaped in ways that the platform's readers take.
#pragma once

#include "tests/support/TestSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace TestSupport {

// Where the sound shortcut's parts begin.
struct ShortcutParts {
    std::size_t list;     // the item ID list's size
    std::size_t location; // the location block
    std::size_t strings;  // the first string's count
    std::size_t extra;    // the special-folder block, the first extra-data block
};

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
    {"extra block too small for its header",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.extra, 4, 7); }},
    {"extra block past the file",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.extra, 4, static_cast<std::uint32_t>(b.size() - at.extra + 1));
     }},
    {"known extra block too small for its fields",
     [](std::string& b, const ShortcutParts& at) { PutNumber(b, at.extra, 4, 0x0F); }},
    {"special folder's offset past the item ID list",
     [](std::string& b, const ShortcutParts& at) {
         PutNumber(b, at.extra + 0x0C, 4, GetNumber(b, at.list, 2));
     }},
};

inline const ShortcutChange SoundShapes[] = {
    {"as written", [](std::string&, const ShortcutParts&) {}},
    {"without its terminal block",
     [](std::string& b, const ShortcutParts&) { b.resize(b.size() - 4); }},
    {"with an unknown block and trailing bytes",
     [](std::string& b, const ShortcutParts& at) {
         b.insert(at.extra, ExtraBlock(12, 0xA00000FF));
         b += "trailing";
     }},
};

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
    // The shell's file ends with the terminal block: the special folder goes before it.
    at.extra = bytes.size() - 4;
    bytes.insert(at.extra, ExtraBlock(0x10, 0xA0000005));
    change.apply(bytes, at);
    WriteFile(path, bytes);
    return true;
}

} // namespace TestSupport

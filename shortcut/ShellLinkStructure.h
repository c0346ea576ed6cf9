// A check of a shortcut file's structures, made before the shell's shortcut object reads
// it: that reader trusts the sizes, counts and offsets in the file and may walk past
// them (Wine's faults on an item claiming more bytes than its list holds, and commits
// whatever a location block claims). A structure that cannot be what it claims (past
// its block, past the file, too small to hold its own header) makes the file damaged.
// Where the platform's readers are lenient, so is this: a file may end where its
// terminal block would be, and unknown extra-data blocks and bytes after the terminal
// block pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ShellLinkStructure {

// The most of a file that is read. Everything before the extra-data blocks fits: the
// header, an item ID list (at most 64 KiB), a location block (a few hundred bytes in
// real files) and five strings (at most 128 KiB each). A larger file is judged by what
// its first part shows.
inline constexpr std::size_t ReadLimit = 1u << 20;

// Whether bytes, the start of a file of fileSize bytes (all of it when the file is no
// larger than ReadLimit), claim the shell link format (its header size or its class
// at their places) and hold a structure that cannot be what it claims. A structure
// inside the file but past the bytes given ends the check without a verdict against
// it; bytes of another format are left to whoever reads them.
bool IsDamaged(std::span<const std::byte> bytes, std::uint64_t fileSize);

// The same for a file, read up to ReadLimit. A file that cannot be opened or read, or
// that is no disk file, is not damaged here: the shell's own load reports it.
bool FileIsDamaged(std::wstring_view fileName);

} // namespace ShellLinkStructure

// A check of a shortcut file's structures, made before the shell's shortcut object reads
// it: that reader trusts the sizes, counts and offsets in the file and may walk past
// them (Wine's faults on an item claiming more bytes than its list holds, commits
// whatever a location block claims, and joins paths in fixed buffers on its stack). A
// structure that cannot be what it claims (past its block, past the file, too small to
// hold its own header), or that makes Wine's reader write or read past its buffers,
// makes the file damaged. Only what a reader follows is checked: in the extra data only
// the advertised blocks that Wine reads (Windows' reader ends its block list where the
// blocks stop holding together, and succeeds), and in the location block only the parts
// that its flags name or that Wine follows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ShellLinkStructure {

// The most of a file that is read. Everything before the extra-data blocks fits: the
// header, an item ID list (at most 64 KiB), a location block (a few hundred bytes in
// real files) and five strings (at most 128 KiB each). A file whose parts before the
// extra data end past it is damaged: it cannot be judged.
inline constexpr std::size_t ReadLimit = 1u << 20;

// Whether bytes, the start of a file of fileSize bytes (all of it when the file is no
// larger than ReadLimit), claim the shell link format (its header size or its class
// at their places) and hold a structure that cannot be what it claims, or that Wine's
// reader would overrun when it loads the file by the name linkName (it joins the
// relative path to that name's folder). Bytes of another format are left to whoever
// reads them.
bool IsDamaged(std::span<const std::byte> bytes, std::uint64_t fileSize,
               std::wstring_view linkName);

// The text of the environment-variable block (unexpanded), when the extra data in the
// bytes holds one before it stops holding together.
std::optional<std::wstring> EnvironmentTarget(std::span<const std::byte> bytes);

// The start of a file, up to ReadLimit, and its size. No value for a file that cannot
// be opened or read, or that is no disk file.
struct FileStart {
    std::vector<std::byte> bytes;
    std::uint64_t fileSize = 0;
};
std::optional<FileStart> ReadFileStart(std::wstring_view fileName);

// IsDamaged for a file read by ReadFileStart; one that cannot be read is not damaged
// here: the shell's own load reports it.
bool FileIsDamaged(std::wstring_view fileName);

} // namespace ShellLinkStructure

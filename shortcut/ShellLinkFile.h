// One shortcut file (.lnk, .pif, .url) over the shell's shortcut object, reached
// through IShellLinkA and IPersistFile by method-table slot only. A text that the
// process's code page cannot hold is refused rather than stored with substitutes: it
// reads back as written, the shortcut counts as changed, and it is not saved until the
// field is written again with a text the code page holds, or another file is loaded.
// A text of the file that the code page cannot hold reads whole (through IShellLinkW),
// so that writing it back is refused in the same way. A file whose only target is its
// environment-variable path, which Windows' reader expands and Wine's ignores, reads
// that path, expanded, as its target until another target is written, when it expands
// whole into a full path; a save writes it as the target. Where the object has no item
// ID list that the desktop can name but still answers a full path, the target's name is
// that path.
#pragma once

#include "com/FunctionObject.h"
#include "shell/FunctionShell.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// The kinds of shortcut file, by extension: whether the Internet-shortcut class reads
// it (else the shell's shortcut class), and whether the editor saves shortcuts under
// it. A new kind is a new row.
struct ShortcutKind {
    std::wstring_view Extension;
    bool InternetShortcut;
    bool Saved;
};
inline constexpr ShortcutKind ShortcutKinds[] = {
    {L".lnk", false, true},
    {L".pif", false, false},
    {L".url", true, false},
};

class ShellLinkFile {
public:
    using PointerValue = FunctionObject::PointerValue;

    ShellLinkFile();
    ShellLinkFile(const ShellLinkFile&) = delete;
    ShellLinkFile& operator=(const ShellLinkFile&) = delete;

    std::wstring FileName() const;
    bool FileLoad(std::wstring_view FileNameToLoad);
    bool FileSave(std::wstring_view FileNameToSave);
    bool FileIsDirty() const;

    std::wstring LinkPath() const;
    void LinkPath(std::wstring_view NewLink);
    // Read: a new item ID list, the caller's (empty when there is none).
    // Write: the shell object keeps its own copy; NewTo stays the caller's.
    [[nodiscard]] FunctionShell::ItemIDList LinkTo() const;
    void LinkTo(PointerValue NewTo);
    std::wstring LinkToName() const;
    void LinkToName(std::wstring_view NewName);
    std::wstring LinkArgument() const;
    void LinkArgument(std::wstring_view NewArgument);
    std::wstring LinkDirectory() const;
    void LinkDirectory(std::wstring_view NewDirectory);
    std::wstring LinkDescription() const;
    void LinkDescription(std::wstring_view NewDescription);
    std::int16_t LinkHotKey() const;
    void LinkHotKey(std::int16_t NewKey);
    std::int16_t LinkShowCommand() const;
    void LinkShowCommand(std::int16_t NewCommand);
    std::wstring IconPath() const;
    void IconPath(std::wstring_view NewPath);
    std::int32_t IconIndex() const;
    void IconIndex(std::int32_t NewIndex);

private:
    enum TextField {
        TargetText,
        ArgumentText,
        DirectoryText,
        DescriptionText,
        IconText,
        TextCount
    };

    bool AnyRefused() const;
    // The object's own path of the target; no value for none (or an empty one).
    std::optional<std::wstring> ReadShellPath() const;
    std::wstring ReadField(TextField field, std::int32_t offset) const;
    // A text getter's answer as the object holds it; More follows buffer and capacity.
    std::optional<std::wstring> ReadShellText(std::int32_t offset,
                                              std::initializer_list<VARIANT> more = {}) const;
    void WriteField(TextField field, std::int32_t offset, std::wstring_view text);
    void IconLocationRead(std::wstring& path, std::int32_t& index) const;
    // False when nothing was written (no object, or a refused path).
    bool IconLocationWrite(std::wstring_view path, std::int32_t index);

    std::wstring CurrentFile;
    std::wstring IconPathCache;
    std::int32_t IconIndexCache = 0;
    // Per field, the text of its last write when the code page could not hold it.
    std::array<std::optional<std::wstring>, TextCount> Refused;
    // The target of a file whose only target is its environment-variable path, expanded
    // and made plain; it stands for the target until a target is written.
    std::optional<std::wstring> EnvironmentTarget;
    FunctionObject::ComReference ShellLinkObject;
    FunctionObject::ComReference PersistFileObject;
    GUID ClsidShellLink{};
    GUID ClsidInternetShortcut{};
    GUID IidShellLinkA{};
    GUID IidShellLinkW{};
    GUID IidPersistFile{};
};

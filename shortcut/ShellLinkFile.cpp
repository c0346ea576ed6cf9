#include "shortcut/ShellLinkFile.h"

#include "base/FullPathName.h"
#include "shell/FunctionShell.h"
#include "shortcut/ShellLinkStructure.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

using FunctionObject::AddressArgument;
using FunctionObject::CallInterface;
using FunctionObject::ComReference;
using FunctionObject::CreateComObject;
using FunctionObject::MethodSucceeded;
using FunctionObject::NumberArgument;
using FunctionObject::ObjectQueryInterface;
using FunctionObject::ShortArgument;
using FunctionObject::SlotOffset;
using FunctionShell::AnsiFromString;
using FunctionShell::ItemIDList;
using FunctionShell::StringFromBuffer;

namespace {

// Slots of IPersistFile, as byte offsets into the method table.
constexpr std::int32_t IsDirtyOffset = SlotOffset(4);
constexpr std::int32_t LoadOffset = SlotOffset(5);
constexpr std::int32_t SaveOffset = SlotOffset(6);

// Slots of IShellLinkA, as byte offsets into the method table.
constexpr std::int32_t GetPathOffset = SlotOffset(3);
constexpr std::int32_t GetIDListOffset = SlotOffset(4);
constexpr std::int32_t SetIDListOffset = SlotOffset(5);
constexpr std::int32_t GetDescriptionOffset = SlotOffset(6);
constexpr std::int32_t SetDescriptionOffset = SlotOffset(7);
constexpr std::int32_t GetWorkingDirectoryOffset = SlotOffset(8);
constexpr std::int32_t SetWorkingDirectoryOffset = SlotOffset(9);
constexpr std::int32_t GetArgumentsOffset = SlotOffset(10);
constexpr std::int32_t SetArgumentsOffset = SlotOffset(11);
constexpr std::int32_t GetHotkeyOffset = SlotOffset(12);
constexpr std::int32_t SetHotkeyOffset = SlotOffset(13);
constexpr std::int32_t GetShowCmdOffset = SlotOffset(14);
constexpr std::int32_t SetShowCmdOffset = SlotOffset(15);
constexpr std::int32_t GetIconLocationOffset = SlotOffset(16);
constexpr std::int32_t SetIconLocationOffset = SlotOffset(17);
constexpr std::int32_t SetPathOffset = SlotOffset(20);

// As much as 1024 UTF-16 units would hold (a description's limit, beyond any path's).
constexpr std::int32_t TextBufferSize = FunctionShell::AnsiCapacity(1024);

// STGM_READ for Load; for Save, the object takes the name as its current file.
constexpr std::int32_t LoadReadOnly = 0;
constexpr std::int32_t SaveRemember = 1;

GUID MakeGuid(unsigned long data1, unsigned short data2, unsigned short data3,
              std::initializer_list<unsigned char> data4) {
    GUID guid{};
    guid.Data1 = data1;
    guid.Data2 = data2;
    guid.Data3 = data3;
    std::size_t i = 0;
    for (const unsigned char byte : data4)
        guid.Data4[i++] = byte;
    return guid;
}

// The Internet-shortcut patterns ("*.url") under text comparison: any letter case.
bool IsInternetShortcutName(std::wstring_view name) {
    for (const ShortcutKind& kind : ShortcutKinds) {
        const std::wstring_view extension = kind.Extension;
        if (!kind.InternetShortcut || name.size() < extension.size())
            continue;
        const std::wstring_view tail = name.substr(name.size() - extension.size());
        if (CompareStringOrdinal(tail.data(), static_cast<int>(tail.size()), extension.data(),
                                 static_cast<int>(extension.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// A zero-filled platform buffer for one text answer, ANSI or UTF-16.
class TextBuffer {
public:
    // A wide buffer holds as many units as an ANSI one bytes: it is never cut first.
    explicit TextBuffer(bool wide = false)
        : wide_(wide), bytes_(TextBufferSize * (wide ? sizeof(wchar_t) : 1)) {}
    VARIANT Address() { return AddressArgument(bytes_.data()); }
    static VARIANT Capacity() { return NumberArgument(TextBufferSize); }
    std::wstring Text() const { return StringFromBuffer(bytes_, wide_); }

private:
    bool wide_;
    std::vector<std::byte> bytes_;
};

// One text getter of IShellLinkA or IShellLinkW (the same slots): the buffer and its
// capacity, then the getter's own arguments. No value when the method fails, or
// answers S_FALSE (GetPath of a target without a path).
std::optional<std::wstring> CallTextGetter(const ShellLinkFile::PointerValue& link,
                                           std::int32_t offset, bool wide,
                                           std::initializer_list<VARIANT> more = {}) {
    if (link == 0)
        return std::nullopt;
    TextBuffer buffer(wide);
    std::vector<VARIANT> arguments{buffer.Address(), TextBuffer::Capacity()};
    arguments.insert(arguments.end(), more);
    if (!MethodSucceeded(
            CallInterface(link, offset, static_cast<std::int32_t>(arguments.size()), arguments)))
        return std::nullopt;
    return buffer.Text();
}

// A setter's failure is not reported: it shows in the next read of the property, which
// the editor makes after every write.
void CallSetter(const ShellLinkFile::PointerValue& link, std::int32_t offset,
                std::span<VARIANT> arguments) {
    static_cast<void>(
        CallInterface(link, offset, static_cast<std::int32_t>(arguments.size()), arguments));
}

// False only when the code page cannot hold the text: then nothing is written.
bool WriteText(const ShellLinkFile::PointerValue& link, std::int32_t offset,
               std::wstring_view text) {
    const auto ansi = AnsiFromString(text);
    if (!ansi)
        return false;
    VARIANT arguments[] = {AddressArgument(ansi->c_str())};
    CallSetter(link, offset, arguments);
    return true;
}

// GetHotkey and GetShowCmd write a WORD or an int into the zeroed cell.
std::int32_t ReadNumber(const ShellLinkFile::PointerValue& link, std::int32_t offset) {
    if (link == 0)
        return 0;
    std::int32_t value = 0;
    VARIANT arguments[] = {AddressArgument(&value)};
    return MethodSucceeded(CallInterface(link, offset, 1, arguments)) ? value : 0;
}

void WriteShort(const ShellLinkFile::PointerValue& link, std::int32_t offset, std::int16_t value) {
    if (link == 0)
        return;
    VARIANT arguments[] = {ShortArgument(value)};
    CallSetter(link, offset, arguments);
}

// An environment variable's value; no value when it is not set (a set one, even empty,
// needs room for its NUL).
std::optional<std::wstring> VariableValue(const std::wstring& name) {
    DWORD capacity = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    while (capacity != 0) {
        std::wstring value(capacity, L'\0');
        const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), capacity);
        if (length < capacity) {
            value.resize(length);
            return value;
        }
        capacity = length; // the variable changed in between
    }
    return std::nullopt;
}

// The text with each "%NAME%" replaced by the variable's value; no value when a variable
// is not set, where the system would leave "%NAME%" standing in the path. A "%" without
// a second one is taken as it is.
std::optional<std::wstring> ExpandedWhole(std::wstring_view text) {
    std::wstring expanded;
    for (;;) {
        const std::size_t open = text.find(L'%');
        const std::size_t close =
            open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
        if (close == std::wstring_view::npos)
            return expanded += text;
        const std::optional<std::wstring> value =
            VariableValue(std::wstring(text.substr(open + 1, close - open - 1)));
        if (!value)
            return std::nullopt;
        expanded += text.substr(0, open);
        expanded += *value;
        text.remove_prefix(close + 1);
    }
}

// The environment-variable block's target, expanded and made plain as the names of
// item ID lists are; no value when the file holds none, or when it does not expand
// whole into a fully qualified path (a relative one would be taken from whatever the
// current directory is).
std::optional<std::wstring> ExpandedEnvironmentTarget(std::span<const std::byte> bytes) {
    const std::optional<std::wstring> text = ShellLinkStructure::EnvironmentTarget(bytes);
    if (!text)
        return std::nullopt;
    const std::optional<std::wstring> expanded = ExpandedWhole(*text);
    return expanded ? FullPath::PlainFullPathName(*expanded) : std::nullopt;
}

} // namespace

ShellLinkFile::ShellLinkFile() {
    ClsidShellLink = MakeGuid(0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
    ClsidInternetShortcut =
        MakeGuid(0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8});
    IidShellLinkA = MakeGuid(0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
    IidShellLinkW = MakeGuid(0x000214F9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
    IidPersistFile = MakeGuid(0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});

    ShellLinkObject = CreateComObject(ClsidShellLink, IidShellLinkA).Object;
    PersistFileObject = ObjectQueryInterface(ShellLinkObject.Variable(), IidPersistFile);
    IconLocationRead(IconPathCache, IconIndexCache);
}

std::wstring ShellLinkFile::FileName() const {
    return CurrentFile;
}

bool ShellLinkFile::FileLoad(std::wstring_view FileNameToLoad) {
    const bool internetShortcut = IsInternetShortcutName(FileNameToLoad);
    const GUID& classId = internetShortcut ? ClsidInternetShortcut : ClsidShellLink;
    std::wstring loadedName(FileNameToLoad);
    // The shell's reader trusts the file's sizes and may read past them: a damaged file
    // fails here, as a load that the shell failed.
    std::optional<ShellLinkStructure::FileStart> start;
    if (!internetShortcut && !loadedName.empty()) {
        start = ShellLinkStructure::ReadFileStart(loadedName);
        if (start && ShellLinkStructure::IsDamaged(start->bytes, start->fileSize, loadedName))
            return false;
    }

    // The new object stays apart until every step has worked, so a failure leaves
    // the current shortcut, its file name and its icon caches as they were.
    ComReference persist = CreateComObject(classId, IidPersistFile).Object;
    if (!persist)
        return false;
    if (!loadedName.empty()) {
        VARIANT arguments[] = {AddressArgument(loadedName.c_str()), NumberArgument(LoadReadOnly)};
        if (!MethodSucceeded(CallInterface(persist.Variable(), LoadOffset, 2, arguments)))
            return false;
    }
    ComReference link = ObjectQueryInterface(persist.Variable(), IidShellLinkA);
    if (!link)
        return false;

    ShellLinkObject = std::move(link);
    PersistFileObject = std::move(persist);
    CurrentFile = std::move(loadedName);
    Refused = {};
    EnvironmentTarget.reset();
    // Installers write shortcuts whose target is only an environment-variable path;
    // Windows' reader expands it on load, Wine's ignores it. It is read from the file
    // only when the object knows no target at all.
    if (start && !ReadShellPath() && !LinkTo())
        EnvironmentTarget = ExpandedEnvironmentTarget(start->bytes);
    IconLocationRead(IconPathCache, IconIndexCache);
    return true;
}

bool ShellLinkFile::FileSave(std::wstring_view FileNameToSave) {
    // Wine's save writes no environment-variable block: a target found only there is
    // written as the target itself, or the file would come back without one.
    if (EnvironmentTarget && PersistFileObject) {
        const std::wstring target = *EnvironmentTarget;
        LinkPath(target);
    }
    // The shell object holds the refused texts' predecessors: saving them would be
    // saving something nobody asked for.
    if (!PersistFileObject || AnyRefused())
        return false;
    std::wstring name = FileNameToSave.empty() ? CurrentFile : std::wstring(FileNameToSave);
    VARIANT arguments[] = {AddressArgument(name.c_str()), NumberArgument(SaveRemember)};
    if (!MethodSucceeded(CallInterface(PersistFileObject.Variable(), SaveOffset, 2, arguments)))
        return false;
    CurrentFile = std::move(name);
    return true;
}

bool ShellLinkFile::FileIsDirty() const {
    if (AnyRefused())
        return true;
    if (!PersistFileObject)
        return false;
    return MethodSucceeded(CallInterface(PersistFileObject.Variable(), IsDirtyOffset, 0));
}

std::wstring ShellLinkFile::LinkPath() const {
    if (Refused[TargetText])
        return *Refused[TargetText];
    if (EnvironmentTarget)
        return *EnvironmentTarget;
    return ReadShellPath().value_or(L"");
}

void ShellLinkFile::LinkPath(std::wstring_view NewLink) {
    EnvironmentTarget.reset();
    WriteField(TargetText, SetPathOffset, NewLink);
}

ItemIDList ShellLinkFile::LinkTo() const {
    if (!ShellLinkObject)
        return {};
    PointerValue list = 0;
    VARIANT arguments[] = {AddressArgument(&list)};
    const bool read =
        MethodSucceeded(CallInterface(ShellLinkObject.Variable(), GetIDListOffset, 1, arguments));
    // A list handed out together with a failure is freed here.
    ItemIDList held(list);
    return read ? std::move(held) : ItemIDList{};
}

void ShellLinkFile::LinkTo(PointerValue NewTo) {
    if (!ShellLinkObject)
        return;
    Refused[TargetText].reset();
    EnvironmentTarget.reset();
    VARIANT arguments[] = {AddressArgument(NewTo)};
    CallSetter(ShellLinkObject.Variable(), SetIDListOffset, arguments);
}

std::wstring ShellLinkFile::LinkToName() const {
    if (const ItemIDList list = LinkTo()) {
        std::wstring name = FunctionShell::NameFromItemIDList(list.Get(), 0);
        if (!name.empty())
            return name;
    }
    if (EnvironmentTarget)
        return *EnvironmentTarget;
    // Wine drops an item ID list that holds an item it does not know (those of later
    // Windows), or keeps one that it cannot name, yet still answers the target's
    // location: a full path stands in for the list.
    const std::optional<std::wstring> path = ReadShellPath();
    return path ? FullPath::PlainFullPathName(*path).value_or(L"") : L"";
}

void ShellLinkFile::LinkToName(std::wstring_view NewName) {
    const ItemIDList list(FunctionShell::ItemIDListFromName(NewName, 0));
    if (!list)
        return;
    LinkTo(list.Get());
}

std::wstring ShellLinkFile::LinkArgument() const {
    return ReadField(ArgumentText, GetArgumentsOffset);
}

void ShellLinkFile::LinkArgument(std::wstring_view NewArgument) {
    WriteField(ArgumentText, SetArgumentsOffset, NewArgument);
}

std::wstring ShellLinkFile::LinkDirectory() const {
    return ReadField(DirectoryText, GetWorkingDirectoryOffset);
}

void ShellLinkFile::LinkDirectory(std::wstring_view NewDirectory) {
    WriteField(DirectoryText, SetWorkingDirectoryOffset, NewDirectory);
}

std::wstring ShellLinkFile::LinkDescription() const {
    return ReadField(DescriptionText, GetDescriptionOffset);
}

void ShellLinkFile::LinkDescription(std::wstring_view NewDescription) {
    WriteField(DescriptionText, SetDescriptionOffset, NewDescription);
}

std::int16_t ShellLinkFile::LinkHotKey() const {
    return static_cast<std::int16_t>(ReadNumber(ShellLinkObject.Variable(), GetHotkeyOffset));
}

void ShellLinkFile::LinkHotKey(std::int16_t NewKey) {
    WriteShort(ShellLinkObject.Variable(), SetHotkeyOffset, NewKey);
}

std::int16_t ShellLinkFile::LinkShowCommand() const {
    return static_cast<std::int16_t>(ReadNumber(ShellLinkObject.Variable(), GetShowCmdOffset));
}

void ShellLinkFile::LinkShowCommand(std::int16_t NewCommand) {
    WriteShort(ShellLinkObject.Variable(), SetShowCmdOffset, NewCommand);
}

std::wstring ShellLinkFile::IconPath() const {
    return Refused[IconText].value_or(IconPathCache);
}

void ShellLinkFile::IconPath(std::wstring_view NewPath) {
    if (IconLocationWrite(NewPath, IconIndexCache))
        IconLocationRead(IconPathCache, IconIndexCache);
}

std::int32_t ShellLinkFile::IconIndex() const {
    return IconIndexCache;
}

void ShellLinkFile::IconIndex(std::int32_t NewIndex) {
    // With the refused path, if there is one: the location is written as a whole.
    if (IconLocationWrite(IconPath(), NewIndex))
        IconLocationRead(IconPathCache, IconIndexCache);
}

bool ShellLinkFile::AnyRefused() const {
    return std::ranges::any_of(Refused, [](const auto& text) { return text.has_value(); });
}

std::wstring ShellLinkFile::ReadField(TextField field, std::int32_t offset) const {
    if (Refused[field])
        return *Refused[field];
    return ReadShellText(offset).value_or(L"");
}

std::optional<std::wstring> ShellLinkFile::ReadShellPath() const {
    // Receives the target's find data, which nobody reads.
    TextBuffer findData;
    // S_FALSE (a target without a path, such as a virtual folder) counts as no path.
    std::optional<std::wstring> path =
        ReadShellText(GetPathOffset, {findData.Address(), NumberArgument(0)});
    return path && !path->empty() ? path : std::nullopt;
}

std::optional<std::wstring>
ShellLinkFile::ReadShellText(std::int32_t offset, std::initializer_list<VARIANT> more) const {
    std::optional<std::wstring> text =
        CallTextGetter(ShellLinkObject.Variable(), offset, false, more);
    // UTF-8 holds every text: the ANSI answer is whole, and the second call is saved.
    if (!text || GetACP() == CP_UTF8)
        return text;
    // Under a legacy code page the ANSI getter answers substitutes (or look-alikes) for
    // what the code page cannot hold, and a write of them would store them. The object's
    // wide getter tells: where the two differ, the field reads the whole text, which a
    // write then refuses as it refuses the same text typed.
    const ComReference wide = ObjectQueryInterface(ShellLinkObject.Variable(), IidShellLinkW);
    const std::optional<std::wstring> whole = CallTextGetter(wide.Variable(), offset, true, more);
    return whole && *whole != *text ? whole : text;
}

void ShellLinkFile::WriteField(TextField field, std::int32_t offset, std::wstring_view text) {
    if (!ShellLinkObject)
        return;
    if (WriteText(ShellLinkObject.Variable(), offset, text))
        Refused[field].reset();
    else
        Refused[field] = std::wstring(text);
}

void ShellLinkFile::IconLocationRead(std::wstring& path, std::int32_t& index) const {
    std::int32_t readIndex = 0;
    const auto readPath = ReadShellText(GetIconLocationOffset, {AddressArgument(&readIndex)});
    if (!readPath)
        return;
    path = *readPath;
    index = readIndex;
}

bool ShellLinkFile::IconLocationWrite(std::wstring_view path, std::int32_t index) {
    if (!ShellLinkObject)
        return false;
    const auto ansi = AnsiFromString(path);
    if (!ansi) {
        Refused[IconText] = std::wstring(path);
        IconIndexCache = index;
        return false;
    }
    Refused[IconText].reset();
    VARIANT arguments[] = {AddressArgument(ansi->c_str()), NumberArgument(index)};
    CallSetter(ShellLinkObject.Variable(), SetIconLocationOffset, arguments);
    return true;
}

#include "shortcut/ShellLinkFile.h"

#include "shell/FunctionShell.h"

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

using FunctionObject::AddressArgument;
using FunctionObject::CallInterface;
using FunctionObject::ComReference;
using FunctionObject::CreateComObject;
using FunctionObject::NumberArgument;
using FunctionObject::ObjectQueryInterface;
using FunctionObject::ObjectReleaseClear;
using FunctionObject::ShortArgument;
using FunctionShell::AnsiFromString;
using FunctionShell::FreeItemIDList;
using FunctionShell::ItemIDList;
using FunctionShell::StringFromBuffer;

namespace {

// Slots of IPersistFile, as byte offsets into the method table.
constexpr std::int32_t IsDirtyOffset = 4 * 4;
constexpr std::int32_t LoadOffset = 5 * 4;
constexpr std::int32_t SaveOffset = 6 * 4;

// Slots of IShellLinkA, as byte offsets into the method table.
constexpr std::int32_t GetPathOffset = 3 * 4;
constexpr std::int32_t GetIDListOffset = 4 * 4;
constexpr std::int32_t SetIDListOffset = 5 * 4;
constexpr std::int32_t GetDescriptionOffset = 6 * 4;
constexpr std::int32_t SetDescriptionOffset = 7 * 4;
constexpr std::int32_t GetWorkingDirectoryOffset = 8 * 4;
constexpr std::int32_t SetWorkingDirectoryOffset = 9 * 4;
constexpr std::int32_t GetArgumentsOffset = 10 * 4;
constexpr std::int32_t SetArgumentsOffset = 11 * 4;
constexpr std::int32_t GetHotkeyOffset = 12 * 4;
constexpr std::int32_t SetHotkeyOffset = 13 * 4;
constexpr std::int32_t GetShowCmdOffset = 14 * 4;
constexpr std::int32_t SetShowCmdOffset = 15 * 4;
constexpr std::int32_t GetIconLocationOffset = 16 * 4;
constexpr std::int32_t SetIconLocationOffset = 17 * 4;
constexpr std::int32_t SetPathOffset = 20 * 4;

constexpr std::int32_t TextBufferSize = 1024;

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

// The pattern "*.url" under text comparison: any letter case.
bool IsInternetShortcutName(std::wstring_view name) {
    constexpr std::wstring_view extension = L".url";
    if (name.size() < extension.size())
        return false;
    const std::wstring_view tail = name.substr(name.size() - extension.size());
    return CompareStringOrdinal(tail.data(), static_cast<int>(tail.size()), extension.data(),
                                static_cast<int>(extension.size()), TRUE) == CSTR_EQUAL;
}

// A zero-filled platform buffer for one text answer.
class TextBuffer {
public:
    VARIANT Address() { return AddressArgument(bytes_.data()); }
    static VARIANT Capacity() { return NumberArgument(TextBufferSize); }
    std::wstring Text() const { return StringFromBuffer(bytes_, false); }

private:
    std::vector<std::byte> bytes_ = std::vector<std::byte>(TextBufferSize);
};

// GetDescription, GetWorkingDirectory, GetArguments: buffer and capacity only.
std::wstring ReadText(const ShellLinkFile::PointerValue& link, std::int32_t offset) {
    if (link == 0)
        return {};
    TextBuffer buffer;
    VARIANT arguments[] = {buffer.Address(), TextBuffer::Capacity()};
    if (CallInterface(link, offset, 2, arguments) != S_OK)
        return {};
    return buffer.Text();
}

void WriteText(const ShellLinkFile::PointerValue& link, std::int32_t offset,
               std::wstring_view text) {
    if (link == 0)
        return;
    const std::string ansi = AnsiFromString(text);
    VARIANT arguments[] = {AddressArgument(ansi.c_str())};
    CallInterface(link, offset, 1, arguments);
}

// GetHotkey and GetShowCmd write a WORD or an int into the zeroed cell.
std::int32_t ReadNumber(const ShellLinkFile::PointerValue& link, std::int32_t offset) {
    if (link == 0)
        return 0;
    std::int32_t value = 0;
    VARIANT arguments[] = {AddressArgument(&value)};
    return CallInterface(link, offset, 1, arguments) == S_OK ? value : 0;
}

void WriteShort(const ShellLinkFile::PointerValue& link, std::int32_t offset, std::int16_t value) {
    if (link == 0)
        return;
    VARIANT arguments[] = {ShortArgument(value)};
    CallInterface(link, offset, 1, arguments);
}

} // namespace

ShellLinkFile::ShellLinkFile() {
    ClsidShellLink = MakeGuid(0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
    ClsidInternetShortcut =
        MakeGuid(0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8});
    IidShellLinkA = MakeGuid(0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});
    IidPersistFile = MakeGuid(0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46});

    ShellLinkObject = CreateComObject(ClsidShellLink, IidShellLinkA);
    PersistFileObject = ObjectQueryInterface(ShellLinkObject, IidPersistFile);
    IconLocationRead(IconPathCache, IconIndexCache);
}

ShellLinkFile::~ShellLinkFile() {
    ObjectReleaseClear(ShellLinkObject);
    ObjectReleaseClear(PersistFileObject);
}

std::wstring ShellLinkFile::FileName() const {
    return CurrentFile;
}

bool ShellLinkFile::FileLoad(std::wstring_view FileNameToLoad) {
    const GUID& classId =
        IsInternetShortcutName(FileNameToLoad) ? ClsidInternetShortcut : ClsidShellLink;
    std::wstring loadedName(FileNameToLoad);

    // The new object stays apart until every step has worked, so a failure leaves
    // the current shortcut, its file name and its icon caches as they were.
    ComReference persist(CreateComObject(classId, IidPersistFile));
    if (!persist)
        return false;
    if (!loadedName.empty()) {
        VARIANT arguments[] = {AddressArgument(loadedName.c_str()), NumberArgument(LoadReadOnly)};
        if (CallInterface(persist.Variable(), LoadOffset, 2, arguments) != S_OK)
            return false;
    }
    ComReference link(ObjectQueryInterface(persist.Variable(), IidShellLinkA));
    if (!link)
        return false;

    ObjectReleaseClear(ShellLinkObject);
    ObjectReleaseClear(PersistFileObject);
    ShellLinkObject = link.Release();
    PersistFileObject = persist.Release();
    CurrentFile = std::move(loadedName);
    IconLocationRead(IconPathCache, IconIndexCache);
    return true;
}

bool ShellLinkFile::FileSave(std::wstring_view FileNameToSave) {
    if (PersistFileObject == 0)
        return false;
    std::wstring name = FileNameToSave.empty() ? CurrentFile : std::wstring(FileNameToSave);
    VARIANT arguments[] = {AddressArgument(name.c_str()), NumberArgument(SaveRemember)};
    if (CallInterface(PersistFileObject, SaveOffset, 2, arguments) != S_OK)
        return false;
    CurrentFile = std::move(name);
    return true;
}

bool ShellLinkFile::FileIsDirty() const {
    if (PersistFileObject == 0)
        return false;
    return CallInterface(PersistFileObject, IsDirtyOffset, 0) == S_OK;
}

std::wstring ShellLinkFile::LinkPath() const {
    if (ShellLinkObject == 0)
        return {};
    TextBuffer buffer;
    // Receives the target's find data, which nobody reads.
    TextBuffer findData;
    VARIANT arguments[] = {buffer.Address(), TextBuffer::Capacity(), findData.Address(),
                           NumberArgument(0)};
    // S_FALSE (a target without a path, such as a virtual folder) counts as no path.
    if (CallInterface(ShellLinkObject, GetPathOffset, 4, arguments) != S_OK)
        return {};
    return buffer.Text();
}

void ShellLinkFile::LinkPath(std::wstring_view NewLink) {
    WriteText(ShellLinkObject, SetPathOffset, NewLink);
}

ShellLinkFile::PointerValue ShellLinkFile::LinkTo() const {
    if (ShellLinkObject == 0)
        return 0;
    PointerValue list = 0;
    VARIANT arguments[] = {AddressArgument(&list)};
    if (CallInterface(ShellLinkObject, GetIDListOffset, 1, arguments) != S_OK) {
        // A list handed out together with a failure would otherwise have no owner.
        FreeItemIDList(list);
        return 0;
    }
    return list;
}

void ShellLinkFile::LinkTo(PointerValue NewTo) {
    if (ShellLinkObject == 0)
        return;
    VARIANT arguments[] = {AddressArgument(NewTo)};
    CallInterface(ShellLinkObject, SetIDListOffset, 1, arguments);
}

std::wstring ShellLinkFile::LinkToName() const {
    const ItemIDList list(LinkTo());
    if (!list)
        return {};
    return FunctionShell::NameFromItemIDList(list.Get(), 0);
}

void ShellLinkFile::LinkToName(std::wstring_view NewName) {
    const ItemIDList list(FunctionShell::ItemIDListFromName(NewName, 0));
    if (!list)
        return;
    LinkTo(list.Get());
}

std::wstring ShellLinkFile::LinkArgument() const {
    return ReadText(ShellLinkObject, GetArgumentsOffset);
}

void ShellLinkFile::LinkArgument(std::wstring_view NewArgument) {
    WriteText(ShellLinkObject, SetArgumentsOffset, NewArgument);
}

std::wstring ShellLinkFile::LinkDirectory() const {
    return ReadText(ShellLinkObject, GetWorkingDirectoryOffset);
}

void ShellLinkFile::LinkDirectory(std::wstring_view NewDirectory) {
    WriteText(ShellLinkObject, SetWorkingDirectoryOffset, NewDirectory);
}

std::wstring ShellLinkFile::LinkDescription() const {
    return ReadText(ShellLinkObject, GetDescriptionOffset);
}

void ShellLinkFile::LinkDescription(std::wstring_view NewDescription) {
    WriteText(ShellLinkObject, SetDescriptionOffset, NewDescription);
}

std::int16_t ShellLinkFile::LinkHotKey() const {
    return static_cast<std::int16_t>(ReadNumber(ShellLinkObject, GetHotkeyOffset));
}

void ShellLinkFile::LinkHotKey(std::int16_t NewKey) {
    WriteShort(ShellLinkObject, SetHotkeyOffset, NewKey);
}

std::int16_t ShellLinkFile::LinkShowCommand() const {
    return static_cast<std::int16_t>(ReadNumber(ShellLinkObject, GetShowCmdOffset));
}

void ShellLinkFile::LinkShowCommand(std::int16_t NewCommand) {
    WriteShort(ShellLinkObject, SetShowCmdOffset, NewCommand);
}

std::wstring ShellLinkFile::IconPath() const {
    return IconPathCache;
}

void ShellLinkFile::IconPath(std::wstring_view NewPath) {
    IconLocationWrite(NewPath, IconIndexCache);
    IconLocationRead(IconPathCache, IconIndexCache);
}

std::int32_t ShellLinkFile::IconIndex() const {
    return IconIndexCache;
}

void ShellLinkFile::IconIndex(std::int32_t NewIndex) {
    IconLocationWrite(IconPathCache, NewIndex);
    IconLocationRead(IconPathCache, IconIndexCache);
}

void ShellLinkFile::IconLocationRead(std::wstring& path, std::int32_t& index) const {
    if (ShellLinkObject == 0)
        return;
    TextBuffer buffer;
    std::int32_t readIndex = 0;
    VARIANT arguments[] = {buffer.Address(), TextBuffer::Capacity(), AddressArgument(&readIndex)};
    if (CallInterface(ShellLinkObject, GetIconLocationOffset, 3, arguments) != S_OK)
        return;
    path = buffer.Text();
    index = readIndex;
}

void ShellLinkFile::IconLocationWrite(std::wstring_view path, std::int32_t index) {
    if (ShellLinkObject == 0)
        return;
    const std::string ansi = AnsiFromString(path);
    VARIANT arguments[] = {AddressArgument(ansi.c_str()), NumberArgument(index)};
    CallInterface(ShellLinkObject, SetIconLocationOffset, 2, arguments);
}

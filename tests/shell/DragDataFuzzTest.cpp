// Drag data comes from other programs: thousands of malformed blocks, each placed so
// that it ends flush against a page that cannot be read, so that any read past a
// block ends the test at once.
#include "shell/DragData.h"
#include "shell/FunctionShell.h"
#include "shell/PlatformBinding.h"
#include "tests/support/DataObjectStub.h"
#include "tests/support/Dice.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

using namespace FunctionShell;
using namespace TestSupport;

namespace {

constexpr std::size_t PageSize = 4096;
constexpr std::size_t Capacity = 2 * PageSize; // the largest block the fuzz makes

// Readable pages followed by one that is not.
class GuardedPages {
public:
    GuardedPages() {
        base_ = static_cast<std::byte*>(
            VirtualAlloc(nullptr, Capacity + PageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        guarded_ = base_ && VirtualProtect(base_ + Capacity, PageSize, PAGE_NOACCESS, &previous);
    }
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;
    ~GuardedPages() { VirtualFree(base_, 0, MEM_RELEASE); }

    bool Guarded() const { return guarded_; }
    // The copy of the bytes whose last byte lies right before the unreadable page.
    const std::byte* Place(const std::string& bytes) {
        std::byte* start = base_ + Capacity - bytes.size();
        std::memcpy(start, bytes.data(), bytes.size());
        return start;
    }

private:
    std::byte* base_ = nullptr;
    bool guarded_ = false;
};

const std::byte* placedBlock = nullptr;

// The platform's lock, so that lock counts stay true, answering the guarded copy.
LPVOID WINAPI LockGuardedCopy(HGLOBAL global) {
    return GlobalLock(global) ? const_cast<std::byte*>(placedBlock) : nullptr;
}

// Hands out a real global block of exactly the fuzzed size in one format; the bytes
// are read from the guarded copy only (the real block is left unwritten, so a sound
// answer shows that the copy was read).
class FuzzData : public BlockData {
public:
    FuzzData(CLIPFORMAT format, const std::string& bytes, GuardedPages& pages)
        : BlockData(format, bytes, false) {
        placedBlock = pages.Place(bytes);
    }
};

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    if (at + 4 <= bytes.size())
        std::memcpy(bytes.data() + at, &value, 4);
}
std::optional<std::uint32_t> Get32(const std::string& bytes, std::uint64_t at) {
    if (at > bytes.size() || bytes.size() - at < 4)
        return std::nullopt;
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// A value that sits on an edge of the block or of the integer.
std::uint32_t EdgeValue(Dice& dice, std::size_t size) {
    const std::uint32_t edges[] = {0,          1,          2,          3,
                                   0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFFE,
                                   0x3FFFFFFF, 0x40000000, 0xFFFF,     0x10000};
    switch (dice.Below(4)) {
    case 0:
        return edges[dice.Below(std::size(edges))];
    case 1:
        return static_cast<std::uint32_t>(size) - 2 + dice.Below(5);
    case 2:
        return dice.Below(static_cast<std::uint32_t>(size) + 1);
    default:
        return dice.Next();
    }
}

// The damage common to both kinds: edge values, flipped bits, cut-off ends.
void Damage(Dice& dice, std::string& bytes, std::size_t headerFields) {
    for (std::uint32_t round = 1 + dice.Below(3); round > 0; --round) {
        switch (dice.Below(6)) {
        case 0:
        case 1:
            Put32(bytes, 4 * dice.Below(static_cast<std::uint32_t>(headerFields)),
                  EdgeValue(dice, bytes.size()));
            break;
        case 2:
            if (!bytes.empty())
                bytes[dice.Below(static_cast<std::uint32_t>(bytes.size()))] ^=
                    static_cast<char>(1u << dice.Below(8));
            break;
        case 3: // the last terminator or more
            bytes.resize(bytes.size() - std::min<std::size_t>(bytes.size(), 1 + dice.Below(3)));
            break;
        case 4:
            bytes.resize(dice.Below(static_cast<std::uint32_t>(bytes.size()) + 1));
            break;
        default: // a 16-bit size or character set to an edge
            if (bytes.size() >= 2) {
                const std::uint16_t values[] = {0, 1, 2, 0xFFFF, 0x8000};
                const std::uint16_t value = values[dice.Below(std::size(values))];
                std::memcpy(bytes.data() + dice.Below(static_cast<std::uint32_t>(bytes.size() - 1)),
                            &value, 2);
            }
        }
    }
}

// ----- "Shell IDList Array": count, offsets of the folder and the items, lists.

std::string RandomList(Dice& dice) {
    std::string list;
    for (std::uint32_t items = dice.Below(4); items > 0; --items) {
        const std::uint16_t size = static_cast<std::uint16_t>(2 + dice.Below(40));
        list.append(reinterpret_cast<const char*>(&size), 2);
        for (int i = 2; i < size; ++i)
            list += static_cast<char>(dice.Below(256));
    }
    return list + std::string(2, '\0');
}

std::string RandomIDListArray(Dice& dice) {
    const std::uint32_t count = dice.Below(4);
    std::string lists;
    std::string table;
    const std::size_t header = 4 + 4 * (count + 1);
    for (std::uint32_t i = 0; i <= count; ++i) {
        table += Bytes32(static_cast<std::uint32_t>(header + lists.size()));
        lists += RandomList(dice);
    }
    return Bytes32(count) + table + lists;
}

// The list that starts at `at`, terminator included, when all of it lies inside.
std::optional<std::string> ListAt(const std::string& bytes, std::uint64_t at) {
    for (std::uint64_t position = at;;) {
        if (position > bytes.size() || bytes.size() - position < 2)
            return std::nullopt;
        std::uint16_t size;
        std::memcpy(&size, bytes.data() + position, 2);
        if (size == 0)
            return bytes.substr(at, position + 2 - at);
        if (size < 2)
            return std::nullopt;
        position += size;
    }
}

// What a sound reader makes of the block: the folder's list, with the first item's
// list appended when there is an item; nothing when any part leaves the block.
std::optional<std::string> ExpectedList(const std::string& bytes) {
    const auto count = Get32(bytes, 0);
    if (!count || static_cast<std::int32_t>(*count) < 0 ||
        4 * (2 + std::uint64_t(*count)) > bytes.size())
        return std::nullopt;
    const auto folder = ListAt(bytes, *Get32(bytes, 4));
    if (!folder || *count == 0)
        return folder;
    const auto item = ListAt(bytes, *Get32(bytes, 8));
    if (!item)
        return std::nullopt;
    return folder->substr(0, folder->size() - 2) + *item;
}

// ----- CF_HDROP: a DROPFILES header, then NUL-terminated names and a final NUL.

std::string RandomFileList(Dice& dice) {
    const bool wide = !dice.OneIn(3);
    std::string names;
    for (std::uint32_t count = dice.Below(3); count > 0; --count) {
        std::wstring name = L"C:\\";
        for (std::uint32_t length = dice.Below(30); length > 0; --length)
            name += static_cast<wchar_t>(wide && dice.OneIn(4) ? 0x3041 + dice.Below(80)
                                                               : L'a' + dice.Below(26));
        if (wide)
            names.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * 2);
        else
            names.append(std::string(name.begin(), name.end()) + '\0');
    }
    names.append(wide ? 2 : 1, '\0');
    return FileListBlock(wide, names);
}

std::wstring FromAnsi(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    return wide.substr(0, wide.find(L'\0'));
}

std::wstring ExpectedFileName(const std::string& bytes) {
    const auto namesOffset = Get32(bytes, offsetof(DROPFILES, pFiles));
    const auto wide = Get32(bytes, offsetof(DROPFILES, fWide));
    if (!namesOffset || !wide || *namesOffset > bytes.size())
        return {};
    const std::string names = bytes.substr(*namesOffset);
    if (*wide) {
        for (std::size_t at = 0; at + 2 <= names.size(); at += 2)
            if (names[at] == 0 && names[at + 1] == 0) {
                std::wstring name(at / 2, L'\0');
                std::memcpy(name.data(), names.data(), at);
                return name;
            }
        return {};
    }
    const std::size_t nul = names.find('\0');
    return nul == std::string::npos ? std::wstring() : FromAnsi(names.substr(0, nul));
}

// ----- The run.

TEST(DragDataFuzz, MalformedBlocksAreRefusedAndNothingIsReadPastThem) {
    GuardedPages pages;
    ASSERT_TRUE(pages.Guarded());
    const ScopedBinding guarded(Binding::GlobalLockCall(), LockGuardedCopy);

    Dice dice;
    int wellFormedLists = 0, wellFormedNames = 0, inexactSizes = 0;
    constexpr int Blocks = 10000;
    for (int round = 0; round < Blocks; ++round) {
        const bool idList = round % 2 == 0;
        std::string bytes = idList ? RandomIDListArray(dice) : RandomFileList(dice);
        // One block in ten stays as it was made.
        if (!dice.OneIn(10))
            Damage(dice, bytes, idList ? 3 : 5);
        ASSERT_LE(bytes.size(), Capacity);
        SCOPED_TRACE(testing::Message() << "block " << round << " of " << bytes.size() << " bytes");

        FuzzData data(idList ? ShellIDListClipFormat() : CF_HDROP, bytes, pages);
        inexactSizes += data.BlockSize() != bytes.size();
        if (idList) {
            const ItemIDList list(ItemIDListFromData(&data));
            const auto expected = ExpectedList(bytes);
            wellFormedLists += expected.has_value();
            if (!expected) {
                ASSERT_FALSE(list) << "a malformed block gives no list";
            } else {
                ASSERT_TRUE(list) << "a sound block gives a list";
                ASSERT_EQ(ListBytes(list.Get()), *expected);
            }
        } else {
            const std::wstring expected = ExpectedFileName(bytes);
            wellFormedNames += !expected.empty();
            ASSERT_EQ(FileNameFromData(&data), expected);
        }
        ASSERT_EQ(data.MediaHeld(), 0) << "every medium is given back";
        ASSERT_TRUE(data.Unlocked()) << "every lock is given back";
    }
    std::printf("%d blocks: %d sound item lists, %d non-empty file names\n", Blocks,
                wellFormedLists, wellFormedNames);
    EXPECT_EQ(inexactSizes, 0) << "GlobalSize must answer the size asked for";
    // The fuzz is only worth something when both kinds of answer occur often.
    EXPECT_GT(wellFormedLists, Blocks / 20);
    EXPECT_GT(wellFormedNames, Blocks / 20);
    EXPECT_LT(wellFormedLists, Blocks / 2 * 9 / 10);
}

} // namespace

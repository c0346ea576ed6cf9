// A pointer cut to 32 bits goes unnoticed under 64-bit Wine, where stack and heap
// lie below 4 GiB. These tests put an object, its method table and an item ID list
// above 4 GiB and carry them through every path of the slot calls that holds an
// address: the instance, arguments, out-cells filled by the method, and lists handed
// to the shell and read back.
#include "com/FunctionObject.h"
#include "shell/FunctionShell.h"
#include "shortcut/ShellLinkFile.h"
#include "tests/support/TestSupport.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <new>

using namespace FunctionObject;

namespace {

constexpr std::uint64_t FourGiB = std::uint64_t(1) << 32;

// One committed region above 4 GiB, released with the holder.
class HighMemory {
public:
    explicit HighMemory(std::size_t size) {
        if constexpr (sizeof(void*) == 8) {
            for (std::uint64_t at = 0x7'0000'0000; at < 0x7F'0000'0000 && !base_;
                 at += 0x1'0000'0000)
                base_ = VirtualAlloc(reinterpret_cast<void*>(static_cast<std::uintptr_t>(at)), size,
                                     MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~HighMemory() {
        if (base_)
            VirtualFree(base_, 0, MEM_RELEASE);
    }
    HighMemory(const HighMemory&) = delete;
    HighMemory& operator=(const HighMemory&) = delete;

    std::byte* Bytes() const { return static_cast<std::byte*>(base_); }

private:
    void* base_ = nullptr;
};

// A counting object whose instance and method table both lie above 4 GiB.
class HighObject {
public:
    static constexpr std::size_t Slots = 4; // QueryInterface, AddRef, Release, Probe

    explicit HighObject(const HighMemory& memory) {
        std::byte* table = memory.Bytes();
        object_ = new (table + 256) TestSupport::CountingObject();
        // The object's first word is its method table; copy the table up and point there.
        void** own = *reinterpret_cast<void***>(object_);
        std::memcpy(table, own, Slots * sizeof(void*));
        *reinterpret_cast<void***>(object_) = reinterpret_cast<void**>(table);
    }
    ~HighObject() { object_->~CountingObject(); }
    HighObject(const HighObject&) = delete;
    HighObject& operator=(const HighObject&) = delete;

    TestSupport::CountingObject& Object() const { return *object_; }
    PointerValue Pointer() const {
        return reinterpret_cast<PointerValue>(static_cast<IUnknown*>(object_));
    }

private:
    TestSupport::CountingObject* object_;
};

#define SKIP_BELOW_4GIB(memory)                                                                    \
    if (sizeof(void*) == 4)                                                                        \
        GTEST_SKIP() << "a 32-bit process has no addresses above 4 GiB";                           \
    if (!(memory).Bytes())                                                                         \
        GTEST_SKIP() << "no memory could be reserved above 4 GiB";

} // namespace

TEST(HighAddress, SlotCallsCarryWholeAddresses) {
    const HighMemory memory(0x10000);
    SKIP_BELOW_4GIB(memory);
    const HighObject high(memory);
    const PointerValue object = high.Pointer();
    ASSERT_GT(std::uint64_t{object}, FourGiB);

    // The instance itself, and reference counting through it.
    EXPECT_EQ(ObjectAddRef(object), 2);
    EXPECT_EQ(ObjectRelease(object), 1);

    // An address argument arrives whole.
    const auto argument = reinterpret_cast<PointerValue>(memory.Bytes() + 0x1234);
    VARIANT arguments[] = {AddressArgument(argument), NumberArgument(-1)};
    EXPECT_EQ(CallInterface(object, SlotOffset(3), 2, arguments).Value, S_OK);
    EXPECT_EQ(high.Object().probeFirst, argument);
    EXPECT_EQ(high.Object().probeSecond, 0xFFFFFFFFu);

    // A pointer that the method writes into the caller's out-cell comes back whole.
    {
        const ComReference queried = ObjectQueryInterface(object, IID_IUnknown);
        EXPECT_EQ(queried.Get(), object);
        EXPECT_EQ(high.Object().references(), 2);
    }
    EXPECT_EQ(high.Object().references(), 1);
}

TEST(HighAddress, ItemIDListsAboveFourGiBReachTheShellAndComeBack) {
    const HighMemory memory(0x10000);
    SKIP_BELOW_4GIB(memory);
    TestSupport::TempDirectory folder;
    const std::wstring target = TestSupport::WriteFile(folder / L"target.txt", "x");

    const FunctionShell::ItemIDList list(FunctionShell::ItemIDListFromName(target));
    ASSERT_TRUE(list);
    const UINT size = ILGetSize(reinterpret_cast<LPCITEMIDLIST>(list.Get()));
    std::memcpy(memory.Bytes(), reinterpret_cast<const void*>(list.Get()), size);
    const auto high = reinterpret_cast<PointerValue>(memory.Bytes());

    EXPECT_EQ(FunctionShell::NameFromItemIDList(high), target);
    const FunctionShell::ItemIDList copy(FunctionShell::CloneItemIDList(high));
    EXPECT_EQ(FunctionShell::NameFromItemIDList(copy.Get()), target);

    ShellLinkFile link;
    link.LinkTo(high);
    EXPECT_EQ(link.LinkToName(), target);
    EXPECT_EQ(link.LinkPath(), target);
}

#include "com/FunctionObject.h"
#include "base/ScopedBinding.h"
#include "tests/support/TestSupport.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace FunctionObject;

namespace {

constexpr std::int32_t ProbeOffset = SlotOffset(3);

PointerValue PointerOf(TestSupport::CountingObject& object) {
    return reinterpret_cast<PointerValue>(static_cast<IUnknown*>(&object));
}

// A class identifier that no server registers.
constexpr GUID UnregisteredClass = {
    0x5A1E0C0D, 0x7D2B, 0x4E55, {0x9A, 0x61, 0x3C, 0x0F, 0x11, 0x2B, 0x6E, 0x01}};

} // namespace

TEST(FunctionObject, ReferenceCountsBalance) {
    TestSupport::CountingObject object;
    PointerValue variable = PointerOf(object);
    EXPECT_EQ(ObjectAddRef(variable), 2);
    EXPECT_EQ(ObjectReleaseClear(variable), 1);
    EXPECT_EQ(variable, 0u);
    EXPECT_EQ(object.references(), 1);
}

TEST(FunctionObject, CallOnNoObjectCallsNothingAndLeavesMinusOne) {
    const PointerValue none = 0;
    VARIANT arguments[] = {NumberArgument(1), NumberArgument(2)};
    const CallResult noObject = CallInterface(none, ProbeOffset, 2, arguments);
    EXPECT_EQ(noObject.Value, 0);
    EXPECT_EQ(noObject.Status, -1);

    // Even a list that is too short is not looked at when there is no object.
    const CallResult tooShort = CallInterface(none, ProbeOffset, 5, arguments);
    EXPECT_EQ(tooShort.Value, 0);
    EXPECT_EQ(tooShort.Status, -1);

    EXPECT_EQ(ObjectAddRef(none), 0);
    EXPECT_EQ(ObjectRelease(none), 0);
    EXPECT_FALSE(ObjectDuplicate(none));
    EXPECT_FALSE(ObjectQueryInterface(none, IID_IUnknown));
    EXPECT_EQ(CallInterface(none, SlotOffset(0), 2, arguments).Status, -1);
}

TEST(FunctionObject, MethodFailureIsTheResultWhileTheDispatchSucceeded) {
    TestSupport::CountingObject object;
    const PointerValue variable = PointerOf(object);
    object.probeResult = E_ACCESSDENIED;
    VARIANT arguments[] = {NumberArgument(0x12345678), NumberArgument(-1)};

    const CallResult answer = CallInterface(variable, ProbeOffset, 2, arguments);
    EXPECT_EQ(answer.Value, E_ACCESSDENIED);
    EXPECT_EQ(answer.Status, S_OK);
    EXPECT_EQ(object.probeCalls, 1);
    EXPECT_EQ(object.probeFirst, 0x12345678u);
    EXPECT_EQ(object.probeSecond, 0xFFFFFFFFu);
}

TEST(FunctionObject, ShortArgumentArrivesWithItsUpperHalfClear) {
    TestSupport::CountingObject object;
    const PointerValue variable = PointerOf(object);
    // The dispatcher hands on the whole 4-byte value slot of a VT_I2 argument.
    VARIANT arguments[] = {ShortArgument(0x0203), AddressArgument(&object)};

    EXPECT_EQ(CallInterface(variable, ProbeOffset, 2, arguments).Value, S_OK);
    EXPECT_EQ(object.probeFirst, 0x0203u);
    EXPECT_EQ(object.probeSecond, reinterpret_cast<std::uintptr_t>(&object));
}

TEST(FunctionObject, TooFewArgumentsThrowBeforeAnyCall) {
    TestSupport::CountingObject object;
    const PointerValue variable = PointerOf(object);
    VARIANT arguments[] = {NumberArgument(1)};

    EXPECT_THROW(static_cast<void>(CallInterface(variable, ProbeOffset, 2, arguments)),
                 std::out_of_range);
    EXPECT_THROW(static_cast<void>(CallInterface(variable, ProbeOffset, 1, {})), std::out_of_range);
    EXPECT_EQ(object.probeCalls, 0);
    EXPECT_EQ(object.references(), 1);
}

TEST(FunctionObject, NoArgumentsNeedNoList) {
    TestSupport::CountingObject object;
    const PointerValue variable = PointerOf(object);
    constexpr std::int32_t addRefOffset = SlotOffset(1);
    constexpr std::int32_t releaseOffset = SlotOffset(2);

    const CallResult addRef = CallInterface(variable, addRefOffset, 0);
    EXPECT_EQ(addRef.Value, 2);
    EXPECT_EQ(addRef.Status, S_OK);
    EXPECT_EQ(CallInterface(variable, releaseOffset, 0, {}).Value, 1);
    EXPECT_EQ(object.addRefCalls(), 1);
    EXPECT_EQ(object.releaseCalls(), 1);
}

TEST(FunctionObject, QueryInterfaceGivesANewReferenceOrZero) {
    TestSupport::CountingObject object;
    const PointerValue variable = PointerOf(object);

    {
        const ComReference unknown = ObjectQueryInterface(variable, IID_IUnknown);
        EXPECT_EQ(unknown.Get(), variable);
        EXPECT_EQ(object.references(), 2);
    }
    EXPECT_EQ(object.references(), 1);

    EXPECT_FALSE(ObjectQueryInterface(variable, IID_IShellFolder));
    // The dispatch worked; the method said no.
    PointerValue unknown = 0;
    VARIANT arguments[] = {AddressArgument(&IID_IShellFolder), AddressArgument(&unknown)};
    const CallResult refused = CallInterface(variable, SlotOffset(0), 2, arguments);
    EXPECT_EQ(refused.Status, S_OK);
    EXPECT_EQ(refused.Value, E_NOINTERFACE);
    EXPECT_EQ(object.references(), 1);
}

TEST(FunctionObject, DuplicateAndReleaseClearRules) {
    TestSupport::CountingObject object;
    PointerValue variable = PointerOf(object);

    ComReference duplicate = ObjectDuplicate(variable);
    EXPECT_EQ(duplicate.Get(), variable);
    EXPECT_EQ(object.references(), 2);

    PointerValue second = duplicate.Release();
    EXPECT_EQ(ObjectRelease(second), 1);
    EXPECT_EQ(second, variable); // ObjectRelease leaves the variable as it was

    PointerValue none = 0;
    EXPECT_EQ(ObjectReleaseClear(none), 0);
    EXPECT_EQ(none, 0u);

    // The variable is cleared whatever the count left behind says.
    object.AddRef();
    EXPECT_EQ(ObjectReleaseClear(variable), 1);
    EXPECT_EQ(variable, 0u);
    EXPECT_EQ(object.addRefCalls(), object.releaseCalls());
}

TEST(FunctionObject, ComReferenceOwnsOneReference) {
    TestSupport::CountingObject object;
    {
        ComReference first = ObjectDuplicate(PointerOf(object));
        ComReference second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(object.references(), 2);
        second = ObjectDuplicate(PointerOf(object));
        EXPECT_EQ(object.references(), 2);
    }
    EXPECT_EQ(object.references(), 1);
}

TEST(FunctionObject, CreationStatusIsTheCreationResult) {
    const CreateResult link = CreateComObject(CLSID_ShellLink, IID_IUnknown);
    EXPECT_NE(link.Object.Get(), 0u);
    EXPECT_EQ(link.Status, S_OK);

    void* oracle = nullptr;
    const HRESULT expected =
        CoCreateInstance(UnregisteredClass, nullptr, CLSCTX_ALL, IID_IUnknown, &oracle);
    ASSERT_LT(expected, 0);
    const CreateResult unregistered = CreateComObject(UnregisteredClass, IID_IUnknown);
    EXPECT_EQ(unregistered.Object.Get(), 0u);
    EXPECT_EQ(unregistered.Status, expected);

    // A class that lacks the interface asked for.
    const CreateResult lacking = CreateComObject(CLSID_ShellLink, IID_IShellFolder);
    EXPECT_EQ(lacking.Object.Get(), 0u);
    EXPECT_EQ(lacking.Status, E_NOINTERFACE);
}

namespace {

const GUID* askedClass = nullptr;

HRESULT WINAPI FailingCreation(REFCLSID classId, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
    askedClass = &classId;
    *object = nullptr;
    return CO_E_SERVER_EXEC_FAILURE;
}

} // namespace

TEST(FunctionObject, CreationBindingLastsOneScope) {
    {
        const ScopedBinding binding(CreateInstanceCall(), &FailingCreation);
        const CreateResult failed = CreateComObject(CLSID_ShellLink, IID_IUnknown);
        EXPECT_EQ(failed.Object.Get(), 0u);
        EXPECT_EQ(failed.Status, CO_E_SERVER_EXEC_FAILURE);
        EXPECT_EQ(askedClass, &CLSID_ShellLink);
    }
    EXPECT_TRUE(CreateComObject(CLSID_ShellLink, IID_IUnknown).Object);
}

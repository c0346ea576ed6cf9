// Creates COM objects by class ID and calls interface methods by their slot in the
// method table through oleaut32's DispCallFunc: no interface is declared anywhere.
#pragma once

#include "base/Owned.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <span>

namespace FunctionObject {

// A pointer carried as a number: interface pointers and item ID list addresses.
// 0 means "no object". It is as wide as an address, and so is the argument type
// that carries it: VT_I4 in a 32-bit process, VT_I8 in a 64-bit one.
using PointerValue = std::uintptr_t;
static_assert(sizeof(PointerValue) == sizeof(void*));
inline constexpr VARTYPE AddressType = sizeof(void*) == 8 ? VT_I8 : VT_I4;

// Byte offset of a method in an interface's method table: one pointer per slot.
constexpr std::int32_t SlotOffset(std::int32_t Slot) {
    return Slot * static_cast<std::int32_t>(sizeof(void*));
}

// Argument list elements. Each starts zeroed: the dispatcher passes the whole value
// slot of a VT_I2 argument, so stale upper bytes would reach the method.
VARIANT AddressArgument(const void* address);
VARIANT AddressArgument(PointerValue address);
VARIANT NumberArgument(std::int32_t value);
VARIANT ShortArgument(std::int16_t value);

// A method's 32-bit result with the status of its dispatch: S_OK when the method was
// reached, -1 when there was no object to call.
struct [[nodiscard]] CallResult {
    std::int32_t Value = 0;
    HRESULT Status = -1;
};

// True when the call reached its method and the method answered S_OK; a failed
// dispatch answers 0 as well, so the value alone proves nothing.
inline bool MethodSucceeded(const CallResult& Result) {
    return SUCCEEDED(Result.Status) && Result.Value == S_OK;
}

// CoCreateInstance as CreateComObject calls it. A test swaps it for one scope
// (ScopedBinding) to see which class is asked for, or to make creation fail.
using CreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
CreateInstanceFunction& CreateInstanceCall();

// DispCallFunc as CallInterface calls it; a test swaps it to make a dispatch fail.
using DispatchFunction = HRESULT(WINAPI*)(void*, ULONG_PTR, CALLCONV, VARTYPE, UINT, VARTYPE*,
                                          VARIANTARG**, VARIANT*);
DispatchFunction& DispatchCall();

// Calls the method at VtableOffset (SlotOffset of its slot) of Object with the first
// ArgumentCount elements of Arguments, passed in place. The value is 0 when Object is
// 0 or the dispatch failed. Throws std::out_of_range when Arguments holds fewer than
// ArgumentCount elements (a caller error; nothing is called).
CallResult CallInterface(const PointerValue& Object, std::int32_t VtableOffset,
                         std::int32_t ArgumentCount, std::span<VARIANT> Arguments = {});

std::int32_t ObjectAddRef(const PointerValue& Object);
std::int32_t ObjectRelease(const PointerValue& Object);
std::int32_t ObjectReleaseClear(PointerValue& Object);

// One interface reference.
using ComReference = Owned<PointerValue, &ObjectReleaseClear, Ownership::Counted>;

// A new reference, owned by the caller: the object's answer to QueryInterface (empty
// when it has no such interface), or one more reference to the same object.
[[nodiscard]] ComReference ObjectQueryInterface(const PointerValue& Object,
                                                const GUID& InterfaceId);
[[nodiscard]] ComReference ObjectDuplicate(const PointerValue& Object);

// A new object with the status of its creation; empty when creation failed.
struct [[nodiscard]] CreateResult {
    ComReference Object;
    HRESULT Status = -1;
};

CreateResult CreateComObject(const GUID& ClassId, const GUID& InterfaceId);

} // namespace FunctionObject

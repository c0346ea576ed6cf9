// Creates COM objects by class ID and calls interface methods by their slot in the
// method table through oleaut32's DispCallFunc: no interface is declared anywhere.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <span>
#include <utility>

namespace FunctionObject {

// A pointer carried as a number: interface pointers and item ID list addresses.
// 0 means "no object". A 64-bit build changes this alias and AddressArgument only.
using PointerValue = std::uintptr_t;
static_assert(sizeof(PointerValue) == sizeof(void*));

// Argument list elements. Each starts zeroed: Wine's dispatcher passes the whole
// 4-byte value slot of a VT_I2 argument, so stale upper bytes would reach the method.
VARIANT AddressArgument(const void* address);
VARIANT AddressArgument(PointerValue address);
VARIANT NumberArgument(std::int32_t value);
VARIANT ShortArgument(std::int16_t value);

// Status of the last creation or dispatch; 0 at start, -1 after a call on no object.
HRESULT LastHResult();

PointerValue CreateComObject(const GUID& ClassId, const GUID& InterfaceId);

// CoCreateInstance as CreateComObject calls it. A test swaps it for one scope
// (ScopedBinding) to see which class is asked for, or to make creation fail.
using CreateInstanceFunction = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
CreateInstanceFunction& CreateInstanceCall();

// Calls the method at VtableOffset (slot x 4) of Object with the first ArgumentCount
// elements of Arguments, passed in place. Returns the method's 32-bit result, or 0
// when Object is 0 or the dispatch failed. Throws std::out_of_range when Arguments
// holds fewer than ArgumentCount elements (a caller error; nothing is called).
std::int32_t CallInterface(const PointerValue& Object, std::int32_t VtableOffset,
                           std::int32_t ArgumentCount, std::span<VARIANT> Arguments = {});

PointerValue ObjectQueryInterface(const PointerValue& Object, const GUID& InterfaceId);
std::int32_t ObjectAddRef(const PointerValue& Object);
std::int32_t ObjectRelease(const PointerValue& Object);
PointerValue ObjectDuplicate(const PointerValue& Object);
std::int32_t ObjectReleaseClear(PointerValue& Object);

// Owns one PointerValue and gives it back, when it goes or is replaced, with the
// owner's own operation, which also sets the variable to 0.
template <auto ReleaseClear> class OwnedPointer {
public:
    OwnedPointer() = default;
    explicit OwnedPointer(PointerValue owned) : pointer_(owned) {}
    OwnedPointer(const OwnedPointer&) = delete;
    OwnedPointer& operator=(const OwnedPointer&) = delete;
    OwnedPointer(OwnedPointer&& other) noexcept : pointer_(other.Release()) {}
    OwnedPointer& operator=(OwnedPointer&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~OwnedPointer() { ReleaseClear(pointer_); }

    // The variable that the operations taking the caller's variable read.
    const PointerValue& Variable() const { return pointer_; }
    PointerValue Get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != 0; }

    // Gives back what is held, then takes over `owned`.
    void Reset(PointerValue owned = 0) {
        ReleaseClear(pointer_);
        pointer_ = owned;
    }
    // Hands what is held to the caller, who then owns it.
    PointerValue Release() { return std::exchange(pointer_, 0); }

private:
    PointerValue pointer_ = 0;
};

// One interface reference.
using ComReference = OwnedPointer<&ObjectReleaseClear>;

} // namespace FunctionObject

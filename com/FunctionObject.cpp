#include "com/FunctionObject.h"

#include "base/ScopedBinding.h"

#include <stdexcept>
#include <vector>

namespace FunctionObject {

namespace {

// Slots of IUnknown, as byte offsets into the method table.
constexpr std::int32_t QueryInterfaceOffset = SlotOffset(0);
constexpr std::int32_t AddRefOffset = SlotOffset(1);
constexpr std::int32_t ReleaseOffset = SlotOffset(2);

// In-process server, in-process handler, local server and remote server.
constexpr DWORD AnyClassContext = 0x17;

VARIANT ZeroedVariant(VARTYPE type) {
    VARIANT argument;
    ZeroMemory(&argument, sizeof argument);
    argument.vt = type;
    return argument;
}

} // namespace

VARIANT AddressArgument(const void* address) {
    return AddressArgument(reinterpret_cast<PointerValue>(address));
}

VARIANT AddressArgument(PointerValue address) {
    VARIANT argument = ZeroedVariant(AddressType);
    if constexpr (AddressType == VT_I8)
        argument.llVal = static_cast<LONGLONG>(address);
    else
        argument.lVal = static_cast<LONG>(address);
    return argument;
}

VARIANT NumberArgument(std::int32_t value) {
    VARIANT argument = ZeroedVariant(VT_I4);
    argument.lVal = value;
    return argument;
}

VARIANT ShortArgument(std::int16_t value) {
    VARIANT argument = ZeroedVariant(VT_I2);
    argument.iVal = value;
    return argument;
}

CreateInstanceFunction& CreateInstanceCall() {
    return BindingOf<&CoCreateInstance>();
}

DispatchFunction& DispatchCall() {
    return BindingOf<&DispCallFunc>();
}

CreateResult CreateComObject(const GUID& ClassId, const GUID& InterfaceId) {
    void* created = nullptr;
    const HRESULT status =
        CreateInstanceCall()(ClassId, nullptr, AnyClassContext, InterfaceId, &created);
    return {ComReference(SUCCEEDED(status) ? reinterpret_cast<PointerValue>(created) : 0), status};
}

CallResult CallInterface(const PointerValue& Object, std::int32_t VtableOffset,
                         std::int32_t ArgumentCount, std::span<VARIANT> Arguments) {
    if (Object == 0)
        return {};
    if (ArgumentCount < 0 || Arguments.size() < static_cast<std::size_t>(ArgumentCount))
        throw std::out_of_range("CallInterface: fewer arguments than ArgumentCount");

    // The dispatcher always gets valid list addresses, even for no arguments.
    const std::size_t entries = ArgumentCount > 0 ? static_cast<std::size_t>(ArgumentCount) : 1;
    std::vector<VARTYPE> types(entries, 0);
    std::vector<VARIANTARG*> pointers(entries, nullptr);
    for (std::int32_t i = 0; i < ArgumentCount; ++i) {
        types[i] = Arguments[i].vt;
        pointers[i] = &Arguments[i];
    }

    VARIANT result;
    VariantInit(&result);
    const HRESULT status =
        DispatchCall()(reinterpret_cast<void*>(Object), VtableOffset, CC_STDCALL, VT_I4,
                       static_cast<UINT>(ArgumentCount), types.data(), pointers.data(), &result);
    const std::int32_t value = SUCCEEDED(status) ? result.lVal : 0;
    VariantClear(&result);
    return {value, status};
}

ComReference ObjectQueryInterface(const PointerValue& Object, const GUID& InterfaceId) {
    PointerValue queried = 0;
    VARIANT arguments[] = {AddressArgument(&InterfaceId), AddressArgument(&queried)};
    const bool answered = CallInterface(Object, QueryInterfaceOffset, 2, arguments).Value >= 0;
    return ComReference(answered ? queried : 0);
}

std::int32_t ObjectAddRef(const PointerValue& Object) {
    return CallInterface(Object, AddRefOffset, 0).Value;
}

std::int32_t ObjectRelease(const PointerValue& Object) {
    return CallInterface(Object, ReleaseOffset, 0).Value;
}

ComReference ObjectDuplicate(const PointerValue& Object) {
    ObjectAddRef(Object);
    return ComReference(Object);
}

std::int32_t ObjectReleaseClear(PointerValue& Object) {
    const std::int32_t result = ObjectRelease(Object);
    Object = 0;
    return result;
}

} // namespace FunctionObject

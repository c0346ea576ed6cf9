// The one owner of the project: holds a value (an interface pointer, an item ID list,
// a window system handle) and gives it back, when it goes or is replaced, with the
// owner's own operation, which takes the holder's variable and leaves it empty.
#pragma once

#include <utility>

// Sole: the value is the one claim on what it names (a memory block, a handle), so the
// same value handed in again is what is held already. Counted: each value handed in
// carries a reference of its own (an interface pointer), even when it equals the one held.
enum class Ownership { Sole, Counted };

template <typename Value, auto ReleaseClear, Ownership Kind = Ownership::Sole> class Owned {
public:
    Owned() = default;
    explicit Owned(Value owned) : value_(owned) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~Owned() { ReleaseClear(value_); }

    // The variable that operations taking the caller's variable read.
    const Value& Variable() const { return value_; }
    Value Get() const { return value_; }
    // For a held interface pointer: its methods.
    Value operator->() const { return value_; }
    explicit operator bool() const { return value_ != Value{}; }

    // Gives back what is held, then takes over `owned`. A sole owner handed what it holds
    // already keeps it as it is: freed, it would be kept freed.
    void Reset(Value owned = Value{}) {
        if constexpr (Kind == Ownership::Sole)
            if (owned != Value{} && owned == value_)
                return;
        ReleaseClear(value_);
        value_ = owned;
    }
    // Hands what is held to the caller, who then owns it.
    Value Release() { return std::exchange(value_, Value{}); }
    // Gives back what is held and lends the empty variable to a call that fills it.
    Value* Put() {
        Reset();
        return &value_;
    }

private:
    Value value_{};
};

// A typed interface pointer of the platform's own (IDataObject*, IPicture*): one
// reference, given back with Release.
template <typename Interface> void ReleaseInterface(Interface*& held) {
    if (held != nullptr)
        std::exchange(held, nullptr)->Release();
}
template <typename Interface>
using InterfaceReference = Owned<Interface*, &ReleaseInterface<Interface>, Ownership::Counted>;

// A handle of the window system, given back with Destroy.
template <typename Handle, auto Destroy> void ReleaseHandle(Handle& handle) {
    if (handle)
        Destroy(handle);
    handle = nullptr;
}
template <typename Handle, auto Destroy>
using UniqueHandle = Owned<Handle, &ReleaseHandle<Handle, Destroy>>;

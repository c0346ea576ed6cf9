// Platform calls that tests must observe or make fail are made through a binding: a
// function pointer that starts as the platform's own function. A test swaps one
// binding for the length of a scope; nothing else writes to it.
#pragma once

#include <utility>

// The binding of one platform function, made once and bound to the function itself.
template <auto Platform> auto& BindingOf() {
    static auto call = Platform;
    return call;
}

template <typename Function> class ScopedBinding {
public:
    ScopedBinding(Function& binding, Function replacement)
        : binding_(binding), saved_(std::exchange(binding, replacement)) {}
    ScopedBinding(const ScopedBinding&) = delete;
    ScopedBinding& operator=(const ScopedBinding&) = delete;
    ~ScopedBinding() { binding_ = saved_; }

    // The function bound before this scope (the platform's, normally).
    Function Previous() const { return saved_; }

private:
    Function& binding_;
    Function saved_;
};

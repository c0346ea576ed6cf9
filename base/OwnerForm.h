// The owner of a system dialog: a counted reference to a form of the application,
// of which only the window handle is read, when the dialog is shown.
#pragma once

#include "base/Trace.h"

#include <windows.h>

#include <memory>

class OwnerForm {
public:
    virtual ~OwnerForm() = default;
    // The form's window; may throw or answer nullptr when it has none.
    virtual HWND WindowHandle() const = 0;
};

using FormReference = std::shared_ptr<OwnerForm>;

// The owner's window handle; nullptr for no owner or a failed read.
inline HWND OwnerWindowHandle(const FormReference& owner) noexcept {
    if (!owner)
        return nullptr;
    // A form that cannot say its window must not stop the dialog: it opens ownerless.
    try {
        return owner->WindowHandle();
    } catch (...) {
        TraceFailure(L"reading the dialog owner's window");
        return nullptr;
    }
}

#include "dialogs/DialogOwner.h"

HWND OwnerWindowHandle(const FormReference& owner) noexcept {
    if (!owner)
        return nullptr;
    // A form that cannot say its window must not stop the dialog: it opens ownerless.
    try {
        return owner->WindowHandle();
    } catch (...) {
        return nullptr;
    }
}

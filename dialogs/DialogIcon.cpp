#include "dialogs/DialogIcon.h"
#include "dialogs/DialogPlatform.h"
#include "dialogs/DialogText.h"
#include "shell/FunctionShell.h"

#include <span>

namespace {

constexpr std::size_t PathCapacity = 1024;

} // namespace

FunctionShell::Picture DialogIcon::IconAsPicture() const {
    return FunctionShell::IconPictureFromFile(FileName, Index);
}

bool DialogIcon::DialogShowModal() {
    const bool wide = FunctionShell::IsWindowsNT();
    std::vector<wchar_t> widePath;
    std::vector<char> ansiPath;
    void* path = nullptr;
    if (wide) {
        widePath = DialogText::WideBuffer(FileName, PathCapacity);
        path = widePath.data();
    } else {
        ansiPath = DialogText::AnsiBuffer(FileName, PathCapacity);
        path = ansiPath.data();
    }
    int index = Index;

    // A positive answer is OK; 0 is cancel, and Wine's stub answers -1 without a dialog.
    if (DialogPlatform::PickIconCall()(OwnerWindowHandle(Owner), path, PathCapacity, &index) <= 0)
        return false;
    FileName = wide ? FunctionShell::StringFromBuffer(std::as_bytes(std::span(widePath)), true)
                    : FunctionShell::StringFromBuffer(std::as_bytes(std::span(ansiPath)), false);
    Index = index;
    return true;
}

#include "dialogs/DialogFolder.h"
#include "dialogs/DialogFolderFunction.h"
#include "dialogs/DialogPlatform.h"
#include "shell/FunctionShell.h"

#include <array>

namespace {

// The shell writes up to MAX_PATH characters of display name here.
constexpr std::size_t DisplayNameSize = FunctionShell::AnsiCapacity(MAX_PATH);
void TakeSpecialFolder(FunctionShell::ItemIDList& held, std::int32_t specialFolder) {
    held.Reset();
    held = FunctionShell::SpecialFolderItemIDList(specialFolder);
}

void TakeListOfName(FunctionShell::ItemIDList& held, std::wstring_view name) {
    held.Reset();
    held = FunctionShell::ItemIDListFromName(name, 0);
}

std::wstring NameOf(FunctionObject::PointerValue list) {
    // The desktop's GetDisplayNameOf has no defined answer for a null list.
    return list != 0 ? FunctionShell::NameFromItemIDList(list, 0) : std::wstring();
}

} // namespace

bool DialogFolder::DialogShowModal() {
    std::array<char, DisplayNameSize> displayName{};

    BROWSEINFOA parameters;
    ZeroMemory(&parameters, sizeof parameters);
    parameters.hwndOwner = OwnerWindowHandle(Owner);
    parameters.pidlRoot = reinterpret_cast<LPCITEMIDLIST>(Root.Get());
    parameters.pszDisplayName = displayName.data();
    parameters.ulFlags = Flags;
    parameters.lpfn = DialogFolderFunction::FolderDialogCallback;
    parameters.lParam = reinterpret_cast<LPARAM>(this);

    FunctionShell::ItemIDList chosen(
        reinterpret_cast<PointerValue>(DialogPlatform::BrowseForFolderCall()(&parameters)));
    if (!chosen)
        return false;
    Selected = std::move(chosen);
    return true;
}

FunctionShell::ItemIDList DialogFolder::FolderPIDL() const {
    return FunctionShell::CloneItemIDList(Selected.Get());
}

void DialogFolder::FolderPIDL(FunctionShell::ItemIDList NewPIDL) {
    Selected = std::move(NewPIDL); // the list held, written back, stays as it is
}

void DialogFolder::FolderPIDL(std::int32_t NewSpecialFolder) {
    TakeSpecialFolder(Selected, NewSpecialFolder);
}

std::wstring DialogFolder::FolderName() const {
    return NameOf(Selected.Get());
}

void DialogFolder::FolderName(std::wstring_view NewName) {
    TakeListOfName(Selected, NewName);
}

std::wstring DialogFolder::FolderPath() const {
    return FunctionShell::PathFromItemIDList(Selected.Get());
}

FunctionShell::ItemIDList DialogFolder::FolderRootPIDL() const {
    return FunctionShell::CloneItemIDList(Root.Get());
}

void DialogFolder::FolderRootPIDL(FunctionShell::ItemIDList NewPIDL) {
    Root = std::move(NewPIDL);
}

void DialogFolder::FolderRootPIDL(std::int32_t NewSpecialFolder) {
    TakeSpecialFolder(Root, NewSpecialFolder);
}

std::wstring DialogFolder::FolderRootName() const {
    return NameOf(Root.Get());
}

void DialogFolder::FolderRootName(std::wstring_view NewName) {
    TakeListOfName(Root, NewName);
}

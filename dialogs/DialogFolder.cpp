#include "dialogs/DialogFolder.h"
#include "dialogs/DialogFolderFunction.h"
#include "dialogs/DialogPlatform.h"
#include "shell/FunctionShell.h"

#include <array>

namespace {

// The shell writes up to MAX_PATH characters of display name here.
constexpr std::size_t DisplayNameSize = FunctionShell::AnsiCapacity(MAX_PATH);
constexpr FunctionObject::PointerValue LastSpecialFolder = 0xFFFF;

// Frees the list held so far and takes over the new one; numbers up to 0xFFFF name
// special folders.
void TakeList(FunctionShell::ItemIDList& held, FunctionObject::PointerValue newList) {
    // Writing back the list already held would free it and then keep it.
    if (newList == held.Get() && newList > LastSpecialFolder)
        return;
    held.Reset();
    if (newList <= LastSpecialFolder)
        held = FunctionShell::SpecialFolderItemIDList(static_cast<std::int32_t>(newList));
    else
        held.Reset(newList);
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

DialogFolder::PointerValue DialogFolder::FolderPIDL() const {
    return FunctionShell::CloneItemIDList(Selected.Get()).Release();
}

void DialogFolder::FolderPIDL(PointerValue NewPIDL) {
    TakeList(Selected, NewPIDL);
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

DialogFolder::PointerValue DialogFolder::FolderRootPIDL() const {
    return FunctionShell::CloneItemIDList(Root.Get()).Release();
}

void DialogFolder::FolderRootPIDL(PointerValue NewPIDL) {
    TakeList(Root, NewPIDL);
}

std::wstring DialogFolder::FolderRootName() const {
    return NameOf(Root.Get());
}

void DialogFolder::FolderRootName(std::wstring_view NewName) {
    TakeListOfName(Root, NewName);
}

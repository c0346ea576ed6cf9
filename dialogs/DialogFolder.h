// The shell's folder browser. Owns the item ID lists of the selected folder and of
// the root of the tree.
#pragma once

#include "base/OwnerForm.h"
#include "shell/FunctionShell.h"

#include <cstdint>
#include <string>
#include <string_view>

class DialogFolder {
public:
    using PointerValue = FunctionObject::PointerValue;

    DialogFolder() = default;
    DialogFolder(const DialogFolder&) = delete;
    DialogFolder& operator=(const DialogFolder&) = delete;

    const FormReference& DialogOwner() const { return Owner; }
    void DialogOwner(FormReference NewOwner) { Owner = std::move(NewOwner); }
    bool DialogShowModal();
    std::uint32_t DialogFlags() const { return Flags; }
    void DialogFlags(std::uint32_t NewFlags) { Flags = NewFlags; }
    const std::wstring& DialogTitle() const { return Title; }
    void DialogTitle(std::wstring_view NewTitle) { Title = NewTitle; }

    // Read: a new copy owned by the caller. Write: 0 to 0xFFFF is a special-folder
    // number (CSIDL); any other value is a list that this object takes over.
    PointerValue FolderPIDL() const;
    void FolderPIDL(PointerValue NewPIDL);
    std::wstring FolderName() const;
    void FolderName(std::wstring_view NewName);
    std::wstring FolderPath() const;
    PointerValue FolderRootPIDL() const;
    void FolderRootPIDL(PointerValue NewPIDL);
    std::wstring FolderRootName() const;
    void FolderRootName(std::wstring_view NewName);

private:
    FunctionShell::ItemIDList Selected;
    FunctionShell::ItemIDList Root;
    std::wstring Title;
    std::uint32_t Flags = 0;
    FormReference Owner;
};

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

    // Read: a new copy, the caller's. Write: a list, which this object takes over, or
    // a special-folder number (CSIDL, 0 to 0xFFFF). A bare list address is neither: it
    // would be read as a number, and the list lost.
    [[nodiscard]] FunctionShell::ItemIDList FolderPIDL() const;
    void FolderPIDL(FunctionShell::ItemIDList NewPIDL);
    void FolderPIDL(std::int32_t NewSpecialFolder);
    void FolderPIDL(PointerValue) = delete;
    std::wstring FolderName() const;
    void FolderName(std::wstring_view NewName);
    std::wstring FolderPath() const;
    [[nodiscard]] FunctionShell::ItemIDList FolderRootPIDL() const;
    void FolderRootPIDL(FunctionShell::ItemIDList NewPIDL);
    void FolderRootPIDL(std::int32_t NewSpecialFolder);
    void FolderRootPIDL(PointerValue) = delete;
    std::wstring FolderRootName() const;
    void FolderRootName(std::wstring_view NewName);

private:
    FunctionShell::ItemIDList Selected;
    FunctionShell::ItemIDList Root;
    std::wstring Title;
    std::uint32_t Flags = 0;
    FormReference Owner;
};

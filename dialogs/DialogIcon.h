// The shell's icon picker (PickIconDlg, shell32 ordinal 62).
#pragma once

#include "base/OwnerForm.h"
#include "shell/IconPictures.h"

#include <cstdint>
#include <string>
#include <string_view>

class DialogIcon {
public:
    const FormReference& DialogOwner() const { return Owner; }
    void DialogOwner(FormReference NewOwner) { Owner = std::move(NewOwner); }
    const std::wstring& IconFileName() const { return FileName; }
    void IconFileName(std::wstring_view NewName) { FileName = NewName; }
    std::int32_t IconIndex() const { return Index; }
    void IconIndex(std::int32_t NewIndex) { Index = NewIndex; }
    // A new picture of icon IconIndex of IconFileName on each read.
    FunctionShell::Picture IconAsPicture() const;
    bool DialogShowModal();

private:
    FormReference Owner;
    std::wstring FileName = L"shell32.dll";
    std::int32_t Index = 0;
};

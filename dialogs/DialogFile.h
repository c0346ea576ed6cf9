// The Open and Save As common dialogs (ANSI entry points).
#pragma once

#include "base/OwnerForm.h"

#include <cstdint>
#include <string>
#include <string_view>

class DialogFile {
public:
    const FormReference& DialogOwner() const { return Owner; }
    void DialogOwner(FormReference NewOwner) { Owner = std::move(NewOwner); }
    bool DialogShowModal(bool UseSaveDialog);
    const std::wstring& DialogTitle() const { return Title; }
    void DialogTitle(std::wstring_view NewTitle) { Title = NewTitle; }
    std::uint32_t DialogFlags() const { return Flags; }
    void DialogFlags(std::uint32_t NewFlags) { Flags = NewFlags; }
    const std::wstring& FileName() const { return Name; }
    void FileName(std::wstring_view NewName) { Name = NewName; }
    const std::wstring& FileDirectory() const { return Directory; }
    void FileDirectory(std::wstring_view NewDirectory) { Directory = NewDirectory; }
    // Pairs of description and pattern list, each followed by one NUL.
    const std::wstring& FileFilter() const { return Filter; }
    void FileFilter(std::wstring_view NewFilter) { Filter = NewFilter; }
    std::int32_t FileFilterIndex() const { return FilterIndex; }
    void FileFilterIndex(std::int32_t NewIndex) { FilterIndex = NewIndex; }

private:
    std::wstring Name;
    std::wstring Filter;
    std::wstring Directory;
    std::wstring Title;
    std::uint32_t Flags = 0;
    std::int32_t FilterIndex = 0;
    FormReference Owner;
};

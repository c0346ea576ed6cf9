#include "dialogs/DialogFile.h"
#include "dialogs/DialogPlatform.h"
#include "dialogs/DialogText.h"
#include "shell/FunctionShell.h"

#include <cstddef>
#include <span>

namespace {

// As much as 2048 UTF-16 units would hold.
constexpr std::size_t FileBufferSize = FunctionShell::AnsiCapacity(2048);

// The structure without the Windows 2000 members, which every system accepts.
constexpr DWORD StructureSize = offsetof(OPENFILENAMEA, pvReserved);

constexpr DWORD OpenFlags = OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
constexpr DWORD SaveFlags =
    OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;

} // namespace

bool DialogFile::DialogShowModal(bool UseSaveDialog) {
    std::vector<char> file = DialogText::AnsiBuffer(Name, FileBufferSize);
    std::vector<char> directory = DialogText::AnsiTerminated(Directory);
    // The list ends with an empty string: one NUL closes it, a second keeps the dialog
    // inside the buffer when the caller left the last pattern list unterminated.
    std::vector<char> filter = DialogText::DisplayTerminated(Filter, 2);
    std::vector<char> title = DialogText::DisplayTerminated(Title);

    OPENFILENAMEA parameters;
    ZeroMemory(&parameters, sizeof parameters);
    parameters.lStructSize = StructureSize;
    parameters.hwndOwner = OwnerWindowHandle(Owner);
    parameters.lpstrFilter = filter.data();
    parameters.nFilterIndex = static_cast<DWORD>(FilterIndex);
    parameters.lpstrFile = file.data();
    parameters.nMaxFile = static_cast<DWORD>(file.size());
    parameters.lpstrInitialDir = directory.data();
    parameters.lpstrTitle = title.data();
    parameters.Flags = Flags | (UseSaveDialog ? SaveFlags : OpenFlags);

    const auto show = UseSaveDialog ? DialogPlatform::GetSaveFileNameCall()
                                    : DialogPlatform::GetOpenFileNameCall();
    if (!show(&parameters))
        return false;
    Name = FunctionShell::StringFromBuffer(std::as_bytes(std::span(file)), false);
    return true;
}

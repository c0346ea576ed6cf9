// What the editor reads out of OLE drag data: the shell's "Shell IDList Array"
// format and the dropped file list.
#pragma once

#include "shell/FunctionShell.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>

namespace FunctionShell {

// Low 16 bits of the registered format number (negative as a 16-bit value); 0 when
// it cannot be registered.
std::int16_t ShellIDListFormat();
// New absolute item ID list of the first dragged item; empty when the data offers no
// well-formed "Shell IDList Array".
[[nodiscard]] ItemIDList ItemIDListFromData(IDataObject* Data);
// First name of the data's file list (CF_HDROP); empty when there is none.
std::wstring FileNameFromData(IDataObject* Data);

} // namespace FunctionShell

// What the form's files share: its window class, the message of its posted work, the
// count of loaded forms that keeps the message loop running.
#pragma once

#include "toolkit/Form.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

namespace Toolkit {

LRESULT CALLBACK FormWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace FormShared {

inline constexpr wchar_t FormClassName[] = L"TarnwickForm";
inline constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr DWORD FormExtendedStyle = WS_EX_CONTROLPARENT;

// Posted to the form's own window: prepare for the user, then run what was posted.
inline constexpr UINT PostedWorkMessage = WM_USER + 0x100;

// Forms loaded now: the message loop runs while there is one.
inline int loadedForms = 0;

inline Form* FormOfWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    wchar_t name[std::size(FormClassName) + 1] = {};
    if (GetClassNameW(window, name, static_cast<int>(std::size(name))) == 0 ||
        std::wcscmp(name, FormClassName) != 0)
        return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

inline bool TakesFocus(HWND control) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

} // namespace FormShared

} // namespace Toolkit

// Shows the editor window with a sample shortcut loaded and a new link target chosen
// through its browse button, for scripts/screenshot:
// writes the window's screen rectangle to the first file named on the command line,
// then keeps the window up until the second file appears (at most 30 seconds).
#include "editor/frmMain.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/TestSupport.h"

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

bool Exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        Toolkit::DoEvents();
        Sleep(20);
    }
}

int Show(const wchar_t* rectangleFile, const wchar_t* doneFile) {
    const TestSupport::TempDirectory folder;
    const bool japanese = TestSupport::AnsiCodePageIs932();
    const std::wstring target = TestSupport::WriteFile(
        folder / (japanese ? L"月次報告書.txt" : L"Monthly report.txt"), "report");
    TestSupport::ShortcutFields fields;
    fields.target = target;
    fields.arguments = L"/print";
    fields.directory = folder.Path().wstring();
    fields.description = japanese ? L"毎月の報告書です" : L"The monthly report";
    fields.iconPath = L"shell32.dll";
    fields.iconIndex = 1;
    const std::wstring link = folder / (japanese ? L"報告書.lnk" : L"Report.lnk");
    if (!TestSupport::WriteShortcut(link, fields))
        return 1;

    auto editor = frmMain::Create();
    editor->txtText(0).Text(link);
    editor->Show();
    const std::wstring chosen = TestSupport::WriteFile(
        folder / (japanese ? L"年次報告書.txt" : L"Yearly report.txt"), "report");
    TestSupport::DialogDriver driver({[&chosen](HWND dialog) {
        TestSupport::TypeFileName(dialog, chosen);
        TestSupport::PressButton(dialog, IDOK);
    }});
    editor->cmdBrowse_Click(2);
    driver.Finished();
    editor->txtText(1).SetFocus();
    Pump(1500);

    RECT bounds{};
    GetWindowRect(editor->WindowHandle(), &bounds);
    {
        std::ofstream out(rectangleFile);
        out << bounds.left << ' ' << bounds.top << ' ' << bounds.right - bounds.left << ' '
            << bounds.bottom - bounds.top << '\n';
    }
    for (int waited = 0; waited < 30000 && !Exists(doneFile); waited += 100)
        Pump(100);
    editor->Unload();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: editor_screenshot RECTANGLE-FILE DONE-FILE\n", stderr);
        return 2;
    }
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    const int result = Show(argv[1], argv[2]);
    OleUninitialize();
    return result;
}

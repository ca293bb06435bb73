#include "pages/browse_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include "resource.h"
#include "shell/globals.h"

FixedText<256> BrowseBuffer;

namespace {

// The size of the request as Windows 95 knows it: 76 bytes on i686 (the
// pointer-sized fields make it larger in the x86-64 flavour).
constexpr DWORD OpenFileNameSize95 = sizeof(OPENFILENAME_NT4A);
static_assert(sizeof(void*) != 4 || OpenFileNameSize95 == 76, "the Windows 95 request size");

// The edit field's text on OK: at most 79 characters.
void TakeEditText(HWND dialog)
{
    char text[80] = "";
    GetDlgItemTextA(dialog, IDC_DIRECTORY, text, sizeof text);
    BrowseBuffer.assign(text);
}

// The dialog makes the directory the user opens the current one.
void ShowCurrentDirectory(HWND dialog)
{
    char directory[256];
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length != 0 && length < sizeof directory) BrowseBuffer.assign(directory);
    SetDlgItemTextA(dialog, IDC_DIRECTORY, BrowseBuffer);
}

void ShowBrowseBuffer(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_DIRECTORY);
    SetWindowTextA(edit, BrowseBuffer);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

void FollowSelection(HWND dialog, WPARAM wParam)
{
    WORD control = LOWORD(wParam);
    WORD notification = HIWORD(wParam);
    if (control == IDOK) TakeEditText(dialog);
    else if (control == lst2 && (notification == LBN_SELCHANGE || notification == LBN_DBLCLK))
        PostMessageA(dialog, WM_BROWSE_CWD, 0, 0);
    else if (control == cmb2 && notification == CBN_SELCHANGE)
        PostMessageA(dialog, WM_BROWSE_CWD, 0, 0);
}

}  // namespace

// Every message goes on to the dialog's own processing (the result is 0).
UINT_PTR CALLBACK BrowseHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        BrowseBuffer.assign(InstallDir);
        PostMessageA(dialog, WM_BROWSE_SHOW, 0, 0);
        break;
    case WM_BROWSE_SHOW:
        ShowBrowseBuffer(dialog);
        break;
    case WM_BROWSE_CWD:
        ShowCurrentDirectory(dialog);
        break;
    case WM_COMMAND:
        FollowSelection(dialog, wParam);
        break;
    }
    return 0;
}

void BrowseForDirectory(HWND page)
{
    // The dialog writes the full path of the dummy file here on OK, and
    // refuses OK when it does not fit; the directory is never taken from it.
    static char fileName[MAX_PATH];
    lstrcpynA(fileName, "12345678.ABC", sizeof fileName);

    OPENFILENAMEA request = {};
    request.lStructSize = OpenFileNameSize95;
    request.hwndOwner = page;
    request.hInstance = Instance;
    request.lpstrFile = fileName;
    request.nMaxFile = sizeof fileName;
    request.lpstrInitialDir = "C:\\";
    request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_NOVALIDATE;
    request.lpfnHook = BrowseHookProc;
    request.lpTemplateName = MAKEINTRESOURCEA(IDD_BROWSE);
    if (GetOpenFileNameA(&request)) InstallDir.assign(BrowseBuffer);
}

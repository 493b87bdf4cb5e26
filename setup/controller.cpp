/*
 * The dialog controller: all of the setup's work happens inside this one
 * procedure, on the thread that runs the dialog's modal loop.
 */
#include <windows.h>
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

void InitDialog(HWND dialog)
{
    Busy = 0;
    Stage = 0;
    SetWindowTextA(dialog, SetupTitle);
    SendDlgItemMessageA(dialog, CTL_DIRECTORY, EM_LIMITTEXT, PathSize, 0);
    SetDlgItemTextA(dialog, CTL_DIRECTORY, DefaultInstallDir);
    SendDlgItemMessageA(dialog, CTL_DIRECTORY, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, CTL_DIRECTORY));
    CheckDlgButton(dialog, CTL_STARTMENU, BST_CHECKED);
    EnableWindow(GetDlgItem(dialog, CTL_EXIT), FALSE);
}

} // namespace

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message)
    {
    case WM_INITDIALOG:
        InitDialog(dialog);
        /* The focus was set explicitly. */
        return FALSE;
    case WM_CLOSE:
        if (!Busy)
            EndDialog(dialog, 0);
        return FALSE;
    case WM_COMMAND:
        if (wParam == CTL_CANCEL && !Busy)
            EndDialog(dialog, 0);
        return FALSE;
    }
    return FALSE;
}

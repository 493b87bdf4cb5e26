/*
 * The benchmark's floor for start-up and memory: a program as bare as the setup
 * can be (no C runtime, KERNEL32 and USER32 only) that shows the setup's own
 * dialog template, lets it paint and ends at the close box, as the timer
 * closes the setup's. Whatever the setup spends
 * beyond this program's start-up and working set is the setup's own cost. It is
 * built twice: with the setup's resources, manifest included, and without the
 * manifest, which tells the manifest's own cost (Common Controls 6 and themes).
 */
#include <windows.h>

namespace
{

enum
{
    WM_FLOOR_SHOWN = WM_APP
};

INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (message == WM_INITDIALOG)
    {
        /* Handled once the modal loop runs, which is after the dialog is shown. */
        PostMessageA(dialog, WM_FLOOR_SHOWN, 0, 0);
        return TRUE;
    }
    if (message == WM_FLOOR_SHOWN)
    {
        /* Paint the dialog and every control now, as a user would see it. Ending here raced
           the timer: on a quiet machine the dialog was often gone before it was seen. */
        RedrawWindow(dialog, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return TRUE;
    }
    if (message == WM_CLOSE)
    {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

extern "C" void __stdcall FloorDialogStart(void)
{
    DialogBoxParamA(GetModuleHandleA(NULL), "DLG_SETUP", NULL, FloorDialogProc, 0);
    ExitProcess(0);
}

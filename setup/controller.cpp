/*
 * The dialog controller: all of the setup's work happens inside this one
 * procedure, on the thread that runs the dialog's modal loop. Continue runs the
 * whole install synchronously; Busy keeps the dialog from being closed under it.
 * An unattended run goes through the same install with no dialog at all.
 */
#include <windows.h>
#include "install/copy.h"
#include "install/installdir.h"
#include "install/sourcecheck.h"
#include "register/registry.h"
#include "register/startmenu.h"
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

const char OldWindowsText[] = "Nimbet does not work with this version of Windows.";

/*
 * Windows 3.x and older report a major version below 4; the setup needs the 4.0
 * shell. Asked once at the start of every run, so the log's first lines are
 * written here: the versions, then the command line.
 */
int IsSupportedWindows(void)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version; /* 148: the original, pre-Ex size */
    GetVersionExA(&version);
    /* Windows 9x keeps its major and minor version in the build number's high word. */
    Log("%s " PRODUCT_VERSION ", Windows %lu.%lu.%lu\r\n%s", SetupTitle, version.dwMajorVersion,
        version.dwMinorVersion, version.dwBuildNumber & 0xFFFF, GetCommandLineA());
    return version.dwMajorVersion >= 4;
}

/* For a run without the dialog: a refusal the dialog would show is told here (logged, or shown
 * in a box of its own for /VERIFY). */
int IsSupportedWindowsTold(void)
{
    if (IsSupportedWindows())
        return 1;
    TellUser(NULL, OldWindowsText);
    return 0;
}

void CentreOnScreen(HWND dialog)
{
    RECT frame;
    GetWindowRect(dialog, &frame);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2;
    SetWindowPos(dialog, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

void InitInputPage(HWND dialog)
{
    if (!IsSupportedWindows())
    {
        TellUser(dialog, OldWindowsText);
        /* The page is still set up; the dialog closes once initialisation returns. */
        EndDialog(dialog, ExitFailed);
    }
    Busy = 0;
    Stage = 0;
    CentreOnScreen(dialog);
    SetWindowTextA(dialog, SetupTitle);

    SendDlgItemMessageA(dialog, CTL_DIRECTORY, EM_LIMITTEXT, PathSize, 0);
    SetDlgItemTextA(dialog, CTL_DIRECTORY, InstallDir);
    SendDlgItemMessageA(dialog, CTL_DIRECTORY, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, CTL_DIRECTORY));

    CheckDlgButton(dialog, CTL_STARTMENU, BST_CHECKED);
    EnableWindow(GetDlgItem(dialog, CTL_EXIT), FALSE);
}

void ShowControl(HWND dialog, int id, int show)
{
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void ShowCompletionPage(HWND dialog)
{
    static const int inputControls[] = {CTL_DIRECTORY, CTL_PROMPT,    CTL_STATUS,
                                        CTL_BROWSE,    CTL_STARTMENU, CTL_EXIT};
    for (int id : inputControls)
        ShowControl(dialog, id, 0);
    ShowControl(dialog, CTL_CONTINUE, 0);
    ShowControl(dialog, CTL_CANCEL, 0);
    Stage = 1;
    HWND exitButton = GetDlgItem(dialog, CTL_EXIT);
    EnableWindow(exitButton, TRUE);
    ShowWindow(exitButton, SW_SHOW);
    SetFocus(exitButton);
    /* Enter presses the default button, which is still the hidden Continue otherwise. */
    SendMessageA(dialog, DM_SETDEFID, CTL_EXIT, 0);
    /* Last, so that whoever waits for this text finds the whole page in place. */
    ShowControl(dialog, CTL_DONE, 1);
}

/*
 * The install run, for Continue and, with no dialog, for an unattended run into
 * InstallDir with the Start menu group. Every call on the dialog is harmless on
 * NULL. Returns the exit code: ExitInstalled on the completion page; on a
 * failure, which has already been told to the user (or, unattended, only to the
 * log), nothing is retried: a reinstall's copy has put the earlier files back, a
 * first install's keeps what it copied. Only a product file in use is asked
 * again, until the user cancels.
 */
int RunInstall(HWND dialog)
{
    Busy = 1;
    if (dialog)
        ReadInstallDirectory(dialog);
    Log("Directory: %s", InstallDir);

    /* Before anything is made: a setup run from inside a zip has none of its files. */
    if (!CheckSourceFiles(dialog))
        return ExitFailed;
    if (!CheckDiskSpace("You need about %ld more bytes of disk space to install Nimbet."))
        return ExitFailed;

    ShowStatus(dialog, "Creating directory..");
    EnableWindow(GetDlgItem(dialog, CTL_CONTINUE), FALSE);
    EnableWindow(GetDlgItem(dialog, CTL_CANCEL), FALSE);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    if (!CreateInstallDirectory())
    {
        TellUser(dialog, "Could not create the directory for Nimbet 2 Alpha.");
        return ExitFailed;
    }

    /* No messages are dispatched during the copy: paint the page now. */
    UpdateWindow(dialog);
    int copied = CopyProductFiles(dialog);
    if (copied != ExitInstalled)
        return copied;

    if (!dialog || IsDlgButtonChecked(dialog, CTL_STARTMENU) == BST_CHECKED)
    {
        ShowStatus(dialog, "Creating StartMenu shortcut");
        CreateStartMenuGroup();
    }
    ShowStatus(dialog, "");
    WriteRegistryEntries(AppKeyPath, UninstallKeyPath, ProductName, 0);

    ShowCompletionPage(dialog);
    Busy = 0;
    return ExitInstalled;
}

/* Ends the dialog at the user's word: before the install a cancel, after it a success. */
void EndByUser(HWND dialog)
{
    EndDialog(dialog, Stage ? ExitInstalled : ExitCancelled);
}

void OnCommand(HWND dialog, WPARAM command)
{
    switch (command)
    {
    case CTL_BROWSE:
        /* The free-space message leaves the dialog usable: a folder picked then would be
           thrown away when the run ends. */
        if (Stage == 0 && !Busy)
            BrowseForDirectory(dialog);
        break;
    case CTL_EXIT:
        EndByUser(dialog);
        break;
    case CTL_CONTINUE:
        if (Busy > 0)
            break;
        if (Stage != 0)
            EndByUser(dialog);
        else
        {
            int code = RunInstall(dialog);
            if (code != ExitInstalled)
                EndDialog(dialog, code);
        }
        break;
    case CTL_CANCEL:
        if (!Busy)
            EndByUser(dialog);
        break;
    }
}

} // namespace

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message)
    {
    case WM_INITDIALOG:
        InitInputPage(dialog);
        /* The focus was set explicitly. */
        return FALSE;
    case WM_SETCURSOR:
        if (!Busy)
            return FALSE;
        SetCursor(LoadCursorA(NULL, IDC_WAIT));
        /* The dialog's answer to a control asking is the message result, not
           the procedure's: without it the control puts its own cursor back. */
        SetWindowLongA(dialog, DWL_MSGRESULT, TRUE);
        return TRUE;
    case WM_CLOSE:
        if (!Busy)
            EndByUser(dialog);
        return FALSE;
    case WM_COMMAND:
        /* A click on one of the buttons; the platform's IDCANCEL (Escape) has no handler. */
        OnCommand(dialog, wParam);
        return FALSE;
    }
    return FALSE;
}

int InstallUnattended(void)
{
    return IsSupportedWindowsTold() ? RunInstall(NULL) : ExitFailed;
}

int VerifyOnlyRun(void)
{
    return IsSupportedWindowsTold() && VerifySetupFiles() ? ExitInstalled : ExitFailed;
}

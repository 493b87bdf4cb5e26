/*
 * The setup's controller: all of its work happens inside the dialog's one
 * procedure, on the thread that runs the dialog's modal loop. Continue runs
 * the whole install synchronously; Busy keeps the dialog from being closed
 * under it. An unattended run goes through the same install with no dialog.
 * The steps report what happened; what the user is told, and the exit code,
 * are chosen here.
 */
#include <windows.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/messages.h"
#include "base/state.h"
#include "install/copy.h"
#include "install/inuse.h"
#include "install/installdir.h"
#include "install/sourcecheck.h"
#include "register/registry.h"
#include "register/startmenu.h"
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "setup/status.h"

int Busy;
int Stage;

namespace
{

const char OldWindowsText[] = PRODUCT_SHORT_NAME " does not work with this version of Windows.";
const char DamagedFileText[] = "%s in the setup folder is damaged. Copy the setup files again.";

/* The dialog of the run in progress, for the copy's progress; NULL unattended. */
HWND RunningDialog;

/*
 * Windows 3.x and older report a major version below 4; the setup needs the 4.0
 * shell. Asked once at the start of every run, so the log's first lines are
 * written here: the versions, then the command line.
 */
int IsSupportedWindows(void)
{
    return LogVersions(SetupTitle) >= 4;
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

/* Asks the user to close the program that holds a file; 1 on Retry. */
int AskToClose(HWND dialog, const HeldFile *held)
{
    char message[MessageBytes];
    FormatText(message, sizeof message, "%s is in use by %s. Close that program, then press Retry.",
               ProductFiles[held->row], held->holder);
    return AskRetry(dialog, message);
}

/* The check of the setup's files: what failed, told as its kind of failure. */
void TellSourceProblem(HWND owner, const SourceProblem *problem)
{
    static const char *const texts[] = {
        "",
        "Could not find %s in the setup folder. If you opened setup.exe inside a zip file, "
        "extract all the files first.",
        "Could not read %s in the setup folder.",
        DamagedFileText,
    };
    TellFormatted(owner, texts[problem->fault], ProductFiles[problem->row]);
}

/*
 * Every earlier file must be replaceable before the copy begins. While one is
 * held, the user is asked to close its holder; Retry checks every file again.
 * A file that cannot be written for another reason (the account may not, the
 * medium is read-only, a folder has its name) fails the run: waiting will not
 * change it. Returns the exit code the check leaves: ExitInstalled once all
 * can be replaced, with a bit in earlier for each row that has a file.
 */
int WaitForEarlierFiles(HWND dialog, unsigned *earlier)
{
    HeldFile held;
    int found;
    while ((found = CheckEarlierFiles(earlier, &held)) == EarlierFileHeld)
    {
        if (!AskToClose(dialog, &held))
            return Unattended ? ExitInUse : ExitCancelled;
    }
    if (found == EarlierFileRefused)
    {
        char reason[256];
        FormatSystemText(reason, sizeof reason, held.error);
        TellFormatted(dialog, "Could not replace %s: %s", ProductFiles[held.row], reason);
        return ExitFailed;
    }
    return ExitInstalled;
}

void ShowCopyProgress(int percentage)
{
    ShowStatus(RunningDialog, "Copying files... %d%% completed", percentage);
}

/* A copy that stopped: which file and why, and, where the put-back is not whole, where the
 * earlier files are. A list of backups it cannot read stopped it before anything changed. */
void TellCopyFailure(HWND dialog, const CopyOutcome *outcome)
{
    if (outcome->listRefused)
    {
        TellFormatted(
            dialog,
            "NimSetup.$$$ in %s is not a list of backups this setup can read. Nothing was "
            "changed. Move it out of the folder, then run the setup again.",
            InstallDir);
        return;
    }
    char reason[256];
    char cause[MessageBytes];
    FormatSystemText(reason, sizeof reason, outcome->unread);
    const char *format = outcome->damaged ? DamagedFileText : "Could not copy %s";
    if (outcome->unread)
        format = "Could not read %s in the install folder to check it: %s";
    FormatText(cause, sizeof cause, format, ProductFiles[outcome->failedRow], reason);
    /* The cause stays whole; the put-back's sentence follows it as a sentence of its own. */
    int ended = cause[0] != '\0' && cause[lstrlenA(cause) - 1] == '.';
    TellFormatted(
        dialog,
        outcome->allPutBack ? "%s"
        : ended             ? "%s %s"
                            : "%s. %s",
        cause,
        "Some earlier files could not be put back: they are in the install folder, with ~ as "
        "the last letter of their names.");
}

/*
 * Every earlier file replaceable, then the copy. A file that another program
 * opened after the check stops the copy with everything put back: that is a
 * file in use as any other, asked about again until the user cancels.
 * Returns the exit code the copy leaves, ExitInstalled once all is in place.
 */
int CopyWhenFree(HWND dialog)
{
    for (;;)
    {
        unsigned earlier;
        CopyOutcome outcome;
        int code = WaitForEarlierFiles(dialog, &earlier);
        if (code != ExitInstalled)
            return code;
        if (CopyProductFiles(&Digests, earlier, ShowCopyProgress, &outcome))
            return ExitInstalled;
        if (!outcome.held || !outcome.allPutBack)
        {
            TellCopyFailure(dialog, &outcome);
            return ExitFailed;
        }
        HeldFile held;
        held.row = outcome.failedRow;
        NameHolder(&held);
        if (!AskToClose(dialog, &held))
            return Unattended ? ExitInUse : ExitCancelled;
    }
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

/*
 * Fills InstallDir with the directory field's text, never cut: a text longer
 * than a path leaves InstallDir empty, which CreateInstallDirectory refuses.
 */
void ReadInstallDirectory(HWND dialog)
{
    /*
     * The field's limit counts characters on Windows NT, where a double-byte
     * text can run to twice as many bytes; read all of it, then take it whole or not at all.
     */
    char text[2 * PathSize];
    text[0] = '\0';
    SendDlgItemMessageA(dialog, CTL_DIRECTORY, WM_GETTEXT, sizeof text, (LPARAM)text);
    /* FormatText reports a text that did not fit whole; a cut one is no directory. */
    if (!FormatText(InstallDir, PathSize, "%s", text))
        InstallDir[0] = '\0';
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
    RunningDialog = dialog;
    if (dialog)
        ReadInstallDirectory(dialog);
    Log("Directory: %s", InstallDir);

    /* Before anything is made: a setup run from inside a zip has none of its files. */
    SourceProblem problem;
    if (!CheckSourceFiles(&Digests, 0, &problem))
    {
        TellSourceProblem(dialog, &problem);
        return ExitFailed;
    }
    long shortfall;
    if (!CheckDiskSpace(&Digests, &shortfall))
    {
        /* Owned by none: the dialog stays usable behind it. */
        TellFormatted(
            NULL, "You need about %ld more bytes of disk space to install " PRODUCT_SHORT_NAME ".",
            shortfall);
        return ExitFailed;
    }

    ShowStatus(dialog, "Creating directory..");
    EnableWindow(GetDlgItem(dialog, CTL_CONTINUE), FALSE);
    EnableWindow(GetDlgItem(dialog, CTL_CANCEL), FALSE);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    if (!CreateInstallDirectory())
    {
        TellUser(dialog, "Could not create the directory for " PRODUCT_NAME ".");
        return ExitFailed;
    }

    /* No messages are dispatched during the copy: paint the page now. */
    UpdateWindow(dialog);
    ShowStatus(dialog, "Copying files.");
    int code = CopyWhenFree(dialog);
    if (code != ExitInstalled)
        return code;

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

void Browse(HWND dialog)
{
    char path[PathSize];
    if (PickFolder(dialog, path))
        SetDlgItemTextA(dialog, CTL_DIRECTORY, path);
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
            Browse(dialog);
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

int RunDialog(void)
{
    /* Windows XP creates no dialog asking for Common Controls 6 before COMCTL32 is loaded. */
    LoadCommonControls();
    /* -1 when the dialog could not be created. */
    UINT_PTR result = DialogBoxParamA(Instance, "DLG_SETUP", NULL, SetupDialogProc, 0);
    return result > ExitFailed ? ExitFailed : (int)result;
}

int InstallUnattended(void)
{
    return IsSupportedWindowsTold() ? RunInstall(NULL) : ExitFailed;
}

int VerifyOnlyRun(void)
{
    if (!IsSupportedWindowsTold())
        return ExitFailed;
    if (!Digests.filled)
        Log("No digest table: checked only that the files are there");
    SourceProblem problem;
    if (!CheckSourceFiles(&Digests, 1, &problem))
    {
        TellSourceProblem(NULL, &problem);
        return ExitFailed;
    }
    TellUser(NULL, Digests.filled ? "All files of the setup are intact."
                                  : "All files of the setup are there. Their contents could not be "
                                    "checked: this setup.exe has no digest table.");
    return ExitInstalled;
}

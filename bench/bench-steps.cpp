/*
 * bench-steps.exe: where the setup's install run spends its time, measured in
 * the setup's own code from inside one process, so that no polling or process
 * start blurs the small steps. It creates the setup's dialog with the setup's
 * dialog procedure, runs one whole install through Continue, then repeats the
 * run's steps one by one on a fresh dialog, and times a bare CopyFileA loop of
 * the same files beside them. Run it from the payload folder, with the install
 * directory absent. Prints one line of "name=value" pairs (milliseconds).
 */
#include <windows.h>
#include <stdio.h>
#include "base/paths.h"
#include "base/state.h"
#include "bench/clock.h"
#include "install/copy.h"
#include "install/inuse.h"
#include "install/installdir.h"
#include "register/registry.h"
#include "register/startmenu.h"
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "setup/status.h"

namespace
{

HWND progressDialog;

void ShowCopyProgress(int percentage)
{
    ShowStatus(progressDialog, "Copying files... %d%% completed", percentage);
}

/* Handles what is queued (painting included) as the modal loop would before the user acts. */
void Settle()
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND OpenDialog()
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), "DLG_SETUP", NULL, SetupDialogProc, 0);
    if (dialog)
    {
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        Settle();
    }
    return dialog;
}

/* Empties the install directory again, so that every copy creates its files. */
void RemoveInstalledFiles()
{
    char path[PathSize];
    for (int i = 0; i < ProductFileCount; ++i)
    {
        lstrcpyA(path, InstallDir);
        if (JoinPath(path, ProductFiles[i]))
            DeleteFileA(path);
    }
}

int BareCopy()
{
    char source[PathSize];
    char target[PathSize];
    for (int i = 0; i < ProductFileCount; ++i)
    {
        lstrcpyA(source, SourceDir);
        lstrcpyA(target, InstallDir);
        if (!JoinPath(source, ProductFiles[i]) || !JoinPath(target, ProductFiles[i]) ||
            !CopyFileA(source, target, FALSE))
            return 0;
    }
    return 1;
}

void ShowControl(HWND dialog, int id, int show)
{
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

/* The platform calls of the switch to the completion page, in the controller's order. */
void SwitchPage(HWND dialog)
{
    static const int inputControls[] = {CTL_DIRECTORY, CTL_PROMPT,    CTL_STATUS,
                                        CTL_BROWSE,    CTL_STARTMENU, CTL_EXIT};
    for (int id : inputControls)
        ShowControl(dialog, id, 0);
    ShowControl(dialog, CTL_DONE, 1);
    ShowControl(dialog, CTL_CONTINUE, 0);
    ShowControl(dialog, CTL_CANCEL, 0);
    HWND exitButton = GetDlgItem(dialog, CTL_EXIT);
    EnableWindow(exitButton, TRUE);
    ShowWindow(exitButton, SW_SHOW);
    SetFocus(exitButton);
}

} // namespace

int main()
{
    GetSourceDirectory();
    /* The entry's part: the field shows InstallDir, which it fills with the default. */
    lstrcpyA(InstallDir, DefaultInstallDir);

    /* The whole run, as Continue starts it. */
    HWND dialog = OpenDialog();
    if (!dialog)
        return 1;
    StartClock();
    SendMessageA(dialog, WM_COMMAND, CTL_CONTINUE, 0);
    double run = Lap();
    if (!Stage)
    {
        fprintf(stderr, "bench-steps: the install run did not complete\n");
        return 1;
    }
    DestroyWindow(dialog);
    RemoveInstalledFiles();
    RemoveDirectoryA(InstallDir);

    /* The same run step by step. */
    dialog = OpenDialog();
    progressDialog = dialog;
    GetWindowTextA(GetDlgItem(dialog, CTL_DIRECTORY), InstallDir, PathSize);
    StartClock();
    long shortfall;
    int spaceOk = CheckDiskSpace(&Digests, &shortfall);
    double space = Lap();
    ShowStatus(dialog, "Creating directory..");
    EnableWindow(GetDlgItem(dialog, CTL_CONTINUE), FALSE);
    EnableWindow(GetDlgItem(dialog, CTL_CANCEL), FALSE);
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    double status = Lap();
    int directoryOk = CreateInstallDirectory();
    double directory = Lap();
    UpdateWindow(dialog);
    double repaint = Lap();
    ShowStatus(dialog, "Copying files.");
    unsigned earlier;
    HeldFile held;
    CopyOutcome outcome;
    int copyOk = CheckEarlierFiles(&earlier, &held) == EarlierFilesFree &&
                 CopyProductFiles(&Digests, earlier, ShowCopyProgress, &outcome);
    double copy = Lap();
    RemoveInstalledFiles();
    StartClock();
    int bareOk = BareCopy();
    double bare = Lap();
    ShowStatus(dialog, "Creating StartMenu shortcut");
    CreateStartMenuGroup();
    double startMenu = Lap();
    WinExec("grpconv -o", SW_HIDE);
    double converter = Lap();
    ShowStatus(dialog, "");
    WriteRegistryEntries(AppKeyPath, UninstallKeyPath, ProductName, 0);
    double registry = Lap();
    SwitchPage(dialog);
    double page = Lap();
    DestroyWindow(dialog);
    if (!spaceOk || !directoryOk || !copyOk || !bareOk)
    {
        fprintf(stderr, "bench-steps: a step failed\n");
        return 1;
    }
    printf("run_ms=%.3f space_ms=%.3f status_ms=%.3f directory_ms=%.3f repaint_ms=%.3f "
           "copy_ms=%.3f bare_copy_ms=%.3f startmenu_ms=%.3f converter_ms=%.3f registry_ms=%.3f "
           "page_ms=%.3f\n",
           run, space, status, directory, repaint, copy, bare, startMenu, converter, registry,
           page);
    return 0;
}

/*
 * The setup's controller: the dialog's procedure, which sets up the input page
 * and answers the dialog's buttons and close box, and the install run it
 * starts on Continue, or that runs with no dialog at all. Every message the
 * user sees and every exit code is chosen here or in the entry.
 */
#ifndef SETUP_CONTROLLER_H
#define SETUP_CONTROLLER_H

#include <windows.h>

/* The setup's exit codes; the dialog's end carries them back to the entry. */
enum
{
    ExitInstalled = 0, /* the install finished */
    ExitCancelled = 1, /* the user ended the setup before installing */
    ExitFailed = 2,    /* the setup refused or failed, and said why unless unattended */
    ExitInUse = 3,     /* unattended, a product file is in use; nothing was changed */
    ExitBusy = 1618    /* another run is under way; nothing was changed (Windows Installer's
                          code for the same, which deployment tools retry) */
};

extern int Busy;  /* nonzero while an install run is in progress */
extern int Stage; /* 0 on the input page, 1 on the completion page */

/* The input page shows InstallDir, which the entry fills with the default or /D's value. */
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* Runs the setup dialog to its end; returns the exit code. */
int RunDialog(void);

/* Installs into InstallDir with the Start menu group, showing nothing; returns the exit code. */
int InstallUnattended(void);

/* /VERIFY: checks the setup's files and installs nothing; returns the exit code. */
int VerifyOnlyRun(void);

#endif

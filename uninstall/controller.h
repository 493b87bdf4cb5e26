/*
 * The uninstaller's controller: the conversation (or, unattended, the log
 * alone), the steps in the order that lets an uninstall that was interrupted
 * or failed simply run again, every text the user sees and every exit code.
 */
#ifndef UNINSTALL_CONTROLLER_H
#define UNINSTALL_CONTROLLER_H

/* The uninstaller's exit codes, returned once the work is done. */
enum
{
    ExitRemoved = 0,   /* the product was removed (or the help was all that was asked) */
    ExitCancelled = 1, /* the user said No, or Cancel on a file in use; nothing was changed */
    ExitFailed = 2,    /* refused (nothing changed) or failed (what could go went), and told */
    ExitInUse = 3,     /* unattended, a product file is in use; nothing was changed */
    ExitBusy = 1618    /* another setup or uninstall is under way; nothing was changed */
};

/* Every message box's caption. */
extern const char UninstallTitle[];

/* Removes the install in the folder the uninstaller runs from, SourceDir; returns the exit
 * code. */
int RunUninstall(void);

#endif

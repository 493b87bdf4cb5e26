/*
 * The setup dialog's control identifiers, shared by the dialog template and the
 * code; ShowStatus, the one writer of the status line; and TellUser and
 * AskRetry, the only ways the setup shows a message. Only the #defines are
 * visible to the resource compiler.
 */
#ifndef SETUP_DIALOG_H
#define SETUP_DIALOG_H

#define CTL_DIRECTORY 1000
#define CTL_STARTMENU 1001
#define CTL_PROMPT    1002
#define CTL_STATUS    1003
#define CTL_DONE      1004
#define CTL_BROWSE    1005
#define CTL_EXIT      1006
#define CTL_CONTINUE  1007
#define CTL_CANCEL    1008

#ifndef RC_INVOKED
#include <windows.h>

/* Size of the status line's text buffer, terminator included. */
enum
{
    StatusSize = 128
};

/* Formats a status text (%d, %ld, %s, %%), cut to fit StatusSize, into CTL_STATUS. */
void ShowStatus(HWND dialog, const char *format, ...);

/* A message box with caption SetupTitle and OK only, owned by owner; nothing when Unattended. */
void TellUser(HWND owner, const char *text);

/* The same with Retry and Cancel; 1 when Retry was pressed, 0 on Cancel or when Unattended. */
int AskRetry(HWND owner, const char *text);
#endif

#endif

/*
 * What the setup tells its user: the status line under the directory field,
 * the only progress it shows, and its message boxes. Every status text is
 * formatted into a small fixed buffer that it can never overrun. Without a
 * dialog (an unattended run) the status line's calls fail harmlessly. Both
 * also go to the log, so it holds every step and every message, shown or not.
 */
#include <windows.h>
#include "setup/dialog.h"
#include "setup/format.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

void ShowStatus(HWND dialog, const char *format, ...)
{
    char text[StatusSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(dialog, CTL_STATUS, text);
    /* The line is cleared after the last step: nothing to log then. */
    if (text[0])
        Log("%s", text);
}

void TellUser(HWND owner, const char *text)
{
    Log("%s", text);
    /* An unattended run has no one to press OK: its exit code tells. */
    if (!Unattended)
        MessageBoxA(owner, text, SetupTitle, MB_OK);
}

int AskRetry(HWND owner, const char *text)
{
    Log("%s", text);
    return !Unattended && MessageBoxA(owner, text, SetupTitle, MB_RETRYCANCEL) == IDRETRY;
}

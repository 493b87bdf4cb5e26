/*
 * The status line. Every status text is formatted into a small fixed buffer
 * that it can never overrun. Without a dialog the control's call fails
 * harmlessly. Each text also goes to the log, so it holds every step.
 */
#include <windows.h>
#include "base/format.h"
#include "base/log.h"
#include "setup/dialog.h"
#include "setup/status.h"

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

/*
 * The status line under the directory field: the only progress the setup
 * shows. Every text reaches it through ShowStatus, formatted into a small
 * fixed buffer that it can never overrun.
 */
#include <windows.h>
#include "setup/dialog.h"
#include "setup/format.h"

void ShowStatus(HWND dialog, const char *format, ...)
{
    char text[StatusSize];
    va_list args;
    va_start(args, format);
    FormatTextV(text, sizeof text, format, args);
    va_end(args);
    SetDlgItemTextA(dialog, CTL_STATUS, text);
}

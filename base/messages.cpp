/*
 * Message boxes. An unattended run has no one to press a button: its exit code
 * and its log tell instead.
 */
#include <windows.h>
#include <stdarg.h>
#include "base/format.h"
#include "base/log.h"
#include "base/messages.h"
#include "base/state.h"

void TellUser(HWND owner, const char *text)
{
    Log("%s", text);
    if (!Unattended)
        MessageBoxA(owner, text, Caption, MB_OK);
}

void TellFormatted(HWND owner, const char *format, ...)
{
    char message[MessageBytes];
    va_list args;
    va_start(args, format);
    FormatTextV(message, sizeof message, format, args);
    va_end(args);
    TellUser(owner, message);
}

namespace
{

/* A box with buttons; whether answer was the one pressed. */
int Ask(HWND owner, const char *text, UINT buttons, int answer)
{
    Log("%s", text);
    return !Unattended && MessageBoxA(owner, text, Caption, buttons) == answer;
}

} // namespace

int AskRetry(HWND owner, const char *text)
{
    return Ask(owner, text, MB_RETRYCANCEL, IDRETRY);
}

int AskYes(HWND owner, const char *text)
{
    return Ask(owner, text, MB_YESNO, IDYES);
}

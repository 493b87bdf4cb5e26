/*
 * Message boxes. An unattended run has no one to press a button: its exit code
 * and its log tell instead.
 */
#include <windows.h>
#include "base/log.h"
#include "base/messages.h"
#include "base/state.h"

void TellUser(HWND owner, const char *text)
{
    Log("%s", text);
    if (!Unattended)
        MessageBoxA(owner, text, Caption, MB_OK);
}

int AskRetry(HWND owner, const char *text)
{
    Log("%s", text);
    return !Unattended && MessageBoxA(owner, text, Caption, MB_RETRYCANCEL) == IDRETRY;
}

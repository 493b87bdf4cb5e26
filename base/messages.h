/*
 * The only ways either program shows a message: a box with the program's
 * caption (Caption) and no icon. Each text also goes to the log, so that it
 * holds every message, shown or not; an unattended run shows none.
 */
#ifndef BASE_MESSAGES_H
#define BASE_MESSAGES_H

#include <windows.h>

enum
{
    /* The longest message: two paths, a program's name and the words around them. */
    MessageBytes = 1024
};

/* A box with OK only, owned by owner (NULL: by none); nothing shown when Unattended. */
void TellUser(HWND owner, const char *text);

/* TellUser with a text formatted as base/format.h formats, of up to MessageBytes bytes. */
void TellFormatted(HWND owner, const char *format, ...);

/* The same with Retry and Cancel; 1 when Retry was pressed, 0 on Cancel or when Unattended. */
int AskRetry(HWND owner, const char *text);

/* The same with Yes and No; 1 when Yes was pressed, 0 on No or when Unattended. */
int AskYes(HWND owner, const char *text);

#endif

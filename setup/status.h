/*
 * The status line under the directory field, the only progress the setup
 * shows.
 */
#ifndef SETUP_STATUS_H
#define SETUP_STATUS_H

#include <windows.h>

/* Size of the status line's text buffer, terminator included. */
enum
{
    StatusSize = 128
};

/* Formats a status text (%d, %ld, %s, %%), cut to fit StatusSize, into CTL_STATUS, and logs
 * it. Without a dialog (NULL, an unattended run) it is only logged. */
void ShowStatus(HWND dialog, const char *format, ...);

#endif

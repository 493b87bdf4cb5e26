/*
 * Remote control of a running setup.exe from another process, as a user at the
 * screen would work it: find its dialog, click its buttons, read its controls
 * and its message boxes. Used by the end-to-end tests and the run command.
 */
#ifndef TESTS_DRIVER_REMOTE_H
#define TESTS_DRIVER_REMOTE_H

#include <windows.h>
#include <string>

/* The setup's dialog (a #32770 titled like the setup that holds the status line), or NULL. */
HWND FindSetupDialog(DWORD processId);

/* Polls FindSetupDialog until it answers or timeoutMs passes. */
HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs);

/* Presses a button as a click would: posted, so a run it starts cannot block the caller. */
void ClickControl(HWND dialog, int id);

/* A control's text, read with WM_GETTEXT (GetWindowText cannot read another process's edit). */
std::string RemoteControlText(HWND dialog, int id);

#endif

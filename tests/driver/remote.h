/*
 * Remote control of a running setup.exe from another process, as a user at the
 * screen would work it: start it, find its dialog, click its buttons, read its
 * controls and its message boxes, and wait for it to end. Used by the
 * end-to-end tests and the run command. Every wait is bounded.
 */
#ifndef TESTS_DRIVER_REMOTE_H
#define TESTS_DRIVER_REMOTE_H

#include <windows.h>
#include <string>
#include <vector>

/* The setup's dialog (a #32770 titled like the setup that holds the status line), or NULL. */
HWND FindSetupDialog(DWORD processId);

/* Polls FindSetupDialog until the dialog is visible or timeoutMs passes. */
HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs);

/* Presses a button as a click would: posted, so a run it starts cannot block the caller. */
void ClickControl(HWND dialog, int id);

/* A control's text, read with WM_GETTEXT (GetWindowText cannot read another process's edit). */
std::string RemoteControlText(HWND dialog, int id);
void SetRemoteControlText(HWND dialog, int id, const std::string &text);

/* The window that has the keyboard focus on the dialog's thread. */
HWND RemoteFocus(HWND dialog);

/* A message box of another process, as its user sees it. */
struct RemoteMessageBox
{
    HWND window;
    std::string caption;
    std::string text;
    HWND owner;
    std::vector<std::string> buttons;
    bool iconShown;
};

/* Waits for a message box of the process (any #32770 that is not the setup dialog). */
bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, RemoteMessageBox *box);

/* Presses the box's button with the given id (IDRETRY, IDCANCEL), or its first button for 0. */
void AnswerMessageBox(const RemoteMessageBox &box, int id = 0);

/* A setup.exe started from a directory, as a double-click in that directory would. */
struct SetupProcess
{
    PROCESS_INFORMATION info;
    bool started;
};

SetupProcess StartSetup(const std::string &exePath, const std::string &directory,
                        const std::string &arguments = "");

/*
 * Waits for the process to end; a process still running after timeoutMs is killed and false
 * returned. With windowShown, polls meanwhile and sets it when any window of the process shows.
 */
bool WaitForSetupExit(SetupProcess *process, DWORD timeoutMs, DWORD *exitCode,
                      bool *windowShown = nullptr);

#endif

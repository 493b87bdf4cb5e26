/*
 * The setup dialog's procedure: it sets up the input page and answers the
 * dialog's buttons and close box. The entry runs it modally with "DLG_SETUP".
 */
#ifndef SETUP_CONTROLLER_H
#define SETUP_CONTROLLER_H

#include <windows.h>

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif

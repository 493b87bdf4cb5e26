/*
 * The program's entry. The setup links no C runtime (a stock Windows 95 has
 * none), so the process starts here, runs WinMain and leaves by ExitProcess.
 */
#include <windows.h>
#include "install/paths.h"
#include "setup/controller.h"
#include "setup/libraries.h"
#include "setup/state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    RestrictDllSearch();
    Instance = instance;
    GetSourceDirectory();
    /* Windows XP creates no dialog asking for Common Controls 6 before COMCTL32 is loaded. */
    LoadCommonControls();
    DialogBoxParamA(instance, "DLG_SETUP", NULL, SetupDialogProc, 0);
    return 0;
}

extern "C" void __stdcall SetupStart(void)
{
    /* The command line is ignored, so it is not even fetched. */
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWDEFAULT));
}

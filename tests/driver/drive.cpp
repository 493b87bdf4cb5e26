/*
 * drive.exe: one remote-control step per call, for shell scripts that work a
 * running setup (the run command on a virtual display). Exit code 0 on success.
 *
 *   drive.exe wait-dialog SECONDS    wait for the dialog; print "x y width height"
 *   drive.exe wait-visible ID SECONDS wait until the control with that id is shown
 *   drive.exe click ID               press the control with that id
 *   drive.exe text ID                print the control's text
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "driver/remote.h"

int main(int argc, char **argv)
{
    if (argc < 3)
    {
        fprintf(stderr, "usage: drive.exe wait-dialog SECONDS | wait-visible ID SECONDS | click ID "
                        "| text ID\n");
        return 2;
    }
    const char *command = argv[1];
    if (strcmp(command, "wait-dialog") == 0)
    {
        HWND dialog = WaitForSetupDialog(0, (DWORD)atoi(argv[2]) * 1000);
        if (!dialog)
        {
            fprintf(stderr, "drive: no setup dialog appeared\n");
            return 1;
        }
        RECT r;
        GetWindowRect(dialog, &r);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    HWND dialog = FindSetupDialog(0);
    if (!dialog)
    {
        fprintf(stderr, "drive: no setup dialog\n");
        return 1;
    }
    if (strcmp(command, "wait-visible") == 0 && argc >= 4)
    {
        HWND control = GetDlgItem(dialog, atoi(argv[2]));
        DWORD start = GetTickCount();
        while (!IsWindowVisible(control))
        {
            if (GetTickCount() - start >= (DWORD)atoi(argv[3]) * 1000 || !IsWindow(control))
            {
                fprintf(stderr, "drive: control %s was not shown\n", argv[2]);
                return 1;
            }
            Sleep(20);
        }
        return 0;
    }
    if (strcmp(command, "click") == 0)
    {
        ClickControl(dialog, atoi(argv[2]));
        return 0;
    }
    if (strcmp(command, "text") == 0)
    {
        printf("%s\n", RemoteControlText(dialog, atoi(argv[2])).c_str());
        return 0;
    }
    fprintf(stderr, "drive: unknown command %s\n", command);
    return 2;
}

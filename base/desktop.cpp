/*
 * The window station's visibility, as Windows NT records it: the WSF_VISIBLE
 * flag of its user object flags, which only the interactive station has.
 */
#include <windows.h>
#include "base/desktop.h"
#include "base/libraries.h"

int DesktopVisible(void)
{
    StationCalls calls;
    USEROBJECTFLAGS flags;
    DWORD needed = 0;
    HWINSTA station;
    /* Where it cannot be asked, a window is what the user has always had. */
    if (!FindStationCalls(&calls) || (station = calls.getProcessStation()) == NULL ||
        !calls.getObjectInformation(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        return 1;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

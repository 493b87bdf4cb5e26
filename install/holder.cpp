/*
 * The holder of a file, from Restart Manager: a session, the one file
 * registered in it, the list of what uses it. RSTRTMGR.DLL came with Vista;
 * it is loaded by full path, only when a file is found in use, and its calls
 * are found at run time, so that the programs still run where it is missing.
 */
#include <windows.h>
#include <restartmanager.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/state.h"
#include "install/holder.h"

namespace
{

/* Programs asked for at once: with more holders than this the list is refused. */
enum
{
    HolderRows = 4
};

/* An application's name without its control characters, which would break the message's and
   the log's lines, and ended within its field; 0 when nothing is left. */
int DropControls(WCHAR *name)
{
    int kept = 0;
    for (int i = 0; i < CCH_RM_MAX_APP_NAME && name[i]; i++)
    {
        if (name[i] >= 0x20 && (name[i] < 0x7F || name[i] > 0x9F))
            name[kept++] = name[i];
    }
    name[kept] = 0;
    return kept > 0;
}

/* The first holder of path that the session names; 0 when it names none. A name too long
   for holder is none either: cut, it could name another program. */
int AskSession(const RestartCalls *calls, DWORD session, const char *path, char *holder,
               DWORD *processId)
{
    WCHAR widePath[PathSize];
    LPCWSTR files[1] = {widePath};
    RM_PROCESS_INFO found[HolderRows];
    UINT needed = 0;
    UINT count = HolderRows;
    DWORD reasons;
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, PathSize) ||
        calls->registerResources(session, 1, files, 0, NULL, 0, NULL) != ERROR_SUCCESS ||
        calls->getList(session, &needed, &count, found, &reasons) != ERROR_SUCCESS || count == 0 ||
        !DropControls(found[0].strAppName) ||
        !WideCharToMultiByte(CP_ACP, 0, found[0].strAppName, -1, holder, HolderSize, NULL, NULL))
        return 0;
    *processId = found[0].Process.dwProcessId;
    return 1;
}

} // namespace

void FindHolder(const char *path, char *holder, DWORD *processId)
{
    RestartCalls calls;
    DWORD session;
    WCHAR key[CCH_RM_SESSION_KEY + 1];
    int named = 0;
    *processId = 0;
    if (LoadRestartCalls(&calls) && calls.startSession(&session, 0, key) == ERROR_SUCCESS)
    {
        named = AskSession(&calls, session, path, holder, processId);
        calls.endSession(session);
    }
    if (!named)
        FormatText(holder, HolderSize, "another program");
}

/*
 * A stand-in for the platform's Restart Manager: Wine 8's rstrtmgr.dll is
 * stubs that name no program for any file. This one names "Nimbet Notes
 * Editor" (process 4242) as the holder of any registered file called
 * Notes.doc, and nothing for others. Tests put it in the system directory
 * for a while, with an override that makes Wine load it instead of its own.
 */
#include <windows.h>
#include <restartmanager.h>

static int notesRegistered;

static int EndsWithNotes(LPCWSTR path)
{
    static const WCHAR name[] = L"\\Notes.doc";
    int length = lstrlenW(path), nameLength = lstrlenW(name);
    return length >= nameLength && lstrcmpiW(path + length - nameLength, name) == 0;
}

DWORD WINAPI RmStartSession(DWORD *session, DWORD flags, WCHAR key[])
{
    (void)flags;
    *session = 1;
    key[0] = 0;
    notesRegistered = 0;
    return ERROR_SUCCESS;
}

DWORD WINAPI RmRegisterResources(DWORD session, UINT fileCount, LPCWSTR files[], UINT appCount,
                                 RM_UNIQUE_PROCESS apps[], UINT serviceCount, LPCWSTR services[])
{
    (void)session, (void)appCount, (void)apps, (void)serviceCount, (void)services;
    for (UINT i = 0; i < fileCount; i++)
        notesRegistered |= EndsWithNotes(files[i]);
    return ERROR_SUCCESS;
}

DWORD WINAPI RmGetList(DWORD session, UINT *needed, UINT *count, RM_PROCESS_INFO apps[],
                       LPDWORD reasons)
{
    static const WCHAR holder[] = L"Nimbet Notes Editor";
    (void)session;
    *reasons = 0;
    *needed = notesRegistered ? 1 : 0;
    if (*count < *needed)
        return ERROR_MORE_DATA;
    *count = *needed;
    if (notesRegistered)
    {
        ZeroMemory(&apps[0], sizeof apps[0]);
        apps[0].Process.dwProcessId = 4242;
        lstrcpyW(apps[0].strAppName, holder);
        apps[0].ApplicationType = RmUnknownApp;
    }
    return ERROR_SUCCESS;
}

DWORD WINAPI RmEndSession(DWORD session)
{
    (void)session;
    return ERROR_SUCCESS;
}

/*
 * A stand-in for the platform's Restart Manager, whose Wine 8 calls are stubs
 * that name no program: this one names "Nimbet Notes Editor", process 4242, as
 * the holder of the file it is asked about. A row puts it in the system directory.
 */
#include <windows.h>
#include <restartmanager.h>

DWORD WINAPI RmStartSession(DWORD *session, DWORD, WCHAR key[])
{
    *session = 1;
    key[0] = 0;
    return ERROR_SUCCESS;
}

DWORD WINAPI RmRegisterResources(DWORD, UINT, LPCWSTR[], UINT, RM_UNIQUE_PROCESS[], UINT, LPCWSTR[])
{
    return ERROR_SUCCESS;
}

DWORD WINAPI RmGetList(DWORD, UINT *needed, UINT *count, RM_PROCESS_INFO apps[], LPDWORD reasons)
{
    *needed = 1;
    *reasons = 0;
    if (*count < 1)
        return ERROR_MORE_DATA;
    *count = 1;
    ZeroMemory(apps, sizeof *apps);
    apps->Process.dwProcessId = 4242;
    lstrcpyW(apps->strAppName, L"Nimbet Notes Editor");
    return ERROR_SUCCESS;
}

DWORD WINAPI RmEndSession(DWORD session)
{
    return session == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

/*
 * A stand-in for the platform's Restart Manager, whose Wine 8 calls are stubs
 * that name no program: this one names process 4242 as the holder of the
 * installed Notes.doc ("Nimbet Notes Editor", also in a folder of a non-ASCII
 * name), options.exe (an empty name) and calm.mid (a name with control
 * characters), and of no other file. As the real one, it answers only for a
 * session that is open; ending one leaves a marker file for the test. A row
 * puts it in the system directory.
 */
#include <windows.h>
#include <restartmanager.h>

static DWORD openSession;
static const WCHAR *const holders[][2] = {
    {L"c:\\Nimbet 2 Alpha\\Notes.doc", L"Nimbet Notes Editor"},
    {L"c:\\e2e\\Nimb\u00e9t\\Notes.doc", L"Nimbet Notes Editor"},
    {L"c:\\Nimbet 2 Alpha\\options.exe", L""},
    {L"c:\\Nimbet 2 Alpha\\calm.mid", L"\tNimbet\r\nPlayer\x85"}};
static const WCHAR *holder;

DWORD WINAPI RmStartSession(DWORD *session, DWORD, WCHAR key[])
{
    *session = openSession = 1;
    key[0] = 0;
    return ERROR_SUCCESS;
}

DWORD WINAPI RmRegisterResources(DWORD session, UINT count, LPCWSTR files[], UINT,
                                 RM_UNIQUE_PROCESS[], UINT, LPCWSTR[])
{
    holder = NULL;
    for (const auto &file : holders)
        if (count == 1 && !lstrcmpiW(files[0], file[0]))
            holder = file[1];
    if (!holder)
        return ERROR_BAD_ARGUMENTS;
    return session == openSession ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

DWORD WINAPI RmGetList(DWORD session, UINT *needed, UINT *count, RM_PROCESS_INFO apps[],
                       LPDWORD reasons)
{
    if (session != openSession)
        return ERROR_INVALID_HANDLE;
    *needed = 1;
    *reasons = 0;
    if (*count < 1)
        return ERROR_MORE_DATA;
    *count = 1;
    ZeroMemory(apps, sizeof *apps);
    apps->Process.dwProcessId = 4242;
    lstrcpyW(apps->strAppName, holder);
    return ERROR_SUCCESS;
}

DWORD WINAPI RmEndSession(DWORD session)
{
    if (session != openSession)
        return ERROR_INVALID_HANDLE;
    openSession = 0;
    CloseHandle(
        CreateFileA("C:\\e2e\\rstrtmgr-ended", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return ERROR_SUCCESS;
}

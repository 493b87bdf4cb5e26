/*
 * Code planted where the setup must never run it: built as a DLL and as a
 * program, and copied beside the setup under the names of libraries and
 * programs the platform finds by name. If it ever runs, it appends the path
 * it ran from to C:\planted-ran.txt and does nothing else.
 */
#include <windows.h>

static void LeaveMarker(HINSTANCE module)
{
    char path[MAX_PATH + 2] = "";
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    path[length++] = '\r';
    path[length++] = '\n';
    HANDLE file = CreateFileA("C:\\planted-ran.txt", FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, path, length, &written, NULL);
    CloseHandle(file);
}

#ifdef PLANTED_PROGRAM
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)commandLine;
    (void)show;
    LeaveMarker(instance);
    return 0;
}
#else
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(instance);
    return TRUE;
}
#endif

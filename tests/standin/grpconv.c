/*
 * A stand-in for the platform's program-group converter, which Wine does not
 * have. Started as the setup starts the real one, it records its command line,
 * how it was asked to show itself and SETUP.INI as it found it, appending to the
 * file named by GRPCONV_RECORD. Tests put it in the Windows directory for a while.
 */
#include <windows.h>

static char contents[65536];

/* SETUP.INI from the Windows directory; returns its size, or -1 when it cannot be read. */
static long ReadGroupFile(void)
{
    char path[MAX_PATH + 16];
    UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return -1;
    lstrcatA(path, "\\SETUP.INI");
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    DWORD total = 0, got = 0;
    while (total < sizeof contents &&
           ReadFile(file, contents + total, sizeof contents - total, &got, NULL) && got > 0)
        total += got;
    CloseHandle(file);
    return (long)total;
}

static void Put(HANDLE file, const char *bytes, DWORD count)
{
    DWORD written = 0;
    WriteFile(file, bytes, count, &written, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    /*
     * First of all: WinExec holds its caller until a new program is ready for
     * input (this one never is, so until it ends), so this is SETUP.INI as it
     * stood when the caller started the converter.
     */
    long size = ReadGroupFile();

    char record[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("GRPCONV_RECORD", record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);

    /* One block per start, appended, so a second start shows as a second block. */
    HANDLE file =
        CreateFileA(record, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    SetFilePointer(file, 0, NULL, FILE_END);
    char header[128];
    const char *command = GetCommandLineA();
    Put(file, "command=", 8);
    Put(file, command, lstrlenA(command));
    wsprintfA(header, "\r\nflags=%lu\r\nshow=%u\r\nini=%ld\r\n\r\n", startup.dwFlags,
              startup.wShowWindow, size);
    Put(file, header, lstrlenA(header));
    if (size > 0)
        Put(file, contents, (DWORD)size);
    CloseHandle(file);
    return 0;
}

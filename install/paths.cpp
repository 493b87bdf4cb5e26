/*
 * Path string operations on fixed-size ANSI buffers. Separators are found by
 * byte where the setup's own paths are concerned, and by the platform's
 * multi-byte step where the path comes from the system.
 */
#include <windows.h>
#include "install/paths.h"
#include "setup/format.h"
#include "setup/state.h"

int JoinPath(char *base, const char *name)
{
    int length = lstrlenA(base);
    int separator = length > 0 && base[length - 1] != '\\' && base[length - 1] != '/';
    if (length + separator + lstrlenA(name) >= PathSize)
        return 0;
    if (separator)
        base[length++] = '\\';
    FormatText(base + length, PathSize - length, "%s", name);
    return 1;
}

void GetSourceDirectory(void)
{
    /* Older systems leave a truncated module path unterminated. */
    if (GetModuleFileNameA(Instance, SourceDir, PathSize) == 0)
        SourceDir[0] = '\0';
    SourceDir[PathSize - 1] = '\0';

    char *cut = SourceDir;
    for (char *p = SourceDir; *p; p = CharNextA(p))
    {
        if (*p == '\\' || *p == '/')
            cut = p;
    }
    *cut = '\0';
}

int StripLastComponent(char *path)
{
    for (int n = lstrlenA(path); n > 0; n--)
    {
        if (path[n] == '\\')
        {
            path[n] = '\0';
            return 1;
        }
    }
    return 0;
}

int FormPath(char *path, const char *directory, const char *name)
{
    path[0] = '\0';
    return JoinPath(path, directory) && JoinPath(path, name);
}

int ReadFileInformation(const char *path, BY_HANDLE_FILE_INFORMATION *information)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int read = GetFileInformationByHandle(file, information);
    CloseHandle(file);
    return read;
}

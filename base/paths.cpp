/*
 * Path string operations on fixed-size ANSI buffers. Separators are found by
 * stepping through the text a character at a time: in the double-byte code
 * pages (932, 936, 949, 950) the second byte of a character can be 0x5C, the
 * byte of a backslash, and must not be taken for one.
 */
#include <windows.h>
#include "base/paths.h"
#include "base/format.h"
#include "base/state.h"

namespace
{

/* The last backslash in path, or the last slash too when other is '/'; NULL when there is none. */
char *LastSeparator(char *path, char other)
{
    char *last = NULL;
    for (char *p = path; *p; p = CharNextA(p))
    {
        if (*p == '\\' || *p == other)
            last = p;
    }
    return last;
}

} // namespace

int JoinPath(char *base, const char *name)
{
    int length = lstrlenA(base);
    int separator = length > 0 && LastSeparator(base, '/') != base + length - 1;
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

    char *cut = LastSeparator(SourceDir, '/');
    *(cut ? cut : SourceDir) = '\0';
}

int StripLastComponent(char *path)
{
    /* A backslash at the very start is never cut: nothing would be left. */
    char *cut = LastSeparator(path, '\\');
    if (cut == NULL || cut == path)
        return 0;
    *cut = '\0';
    return 1;
}

int FormPath(char *path, const char *directory, const char *name)
{
    path[0] = '\0';
    return JoinPath(path, directory) && JoinPath(path, name);
}

HANDLE OpenToQuery(const char *path)
{
    /*
     * Windows 95 documents no access at all only as a device's query access,
     * so where that is refused the file is opened for reading instead.
     */
    for (DWORD access = 0;; access = GENERIC_READ)
    {
        HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        if (file != INVALID_HANDLE_VALUE || access != 0)
            return file;
    }
}

int ReadFileInformation(const char *path, BY_HANDLE_FILE_INFORMATION *information)
{
    HANDLE file = OpenToQuery(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int read = GetFileInformationByHandle(file, information);
    CloseHandle(file);
    return read;
}

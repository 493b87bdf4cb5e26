/*
 * Path string operations on fixed-size ANSI buffers. Separators are found by
 * stepping through the text a character at a time: in the double-byte code
 * pages (932, 936, 949, 950) the second byte of a character can be 0x5C, the
 * byte of a backslash, and must not be taken for one.
 */
#include <windows.h>
#include "base/paths.h"
#include "base/format.h"
#include "base/libraries.h"
#include "base/product.h"
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

int WideToPath(const WCHAR *wide, char *path)
{
    /* Back and forth, which also catches a character given a look-alike (an a for an a with a
       macron). */
    WCHAR back[PathSize];
    int i = 0;
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, path, PathSize, NULL, NULL) ||
        !MultiByteToWideChar(CP_ACP, 0, path, -1, back, PathSize))
        return 0;
    while (back[i] == wide[i] && wide[i])
        i++;
    return back[i] == wide[i];
}

namespace
{

/* The full path of path, its dots and drive-relative parts resolved, in a PathSize buffer. */
int FullPath(const char *path, char *full)
{
    DWORD length = GetFullPathNameA(path, PathSize, full, NULL);
    return length > 0 && length < PathSize;
}

/*
 * Opens path to learn about the file, asking for no access, which a file others
 * hold open allows (or to read it, where the system refuses that);
 * INVALID_HANDLE_VALUE when it cannot be opened. flags as CompareIdentities's.
 */
HANDLE OpenToQuery(const char *path, DWORD flags)
{
    /*
     * Windows 95 documents no access at all only as a device's query access,
     * so where that is refused the file is opened for reading instead.
     */
    for (DWORD access = 0;; access = GENERIC_READ)
    {
        HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, flags, NULL);
        if (file != INVALID_HANDLE_VALUE || access != 0)
            return file;
    }
}

void CloseOpened(HANDLE file)
{
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

} // namespace

void GetSourceDirectory(void)
{
    /* Older systems leave a truncated module path unterminated. */
    if (GetModuleFileNameA(Instance, SourceDir, PathSize) == 0)
        SourceDir[0] = '\0';
    SourceDir[PathSize - 1] = '\0';

    char *cut = LastSeparator(SourceDir, '/');
    *(cut ? cut : SourceDir) = '\0';
}

/*
 * NT keeps the program's path in Unicode, and the ANSI answer puts a question
 * mark for every character the code page lacks: a folder in the user's
 * temporary folder, which holds the user's name, can be such. The short name
 * is ASCII where the volume has short names. Windows 9x keeps the ANSI path
 * itself and exports only stubs that fail.
 */
int FitSourceDirectory(void)
{
    WideNameCalls calls;
    WCHAR wide[PathSize];
    WCHAR shortName[PathSize];
    DWORD length = 0;
    if (!FindWideNameCalls(&calls) ||
        (length = calls.getModuleFileName(Instance, wide, PathSize)) == 0 || length >= PathSize)
        return 1;
    while (length > 0 && wide[length - 1] != '\\' && wide[length - 1] != '/')
        length--;
    wide[length > 0 ? length - 1 : 0] = 0;
    if (WideToPath(wide, SourceDir))
        return 1;
    length = calls.getShortPathName(wide, shortName, PathSize);
    return length > 0 && length < PathSize && WideToPath(shortName, SourceDir);
}

int RootLength(const char *path)
{
    if (path[0] != '\\')
        return path[0] != '\0' && path[1] == ':' && (path[2] == '\\' || path[2] == '/') ? 3 : 0;
    if (path[1] != '\\' || path[2] == '\\' || path[2] == '\0')
        return 0;
    const char *p = path + 2;
    for (int separators = 0; *p != '\0'; p = CharNextA(p))
    {
        if (*p == '\\' && ++separators == 2)
            return (int)(p - path) + 1;
    }
    return (int)(p - path);
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

int IsPresent(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

int IsDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int ReadFileInformation(const char *path, BY_HANDLE_FILE_INFORMATION *information)
{
    HANDLE file = OpenToQuery(path, 0);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int read = GetFileInformationByHandle(file, information);
    CloseHandle(file);
    return read;
}

int CompareIdentities(const char *a, const char *b, DWORD flags)
{
    /* Both stay open meanwhile: Windows vouches for an index only while its file is open. */
    HANDLE first = OpenToQuery(a, flags);
    HANDLE second = OpenToQuery(b, flags);
    BY_HANDLE_FILE_INFORMATION one;
    BY_HANDLE_FILE_INFORMATION other;
    int same = -1;
    if (first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandle(first, &one) && GetFileInformationByHandle(second, &other) &&
        (one.nFileIndexLow | one.nFileIndexHigh) != 0)
        same = one.nFileIndexLow == other.nFileIndexLow &&
               one.nFileIndexHigh == other.nFileIndexHigh &&
               one.dwVolumeSerialNumber == other.dwVolumeSerialNumber;
    CloseOpened(first);
    CloseOpened(second);
    return same;
}

int NamesProductFile(const char *path, int length)
{
    char given[PathSize];
    char full[PathSize];
    if (!CopyBytes(given, PathSize, path, length))
        return 0;
    for (int index = 0; index < ProductFileCount; index++)
    {
        char product[PathSize];
        char productFull[PathSize];
        if (!FormPath(product, InstallDir, ProductFiles[index]))
            continue;
        /* A file is known by its volume and index, in any spelling of its name; where they tell
           nothing (a log still to be made), by its full name. */
        int same = CompareIdentities(given, product, 0);
        if (same > 0 || (same < 0 && FullPath(given, full) && FullPath(product, productFull) &&
                         lstrcmpiA(full, productFull) == 0))
            return 1;
    }
    return 0;
}

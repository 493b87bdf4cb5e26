/*
 * The file system's volume and file index tell two spellings of one folder
 * from two folders (base/paths.h). Windows 9x opens no folder: there the
 * system's short forms of the two full paths are compared instead, letter case
 * ignored as the file system ignores it.
 */
#include <windows.h>
#include "base/folders.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/state.h"

namespace
{

/* The short form of path made full, in form (PathSize bytes), without a trailing backslash
 * unless it is a root's; 0 where the system cannot give it (the path names nothing). */
int GetShortForm(const char *path, char *form)
{
    char full[PathSize];
    char *name;
    DWORD length = GetFullPathNameA(path, PathSize, full, &name);
    if (length == 0 || length >= PathSize)
        return 0;
    length = GetShortPathNameA(full, form, PathSize);
    if (length == 0 || length >= PathSize)
        return 0;
    char *last = CharPrevA(form, form + length);
    if (*last == '\\' && last[-1] != ':')
        *last = '\0';
    return 1;
}

} // namespace

int IsSameFolder(const char *a, const char *b)
{
    if (!RootLength(a) || !RootLength(b))
        return 0;
    int same = CompareIdentities(a, b, FILE_FLAG_BACKUP_SEMANTICS);
    if (same >= 0)
        return same;
    char formA[PathSize];
    char formB[PathSize];
    return GetShortForm(a, formA) && GetShortForm(b, formB) && lstrcmpiA(formA, formB) == 0;
}

int IsInFolder(const char *path, const char *folder)
{
    char parent[PathSize];
    return FormatText(parent, PathSize, "%s", path) && StripLastComponent(parent) &&
           IsSameFolder(parent, folder);
}

void GetLongForm(const char *path, char *longForm)
{
    /* Windows 95 and NT 4 have no GetLongPathNameA: each name is looked up in turn. */
    int length = RootLength(path);
    CopyBytes(longForm, PathSize, path, length);
    for (const char *name = path + length; *name != '\0';)
    {
        const char *end = name;
        while (*end != '\0' && *end != '\\')
            end = CharNextA(end);
        int used = lstrlenA(longForm);
        if (!CopyBytes(longForm + used, PathSize - used, name, (int)(end - name)))
            return;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(longForm, &found);
        if (search != INVALID_HANDLE_VALUE)
        {
            FindClose(search);
            /* "." and ".." are found as themselves, not as the folder they name. */
            if (name[0] != '.' &&
                !FormatText(longForm + used, PathSize - used, "%s", found.cFileName))
                CopyBytes(longForm + used, PathSize - used, name, (int)(end - name));
        }
        if (*end == '\0')
            break;
        FormatText(longForm + lstrlenA(longForm), PathSize - lstrlenA(longForm), "\\");
        name = end + 1;
    }
}

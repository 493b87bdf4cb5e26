/*
 * The first thing left, kept for the uninstaller's one message.
 */
#include <windows.h>
#include "base/format.h"
#include "base/leftover.h"
#include "base/log.h"

namespace
{

void KeepFirst(Leftover *leftover, const char *what, const char *why)
{
    if (leftover->what[0] != '\0')
        return;
    FormatText(leftover->what, sizeof leftover->what, "%s", what);
    FormatText(leftover->why, sizeof leftover->why, "%s", why);
}

} // namespace

int NoteLeftover(Leftover *leftover, const char *call, const char *what, DWORD error)
{
    char why[sizeof leftover->why];
    if (!error)
        error = GetLastError();
    LogFailure(call, what, NULL, error);
    FormatSystemText(why, sizeof why, error);
    KeepFirst(leftover, what, why);
    return 0;
}

void NoteLeftoverBecause(Leftover *leftover, const char *what, const char *why)
{
    Log("Could not remove %s: %s", what, why);
    KeepFirst(leftover, what, why);
}

void DeleteOrNote(const char *path, Leftover *leftover)
{
    DWORD attributes = GetFileAttributesA(path);
    /* Windows deletes no read-only file. */
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path))
    {
        Log("Removed %s", path);
        return;
    }
    NoteLeftover(leftover, "DeleteFileA", path, 0);
    SetFileAttributesA(path, attributes);
}

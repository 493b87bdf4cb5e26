/*
 * Backups of an earlier install's files, and putting them back. A mixture of
 * two versions works as neither, so a reinstall that fails part way restores
 * every file it replaced. Whatever else may hold a file meanwhile (a virus
 * scanner, an indexer, a sync client) must not keep an earlier file from
 * coming back, and a run killed part way must leave enough behind for the next
 * one to finish the job.
 */
#include <windows.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "install/rollback.h"

/*
 * The backup is the file's own name with its last character made a tilde
 * ("Nim2Alph.ex~"), the common mark of a backup, which no row's name has. No
 * two rows differ in their last character only; the name is as long as the
 * file's own, so it fits wherever the destination does; and a kept program
 * cannot be started by its extension.
 */
int FormDestination(int index, char *destination, char *backup)
{
    const char *name = ProductFiles[index];
    if (!FormPath(destination, InstallDir, name) || !FormPath(backup, InstallDir, name))
        return 0;
    backup[lstrlenA(backup) - 1] = '~';
    return 1;
}

namespace
{

/*
 * The list of backups, one bare name a line, and the names a file of this run
 * is moved to on its way out ("NimSetup.$$0" for row 0): the old mark of a
 * temporary file, which no user gives and no row or backup has. It is no
 * longer than the longest row's name, so it fits wherever every row does.
 */
const char ListName[] = "NimSetup.$$$";

enum
{
    ListSize = ProductFileCount * 16, /* eight names of up to 12 characters and CR LF */
    PutBackTries = 4,                 /* whoever holds the file may let go meanwhile */
    PutBackPauseMs = 250
};

int FormOwnPath(int index, char *path)
{
    if (!FormPath(path, InstallDir, ListName))
        return 0;
    if (index >= 0)
        path[lstrlenA(path) - 1] = (char)('0' + index);
    return 1;
}

/* The backup's name of each row in rows, a line each, into text (ListSize bytes). */
void FormList(unsigned rows, char *text)
{
    char *end = text;
    *end = '\0';
    for (int index = 0; index < ProductFileCount; index++)
    {
        if (!((rows >> index) & 1) ||
            !FormatText(end, ListSize - (end - text), "%s\r\n", ProductFiles[index]))
            continue;
        end += lstrlenA(end);
        end[-3] = '~';
    }
}

/* Whether text, lines ending in CR LF, has line (with its CR LF) as one of them. */
int HasLine(const char *text, const char *line)
{
    while (*text)
    {
        const char *a = text;
        const char *b = line;
        while (*b && *a == *b)
            a++, b++;
        if (!*b)
            return 1;
        while (*text && *text++ != '\n')
            ;
    }
    return 0;
}

/* The list an interrupted run left into text (ListSize bytes); empty where there is none. */
void ReadList(char *text)
{
    char list[PathSize];
    DWORD read = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (FormOwnPath(-1, list))
        file = CreateFileA(list, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file != INVALID_HANDLE_VALUE)
    {
        if (!ReadFile(file, text, ListSize - 1, &read, NULL))
            read = 0;
        CloseHandle(file);
    }
    text[read] = '\0';
}

/* Writes the list naming the backup of each row in rows, in one piece; 0 when it cannot. */
int WriteList(unsigned rows)
{
    char list[PathSize];
    char text[ListSize];
    DWORD written = 0;
    HANDLE file = INVALID_HANDLE_VALUE;
    FormList(rows, text);
    if (FormOwnPath(-1, list))
        file =
            CreateFileA(list, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", list, NULL, 0);
    DWORD length = (DWORD)lstrlenA(text);
    if (!WriteFile(file, text, length, &written, NULL) || written != length)
        LogFailure("WriteFile", list, NULL, 0);
    CloseHandle(file);
    return written == length;
}

void DeleteList(void)
{
    char list[PathSize];
    if (FormOwnPath(-1, list))
        DeleteFileA(list);
}

/*
 * NT's MoveFileExA replaces what may still stand at the name. Windows 9x
 * exports it only as a stub that fails (ERROR_CALL_NOT_IMPLEMENTED); there
 * MoveFileA, which needs the name free, must do.
 */
int MoveBack(const char *backup, const char *destination)
{
    MoveFileExCall moveEx = FindMoveFileEx();
    if (moveEx)
    {
        if (moveEx(backup, destination, MOVEFILE_REPLACE_EXISTING))
            return 1;
        LogFailure("MoveFileExA", backup, destination, 0);
    }
    if (MoveFileA(backup, destination))
        return 1;
    return LogFailure("MoveFileA", backup, destination, 0);
}

/* Replaces this run's file at destination with the earlier one from backup; 0 when it cannot. */
int PutBack(int index, const char *backup, const char *destination)
{
    for (int attempt = 1;; attempt++)
    {
        RemoveRunsFile(index, destination);
        if (MoveBack(backup, destination))
        {
            Log("Put back %s", destination);
            return 1;
        }
        if (attempt == PutBackTries)
        {
            Log("Could not put back %s", backup);
            return 0;
        }
        Sleep(PutBackPauseMs);
    }
}

} // namespace

/*
 * Windows takes a file held open with delete sharing off its name only when
 * the last handle closes; until then the name stays taken (NT up to Windows
 * 10 1809, and FAT and network drives on every version: "Closing and Deleting
 * Files" has a file renamed to reuse its name at once). So the file is first
 * moved to a name of the setup's own and deleted there; an earlier run's file
 * still there is deleted first (never read-only: it was lifted before the
 * move). Read-only is lifted before each delete: Windows
 * will not delete a read-only file, and a copy of a read-only source is one.
 */
void RemoveRunsFile(int index, const char *path)
{
    char aside[PathSize];
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (FormOwnPath(index, aside))
    {
        DeleteFileA(aside);
        if (MoveFileA(path, aside))
            path = aside;
        else
            LogFailure("MoveFileA", path, aside, 0);
    }
    if (!DeleteFileA(path))
        LogFailure("DeleteFileA", path, NULL, 0);
}

int BeginBackups(unsigned earlier, unsigned *moved)
{
    char text[ListSize];
    char line[ListSize];
    unsigned listed = 0;
    int first = -1;
    ReadList(text);
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        char backup[PathSize];
        if (!FormDestination(index, destination, backup))
            continue;
        int backupThere = GetFileAttributesA(backup) != INVALID_FILE_ATTRIBUTES;
        FormList(1u << index, line);
        if (backupThere && HasLine(text, line))
        {
            *moved |= 1u << index;
            /* An interrupted copy of a read-only source is read-only: CopyFileA would fail. */
            SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        }
        else if (backupThere || !((earlier >> index) & 1))
            continue;
        listed |= 1u << index;
        if (first < 0)
            first = index;
    }
    if (!listed)
        DeleteList();
    else if (!WriteList(listed))
        return first;
    return -1;
}

int MoveAside(const char *destination, const char *backup, DWORD *error)
{
    if (MoveFileA(destination, backup))
        return 1;
    *error = GetLastError();
    return LogFailure("MoveFileA", destination, backup, *error);
}

int Settle(unsigned earlier, unsigned moved, int putBack)
{
    unsigned kept = 0;
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        char backup[PathSize];
        unsigned row = 1u << index;
        if (!FormDestination(index, destination, backup))
            continue;
        if (!(moved & row))
        {
            if (putBack && !(earlier & row))
                RemoveRunsFile(index, destination);
        }
        else if (!putBack)
            RemoveRunsFile(index, backup);
        else if (!PutBack(index, backup, destination))
            kept |= row;
    }
    /* Last, once no backup is left: a run killed before this finds the list. */
    if (kept)
    {
        WriteList(kept);
        return 0;
    }
    DeleteList();
    return 1;
}

int RemoveListedBackups(void)
{
    char text[ListSize];
    char line[ListSize];
    int removed = 1;
    ReadList(text);
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        char backup[PathSize];
        FormList(1u << index, line);
        if (!FormDestination(index, destination, backup) || !HasLine(text, line) ||
            GetFileAttributesA(backup) == INVALID_FILE_ATTRIBUTES)
            continue;
        SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(backup))
            Log("Removed %s", backup);
        else
            removed = LogFailure("DeleteFileA", backup, NULL, 0);
    }
    if (removed)
        DeleteList();
    return removed;
}

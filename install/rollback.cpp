/*
 * Backups of an earlier install's files, and putting them back. A mixture of
 * two versions works as neither, so a reinstall that fails part way restores
 * every file it replaced, and one that completed is never undone. Whatever
 * else may hold a file meanwhile (a virus scanner, an indexer, a sync client)
 * must not keep an earlier file from coming back nor a backup from going, and
 * a run killed at any moment, or a machine switched off, must leave enough on
 * the disk for the next run to finish the job one way or the other.
 */
#include <windows.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "install/rollback.h"

namespace
{

/*
 * The list's own names: "NimSetup.$$$" the list, "NimSetup.$$~" its next text
 * while it is written, and "NimSetup.$$0" for row 0 the name a file of this
 * run is moved to on its way out: the old mark of a temporary file, which no
 * user gives and no row or backup has. They are no longer than the longest
 * row's name, so they fit wherever every row does.
 */
const char ListName[] = "NimSetup.$$$";
const char ListMark = '$';
const char NextListMark = '~';

/* The list's first line, which tells it from any other file of its name, and its last. */
const char ListHeader[] = PRODUCT_NAME " setup backups\r\n";
const char ListEnd[] = "end\r\n";
const char RestoreWord[] = "restore ";
const char DeleteWord[] = "delete ";

enum
{
    /* This run's backup of each row, and one a run before could not delete. */
    MaxBackups = 2 * ProductFileCount,
    /* The row's name with a tilde last ("Notes.do~"), then "Notes.d1~" to "Notes.d9~". */
    BackupNames = 10,
    Tries = 4, /* whoever holds a file may let go meanwhile */
    PauseMs = 250
};

/* What a backup is for. */
enum
{
    Restore, /* the earlier install's file: put back unless the new install is whole */
    Delete,  /* the new install is whole: only left to delete */
    Gone     /* no longer there, or never the setup's: not listed again */
};

/* A line of the list: a backup's name and the file it was made of, as the file system reports
 * it then; a move keeps both. */
struct Backup
{
    int row;
    int name; /* which of the row's BackupNames */
    DWORD size;
    FILETIME written;
    int use;
};

Backup Backups[MaxBackups];
int BackupCount;

/* The name each row's earlier file takes in this run. */
int RowName[ProductFileCount];

int FormOwnPath(char mark, char *path)
{
    if (!FormPath(path, InstallDir, ListName))
        return 0;
    path[lstrlenA(path) - 1] = mark;
    return 1;
}

/*
 * Backup number name of row (0 "Notes.do~", 1 to 9 "Notes.d1~" to
 * "Notes.d9~") in directory, or bare for "": the common mark of a backup last,
 * which no row's name has, and no longer than the row's name, so it fits
 * wherever the row does. No two rows differ in their last two characters only,
 * and a kept program cannot be started by its extension.
 */
int FormBackupName(const char *directory, int row, int name, char *path)
{
    if (!FormPath(path, directory, ProductFiles[row]))
        return 0;
    char *end = path + lstrlenA(path);
    end[-1] = '~';
    if (name > 0 && end - path >= 2)
        end[-2] = (char)('0' + name);
    return 1;
}

/* Whether the text at *at begins with word; if so, *at is moved past it. */
int Take(const char **at, const char *word)
{
    const char *p = *at;
    for (; *word; word++, p++)
        if (*p != *word)
            return 0;
    *at = p;
    return 1;
}

/* A decimal number of 32 bits at *at, followed by end. */
int TakeNumber(const char **at, DWORD *value, const char *end)
{
    const char *p = *at;
    DWORD number = 0;
    if (*p < '0' || *p > '9')
        return 0;
    for (; *p >= '0' && *p <= '9'; p++)
    {
        DWORD digit = (DWORD)(*p - '0');
        if (number > (0xFFFFFFFFu - digit) / 10)
            return 0;
        number = number * 10 + digit;
    }
    *value = number;
    *at = p;
    return Take(at, end);
}

/* A backup's name at *at, one of the names the setup gives a row's backups, and a space. */
int TakeBackupName(const char **at, Backup *backup)
{
    char name[PathSize];
    for (backup->row = 0; backup->row < ProductFileCount; backup->row++)
        for (backup->name = 0; backup->name < BackupNames; backup->name++)
        {
            const char *p = *at;
            if (FormBackupName("", backup->row, backup->name, name) && Take(&p, name) &&
                Take(&p, " "))
            {
                *at = p;
                return 1;
            }
        }
    return 0;
}

/* "restore Nim2Alph.ex~ 3014 30500000 2147483648" and its CR LF: what the backup is for, its
 * name, its file's size and the high and low halves of its last write. */
int TakeBackupLine(const char **at, Backup *backup)
{
    backup->use = Take(at, RestoreWord) ? Restore : Delete;
    return (backup->use == Restore || Take(at, DeleteWord)) && TakeBackupName(at, backup) &&
           TakeNumber(at, &backup->size, " ") &&
           TakeNumber(at, &backup->written.dwHighDateTime, " ") &&
           TakeNumber(at, &backup->written.dwLowDateTime, "\r\n");
}

/* The list's text, length bytes, into Backups; 0 when it is not whole as the setup writes it. */
int ParseList(const char *text, DWORD length)
{
    const char *at = text;
    BackupCount = 0;
    int whole = Take(&at, ListHeader);
    while (whole && !Take(&at, ListEnd))
    {
        whole = BackupCount < MaxBackups && TakeBackupLine(&at, &Backups[BackupCount]);
        BackupCount += whole;
    }
    /* Nothing after the end, not even a NUL (the zeros a power cut can leave in a file). */
    whole = whole && at == text + length;
    if (!whole)
        BackupCount = 0;
    return whole;
}

/* What ReadListFile found at a path. */
enum
{
    ListMissing,
    ListRead,
    ListUnreadable
};

/* The file at path into text (BackupListBytes + 1 bytes) and its length. */
int ReadListFile(const char *path, char *text, DWORD *length)
{
    if (!IsPresent(path))
        return ListMissing;
    /* A folder of its name cannot be opened so either. */
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
    {
        LogFailure("CreateFileA", path, NULL, 0);
        return ListUnreadable;
    }
    /* One byte more than the setup ever writes: a list that fills it is none of its own. */
    int whole = ReadFile(file, text, BackupListBytes, length, NULL) && *length < BackupListBytes;
    CloseHandle(file);
    text[whole ? *length : 0] = '\0';
    return whole ? ListRead : ListUnreadable;
}

/* The list's text for Backups into text (BackupListBytes bytes), which it always fits. */
void FormList(char *text)
{
    char name[PathSize];
    FormatText(text, BackupListBytes, "%s", ListHeader);
    for (int i = 0; i < BackupCount; i++)
    {
        const Backup *backup = &Backups[i];
        int length = lstrlenA(text);
        FormBackupName("", backup->row, backup->name, name);
        FormatText(text + length, BackupListBytes - length, "%s%s %lu %lu %lu\r\n",
                   backup->use == Restore ? RestoreWord : DeleteWord, name, backup->size,
                   backup->written.dwHighDateTime, backup->written.dwLowDateTime);
    }
    int length = lstrlenA(text);
    FormatText(text + length, BackupListBytes - length, "%s", ListEnd);
}

/*
 * Moves the file at from to the name to, replacing what stands there; flags
 * add to MoveFileExA's. NT's MoveFileExA does it in one step. Windows 9x
 * exports it only as a stub that fails (ERROR_CALL_NOT_IMPLEMENTED); there
 * to is deleted first and MoveFileA, which needs the name free, moves. 0 when
 * neither can.
 */
int MoveReplacing(const char *from, const char *to, DWORD flags)
{
    MoveFileExCall moveEx = FindMoveFileEx();
    if (moveEx)
    {
        if (moveEx(from, to, MOVEFILE_REPLACE_EXISTING | flags))
            return 1;
        LogFailure("MoveFileExA", from, to, 0);
    }
    DeleteFileA(to);
    if (MoveFileA(from, to))
        return 1;
    return LogFailure("MoveFileA", from, to, 0);
}

/* Puts the next text in the list's place. On Windows 9x a cut between the list's deletion and
 * the move leaves the next text, whole, which ReadBackupList takes where there is no list. */
int ReplaceList(const char *next, const char *list)
{
    for (int attempt = 1;; attempt++)
    {
        if (MoveReplacing(next, list, MOVEFILE_WRITE_THROUGH))
            return 1;
        if (attempt == Tries)
            return 0;
        Sleep(PauseMs);
    }
}

/*
 * Writes Backups as the list: first whole at the next name and on the disk,
 * then in the list's place, so that a cut at any moment, even of the power,
 * leaves one list or the other whole. 0 when it cannot.
 */
int WriteList(void)
{
    char list[PathSize];
    char next[PathSize];
    char text[BackupListBytes];
    if (!FormOwnPath(ListMark, list) || !FormOwnPath(NextListMark, next))
        return 0;
    FormList(text);
    HANDLE file =
        CreateFileA(next, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", next, NULL, 0);
    DWORD length = (DWORD)lstrlenA(text);
    DWORD written = 0;
    int whole = WriteFile(file, text, length, &written, NULL) && written == length &&
                FlushFileBuffers(file);
    if (!whole)
        LogFailure("WriteFile", next, NULL, 0);
    CloseHandle(file);
    return whole && ReplaceList(next, list);
}

void DeleteList(void)
{
    char path[PathSize];
    if (FormOwnPath(ListMark, path))
        DeleteFileA(path);
    if (FormOwnPath(NextListMark, path))
        DeleteFileA(path);
}

/*
 * Whether the file at backup's name is the one it was made of, by size and
 * last write. Anything else there is the user's: never deleted, moved or put
 * back.
 */
int IsRecorded(const Backup *backup)
{
    char path[PathSize];
    BY_HANDLE_FILE_INFORMATION information;
    if (!FormBackupName(InstallDir, backup->row, backup->name, path) ||
        !ReadFileInformation(path, &information))
        return 0;
    int same = !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
               information.nFileSizeLow == backup->size &&
               information.ftLastWriteTime.dwHighDateTime == backup->written.dwHighDateTime &&
               information.ftLastWriteTime.dwLowDateTime == backup->written.dwLowDateTime;
    if (!same)
        Log("Left alone %s: not the file the list records", path);
    return same;
}

/* Deletes backup's file, asked again a few times while something holds it; 0 when it stays. */
int RemoveBackup(const Backup *backup)
{
    char path[PathSize];
    if (!FormBackupName(InstallDir, backup->row, backup->name, path))
        return 0;
    for (int attempt = 1;; attempt++)
    {
        RemoveRunsFile(backup->row, path);
        if (!IsPresent(path))
        {
            Log("Removed %s", path);
            return 1;
        }
        if (attempt == Tries)
        {
            Log("Could not remove %s", path);
            return 0;
        }
        Sleep(PauseMs);
    }
}

/* Takes the backups that are gone, or never were the setup's, out of Backups. */
void ForgetGone(void)
{
    int kept = 0;
    for (int i = 0; i < BackupCount; i++)
    {
        if (Backups[i].use != Gone)
            Backups[kept++] = Backups[i];
    }
    BackupCount = kept;
}

/*
 * Deletes every backup left to delete and writes the list of those that stay,
 * or deletes the list when none does: last, so that a run killed before finds
 * the list.
 */
void FinishList(void)
{
    for (int i = 0; i < BackupCount; i++)
    {
        if (Backups[i].use == Delete && RemoveBackup(&Backups[i]))
            Backups[i].use = Gone;
    }
    ForgetGone();
    if (BackupCount)
        WriteList();
    else
        DeleteList();
}

/* Row index's backup of the earlier file in this run, or NULL. */
Backup *RowsBackup(int index)
{
    for (int i = 0; i < BackupCount; i++)
        if (Backups[i].row == index && Backups[i].use == Restore)
            return &Backups[i];
    return NULL;
}

/*
 * Chooses the name row index's earlier file will take: the first of its
 * backup names at which nothing stands (the user's Notes.do~ keeps its name),
 * and records the file as it is. 0 when no name is free, the list is full or
 * the file cannot be read.
 */
int PlanBackup(int index)
{
    char destination[PathSize];
    char backup[PathSize];
    BY_HANDLE_FILE_INFORMATION information;
    if (BackupCount == MaxBackups || !FormPath(destination, InstallDir, ProductFiles[index]) ||
        !ReadFileInformation(destination, &information))
        return 0;
    for (int name = 0; name < BackupNames; name++)
    {
        if (!FormBackupName(InstallDir, index, name, backup))
            return 0;
        if (IsPresent(backup))
            continue;
        Backup planned = {index, name, information.nFileSizeLow, information.ftLastWriteTime,
                          Restore};
        Backups[BackupCount++] = planned;
        RowName[index] = name;
        return 1;
    }
    return 0;
}

/* Replaces this run's file at destination with the earlier one from backup; 0 when it cannot. */
int PutBack(int index, const char *backup, const char *destination)
{
    for (int attempt = 1;; attempt++)
    {
        RemoveRunsFile(index, destination);
        if (MoveReplacing(backup, destination, 0))
        {
            Log("Put back %s", destination);
            return 1;
        }
        if (attempt == Tries)
        {
            Log("Could not put back %s", backup);
            return 0;
        }
        Sleep(PauseMs);
    }
}

/* The copy failed: every row as it was before this run. */
int PutBackEarlierFiles(unsigned earlier, unsigned moved)
{
    int whole = 1;
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        char backup[PathSize];
        unsigned row = 1u << index;
        Backup *listed = RowsBackup(index);
        if (!FormDestination(index, destination, backup))
            continue;
        if (!(moved & row))
        {
            if (!(earlier & row))
                RemoveRunsFile(index, destination);
            /* A backup planned but never made: the earlier file is still at its name. */
            if (listed)
                listed->use = Gone;
        }
        else if (!PutBack(index, backup, destination))
            whole = 0;
        else if (listed)
            listed->use = Gone;
    }
    FinishList();
    return whole;
}

/* The copy completed: the list says so before the first backup goes, and a run cut short
 * meanwhile is finished by the next one, never undone. */
void DropBackups(unsigned moved)
{
    if (!BackupCount)
        return;
    for (int i = 0; i < BackupCount; i++)
    {
        /* Planned, but never made: the file was its own source and stayed where it was. */
        if (Backups[i].use == Restore && !((moved >> Backups[i].row) & 1))
            Backups[i].use = Gone;
        else
            Backups[i].use = Delete;
    }
    ForgetGone();
    /* Not marked: the backups stay, still the earlier install's by the list on the disk. */
    if (!BackupCount || WriteList())
        FinishList();
}

} // namespace

int FormDestination(int index, char *destination, char *backup)
{
    return FormPath(destination, InstallDir, ProductFiles[index]) &&
           FormBackupName(InstallDir, index, RowName[index], backup);
}

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
    if (!IsPresent(path))
        return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (FormOwnPath((char)('0' + index), aside))
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

int ReadBackupList(void)
{
    char list[PathSize];
    char next[PathSize];
    char text[BackupListBytes + 1];
    DWORD length = 0;
    BackupCount = 0;
    for (int index = 0; index < ProductFileCount; index++)
        RowName[index] = 0;
    if (!FormOwnPath(ListMark, list) || !FormOwnPath(NextListMark, next))
        return 1;
    int found = ReadListFile(list, text, &length);
    /* No list: a next text there is whole where it outlived its list, else it never became one. */
    if (found == ListMissing)
    {
        if (ReadListFile(next, text, &length) == ListRead)
            ParseList(text, length);
        return 1;
    }
    return found == ListRead && ParseList(text, length);
}

int MayWriteBackupList(void)
{
    char path[PathSize];
    for (int index = 0; index < ProductFileCount; index++)
        if (FormPath(path, InstallDir, ProductFiles[index]) && IsPresent(path))
            return 1;
    return FormOwnPath(ListMark, path) && IsPresent(path);
}

int BeginBackups(unsigned earlier, unsigned *moved)
{
    unsigned taken = 0;
    for (int i = 0; i < BackupCount; i++)
    {
        Backup *backup = &Backups[i];
        unsigned row = 1u << backup->row;
        if (!IsRecorded(backup))
            backup->use = Gone;
        else if (backup->use == Restore && !(taken & row))
        {
            char destination[PathSize];
            taken |= row;
            RowName[backup->row] = backup->name;
            /* An interrupted copy of a read-only source is read-only: no copy replaces it. */
            if (FormPath(destination, InstallDir, ProductFiles[backup->row]))
                SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        }
        else if (RemoveBackup(backup))
            backup->use = Gone;
        else
            backup->use = Delete;
    }
    *moved |= taken;
    ForgetGone();

    int first = -1;
    for (int index = 0; index < ProductFileCount; index++)
    {
        if (!(((earlier & ~taken) >> index) & 1))
            continue;
        if (!PlanBackup(index))
            return index;
        if (first < 0)
            first = index;
    }
    if (!BackupCount)
        DeleteList();
    /* Unwritten, the list on the disk still names what it named; only a backup to come must
       be in it. */
    else if (!WriteList() && first >= 0)
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
    if (putBack)
        return PutBackEarlierFiles(earlier, moved);
    DropBackups(moved);
    return 1;
}

int RemoveListedBackups(int *unreadable)
{
    *unreadable = !ReadBackupList();
    if (*unreadable)
    {
        Log("%s in %s is not a list this setup can read: left as it is", ListName, InstallDir);
        return 0;
    }
    /* No install is left to put them back into. */
    for (int i = 0; i < BackupCount; i++)
        Backups[i].use = IsRecorded(&Backups[i]) ? Delete : Gone;
    FinishList();
    return BackupCount == 0;
}

/*
 * The file copy: one file after another, each announced in the status line
 * before it is copied, stopping at the first that fails. Over an earlier
 * install each file replaced is moved aside first and a failure puts all of it
 * back, since a mixture of two versions works as neither; on a first install
 * the files already copied stay where they are.
 */
#include <windows.h>
#include "install/copy.h"
#include "install/paths.h"
#include "setup/dialog.h"
#include "setup/format.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

/* Size of the copy failure message, terminator included. */
enum
{
    CopyMessageSize = 128
};

void CloseOpened(HANDLE file)
{
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

/*
 * Whether two paths name one file, in whatever spelling: slashes, ".", short
 * names, letter case. The text cannot tell (a case fold by bytes would even
 * alter double-byte characters); the volume and file index can. Both files stay
 * open meanwhile: Windows 95 vouches for an index only while its file is open.
 * An index of 0 (Win32s, some network redirectors) tells nothing and never matches.
 */
int IsSameFile(const char *a, const char *b)
{
    HANDLE first = OpenToQuery(a);
    HANDLE second = OpenToQuery(b);
    BY_HANDLE_FILE_INFORMATION one;
    BY_HANDLE_FILE_INFORMATION other;
    int same =
        first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandle(first, &one) && GetFileInformationByHandle(second, &other) &&
        (one.nFileIndexLow | one.nFileIndexHigh) != 0 && one.nFileIndexLow == other.nFileIndexLow &&
        one.nFileIndexHigh == other.nFileIndexHigh &&
        one.dwVolumeSerialNumber == other.dwVolumeSerialNumber;
    CloseOpened(first);
    CloseOpened(second);
    return same;
}

int Percentage(void)
{
    int percentage = ((FilesCopied + 1) * 100) / ProductFileCount;
    return percentage > 100 ? 100 : percentage;
}

/*
 * A file from a downloaded archive carries the "downloaded from the internet"
 * mark in its Zone.Identifier stream, and CopyFileA copies the stream along:
 * every start of the installed product would warn. FAT volumes, Windows 9x and
 * Wine keep no such streams; there the deletion simply fails.
 */
void RemoveDownloadMark(const char *path)
{
    char stream[PathSize + 16];
    if (FormatText(stream, sizeof stream, "%s:Zone.Identifier", path))
        DeleteFileA(stream);
}

/*
 * Forms the destination of row index, and backup, the name its earlier file
 * keeps while the copy runs: the file's own name with its last character made
 * a tilde ("Nim2Alph.ex~"), the common mark of a backup, which no row's name
 * has and a user seldom gives a file. No two rows differ in their last
 * character only; the name is as long as the file's own, so it fits wherever
 * the destination does; and a kept program cannot be started by its extension.
 */
int FormDestination(int index, char *destination, char *backup)
{
    const char *name = ProductFiles[index];
    if (!FormPath(destination, InstallDir, name) || !FormPath(backup, InstallDir, name))
        return 0;
    backup[lstrlenA(backup) - 1] = '~';
    return 1;
}

/* Deletes a backup, which keeps the read-only attribute of the file it was. */
void DeleteBackup(const char *backup)
{
    SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(backup);
}

/*
 * Copies one file over whatever is at destination, unless both name the same
 * file. An earlier file there is first moved to backup, attributes and all, in
 * place of a backup an interrupted run may have left; *moved is set once it is.
 */
int CopyOneFile(const char *source, const char *destination, const char *backup, int earlier,
                int *moved)
{
    if (IsSameFile(source, destination))
        return 1;
    if (earlier)
    {
        DeleteBackup(backup);
        if (!MoveFileA(destination, backup))
            return LogFailure("MoveFileA", 0);
        *moved = 1;
    }
    if (!CopyFileA(source, destination, FALSE))
        return LogFailure("CopyFileA", 0);
    RemoveDownloadMark(destination);
    return 1;
}

/*
 * Whether the product file at destination can be replaced: opened for writing
 * without sharing, which fails while the product runs. Windows refuses to open
 * a read-only file for writing, so the attribute is lifted for the test only.
 */
int CanReplace(const char *destination, DWORD attributes)
{
    SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    HANDLE file = CreateFileA(destination, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileAttributesA(destination, attributes);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", 0);
    CloseHandle(file);
    return 1;
}

/*
 * The row of the first file of an earlier install that cannot be replaced, or
 * -1, with a bit in earlier for each row that has a file. Checked before
 * anything is copied: a refusal then changes nothing.
 */
int FirstIrreplaceableFile(unsigned *earlier)
{
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        DWORD attributes = INVALID_FILE_ATTRIBUTES;
        if (FormPath(destination, InstallDir, ProductFiles[index]))
            attributes = GetFileAttributesA(destination);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        *earlier |= 1u << index;
        if (!CanReplace(destination, attributes))
            return index;
    }
    return -1;
}

/*
 * Every row after the copy: with putBack, as it was before this run (a file
 * this run made is deleted and a moved one comes back; a backup that cannot
 * be put back stays), otherwise rid of its backup, this run's or one an
 * interrupted run left.
 */
void Settle(unsigned earlier, unsigned moved, int putBack)
{
    for (int index = 0; index < ProductFileCount; index++, earlier >>= 1, moved >>= 1)
    {
        char destination[PathSize];
        char backup[PathSize];
        if (!FormDestination(index, destination, backup))
            continue;
        if (!putBack)
            DeleteBackup(backup);
        else if ((moved | ~earlier) & 1)
            DeleteFileA(destination);
        if (!putBack || !(moved & 1))
            continue;
        if (MoveFileA(backup, destination))
            Log("Put back %s", destination);
        else
            LogFailure("MoveFileA", 0);
    }
}

void ReportCopyFailure(HWND dialog, const char *name)
{
    char message[CopyMessageSize];
    FormatText(message, sizeof message, "Could not copy %s", name);
    TellUser(dialog, message);
}

} // namespace

int CopyProductFiles(HWND dialog)
{
    unsigned earlier = 0;
    unsigned moved = 0;
    FilesCopied = 0;
    ShowStatus(dialog, "Copying files.");
    int failed = FirstIrreplaceableFile(&earlier);
    if (failed >= 0)
    {
        ReportCopyFailure(dialog, ProductFiles[failed]);
        return 0;
    }
    for (int index = 0; index < ProductFileCount; index++)
    {
        const char *name = ProductFiles[index];
        char source[PathSize];
        char destination[PathSize];
        char backup[PathSize];
        int wasMoved = 0;
        int formed =
            FormPath(source, SourceDir, name) && FormDestination(index, destination, backup);

        ShowStatus(dialog, "Copying files... %d%% completed", Percentage());
        int copied =
            formed && CopyOneFile(source, destination, backup, (earlier >> index) & 1, &wasMoved);
        moved |= wasMoved << index;
        if (!copied)
        {
            failed = index;
            break;
        }
        /* A read-only source would otherwise arrive read-only. */
        SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        Log("Copied %s", destination);
        FilesCopied++;
    }
    /* A first install that fails keeps what it copied: it replaced nothing. */
    if (failed < 0 || earlier)
        Settle(earlier, moved, failed >= 0);
    if (failed < 0)
        return 1;
    ReportCopyFailure(dialog, ProductFiles[failed]);
    return 0;
}

/*
 * The file copy: one file after another, each announced in the status line
 * before it is copied, stopping at the first that fails. Files already copied
 * stay where they are.
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

/* Copies one file over whatever is at destination, unless both name the same file. */
int CopyOneFile(const char *source, const char *destination)
{
    if (IsSameFile(source, destination))
        return 1;
    if (!CopyFileA(source, destination, FALSE))
        return LogFailure("CopyFileA", 0);
    RemoveDownloadMark(destination);
    return 1;
}

/*
 * Whether the product file at destination, if there is one, can be replaced:
 * its read-only, hidden and system attributes cleared (Windows refuses to
 * overwrite a read-only file), and then opened for writing without sharing,
 * which fails while the product runs.
 */
int CanReplace(const char *destination)
{
    const DWORD refusing = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (attributes & refusing)
        SetFileAttributesA(destination, attributes & ~refusing);
    HANDLE file = CreateFileA(destination, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", 0);
    CloseHandle(file);
    return 1;
}

/*
 * The row of the first file of an earlier install that cannot be replaced, or
 * -1. Checked before anything is copied: a stop part way through would leave
 * a mixture of two versions.
 */
int FirstIrreplaceableFile(void)
{
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        if (FormPath(destination, InstallDir, ProductFiles[index]) && !CanReplace(destination))
            return index;
    }
    return -1;
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
    FilesCopied = 0;
    ShowStatus(dialog, "Copying files.");
    int irreplaceable = FirstIrreplaceableFile();
    if (irreplaceable >= 0)
    {
        ReportCopyFailure(dialog, ProductFiles[irreplaceable]);
        return 0;
    }
    for (int index = 0; index < ProductFileCount; index++)
    {
        const char *name = ProductFiles[index];
        char source[PathSize];
        char destination[PathSize];
        int formed = FormPath(source, SourceDir, name) && FormPath(destination, InstallDir, name);

        ShowStatus(dialog, "Copying files... %d%% completed", Percentage());
        if (!formed || !CopyOneFile(source, destination))
        {
            ReportCopyFailure(dialog, name);
            return 0;
        }
        /* A read-only source would otherwise arrive read-only. */
        SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        Log("Copied %s", destination);
        FilesCopied++;
    }
    return 1;
}

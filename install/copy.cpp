/*
 * The file copy: one file after another, each announced in the status line
 * before it is copied, stopping at the first that fails. Over an earlier
 * install each file replaced is moved to its backup first and a failure puts
 * all of it back (install/rollback.h); on a first install the files already
 * copied stay where they are, but not the one that failed. With digests each
 * copy is compared with the table as it is written.
 */
#include <windows.h>
#include "install/copy.h"
#include "install/inuse.h"
#include "install/paths.h"
#include "install/rollback.h"
#include "install/sourcecheck.h"
#include "install/verifiedcopy.h"
#include "setup/controller.h"
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
    CopyMessageSize = 192
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
 * Copies row index's file over whatever is at destination, verified against
 * the table as it is written, unless both name the same file, which is then
 * only compared. An earlier file there is first moved to its backup; *moved is
 * set once it is. *damaged tells a file that is not the table's.
 */
int CopyOneFile(int index, const char *source, const char *destination, const char *backup,
                int earlier, int *moved, int *damaged)
{
    if (IsSameFile(source, destination))
    {
        *damaged = !MatchesRecord(destination, index);
        return !*damaged;
    }
    if (earlier)
    {
        if (!MoveAside(destination, backup))
            return 0;
        *moved = 1;
    }
    return CopyVerifiedFile(source, destination, Digests.filled ? &Digests.files[index] : NULL,
                            damaged);
}

void ReportCopyFailure(HWND dialog, const char *format, const char *name)
{
    char message[CopyMessageSize];
    FormatText(message, sizeof message, format, name);
    TellUser(dialog, message);
}

} // namespace

int CopyProductFiles(HWND dialog)
{
    unsigned earlier = 0;
    unsigned moved = 0;
    FilesCopied = 0;
    ShowStatus(dialog, "Copying files.");
    const char *failure = "Could not copy %s";
    int checked = CheckEarlierFiles(dialog, &earlier);
    if (checked != ExitInstalled)
        return checked;
    int failed = BeginBackups(earlier, &moved);
    if (failed >= 0)
    {
        ReportCopyFailure(dialog, failure, ProductFiles[failed]);
        return ExitFailed;
    }
    for (int index = 0; index < ProductFileCount; index++)
    {
        const char *name = ProductFiles[index];
        char source[PathSize];
        char destination[PathSize];
        char backup[PathSize];
        int wasMoved = 0;
        int damaged = 0;
        int formed =
            FormPath(source, SourceDir, name) && FormDestination(index, destination, backup);

        ShowStatus(dialog, "Copying files... %d%% completed", Percentage());
        int copied = formed && CopyOneFile(index, source, destination, backup,
                                           ((earlier & ~moved) >> index) & 1, &wasMoved, &damaged);
        moved |= wasMoved << index;
        /* A read-only source would otherwise arrive read-only. */
        if (copied)
            SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        if (damaged)
            failure = DamagedFileText;
        if (!copied)
        {
            failed = index;
            /* A first install's copy that failed, whole or cut short, is damaged; over an
               earlier install the put-back deletes it. */
            if (formed && !(earlier | moved))
                RemoveRunsFile(index, destination);
            break;
        }
        Log("Copied %s", destination);
        FilesCopied++;
    }
    /* A first install that fails keeps what it copied: it replaced nothing. */
    int allBack = 1;
    if (failed < 0 || (earlier | moved))
        allBack = Settle(earlier, moved, failed >= 0);
    if (failed < 0)
        return ExitInstalled;
    /* Where the put-back is not whole, where the earlier files are matters most. */
    if (!allBack)
        failure = "Could not copy %s. Some earlier files could not be put back: they are in the "
                  "install folder, with ~ as the last letter of their names.";
    ReportCopyFailure(dialog, failure, ProductFiles[failed]);
    return ExitFailed;
}

/*
 * The file copy: one file after another, each announced in the status line
 * before it is copied, stopping at the first that fails. Over an earlier
 * install each file replaced is moved to its backup first and a failure puts
 * all of it back (install/rollback.h); on a first install the files already
 * copied stay where they are, but not the one that failed. With digests each
 * copy is compared with the table as it is written.
 */
#include <windows.h>
#include "base/format.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "install/copy.h"
#include "install/inuse.h"
#include "install/rollback.h"
#include "install/sourcecheck.h"
#include "install/verifiedcopy.h"

short FilesCopied;

namespace
{

int Percentage(void)
{
    int percentage = ((FilesCopied + 1) * 100) / ProductFileCount;
    return percentage > 100 ? 100 : percentage;
}

/*
 * Copies row index's file over whatever is at destination, verified against
 * the table as it is written, unless both name the same file, which is then
 * only compared. An earlier file there is first moved to its backup; *moved is
 * set once it is. outcome tells a file that is not the table's, or one held.
 */
int CopyOneFile(const DigestTable *table, int index, const char *source, const char *destination,
                const char *backup, int earlier, int *moved, CopyOutcome *outcome)
{
    DWORD error = 0;
    /* Run from the install folder: nothing to copy, the file only compared with the table. One
       that cannot be read (a scanner holding it) is not known to be damaged. */
    if (CompareIdentities(source, destination, 0) > 0)
    {
        if (MatchesRecord(table, destination, index, &outcome->unread))
            return 1;
        outcome->damaged = !outcome->unread;
        return 0;
    }
    if (earlier)
    {
        /* Opened by another program since the check found it free. */
        if (!MoveAside(destination, backup, &error))
        {
            outcome->held = IsHeldError(error);
            return 0;
        }
        *moved = 1;
    }
    return CopyVerifiedFile(source, destination, table->filled ? &table->files[index] : NULL,
                            &outcome->damaged);
}

} // namespace

int CopyProductFiles(const DigestTable *table, unsigned earlier, CopyProgress progress,
                     CopyOutcome *outcome)
{
    unsigned moved = 0;
    FilesCopied = 0;
    outcome->failedRow = -1;
    outcome->damaged = 0;
    outcome->held = 0;
    outcome->unread = 0;
    outcome->allPutBack = 1;
    /* A list that cannot be read stops the run before anything changes: what it names may be
       the user's. */
    outcome->listRefused = !ReadBackupList();
    if (outcome->listRefused)
        return 0;
    outcome->failedRow = BeginBackups(earlier, &moved);
    if (outcome->failedRow >= 0)
        return 0;
    for (int index = 0; index < ProductFileCount; index++)
    {
        const char *name = ProductFiles[index];
        char source[PathSize];
        char destination[PathSize];
        char backup[PathSize];
        int wasMoved = 0;
        int formed =
            FormPath(source, SourceDir, name) && FormDestination(index, destination, backup);

        progress(Percentage());
        int copied = formed && CopyOneFile(table, index, source, destination, backup,
                                           ((earlier & ~moved) >> index) & 1, &wasMoved, outcome);
        moved |= wasMoved << index;
        /* A read-only source would otherwise arrive read-only. */
        if (copied)
            SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        if (!copied)
        {
            outcome->failedRow = index;
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
    int failed = outcome->failedRow >= 0;
    if (!failed || (earlier | moved))
        outcome->allPutBack = Settle(earlier, moved, failed);
    return !failed;
}

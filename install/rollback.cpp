/*
 * Backups of an earlier install's files, and putting them back. A mixture of
 * two versions works as neither, so a reinstall that fails part way restores
 * every file it replaced.
 */
#include <windows.h>
#include "install/paths.h"
#include "install/rollback.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

/*
 * The backup is the file's own name with its last character made a tilde
 * ("Nim2Alph.ex~"), the common mark of a backup, which no row's name has and a
 * user seldom gives a file. No two rows differ in their last character only;
 * the name is as long as the file's own, so it fits wherever the destination
 * does; and a kept program cannot be started by its extension.
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

/* A backup keeps the read-only attribute of the file it was. */
void DeleteBackup(const char *backup)
{
    SetFileAttributesA(backup, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(backup);
}

} // namespace

int MoveAside(const char *destination, const char *backup)
{
    DeleteBackup(backup);
    if (!MoveFileA(destination, backup))
        return LogFailure("MoveFileA", destination, backup, 0);
    return 1;
}

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
            LogFailure("MoveFileA", backup, destination, 0);
    }
}

/*
 * The install directory's operations: the folder picker, the free-space test
 * and the creation of the directory with its missing parents. The controller
 * calls them from its Browse and Continue commands.
 */
#include <windows.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/state.h"
#include "install/installdir.h"
#include "install/rollback.h"

char ScratchPath[PathSize];

namespace
{

int IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/*
 * The root GetDiskFreeSpaceA can answer for path, in a PathSize buffer: "X:\"
 * for a path on a drive letter (with its backslash or without, as in "c:" or
 * "c:dir"), "\\server\share\" for a network path, and "" (the current drive)
 * for a relative one. Returns 0 when no root can be named.
 */
int FormRoot(const char *path, char *root)
{
    if (IsDriveLetter(path[0]) && path[1] == ':')
    {
        root[0] = path[0];
        root[1] = ':';
        root[2] = '\\';
        root[3] = '\0';
        return 1;
    }
    root[0] = '\0';
    /* "\\server\share", ended with a backslash; no root for one that names no server. */
    if (path[0] == '\\' && path[1] == '\\')
    {
        int length = RootLength(path);
        return length > 0 && CopyBytes(root, PathSize, path, length) && JoinPath(root, "");
    }
    return path[0] != '\0';
}

/*
 * The nearest folder of path that exists, no higher than its root, ending in
 * a backslash, in a PathSize buffer: where the directory will be made, and
 * so on the volume that must hold its files. 0 when none exists.
 */
int FindExistingFolder(const char *path, const char *root, char *folder)
{
    /* A strip leaves the root without its backslash. */
    int least = lstrlenA(root) - 1;
    FormatText(folder, PathSize, "%s", path);
    while (!IsDirectory(folder))
    {
        if (!StripLastComponent(folder) || lstrlenA(folder) < least)
            return 0;
    }
    return JoinPath(folder, "");
}

/*
 * A folder on a drive can be another, smaller volume (a mounted folder, or a
 * junction to one): the free space of InstallDir's nearest existing folder
 * below root, in clusters of clusterBytes, goes to freeClusters where the
 * system can tell it for a folder (Windows 95 OSR2 and NT 4 on; a plain
 * Windows 95 has no such folders).
 */
void AskFolderSpace(const char *root, DWORD clusterBytes, DWORD *freeClusters)
{
    char folder[PathSize];
    ULARGE_INTEGER available;
    ULARGE_INTEGER total;
    ULARGE_INTEGER free;
    DiskFreeSpaceExCall freeSpaceEx = FindDiskFreeSpaceEx();
    if (!freeSpaceEx || clusterBytes == 0 || !FindExistingFolder(InstallDir, root, folder))
        return;
    if (!freeSpaceEx(folder, &available, &total, &free))
    {
        LogFailure("GetDiskFreeSpaceExA", folder, NULL, 0);
        return;
    }
    /* A cluster is a power of two bytes on every file system: shifting divides by it without
       the 64-bit division, which a program without a C runtime lacks. */
    int shift = 0;
    while (shift < 31 && (1UL << shift) < clusterBytes)
        shift++;
    ULONGLONG clusters = available.QuadPart >> shift;
    if ((1UL << shift) == clusterBytes)
        *freeClusters = clusters > 0xFFFFFFFF ? 0xFFFFFFFF : (DWORD)clusters;
}

/*
 * Windows drops a trailing space or dot when it creates a folder, so the files
 * would then go to a folder of another name or to none. Lead bytes of
 * double-byte characters are never a space or a dot.
 */
int EndsANameInSpaceOrDot(const char *path)
{
    const char *name = path;
    char last = '\0';
    for (const char *p = path;; p = CharNextA(p))
    {
        if (*p == '\\' || *p == '/' || *p == '\0')
        {
            /* "." and ".." are the only names allowed to end in a dot. */
            if (last == ' ' || (last == '.' && (p - name > 2 || *name != '.')))
                return 1;
            if (*p == '\0')
                return 0;
            name = p + 1;
        }
        last = *p;
    }
}

} // namespace

int PickFolder(HWND owner, char *path)
{
    /* Without the shell's picker, Browse does what a cancelled picker does. */
    ShellCalls shell = {};
    if (!LoadShellCalls(&shell))
        return 0;

    char name[PathSize];
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = NULL;
    info.pszDisplayName = name;
    info.lpszTitle = NULL;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = NULL;
    info.lParam = 0;

    LPITEMIDLIST chosen = shell.browseForFolder(&info);
    /* An item without a file-system path is no choice either. */
    return chosen != NULL && TakeItemListPath(&shell, chosen, path);
}

namespace
{

/*
 * The bytes the run writes: RequiredBytes, or with digests the recorded sizes
 * as the drive stores them, each in whole clusters, if that is more. Over an
 * earlier install, whose files stay as backups until the end, the list of
 * backups counts too, twice: its next text is written beside it before it
 * takes its place. The table's sizes come from a distribution of at most
 * RequiredBytes, so no sum here passes 32 bits.
 */
ULONGLONG BytesNeeded(const DigestTable *table, DWORD clusterBytes)
{
    ULONGLONG needed = (ULONGLONG)RequiredBytes;
    if (!table->filled || clusterBytes == 0)
        return needed;
    DWORD clusters = 0;
    for (int i = 0; i < ProductFileCount; i++)
        clusters += (table->files[i].size + clusterBytes - 1) / clusterBytes;
    if (MayWriteBackupList())
        clusters += 2 * ((BackupListBytes + clusterBytes - 1) / clusterBytes);
    ULONGLONG stored = (ULONGLONG)clusters * clusterBytes;
    return stored > needed ? stored : needed;
}

} // namespace

int EnoughFreeSpace(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters,
                    const DigestTable *table, long *shortfall)
{
    ULONGLONG freeBytes = (ULONGLONG)freeClusters * bytesPerSector * sectorsPerCluster;
    ULONGLONG needed = BytesNeeded(table, bytesPerSector * sectorsPerCluster);
    *shortfall = freeBytes >= needed ? 0 : (long)(needed - freeBytes);
    return *shortfall == 0;
}

int CheckDiskSpace(const DigestTable *table, long *shortfall)
{
    char root[PathSize];
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    /* Where the drive cannot tell, let the later steps meet the real problem. */
    *shortfall = 0;
    if (!FormRoot(InstallDir, root))
        return 1;
    if (!GetDiskFreeSpaceA(root[0] ? root : NULL, &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &totalClusters))
        return !LogFailure("GetDiskFreeSpaceA", root, NULL, 0);
    AskFolderSpace(root, sectorsPerCluster * bytesPerSector, &freeClusters);
    /* In clusters: the product of the two can pass 32 bits, which the log's numbers cannot. */
    Log("Free: %lu clusters of %lu bytes", freeClusters, sectorsPerCluster * bytesPerSector);
    return EnoughFreeSpace(sectorsPerCluster, bytesPerSector, freeClusters, table, shortfall);
}

int CreateInstallDirectory(void)
{
    if (InstallDir[0] == '\0' || EndsANameInSpaceOrDot(InstallDir))
        return 0;
    /*
     * Each pass creates one missing level, so there can be no more passes than
     * the path has levels; the bound only guards against a file system that
     * reports a creation it did not make.
     */
    for (int pass = 0; pass < PathSize; pass++)
    {
        /*
         * Asking whether it is a directory, rather than reading the error, also
         * refuses a file of that name (which "already exists" too) and accepts
         * a drive's root (which some systems answer with access denied).
         */
        int created = CreateDirectoryA(InstallDir, NULL);
        if (created || IsDirectory(InstallDir))
        {
            Log(created ? "Created %s" : "%s is there", InstallDir);
            return 1;
        }
        /* Also when the parents' creation below then makes it possible. */
        LogFailure("CreateDirectoryA", InstallDir, NULL, 0);

        FormatText(ScratchPath, PathSize, "%s", InstallDir);
        do
        {
            if (!StripLastComponent(ScratchPath))
                return 0;
        } while (!CreateDirectoryA(ScratchPath, NULL));
    }
    return 0;
}

/*
 * The install directory before any file reaches it: the shell's folder picker
 * behind the Browse button, the free-space test on its drive, and its creation
 * together with any missing parent directories.
 */
#ifndef INSTALL_INSTALLDIR_H
#define INSTALL_INSTALLDIR_H

#include <windows.h>
#include "base/state.h"
#include "install/digesttable.h"

/* Working copy while parents of InstallDir are created. */
extern char ScratchPath[PathSize];

/* Lets the user pick a folder with the shell's picker, owned by owner. Returns 1 with the
 * chosen file-system folder in path (PathSize bytes), 0 when none was chosen. */
int PickFolder(HWND owner, char *path);

/*
 * Tests the volume that will hold InstallDir (that of its nearest existing
 * folder, where the system can tell, else its drive's) for the space
 * EnoughFreeSpace asks. Returns 1 on pass, or 0 with the bytes missing in
 * shortfall. A drive whose free space cannot be learned passes: creating the
 * directory and copying the files report what is really wrong there.
 */
int CheckDiskSpace(const DigestTable *table, long *shortfall);

/*
 * The free-space decision on a drive's counts. Returns 1 when they make
 * RequiredBytes or more (where table is filled: or the files' sizes in whole
 * clusters, and over an earlier install in InstallDir the list of backups
 * twice, if more); otherwise 0 with the bytes missing in shortfall.
 */
int EnoughFreeSpace(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters,
                    const DigestTable *table, long *shortfall);

/*
 * Creates InstallDir with any missing parents, nearest the root first. Returns 1
 * when it exists as a directory afterwards, 0 otherwise; reports nothing. An
 * empty text, or one with a name ending in a space or a dot (other than "." and
 * ".."), is refused before anything is created.
 */
int CreateInstallDirectory(void);

#endif

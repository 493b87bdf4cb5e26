/*
 * The install directory before any file reaches it: the text of the directory
 * field, the shell's folder picker behind the Browse button, the free-space
 * test on its drive, and its creation together with any missing parent
 * directories.
 */
#ifndef INSTALL_INSTALLDIR_H
#define INSTALL_INSTALLDIR_H

#include <windows.h>

/* Size of the free-space message buffer, terminator included. */
enum
{
    SpaceMessageSize = 256
};

/*
 * Fills InstallDir with the directory field's text, never cut: a text longer
 * than a path leaves InstallDir empty, which CreateInstallDirectory refuses.
 */
void ReadInstallDirectory(HWND dialog);

/* Lets the user pick a folder; a chosen file-system folder replaces the text of CTL_DIRECTORY. */
void BrowseForDirectory(HWND dialog);

/*
 * Tests the drive of InstallDir for the space EnoughFreeSpace asks. Returns 1 on pass, or 0 after
 * telling the user the shortfall, formatted from format (one %ld). A drive whose
 * free space cannot be learned passes: creating the directory and copying the
 * files report what is really wrong there.
 */
int CheckDiskSpace(const char *format);

/*
 * The free-space decision on a drive's counts. Returns 1 when they make
 * RequiredBytes or more (with digests: or the files' sizes in whole clusters,
 * if more); otherwise 0 with the shortfall message formatted from
 * format into message (SpaceMessageSize bytes).
 */
int EnoughFreeSpace(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters,
                    const char *format, char *message);

/*
 * Creates InstallDir with any missing parents, nearest the root first. Returns 1
 * when it exists as a directory afterwards, 0 otherwise; reports nothing. An
 * empty text, or one with a name ending in a space or a dot (other than "." and
 * ".."), is refused before anything is created.
 */
int CreateInstallDirectory(void);

#endif

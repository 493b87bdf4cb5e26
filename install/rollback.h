/*
 * The earlier install's files while a reinstall copies: each is moved to a
 * backup before its new file is copied, and after the copy either every backup
 * is removed (success) or every file is put back as it was (failure). The
 * backups a run makes are named in a list in the install directory for as
 * long as any of them exists, each with the size and last write of the file it
 * was made of and whether it is still the earlier install's (to be put back)
 * or only left to delete, so that a run that was interrupted leaves its
 * successor the means to tell its own backups from a user's files, and to
 * finish what it did rather than undo it.
 */
#ifndef INSTALL_ROLLBACK_H
#define INSTALL_ROLLBACK_H

#include <windows.h>

/* The most the list ever takes; a run over an earlier install writes it, and its next text
 * beside it before that takes its place. */
enum
{
    BackupListBytes = 1024
};

/*
 * Forms the destination of row index in InstallDir and backup, the name its
 * earlier file takes in this run (both PathSize buffers); 0 when either does
 * not fit.
 */
int FormDestination(int index, char *destination, char *backup);

/*
 * Reads the list of backups that an earlier run left in InstallDir, if any.
 * Returns 0, having changed nothing, when something is there that does not
 * begin as the setup writes its lists or cannot be read whole (a folder of its
 * name, a line cut short): it is left as it is.
 */
int ReadBackupList(void);

/*
 * Whether a run into InstallDir may write a list: an earlier install's file,
 * or a list, is there.
 */
int MayWriteBackupList(void);

/*
 * Before the copy, after ReadBackupList: deletes the backups that a completed
 * run left; takes over those that an interrupted one made, setting their rows
 * in moved (the files at their names are that run's copies, which this run
 * replaces); chooses a name that nothing stands at for the backup of each
 * other row in earlier, and writes the list of all of them, on the disk. A
 * file at a backup's name that is not the one the list records is the user's:
 * it is left alone. Returns the first row that cannot be given a backup or be
 * listed (nothing is moved then), or -1.
 */
int BeginBackups(unsigned earlier, unsigned *moved);

/*
 * Deletes a file of this run's at path (one it made for row index, or a
 * backup no longer needed), whatever its attributes and whoever still has it
 * open with delete sharing.
 */
void RemoveRunsFile(int index, const char *path);

/*
 * Moves the earlier file at destination to backup, attributes and all; 0 when
 * it cannot, with the system's error in error, also when anything stands at
 * backup.
 */
int MoveAside(const char *destination, const char *backup, DWORD *error);

/*
 * Every row after the copy. With putBack, as it was before this run: a file
 * this run made is deleted and a moved one comes back. Otherwise the list
 * says first, on the disk, that the new install is whole, and then the
 * backups are deleted. earlier and moved hold a bit for each row: a file was
 * there, it was moved to its backup. A backup that cannot be put back or
 * deleted, asked again a few times, stays, and so does the list, naming it.
 * Returns 0 when a backup could not be put back.
 */
int Settle(unsigned earlier, unsigned moved, int putBack);

/*
 * For the uninstaller: deletes every backup that the list in InstallDir
 * names and that is the setup's own by its record, whatever its attributes,
 * then the list. Returns 0 when a backup stays (logged), and the list then
 * stays too, still naming it, or when the list cannot be read (left as it is,
 * *unreadable set).
 */
int RemoveListedBackups(int *unreadable);

#endif

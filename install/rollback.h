/*
 * The earlier install's files while a reinstall copies: each is moved to a
 * backup before its new file is copied, and after the copy either every backup
 * is removed (success) or every file is put back as it was (failure). The
 * backups a run makes are named in a list in the install directory for as
 * long as any of them exists, so that a run that was interrupted leaves its
 * successor the means to tell the earlier install's files from a user's own.
 */
#ifndef INSTALL_ROLLBACK_H
#define INSTALL_ROLLBACK_H

#include <windows.h>

/*
 * Forms the destination of row index in InstallDir and backup, the name its
 * earlier file keeps while the copy runs (both PathSize buffers); 0 when
 * either does not fit.
 */
int FormDestination(int index, char *destination, char *backup);

/*
 * Before the copy: takes over the backups a list from an interrupted run names
 * and that still exist, setting their rows in moved (the files at their names
 * are that run's copies, which this run replaces), and writes the list of every
 * backup this run will keep: those, and one for each row in earlier whose
 * backup's name is free. Returns the first row to be listed when the list
 * cannot be written (nothing is moved then), or -1.
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
 * backup: what no list names is the user's.
 */
int MoveAside(const char *destination, const char *backup, DWORD *error);

/*
 * Every row after the copy: with putBack, as it was before this run (a file
 * this run made is deleted and a moved one comes back), otherwise rid of its
 * backup. earlier and moved hold a bit for each row: a file was there, it was
 * moved to its backup. Returns 0 when a backup could not be put back: it stays,
 * and so does the list, naming it.
 */
int Settle(unsigned earlier, unsigned moved, int putBack);

/*
 * For the uninstaller: deletes every backup that the list in InstallDir
 * names, whatever its attributes, then the list. Returns 0 when a backup
 * stays (logged), and the list then stays too, still naming it.
 */
int RemoveListedBackups(void);

#endif

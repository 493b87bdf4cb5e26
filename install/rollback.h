/*
 * The earlier install's files while a reinstall copies: each is moved to a
 * backup before its new file is copied, and after the copy either every backup
 * is removed (success) or every file is put back as it was (failure).
 */
#ifndef INSTALL_ROLLBACK_H
#define INSTALL_ROLLBACK_H

/*
 * Forms the destination of row index in InstallDir and backup, the name its
 * earlier file keeps while the copy runs (both PathSize buffers); 0 when
 * either does not fit.
 */
int FormDestination(int index, char *destination, char *backup);

/*
 * Moves the earlier file at destination to backup, attributes and all, in
 * place of a backup an interrupted run may have left; 0 when it cannot.
 */
int MoveAside(const char *destination, const char *backup);

/*
 * Every row after the copy: with putBack, as it was before this run (a file
 * this run made is deleted and a moved one comes back; a backup that cannot
 * be put back stays), otherwise rid of its backup. earlier and moved hold a
 * bit for each row: a file was there, it was moved to its backup.
 */
void Settle(unsigned earlier, unsigned moved, int putBack);

#endif

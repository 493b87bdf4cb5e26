/*
 * The setup's own files, vouched for before and after they are installed: the
 * check that every file is in the setup's folder before anything is made, the
 * installed copy compared with the table, and /VERIFY.
 */
#ifndef INSTALL_SOURCECHECK_H
#define INSTALL_SOURCECHECK_H

#include <windows.h>

/* The message for a file that is not what the table records, with one %s for its name. */
extern const char DamagedFileText[];

/*
 * Checks that every file of the table is in SourceDir, is a file, can be
 * opened for reading and, with digests, has its recorded size; it reads no
 * file whole. Returns 1, or 0 after telling the user of the first that fails
 * in a box owned by dialog.
 */
int CheckSourceFiles(HWND dialog);

/* Whether the file at path is row index's by the table's size and digest; 1 without digests. */
int MatchesRecord(const char *path, int index);

/*
 * /VERIFY: the check above, with each file read whole and compared with its
 * digest. Tells the user the outcome in a box owned by none; returns 1 when
 * every file matches.
 */
int VerifySetupFiles(void);

#endif

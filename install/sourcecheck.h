/*
 * The setup's own files, vouched for before and after they are installed: the
 * check that every file is in the setup's folder before anything is made
 * (and, for /VERIFY, that each matches its digest), and the installed copy
 * compared with the table.
 */
#ifndef INSTALL_SOURCECHECK_H
#define INSTALL_SOURCECHECK_H

#include <windows.h>
#include "install/digesttable.h"

/* What is wrong with a file of the setup's folder. */
enum
{
    SourceIntact,
    SourceMissing,    /* not there, or a folder */
    SourceUnreadable, /* there, but it cannot be opened for reading */
    SourceDamaged     /* not what the table records */
};

/* The first file of the table that fails the check, and how. */
struct SourceProblem
{
    int row;
    int fault;
};

/*
 * Checks that every file of the table is in SourceDir, is a file, can be
 * opened for reading and, where table is filled, has its recorded size; with
 * whole, also its digest, reading it whole (otherwise no file is read).
 * Returns 1, or 0 with the first that fails in problem.
 */
int CheckSourceFiles(const DigestTable *table, int whole, SourceProblem *problem);

/* Whether the file at path is row index's by the table's size and digest; 1 where table is
 * unfilled. 0 otherwise, with the system's error in error where it could not be read (another
 * program holds it, say), and 0 there where it was read and differs. */
int MatchesRecord(const DigestTable *table, const char *path, int index, DWORD *error);

#endif

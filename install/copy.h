/*
 * Copying the product's files from the directory the setup runs from into the
 * install directory, in table order, each announced before it is copied.
 */
#ifndef INSTALL_COPY_H
#define INSTALL_COPY_H

#include <windows.h>
#include "install/digesttable.h"

/* Table entries handled so far by the copy. */
extern short FilesCopied;

/* Told the percentage of the files done once this one is (12, 25, ... 100) before each copy. */
typedef void (*CopyProgress)(int percentage);

/* Where a copy that failed stopped, and what it left. */
struct CopyOutcome
{
    int failedRow;   /* the file that failed, or -1 */
    int damaged;     /* its copy did not match the table */
    int held;        /* another program held its earlier file, which stayed as it was */
    DWORD unread;    /* run from the install folder, the file could not be read there to be
                        compared: the system's error */
    int allPutBack;  /* over an earlier install, every earlier file is back as it was */
    int listRefused; /* the list of backups in InstallDir cannot be read: nothing was changed */
};

/*
 * Copies every file of the table from SourceDir to InstallDir, counting them in
 * FilesCopied; earlier has a bit for each row with a file there already (from
 * CheckEarlierFiles). Each copy is compared with table where it is filled. Returns
 * 1 when all are in place; 0 when an earlier run's list of backups cannot be
 * read (listRefused: nothing was changed), or at the first file that could not
 * be copied, with where and how in outcome. Over an earlier install every file
 * is then as it was (unless allPutBack says otherwise); a first install keeps
 * the files before the one that failed.
 */
int CopyProductFiles(const DigestTable *table, unsigned earlier, CopyProgress progress,
                     CopyOutcome *outcome);

#endif

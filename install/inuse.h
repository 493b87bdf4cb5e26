/*
 * Whether an earlier install's files can be replaced (or removed): asked of
 * every file before the first is touched, so that a product in use stops the
 * run before anything of it changes.
 */
#ifndef INSTALL_INUSE_H
#define INSTALL_INUSE_H

#include <windows.h>
#include "install/holder.h"

/* What the check of the earlier files found. */
enum
{
    EarlierFilesFree,  /* every file there can be replaced */
    EarlierFileHeld,   /* another program has a file open or locked: it may let go */
    EarlierFileRefused /* a file cannot be written for another reason: waiting will not help */
};

/* The file the check stopped at, and why. */
struct HeldFile
{
    int row;
    DWORD error;             /* the system's error for the file */
    char holder[HolderSize]; /* held: the program's name, or "another program" */
    DWORD processId;         /* held: its process id, 0 where none is known */
};

/* Whether a failed open or move of a file says that another program holds it (a sharing or
 * lock violation), which it may soon stop doing. */
int IsHeldError(DWORD error);

/* Asks who holds the product file of held's row in InstallDir into held (logged with its
 * process id where one is known). */
void NameHolder(HeldFile *held);

/*
 * Checks every product file in InstallDir, each held one again for a moment
 * (a scanner lets go soon), and sets a bit in earlier for each row that has a
 * file. Returns what it found; held names the first file that stays held (and
 * its holder) or is refused.
 */
int CheckEarlierFiles(unsigned *earlier, HeldFile *held);

/* The same check with the rows in skipped left out: the uninstaller's own program, which it
 * holds itself while it runs. */
int CheckEarlierFilesExcept(unsigned skipped, unsigned *earlier, HeldFile *held);

#endif

/*
 * Whether an earlier install's files can be replaced (or removed): asked of
 * every file before the first is touched, so that a product in use stops the
 * run before anything of it changes.
 */
#ifndef INSTALL_INUSE_H
#define INSTALL_INUSE_H

#include <windows.h>
#include "install/holder.h"

/* A product file that another program holds, and who holds it. */
struct HeldFile
{
    int row;
    char holder[HolderSize]; /* the program's name, or "another program" */
    DWORD processId;         /* 0 where none is known */
};

/*
 * Checks every product file in InstallDir, each held one again for a moment
 * (a scanner lets go soon), and sets a bit in earlier for each row that has a
 * file. Returns 1 with the first file that stays held and its holder in held,
 * 0 when all can be replaced.
 */
int FindHeldFile(unsigned *earlier, HeldFile *held);

#endif

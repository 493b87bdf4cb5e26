/*
 * What an uninstall could not remove. Each step goes on past a failure, so
 * that everything else is still removed; the first thing left, and why, is
 * what the user is told, and the log has every one.
 */
#ifndef BASE_LEFTOVER_H
#define BASE_LEFTOVER_H

#include <windows.h>
#include "base/state.h"

struct Leftover
{
    char what[PathSize]; /* a file, a folder or a key; empty while nothing is left */
    char why[256];       /* the system's text for the error, or the step's own reason */
};

/*
 * Logs that call failed on what with error (the thread's last error for 0),
 * and keeps what and the system's text for the error in leftover unless it
 * holds a first one already. Returns 0.
 */
int NoteLeftover(Leftover *leftover, const char *call, const char *what, DWORD error);

/* The same for a thing left for a reason of the step's own, given as why (and logged). */
void NoteLeftoverBecause(Leftover *leftover, const char *what, const char *why);

/* Deletes the file at path, read-only, hidden and system ones too, and logs it; one that stays
 * keeps its attributes and is noted in leftover. */
void DeleteOrNote(const char *path, Leftover *leftover);

#endif

/*
 * Who holds a file open: asked of Windows' Restart Manager (Vista and later),
 * so that the user can be told which program to close.
 */
#ifndef INSTALL_HOLDER_H
#define INSTALL_HOLDER_H

#include <windows.h>

/* Size of a holder's name, terminator included. */
enum
{
    HolderSize = 256
};

/*
 * The name of the first program that holds path open, in holder (HolderSize
 * bytes), and its process id, or 0 where none is given. Where Restart Manager
 * is missing (Windows 95 to XP), fails or names none, or gives an empty name,
 * the name is "another program"; control characters are dropped from a name.
 */
void FindHolder(const char *path, char *holder, DWORD *processId);

#endif

/*
 * The process-lifetime state both programs share, declared in one place.
 * Every path kept is a fixed-size ANSI buffer of PathSize bytes, terminator
 * included.
 */
#ifndef BASE_STATE_H
#define BASE_STATE_H

#include <windows.h>

enum
{
    PathSize = MAX_PATH
};

extern HINSTANCE Instance;        /* recorded by the entry, read by GetSourceDirectory */
extern char SourceDir[PathSize];  /* directory of the running program, no trailing separator */
extern char InstallDir[PathSize]; /* the product's folder: installed into, or removed from */
extern int Unattended;            /* /S: no window and no message box */
extern HANDLE LogFile;            /* /LOG's file; 0 without one, -1 when it could not be made */
extern const char *Caption;       /* every message box's caption, set by the entry */

#endif

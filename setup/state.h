/*
 * The setup's process-lifetime state, declared in one place. Every path the
 * setup keeps is a fixed-size ANSI buffer of PathSize bytes, terminator included.
 */
#ifndef SETUP_STATE_H
#define SETUP_STATE_H

#include <windows.h>

enum
{
    PathSize = MAX_PATH
};

extern HINSTANCE Instance;         /* recorded by the entry, read by GetSourceDirectory */
extern char SourceDir[PathSize];   /* directory of the running setup, no trailing separator */
extern char InstallDir[PathSize];  /* default or /D value; the field's text from Continue on */
extern char ScratchPath[PathSize]; /* working copy while parents of InstallDir are created */
extern int Busy;                   /* nonzero while an install run is in progress */
extern int Stage;                  /* 0 on the input page, 1 on the completion page */
extern short FilesCopied;          /* table entries handled so far by the copy */
extern int Unattended;             /* /S: install with no window and no message box */
extern int VerifyOnly; /* /VERIFY: check the setup's files against the table and install nothing */
extern HANDLE LogFile; /* /LOG's file; 0 without one, -1 when it could not be made */

extern int VerifyOnly; /* /VERIFY: check the setup's files against the table and install nothing */

#endif

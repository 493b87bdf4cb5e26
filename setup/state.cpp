/*
 * Storage for the setup's process-lifetime state. The globals live here, apart
 * from the code that uses them, so every module sees the same single copy.
 */
#include "setup/state.h"

HINSTANCE Instance;
char SourceDir[PathSize];
char InstallDir[PathSize];
char ScratchPath[PathSize];
int Busy;
int Stage;
short FilesCopied;
int Unattended;
int VerifyOnly;
HANDLE LogFile;

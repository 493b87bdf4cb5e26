/*
 * Storage for the process-lifetime state. The globals live here, apart from
 * the code that uses them, so every module sees the same single copy.
 */
#include "base/state.h"

HINSTANCE Instance;
char SourceDir[PathSize];
char InstallDir[PathSize];
int Unattended;
HANDLE LogFile;
const char *Caption;

/*
 * Whether an earlier install's files can be replaced: asked of every file
 * before the first is copied, so that a product in use stops the reinstall
 * before anything of it is overwritten, until the user has closed what holds it.
 */
#ifndef INSTALL_INUSE_H
#define INSTALL_INUSE_H

#include <windows.h>

/*
 * Checks every earlier file, and while one is in use says which program holds
 * it in a Retry/Cancel box owned by dialog, checking again from the first file
 * on Retry. Returns the exit code the check leaves: ExitInstalled once all can
 * be replaced (with a bit in earlier for each row that has a file),
 * ExitCancelled on Cancel, ExitInUse unattended.
 */
int CheckEarlierFiles(HWND dialog, unsigned *earlier);

#endif

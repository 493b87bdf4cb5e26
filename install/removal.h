/*
 * The uninstaller's work in the install folder: the product's files removed
 * by their names and nothing else, whatever else is there named as kept, and
 * last the uninstaller itself with Unsetup.bat and the folder, which a
 * running program cannot remove.
 */
#ifndef INSTALL_REMOVAL_H
#define INSTALL_REMOVAL_H

#include "base/leftover.h"

/*
 * Removes from InstallDir each file of the table but the uninstaller's own
 * two, read-only, hidden and system ones too, then the files the setup leaves
 * under its own names when it is killed, and the backups its list names. A
 * folder of a product file's name is the user's and stays. What should go and
 * stays is noted in leftover.
 */
void RemoveProductFiles(Leftover *leftover);

/* Logs each thing in InstallDir that the setup did not install, as kept; returns how many. */
int ListKeptFiles(void);

/*
 * Starts the command interpreter (cmd.exe, or COMMAND.COM on Windows 9x) by
 * its full path, hidden, in its own folder, on a copy of Unsetup.bat, which
 * the program carries, in the temporary folder: once this process has ended,
 * it removes the uninstaller, Unsetup.bat and InstallDir if that is empty,
 * then itself. It inherits the run's mark and holds it meanwhile. Returns 0,
 * with nothing started, where it cannot.
 */
int StartFolderRemoval(void);

#endif

/*
 * Copying the product's files from the directory the setup runs from into the
 * install directory, in table order, with a percentage in the status line.
 */
#ifndef INSTALL_COPY_H
#define INSTALL_COPY_H

#include <windows.h>

/*
 * Copies every file of the table from SourceDir to InstallDir, counting them in
 * FilesCopied. Returns the exit code it leaves: ExitInstalled when all are in
 * place; ExitFailed at the first file that could not be copied, after telling
 * the user in a box owned by dialog (where the directory held files of an
 * earlier install, they are then as they were); ExitCancelled or ExitInUse
 * when an earlier file in use stopped it before anything was changed.
 */
int CopyProductFiles(HWND dialog);

#endif

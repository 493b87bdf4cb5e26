/*
 * Whether an earlier install's files can be replaced: asked of every file
 * before the first is copied, so that a product in use refuses the reinstall
 * before anything of it is overwritten.
 */
#ifndef INSTALL_INUSE_H
#define INSTALL_INUSE_H

#include <windows.h>

/*
 * The row of the first file of an earlier install in InstallDir that cannot be
 * replaced, or -1, with a bit in earlier for each row that has a file.
 */
int FirstIrreplaceableFile(unsigned *earlier);

#endif

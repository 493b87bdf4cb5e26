/*
 * One file copied and, where the table records it, verified in the same pass:
 * the digest is taken of exactly the bytes written, each read once.
 */
#ifndef INSTALL_VERIFIEDCOPY_H
#define INSTALL_VERIFIEDCOPY_H

#include <windows.h>
#include "install/digesttable.h"

/*
 * Copies source to destination, replacing a file there, as CopyFileA does:
 * the data, the attributes and the last-write time, but no other stream (so
 * never a download mark). With record (or NULL) the bytes written must have
 * its size and digest. Returns 1; or 0 with *damaged set where they do not,
 * clear where a call failed. The destination, whole or cut short, is left for
 * the caller to remove.
 */
int CopyVerifiedFile(const char *source, const char *destination, const FileRecord *record,
                     int *damaged);

#endif

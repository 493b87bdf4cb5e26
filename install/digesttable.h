/*
 * The digest table a distribution's setup.exe carries: the size and digest of
 * each file laid out beside it, written into a copy of the built program by
 * scripts/stamp-digests.pl, which finds the table by its marker. The signature
 * then covers them. A program with the table unfilled checks only that each
 * file is there. Little-endian words, no padding: the script writes the layout
 * byte for byte.
 */
#ifndef INSTALL_DIGESTTABLE_H
#define INSTALL_DIGESTTABLE_H

#include "base/digest.h"
#include "base/product.h"

/* What the table records of one file, in the same row as its name. */
struct FileRecord
{
    unsigned long size;
    unsigned char digest[DigestBytes];
};

struct DigestTable
{
    char marker[16];      /* DIGEST_TABLE_MARKER, terminator included */
    unsigned long filled; /* 1 once the rows are written */
    FileRecord files[ProductFileCount];
};

/* Whether digest, DigestBytes bytes, is the one record holds. */
inline int HasRecordedDigest(const FileRecord &record, const unsigned char *digest)
{
    int same = 1;
    for (int i = 0; i < DigestBytes; i++)
        same &= digest[i] == record.digest[i];
    return same;
}

#endif

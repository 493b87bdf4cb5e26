/*
 * BLAKE2s-256, the digest the setup's table records for each file: the
 * fastest secure hash in plain 32-bit code, with no instruction set beyond the
 * 386's. A digest is begun, given any number of bytes in any pieces, and ended.
 */
#ifndef BASE_DIGEST_H
#define BASE_DIGEST_H

#include <windows.h>

/* Bytes of a digest. */
enum
{
    DigestBytes = 32
};

/* A digest in progress: the chain value, the bytes counted so far and the block not yet mixed. */
struct Digest
{
    DWORD chain[8];
    DWORD counted[2]; /* low and high word of the byte count */
    DWORD block[16];  /* the message words, as their bytes arrived */
    DWORD filled;     /* bytes in block */
};

void BeginDigest(Digest *digest);

void AddToDigest(Digest *digest, const BYTE *bytes, DWORD length);

/* The DigestBytes bytes of the digest of everything added. */
void EndDigest(Digest *digest, BYTE *result);

#endif

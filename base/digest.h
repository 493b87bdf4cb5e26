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

/* A digest in progress: the chain value, the bytes mixed so far and those not yet mixed. */
struct Digest
{
    DWORD chain[8];
    DWORD counted[2]; /* low and high word of the count of bytes mixed */
    BYTE pending[64]; /* up to a whole block, kept until a byte after it comes */
    DWORD filled;     /* bytes in pending */
};

void BeginDigest(Digest *digest);

void AddToDigest(Digest *digest, const BYTE *bytes, DWORD length);

/* The DigestBytes bytes of the digest of everything added. */
void EndDigest(Digest *digest, BYTE *result);

#endif

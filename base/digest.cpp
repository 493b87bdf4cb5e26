/*
 * BLAKE2s with a 32-byte result and no key, as RFC 7693 describes it. The
 * digest's words are little-endian, as the 386's are, so a block's bytes are
 * its message words as they stand.
 */
#include <windows.h>
#include "base/digest.h"

namespace
{

enum
{
    BlockBytes = 64,
    Rounds = 10
};

const DWORD Start[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                        0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};

/* The order in which each round takes the block's sixteen words. */
const BYTE Schedule[Rounds][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4},
    {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13},
    {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11},
    {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5},
    {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

/* The four words each of a round's eight mixes works on: columns, then diagonals. */
const BYTE Lanes[8][4] = {{0, 4, 8, 12},  {1, 5, 9, 13},  {2, 6, 10, 14}, {3, 7, 11, 15},
                          {0, 5, 10, 15}, {1, 6, 11, 12}, {2, 7, 8, 13},  {3, 4, 9, 14}};

DWORD RotateRight(DWORD value, int bits)
{
    return (value >> bits) | (value << (32 - bits));
}

void Mix(DWORD *v, const BYTE *lane, DWORD x, DWORD y)
{
    DWORD &a = v[lane[0]], &b = v[lane[1]], &c = v[lane[2]], &d = v[lane[3]];
    a = a + b + x;
    d = RotateRight(d ^ a, 16);
    c = c + d;
    b = RotateRight(b ^ c, 12);
    a = a + b + y;
    d = RotateRight(d ^ a, 8);
    c = c + d;
    b = RotateRight(b ^ c, 7);
}

/* Mixes the full block into the chain; last marks the final block. */
void Compress(Digest *digest, int last)
{
    DWORD v[16];
    for (int i = 0; i < 8; i++)
    {
        v[i] = digest->chain[i];
        v[i + 8] = Start[i];
    }
    v[12] ^= digest->counted[0];
    v[13] ^= digest->counted[1];
    if (last)
        v[14] = ~v[14];
    const DWORD *m = digest->block;
    for (int round = 0; round < Rounds; round++)
    {
        const BYTE *s = Schedule[round];
        for (int i = 0; i < 8; i++)
            Mix(v, Lanes[i], m[s[2 * i]], m[s[2 * i + 1]]);
    }
    for (int i = 0; i < 8; i++)
        digest->chain[i] ^= v[i] ^ v[i + 8];
}

void Count(Digest *digest, DWORD bytes)
{
    digest->counted[0] += bytes;
    if (digest->counted[0] < bytes)
        digest->counted[1]++;
}

} // namespace

void BeginDigest(Digest *digest)
{
    for (int i = 0; i < 8; i++)
        digest->chain[i] = Start[i];
    /* Parameter block: the result's length, no key, fan-out and depth 1. */
    digest->chain[0] ^= 0x01010000 | DigestBytes;
    digest->counted[0] = 0;
    digest->counted[1] = 0;
    digest->filled = 0;
}

void AddToDigest(Digest *digest, const BYTE *bytes, DWORD length)
{
    BYTE *block = (BYTE *)digest->block;
    for (; length > 0; length--)
    {
        /* A full block is mixed only once more bytes follow: the last one is mixed as last. */
        if (digest->filled == BlockBytes)
        {
            Count(digest, BlockBytes);
            Compress(digest, 0);
            digest->filled = 0;
        }
        block[digest->filled++] = *bytes++;
    }
}

void EndDigest(Digest *digest, BYTE *result)
{
    BYTE *block = (BYTE *)digest->block;
    Count(digest, digest->filled);
    while (digest->filled < BlockBytes)
        block[digest->filled++] = 0;
    Compress(digest, 1);
    const BYTE *chain = (const BYTE *)digest->chain;
    for (int i = 0; i < DigestBytes; i++)
        result[i] = chain[i];
}

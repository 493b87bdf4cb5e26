/*
 * BLAKE2s with a 32-byte result and no key, as RFC 7693 describes it. Every
 * installed byte passes through here, so whole blocks are mixed straight from
 * the caller's bytes and every mix names the state's words at fixed places,
 * which the compiler keeps in registers and stack slots it knows; only the
 * block's words are taken in each round's order from the schedule. Writing
 * the ten rounds out as well saved a tenth of the time for 5 KB of code.
 */
#include <windows.h>
#include "base/digest.h"

namespace
{

enum
{
    BlockBytes = 64
};

const DWORD Start[8] = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                        0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};

/* The order in which each round takes the block's sixteen words. */
const BYTE Schedule[10][16] = {
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

inline DWORD RotateRight(DWORD value, int bits)
{
    return (value >> bits) | (value << (32 - bits));
}

/* Inlined wherever it is used, so that every word it names is at a place known when compiled. */
__attribute__((always_inline)) inline void Mix(DWORD &a, DWORD &b, DWORD &c, DWORD &d, DWORD x,
                                               DWORD y)
{
    a = a + b + x;
    d = RotateRight(d ^ a, 16);
    c = c + d;
    b = RotateRight(b ^ c, 12);
    a = a + b + y;
    d = RotateRight(d ^ a, 8);
    c = c + d;
    b = RotateRight(b ^ c, 7);
}

/* The columns, then the diagonals; s is the round's row of Schedule. */
__attribute__((always_inline)) inline void Round(DWORD *v, const DWORD *m, const BYTE *s)
{
    Mix(v[0], v[4], v[8], v[12], m[s[0]], m[s[1]]);
    Mix(v[1], v[5], v[9], v[13], m[s[2]], m[s[3]]);
    Mix(v[2], v[6], v[10], v[14], m[s[4]], m[s[5]]);
    Mix(v[3], v[7], v[11], v[15], m[s[6]], m[s[7]]);
    Mix(v[0], v[5], v[10], v[15], m[s[8]], m[s[9]]);
    Mix(v[1], v[6], v[11], v[12], m[s[10]], m[s[11]]);
    Mix(v[2], v[7], v[8], v[13], m[s[12]], m[s[13]]);
    Mix(v[3], v[4], v[9], v[14], m[s[14]], m[s[15]]);
}

/* The digest's words are little-endian; composed so, any address will do for bytes. */
inline DWORD WordAt(const BYTE *bytes)
{
    return bytes[0] | (DWORD)bytes[1] << 8 | (DWORD)bytes[2] << 16 | (DWORD)bytes[3] << 24;
}

/* Mixes one block into the chain; last is all ones for the final block, else 0. */
void Compress(Digest *digest, const BYTE *block, DWORD last)
{
    DWORD m[16];
    DWORD v[16];
    for (int i = 0; i < 16; i++)
        m[i] = WordAt(block + 4 * i);
    for (int i = 0; i < 8; i++)
    {
        v[i] = digest->chain[i];
        v[i + 8] = Start[i];
    }
    v[12] ^= digest->counted[0];
    v[13] ^= digest->counted[1];
    v[14] ^= last;
    for (int round = 0; round < 10; round++)
        Round(v, m, Schedule[round]);
    for (int i = 0; i < 8; i++)
        digest->chain[i] ^= v[i] ^ v[i + 8];
}

/* The count is of every byte mixed, this block's included, in 64 bits. */
void Count(Digest *digest, DWORD bytes)
{
    digest->counted[0] += bytes;
    if (digest->counted[0] < bytes)
        digest->counted[1]++;
}

/* A whole block that more bytes follow. */
void MixBlock(Digest *digest, const BYTE *block)
{
    Count(digest, BlockBytes);
    Compress(digest, block, 0);
}

void Keep(Digest *digest, const BYTE *bytes, DWORD length)
{
    for (DWORD i = 0; i < length; i++)
        digest->pending[digest->filled + i] = bytes[i];
    digest->filled += length;
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

/*
 * A block is mixed only once a byte after it has come: the last one must be
 * mixed as last, in EndDigest. So up to a whole block stays pending.
 */
void AddToDigest(Digest *digest, const BYTE *bytes, DWORD length)
{
    DWORD room = BlockBytes - digest->filled;
    if (length > room)
    {
        Keep(digest, bytes, room);
        MixBlock(digest, digest->pending);
        bytes += room;
        length -= room;
        for (; length > BlockBytes; bytes += BlockBytes, length -= BlockBytes)
            MixBlock(digest, bytes);
        digest->filled = 0;
    }
    Keep(digest, bytes, length);
}

void EndDigest(Digest *digest, BYTE *result)
{
    Count(digest, digest->filled);
    while (digest->filled < BlockBytes)
        digest->pending[digest->filled++] = 0;
    Compress(digest, digest->pending, 0xFFFFFFFF);
    for (int i = 0; i < DigestBytes; i++)
        result[i] = (BYTE)(digest->chain[i / 4] >> 8 * (i % 4));
}

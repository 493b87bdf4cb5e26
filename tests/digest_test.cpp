/*
 * The file table's digest, BLAKE2s-256: RFC 7693's own vector ("abc") and
 * `openssl dgst -blake2s256` at a block's edges (none, one whole, one byte
 * past, two whole at once or a piece each, pieces across them) and on a
 * million bytes given in pieces that end all over a block.
 */
#include "base/digest.h"
#include <gtest/gtest.h>
#include <string>

/* Bytes that differ from block to block, so that a block mixed twice or skipped shows. */
static std::string Varied(size_t length)
{
    std::string text(length, '\0');
    for (size_t i = 0; i < length; i++)
        text[i] = (char)((i * 7 + 3) % 251);
    return text;
}

TEST(Digest, MatchesTheRfcAndOpenssl)
{
    const struct
    {
        std::string text;
        std::initializer_list<DWORD> pieces; /* given in pieces of these sizes, over and over */
        const char *expected;
        DWORD countedBefore = 0; /* bytes the digest is told it has mixed before text */
    } cases[] = {
        {"", {1}, "69217a3079908094e11121d042354a7c1f55b6482ca1a51e1b250dfd1ed0eef9"},
        {"abc", {3}, "508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982"},
        {std::string(64, 'a'),
         {64},
         "651d2f5f20952eacaea2fba2f2af2bcd633e511ea2d2e4c9ae2ac0d9ffb7b252"},
        {std::string(65, 'a'),
         {64, 1},
         "045f8ae18932119bd051ac7ba5c73db59892055fad5c32f82d79a6543d92a497"},
        {Varied(128), {128}, "6f7d8f95de6c4e088d588b7091cfb6438f47e7c5f40c62f8264f8d873ea9cb80"},
        {Varied(128), {64}, "6f7d8f95de6c4e088d588b7091cfb6438f47e7c5f40c62f8264f8d873ea9cb80"},
        {Varied(129),
         {63, 2, 64},
         "6cb140d40f925727b9c8c1ce5bbacc9fd3d8012aa52f265dc202ba2aea161485"},
        {Varied(200),
         {1, 190, 9},
         "a60cdd8e6649debabf919cc43a4a3302999cff452cb29fd596917d5db7e4f9d8"},
        /* The count's low word passes 2^32 with the first block. No tool starts a digest at an
           offset: this value is from BLAKE2s written out in Python from RFC 7693 with its count
           begun at 2^32 - 64, which gives hashlib.blake2s's digests when begun at 0. */
        {Varied(100),
         {100},
         "11f59ddead5ee00cd20f2c25a96abae067732afb0443997b0ad983d949bd3465",
         0xFFFFFFC0},
        {std::string(1000000, 'a'),
         {1, 63, 64, 65, 4096, 0},
         "bec0c0e6cde5b67acb73b81f79a67a4079ae1c60dac9d2661af18e9f8b50dfa5"},
    };
    for (const auto &c : cases)
    {
        Digest digest;
        BeginDigest(&digest);
        digest.counted[0] = c.countedBefore;
        for (size_t at = 0; at < c.text.size();)
            for (DWORD piece : c.pieces)
            {
                DWORD length = (DWORD)std::min<size_t>(piece, c.text.size() - at);
                AddToDigest(&digest, (const BYTE *)c.text.data() + at, length);
                at += length;
            }
        BYTE result[DigestBytes];
        EndDigest(&digest, result);
        char hex[2 * DigestBytes + 1];
        for (int i = 0; i < DigestBytes; i++)
            sprintf(hex + 2 * i, "%02x", result[i]);
        EXPECT_EQ(c.expected, std::string(hex)) << c.text.size() << " bytes";
    }
}

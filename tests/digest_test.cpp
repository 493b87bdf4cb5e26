/*
 * The file table's digest, BLAKE2s-256: RFC 7693's own vector ("abc") and
 * `openssl dgst -blake2s256` at a block's edges (none, one whole, one byte
 * past) and on a million bytes given in pieces that end all over a block.
 */
#include "base/digest.h"
#include <gtest/gtest.h>
#include <string>

TEST(Digest, MatchesTheRfcAndOpenssl)
{
    const struct
    {
        std::string text;
        std::initializer_list<DWORD> pieces; /* given in pieces of these sizes, over and over */
        const char *expected;
    } cases[] = {
        {"", {1}, "69217a3079908094e11121d042354a7c1f55b6482ca1a51e1b250dfd1ed0eef9"},
        {"abc", {3}, "508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982"},
        {std::string(64, 'a'),
         {64},
         "651d2f5f20952eacaea2fba2f2af2bcd633e511ea2d2e4c9ae2ac0d9ffb7b252"},
        {std::string(65, 'a'),
         {64, 1},
         "045f8ae18932119bd051ac7ba5c73db59892055fad5c32f82d79a6543d92a497"},
        {std::string(1000000, 'a'),
         {1, 63, 64, 65, 4096, 0},
         "bec0c0e6cde5b67acb73b81f79a67a4079ae1c60dac9d2661af18e9f8b50dfa5"},
    };
    for (const auto &c : cases)
    {
        Digest digest;
        BeginDigest(&digest);
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

/*
 * bench-digest.exe FILE: the setup's digest over one file, read as the setup's
 * copy reads it (256 KiB at a time), timed inside the process so that the start of
 * a Wine process stays out of it. Prints "digest_ms=... digest=<hex>", the
 * hex for the benchmark to compare with OpenSSL's.
 */
#include <windows.h>
#include <stdio.h>
#include "bench/clock.h"
#include "base/digest.h"

namespace
{

BYTE buffer[262144];

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    StartClock();
    Digest digest;
    BeginDigest(&digest);
    DWORD read;
    while (ReadFile(file, buffer, sizeof buffer, &read, NULL) && read > 0)
        AddToDigest(&digest, buffer, read);
    BYTE result[DigestBytes];
    EndDigest(&digest, result);
    double ms = Lap();
    CloseHandle(file);
    printf("digest_ms=%.3f digest=", ms);
    for (BYTE byte : result)
        printf("%02x", byte);
    printf("\n");
    return 0;
}

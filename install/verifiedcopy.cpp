/*
 * The setup's own copy loop. CopyFileA and a read-back of the installed copy
 * prove no more than this: the read-back comes from the system's cache, right
 * after the write, so it too vouches only for the bytes handed to the system.
 * Taking the digest of those bytes as they are written reads each byte once.
 */
#include <windows.h>
#include "base/digest.h"
#include "base/log.h"
#include "install/verifiedcopy.h"

namespace
{

enum
{
    /* Few calls into the file system per file; the bytes stay in the processor's caches. */
    CopyBufferBytes = 262144
};

/* Outside the stack, which holds no frame over a page; touched only by a copy. */
BYTE CopyBuffer[CopyBufferBytes];

/* What CopyFileA keeps of the source's attributes, those CreateFileA can set. */
const DWORD CopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

/*
 * Copies from the open source to its end, which only a read of no bytes marks
 * (a network redirector may return fewer bytes than asked before it), adding
 * each piece written to digest (or none) and counting it in *written.
 */
int CopyContents(HANDLE from, HANDLE to, const char *source, const char *destination,
                 Digest *digest, ULONGLONG *written)
{
    for (;;)
    {
        DWORD read = 0;
        DWORD put = 0;
        if (!ReadFile(from, CopyBuffer, CopyBufferBytes, &read, NULL))
            return LogFailure("ReadFile", source, NULL, 0);
        if (read == 0)
            return 1;
        if (!WriteFile(to, CopyBuffer, read, &put, NULL))
            return LogFailure("WriteFile", destination, NULL, 0);
        /* A write that succeeds with fewer bytes has still left the copy short. */
        if (put != read)
            return LogFailure("WriteFile", destination, NULL, ERROR_DISK_FULL);
        if (digest)
            AddToDigest(digest, CopyBuffer, read);
        *written += read;
    }
}

/* Whether the bytes written, counted and digested, are those record holds. */
int Matches(Digest *digest, ULONGLONG written, const FileRecord *record)
{
    BYTE result[DigestBytes];
    EndDigest(digest, result);
    return written == record->size && HasRecordedDigest(*record, result);
}

/* The copy from the open source into a destination made afresh, given the source's time. */
int CopyFromOpened(HANDLE from, const char *source, const char *destination,
                   const FileRecord *record, int *damaged)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(from, &information))
        return LogFailure("GetFileInformationByHandle", source, NULL, 0);
    HANDLE to = CreateFileA(destination, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            information.dwFileAttributes & CopiedAttributes, NULL);
    if (to == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", destination, NULL, 0);
    Digest digest;
    BeginDigest(&digest);
    ULONGLONG written = 0;
    int copied = CopyContents(from, to, source, destination, record ? &digest : NULL, &written);
    /* Set last: every write changes it. A copy that keeps its data but not its time is whole. */
    if (copied && !SetFileTime(to, NULL, NULL, &information.ftLastWriteTime))
        LogFailure("SetFileTime", destination, NULL, 0);
    CloseHandle(to);
    if (copied && record && !Matches(&digest, written, record))
    {
        Log("%s does not match the table", destination);
        *damaged = 1;
        return 0;
    }
    return copied;
}

} // namespace

int CopyVerifiedFile(const char *source, const char *destination, const FileRecord *record,
                     int *damaged)
{
    *damaged = 0;
    HANDLE from = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (from == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", source, NULL, 0);
    int copied = CopyFromOpened(from, source, destination, record, damaged);
    CloseHandle(from);
    return copied;
}

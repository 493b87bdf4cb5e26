/*
 * The files beside setup.exe are whatever the user's copy left there: a zip
 * opened without extracting, a download cut short, a CD copied by hand. Each
 * is looked at before anything is made, so that such a run ends with nothing
 * created, and, where the distribution recorded digests, every copy installed
 * is read back and compared, so that a damaged or altered file is never left
 * in place of the product's.
 */
#include <windows.h>
#include "base/digest.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/state.h"
#include "install/sourcecheck.h"

namespace
{

enum
{
    /* Files are read through one buffer outside the stack, which holds no frame over a page. */
    ReadBufferBytes = 65536
};

BYTE ReadBuffer[ReadBufferBytes];

/* The system's error of the last open or read here that failed. */
DWORD ReadError;

HANDLE OpenToRead(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        LogFailure("CreateFileA", path, NULL, ReadError = GetLastError());
    return file;
}

/* The digest of the open file, read from where it stands to its end; 0 when it cannot be read. */
int DigestOfFile(HANDLE file, const char *path, BYTE *result)
{
    Digest digest;
    BeginDigest(&digest);
    for (;;)
    {
        DWORD read = 0;
        if (!ReadFile(file, ReadBuffer, ReadBufferBytes, &read, NULL))
            return LogFailure("ReadFile", path, NULL, ReadError = GetLastError());
        if (read == 0)
            break;
        AddToDigest(&digest, ReadBuffer, read);
    }
    EndDigest(&digest, result);
    return 1;
}

/* Whether the open file has its record's size (whole: and digest). */
int HasRecord(HANDLE file, const char *path, const FileRecord &record, int whole)
{
    BY_HANDLE_FILE_INFORMATION information;
    BYTE result[DigestBytes];
    if (!GetFileInformationByHandle(file, &information))
        return LogFailure("GetFileInformationByHandle", path, NULL, 0);
    int matches = information.nFileSizeLow == record.size && information.nFileSizeHigh == 0;
    if (matches && whole)
    {
        if (!DigestOfFile(file, path, result))
            return 0;
        matches = HasRecordedDigest(record, result);
    }
    if (!matches)
        Log("%s does not match the table", path);
    return matches;
}

/*
 * Row index's file in SourceDir: there, a file, readable and, with digests, of
 * its size (whole: and digest). Returns SourceIntact or what is wrong.
 */
int CheckSourceFile(const DigestTable *table, int index, int whole)
{
    char path[PathSize];
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (FormPath(path, SourceDir, ProductFiles[index]))
    {
        attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            LogFailure("GetFileAttributesA", path, NULL, 0);
    }
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return SourceMissing;
    HANDLE file = OpenToRead(path);
    if (file == INVALID_HANDLE_VALUE)
        return SourceUnreadable;
    int matches = !table->filled || HasRecord(file, path, table->files[index], whole);
    CloseHandle(file);
    return matches ? SourceIntact : SourceDamaged;
}

} // namespace

int CheckSourceFiles(const DigestTable *table, int whole, SourceProblem *problem)
{
    for (int index = 0; index < ProductFileCount; index++)
    {
        int fault = CheckSourceFile(table, index, whole);
        if (fault != SourceIntact)
        {
            problem->row = index;
            problem->fault = fault;
            return 0;
        }
    }
    return 1;
}

int MatchesRecord(const DigestTable *table, const char *path, int index, DWORD *error)
{
    ReadError = 0;
    int matches = !table->filled;
    HANDLE file = matches ? INVALID_HANDLE_VALUE : OpenToRead(path);
    if (file != INVALID_HANDLE_VALUE)
    {
        matches = HasRecord(file, path, table->files[index], 1);
        CloseHandle(file);
    }
    *error = ReadError;
    return matches;
}

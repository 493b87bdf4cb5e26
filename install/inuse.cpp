/*
 * The check for an earlier install in use. A program that runs, or a document
 * open in an editor, keeps its file from being written: opening it for writing
 * without sharing shows that before the copy begins.
 */
#include <windows.h>
#include "base/format.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "install/holder.h"
#include "install/inuse.h"

namespace
{

/* A file in use is asked again this many times, this far apart (about two seconds). */
enum
{
    HeldRetries = 4,
    HeldRetryMs = 500
};

/*
 * Whether the product file at destination can be replaced: opened for writing
 * without sharing, which fails while the product runs. Windows refuses to open
 * a read-only file for writing, so the attribute is lifted for the test only.
 * Returns 0, or the error of the open that failed.
 */
DWORD TryToReplace(const char *destination, DWORD attributes)
{
    SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    HANDLE file = CreateFileA(destination, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    SetFileAttributesA(destination, attributes);
    if (file == INVALID_HANDLE_VALUE)
        LogFailure("CreateFileA", destination, NULL, error);
    else
        CloseHandle(file);
    return error;
}

/* A virus scanner, an indexer or a sync client holds a file only for a moment. */
DWORD TryToReplaceSoon(const char *destination, DWORD attributes)
{
    DWORD error = TryToReplace(destination, attributes);
    for (int retry = 0; retry < HeldRetries && IsHeldError(error); retry++)
    {
        Sleep(HeldRetryMs);
        error = TryToReplace(destination, attributes);
    }
    return error;
}

} // namespace

/* Only another program's handle or lock keeps a file: anything else will not pass by waiting. */
int IsHeldError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

void NameHolder(HeldFile *held)
{
    char path[PathSize];
    held->processId = 0;
    FormatText(held->holder, HolderSize, "another program");
    if (!FormPath(path, InstallDir, ProductFiles[held->row]))
        return;
    FindHolder(path, held->holder, &held->processId);
    if (held->processId)
        Log("Held by %s, process %lu", held->holder, held->processId);
}

int CheckEarlierFiles(unsigned *earlier, HeldFile *held)
{
    return CheckEarlierFilesExcept(0, earlier, held);
}

int CheckEarlierFilesExcept(unsigned skipped, unsigned *earlier, HeldFile *held)
{
    *earlier = 0;
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        DWORD attributes = INVALID_FILE_ATTRIBUTES;
        if (FormPath(destination, InstallDir, ProductFiles[index]))
            attributes = GetFileAttributesA(destination);
        if (attributes == INVALID_FILE_ATTRIBUTES || ((skipped >> index) & 1))
            continue;
        *earlier |= 1u << index;
        held->row = index;
        held->error = TryToReplaceSoon(destination, attributes);
        if (held->error && !IsHeldError(held->error))
            return EarlierFileRefused;
        if (held->error)
        {
            NameHolder(held);
            return EarlierFileHeld;
        }
    }
    return EarlierFilesFree;
}

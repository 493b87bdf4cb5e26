/*
 * The check for an earlier install in use. A program that runs, or a document
 * open in an editor, keeps its file from being written: opening it for writing
 * without sharing shows that before the copy begins.
 */
#include <windows.h>
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
 */
int CanReplace(const char *destination, DWORD attributes)
{
    SetFileAttributesA(destination, attributes & ~FILE_ATTRIBUTE_READONLY);
    HANDLE file = CreateFileA(destination, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileAttributesA(destination, attributes);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", destination, NULL, 0);
    CloseHandle(file);
    return 1;
}

/* A virus scanner, an indexer or a sync client holds a file only for a moment. */
int CanReplaceSoon(const char *destination, DWORD attributes)
{
    for (int retry = 0; retry < HeldRetries; retry++)
    {
        if (CanReplace(destination, attributes))
            return 1;
        Sleep(HeldRetryMs);
    }
    return CanReplace(destination, attributes);
}

/*
 * The row of the first file of an earlier install in InstallDir that cannot be
 * replaced, or -1, with a bit in earlier for each row that has a file.
 */
int FirstIrreplaceableFile(unsigned *earlier)
{
    for (int index = 0; index < ProductFileCount; index++)
    {
        char destination[PathSize];
        DWORD attributes = INVALID_FILE_ATTRIBUTES;
        if (FormPath(destination, InstallDir, ProductFiles[index]))
            attributes = GetFileAttributesA(destination);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        *earlier |= 1u << index;
        if (!CanReplaceSoon(destination, attributes))
            return index;
    }
    return -1;
}

} // namespace

int FindHeldFile(unsigned *earlier, HeldFile *held)
{
    *earlier = 0;
    held->row = FirstIrreplaceableFile(earlier);
    if (held->row < 0)
        return 0;
    char path[PathSize];
    FormPath(path, InstallDir, ProductFiles[held->row]);
    FindHolder(path, held->holder, &held->processId);
    if (held->processId)
        Log("Held by %s, process %lu", held->holder, held->processId);
    return 1;
}

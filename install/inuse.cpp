/*
 * The check for an earlier install in use. A program that runs, or a document
 * open in an editor, keeps its file from being written: opening it for writing
 * without sharing shows that before the copy begins.
 */
#include <windows.h>
#include "install/inuse.h"
#include "install/paths.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

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

} // namespace

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
        if (!CanReplace(destination, attributes))
            return index;
    }
    return -1;
}

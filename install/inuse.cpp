/*
 * The check for an earlier install in use. A program that runs, or a document
 * open in an editor, keeps its file from being written: opening it for writing
 * without sharing shows that before the copy begins.
 */
#include <windows.h>
#include "install/holder.h"
#include "install/inuse.h"
#include "install/paths.h"
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/format.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

/* A file in use is asked again this many times, this far apart (about two seconds). */
enum
{
    HeldRetries = 4,
    HeldRetryMs = 500
};

/* Size of the in-use message, terminator included: a file name and a holder's name. */
enum
{
    InUseMessageSize = HolderSize + 96
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

/* Names the holder of the product file in row; 1 when the user pressed Retry. */
int AskToClose(HWND dialog, int row)
{
    char path[PathSize];
    char holder[HolderSize];
    char message[InUseMessageSize];
    DWORD processId;
    FormPath(path, InstallDir, ProductFiles[row]);
    FindHolder(path, holder, &processId);
    if (processId)
        Log("Held by %s, process %lu", holder, processId);
    FormatText(message, sizeof message, "%s is in use by %s. Close that program, then press Retry.",
               ProductFiles[row], holder);
    return AskRetry(dialog, message);
}

} // namespace

int CheckEarlierFiles(HWND dialog, unsigned *earlier)
{
    for (;;)
    {
        /* A file may have gone meanwhile: every pass counts them afresh. */
        *earlier = 0;
        int held = FirstIrreplaceableFile(earlier);
        if (held < 0)
            return ExitInstalled;
        if (!AskToClose(dialog, held))
            return Unattended ? ExitInUse : ExitCancelled;
    }
}

/*
 * The file copy: one file after another, each announced in the status line
 * before it is copied, stopping at the first that fails. Files already copied
 * stay where they are.
 */
#include <windows.h>
#include "install/copy.h"
#include "install/paths.h"
#include "setup/dialog.h"
#include "setup/format.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

/* Size of the copy failure message, terminator included. */
enum
{
    CopyMessageSize = 128
};

/* Forms directory\name in path (a PathSize buffer); 0 when it would not fit. */
int FormPath(char *path, const char *directory, const char *name)
{
    path[0] = '\0';
    return JoinPath(path, directory) && JoinPath(path, name);
}

/* Opens path to learn which file it is; no access is asked, which a file others hold open allows.
 */
HANDLE OpenForIdentity(const char *path)
{
    return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

void CloseOpened(HANDLE file)
{
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

/*
 * Whether two paths name one file, in whatever spelling: slashes, ".", short
 * names, letter case. The text cannot tell (a case fold by bytes would even
 * alter double-byte characters); the volume and file index can. Both files stay
 * open meanwhile: Windows 95 vouches for an index only while its file is open.
 * An index of 0 (Win32s, some network redirectors) tells nothing and never matches.
 */
int IsSameFile(const char *a, const char *b)
{
    HANDLE first = OpenForIdentity(a);
    HANDLE second = OpenForIdentity(b);
    BY_HANDLE_FILE_INFORMATION one;
    BY_HANDLE_FILE_INFORMATION other;
    int same =
        first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandle(first, &one) && GetFileInformationByHandle(second, &other) &&
        (one.nFileIndexLow | one.nFileIndexHigh) != 0 && one.nFileIndexLow == other.nFileIndexLow &&
        one.nFileIndexHigh == other.nFileIndexHigh &&
        one.dwVolumeSerialNumber == other.dwVolumeSerialNumber;
    CloseOpened(first);
    CloseOpened(second);
    return same;
}

int Percentage(void)
{
    int percentage = ((FilesCopied + 1) * 100) / ProductFileCount;
    return percentage > 100 ? 100 : percentage;
}

/* Copies one file over whatever is at destination, unless both name the same file. */
int CopyOneFile(const char *source, const char *destination)
{
    return IsSameFile(source, destination) || CopyFileA(source, destination, FALSE);
}

void ReportCopyFailure(HWND dialog, const char *name)
{
    char message[CopyMessageSize];
    FormatText(message, sizeof message, "Could not copy %s", name);
    MessageBoxA(dialog, message, SetupTitle, MB_OK);
}

} // namespace

int CopyProductFiles(HWND dialog)
{
    FilesCopied = 0;
    ShowStatus(dialog, "Copying files.");
    for (int index = 0; index < ProductFileCount; index++)
    {
        const char *name = ProductFiles[index];
        char source[PathSize];
        char destination[PathSize];
        int formed = FormPath(source, SourceDir, name) && FormPath(destination, InstallDir, name);

        ShowStatus(dialog, "Copying files... %d%% completed", Percentage());
        if (!formed || !CopyOneFile(source, destination))
        {
            ReportCopyFailure(dialog, name);
            return 0;
        }
        /* A read-only source would otherwise arrive read-only. */
        SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        FilesCopied++;
    }
    return 1;
}

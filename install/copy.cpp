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

char FoldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

/*
 * Byte-wise equality ignoring the case of A to Z only. The platform's own
 * comparison follows the user's locale; this one answers alike everywhere.
 */
int SamePath(const char *a, const char *b)
{
    for (; *a != '\0' || *b != '\0'; a++, b++)
    {
        if (FoldAsciiCase(*a) != FoldAsciiCase(*b))
            return 0;
    }
    return 1;
}

int Percentage(void)
{
    int percentage = ((FilesCopied + 1) * 100) / ProductFileCount;
    return percentage > 100 ? 100 : percentage;
}

/* Copies one file over whatever is at destination, unless both name the same file. */
int CopyOneFile(const char *source, const char *destination)
{
    return SamePath(source, destination) || CopyFileA(source, destination, FALSE);
}

void ReportCopyFailure(HWND dialog, const char *name)
{
    char message[CopyMessageSize];
    FormatText(message, sizeof message, "Could not copy %s", name);
    TellUser(dialog, message);
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

/*
 * Removal by name. Whatever the folder holds beside the product's files is
 * the user's (or another program's): nothing is removed by a pattern or
 * recursively, so no spelling of the folder can make the uninstaller take
 * what is not its own.
 */
#include <windows.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "install/removal.h"
#include "install/rollback.h"
#include "uninstallerbatch.h"

namespace
{

enum
{
    /* The interpreter, the batch file and the folder, each quoted, and the switches. */
    CommandSize = 3 * PathSize + 16
};

/* Removes the file name in InstallDir, if there; a folder of that name is not the product's. */
void RemoveFile(const char *name, Leftover *leftover)
{
    char path[PathSize];
    if (!FormPath(path, InstallDir, name))
        return;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteOrNote(path, leftover);
}

int IsUninstallerName(const char *name)
{
    return lstrcmpiA(name, ProductFiles[UninstallerFile]) == 0 ||
           lstrcmpiA(name, ProductFiles[UninstallerBatchFile]) == 0;
}

/*
 * Unsetup.bat byte for byte. The copy run last is written from the program's
 * own bytes, which its signature covers, not from the install folder, where
 * the file may be missing (a half-removed install) or another (a maker's own).
 */
const char UninstallerBatch[] = {UNINSTALLER_BATCH_BYTES};

/* Writes the copy of Unsetup.bat into a new file in the temporary folder, named after this
 * process, at path (PathSize bytes); 0 where it cannot. */
int WriteBatchCopy(char *path)
{
    char folder[PathSize];
    DWORD length = GetTempPathA(PathSize, folder);
    if (length == 0 || length >= PathSize ||
        !FormatText(path, PathSize, "%sUnsetup%lu.bat", folder, GetCurrentProcessId()))
        return 0;
    /* A file of that name is not this run's to overwrite. */
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", path, NULL, 0);
    DWORD written = 0;
    WriteFile(file, UninstallerBatch, sizeof UninstallerBatch, &written, NULL);
    CloseHandle(file);
    if (written == sizeof UninstallerBatch)
        return 1;
    DeleteFileA(path);
    Log("Could not write %s", path);
    return 0;
}

/*
 * The interpreter's path in interpreter, its command line for the batch file
 * at batch in command (CommandSize bytes) and the flags it is started with.
 * CMD.EXE takes quoted long paths, taking off the first and the last quote
 * after /c, and starts with no console at all; COMMAND.COM, which knows no
 * quotes, takes short ones and is hidden by its window.
 */
int FormBatchCommand(const char *batch, char *interpreter, char *command, DWORD *flags)
{
    *flags = CREATE_NO_WINDOW;
    if (GetPlatformFile(GetSystemDirectoryA, "cmd.exe", interpreter) && IsPresent(interpreter))
        return FormatText(command, CommandSize, "\"%s\" /c \"\"%s\" \"%s\"\"", interpreter, batch,
                          InstallDir);
    *flags = 0;
    char shortBatch[PathSize];
    char shortFolder[PathSize];
    DWORD batchLength = GetShortPathNameA(batch, shortBatch, PathSize);
    DWORD folderLength = GetShortPathNameA(InstallDir, shortFolder, PathSize);
    return GetPlatformFile(GetWindowsDirectoryA, "COMMAND.COM", interpreter) && batchLength != 0 &&
           batchLength < PathSize && folderLength != 0 && folderLength < PathSize &&
           FormatText(command, CommandSize, "%s /c %s %s", interpreter, shortBatch, shortFolder);
}

/* The uninstaller's two files as del takes them: it passes over hidden ones and Windows
 * deletes no read-only one. */
void ClearUninstallerAttributes(void)
{
    const int rows[] = {UninstallerFile, UninstallerBatchFile};
    for (int index : rows)
    {
        char path[PathSize];
        if (FormPath(path, InstallDir, ProductFiles[index]))
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    }
}

} // namespace

void RemoveProductFiles(Leftover *leftover)
{
    for (int index = 0; index < ProductFileCount; index++)
    {
        if (index != UninstallerFile && index != UninstallerBatchFile)
            RemoveFile(ProductFiles[index], leftover);
    }
    /* The setup moves a file of its run to "NimSetup.$$0" and on, one a row, on its way out
       (install/rollback.cpp); a run killed meanwhile leaves it there. */
    char transient[] = "NimSetup.$$0";
    for (int index = 0; index < ProductFileCount; index++, transient[sizeof transient - 2]++)
        RemoveFile(transient, leftover);
    char list[PathSize];
    int unreadable;
    if (!RemoveListedBackups(&unreadable) && FormPath(list, InstallDir, "NimSetup.$$$"))
        NoteLeftoverBecause(leftover, list,
                            unreadable ? "it is not a list of backups the uninstaller can read."
                                       : "a backup it names stays.");
}

int ListKeptFiles(void)
{
    char pattern[PathSize];
    WIN32_FIND_DATAA found;
    int kept = 0;
    if (!FormPath(pattern, InstallDir, "*"))
        return 0;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        const char *name = found.cFileName;
        /* The uninstaller's two go last, with the folder. */
        if (lstrcmpiA(name, ".") == 0 || lstrcmpiA(name, "..") == 0 ||
            (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsUninstallerName(name)))
            continue;
        Log("Kept %s\\%s: not installed by the setup", InstallDir, name);
        kept++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return kept;
}

int StartFolderRemoval(void)
{
    char batch[PathSize];
    char interpreter[PathSize];
    char command[CommandSize];
    if (!WriteBatchCopy(batch))
        return 0;
    DWORD flags;
    if (!FormBatchCommand(batch, interpreter, command, &flags))
    {
        Log("No command interpreter to remove %s", InstallDir);
        DeleteFileA(batch);
        return 0;
    }
    ClearUninstallerAttributes();
    /* Out of the folder it removes: a process's current directory keeps a folder from being
       removed. There the interpreter also finds the system's programs first. */
    char folder[PathSize];
    FormatText(folder, PathSize, "%s", interpreter);
    StripLastComponent(folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(interpreter, command, NULL, NULL, TRUE, flags, NULL, folder, &startup,
                        &started))
    {
        LogFailure("CreateProcessA", command, NULL, 0);
        DeleteFileA(batch);
        return 0;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    Log("Started %s", command);
    return 1;
}

/*
 * The Start menu group's removal. Only what the setup made goes: its four
 * links where each still points into the install folder (a group that another
 * install's setup made later has links that point elsewhere), the group's
 * folder once nothing else is in it, and SETUP.INI where it describes this
 * install. The shell is told of each, so that the Start menu drops it at once.
 */
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include "base/folders.h"
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "register/startmenu.h"
namespace
{

/* Whether the link at linkPath starts a file in InstallDir. */
int PointsIntoInstallDir(const ComCalls *com, const char *linkPath)
{
    WCHAR widePath[PathSize];
    char target[PathSize];
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    int into = 0;
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, PathSize) ||
        FAILED(com->createInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link))))
        return 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))))
    {
        into = SUCCEEDED(file->Load(widePath, STGM_READ)) &&
               link->GetPath(target, PathSize, NULL, 0) == S_OK && IsInFolder(target, InstallDir);
        file->Release();
    }
    link->Release();
    return into;
}

/* The four links of the group under the Programs folder programs names, where each points into
 * InstallDir, then the group's folder if that leaves it empty. */
void RemoveShellGroup(const ShellCalls *shell, const ComCalls *com, int programs,
                      Leftover *leftover)
{
    char folder[PathSize];
    if (!GetProgramsFolder(shell, programs, folder) || !JoinPath(folder, ProductName) ||
        !IsPresent(folder))
        return;
    for (const GroupItem &item : GroupItems)
    {
        char linkPath[PathSize];
        if (!FormatText(linkPath, sizeof linkPath, "%s\\%s.lnk", folder, item.name) ||
            !IsPresent(linkPath))
            continue;
        if (!PointsIntoInstallDir(com, linkPath))
        {
            Log("Kept %s: it points elsewhere", linkPath);
            continue;
        }
        DeleteOrNote(linkPath, leftover);
        shell->changeNotify(SHCNE_DELETE, SHCNF_PATHA, linkPath, NULL);
    }
    /* A folder that holds anything else (a link of the user's) stays. */
    if (!RemoveDirectoryA(folder))
    {
        LogFailure("RemoveDirectoryA", folder, NULL, 0);
        return;
    }
    Log("Removed %s", folder);
    shell->changeNotify(SHCNE_RMDIR, SHCNF_PATHA, folder, NULL);
}

/* Whether text is the group file this setup writes for InstallDir: the product's group, and
 * each item's command a file in InstallDir (its short path, then any arguments). */
int DescribesInstallDir(const char *text)
{
    char header[PathSize];
    if (!FormatText(header, sizeof header, GROUP_HEADER, ProductName))
        return 0;
    int length = lstrlenA(header);
    for (int i = 0; i < length; i++)
    {
        if (text[i] != header[i])
            return 0;
    }
    int items = 0;
    for (const char *line = text + length; *line != '\0'; items++)
    {
        /* No byte of a quote, a comma or a space is ever part of a double-byte character. */
        const char *command = line;
        while (*command != '\0' && *command != '\n' &&
               !(command[0] == '"' && command[1] == ',' && command[2] == '"'))
            command++;
        if (*command != '"')
            return 0;
        command += 3;
        int span = 0;
        while (command[span] != '\0' && command[span] != '"' && command[span] != ' ')
            span++;
        char target[PathSize];
        if (!CopyBytes(target, PathSize, command, span) || !IsInFolder(target, InstallDir))
            return 0;
        while (*line != '\0' && *line++ != '\n')
            ;
    }
    return items > 0;
}

/* SETUP.INI in the Windows directory, where it is the setup's for InstallDir. */
void RemoveGroupFile(Leftover *leftover)
{
    char path[PathSize];
    char text[GroupTextSize];
    DWORD read = 0;
    if (!GetPlatformFile(GetWindowsDirectoryA, "SETUP.INI", path))
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    if (!ReadFile(file, text, sizeof text - 1, &read, NULL))
        read = 0;
    CloseHandle(file);
    text[read] = '\0';
    if (DescribesInstallDir(text))
        DeleteOrNote(path, leftover);
    else
        Log("Kept %s: it describes another install", path);
}

} // namespace

void RemoveStartMenuGroup(Leftover *leftover)
{
    ShellCalls shell = {};
    ComCalls com = {};
    if (LoadShellCalls(&shell) && LoadComCalls(&com))
    {
        HRESULT initialized = com.initialize(NULL);
        /* Windows 9x has no folder for all users: there the call fails. */
        RemoveShellGroup(&shell, &com, CSIDL_PROGRAMS, leftover);
        RemoveShellGroup(&shell, &com, CSIDL_COMMON_PROGRAMS, leftover);
        if (SUCCEEDED(initialized))
            com.uninitialize();
    }
    RemoveGroupFile(leftover);
}

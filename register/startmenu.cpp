/*
 * The Start menu group, made the way setups of this kind always have: a
 * program-group description in SETUP.INI in the Windows directory, then the
 * platform's converter, "grpconv -o", which builds the group from it. Where
 * there is no converter (current Windows, Wine), the same group is made with
 * the shell's own links. A setup run as LocalSystem, as deployment tools run it,
 * makes the links for all users: SYSTEM's own Start menu is seen by no one.
 */
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "register/startmenu.h"

namespace
{

/* Each item line reads "name","command line",,,,"working directory". */
#define GROUP_ITEM "\"%s\",\"%s\",,,,\"%s\"\r\n"
const char GroupFormat[] = GROUP_HEADER GROUP_ITEM GROUP_ITEM GROUP_ITEM GROUP_ITEM;

/* The item's installed file, InstallDir joined with its name. */
int GetItemTarget(const GroupItem *item, char *path)
{
    return FormPath(path, InstallDir, ProductFiles[item->file]);
}

/*
 * An item's command line (GroupCommandSize bytes): the short (8.3) form of its
 * installed path, or the long path where the platform cannot give the short
 * form, then its arguments. Fails only when the path itself does not fit.
 * Sets *spaced when the path still holds a space.
 */
int GetItemCommand(const GroupItem *item, char *command, int *spaced)
{
    char path[PathSize];
    if (!GetItemTarget(item, path))
        return 0;
    DWORD length = GetShortPathNameA(path, command, PathSize);
    if (length == 0 || length >= PathSize)
        FormatText(command, PathSize, "%s", path);
    for (const char *p = command; *p; p++)
        *spaced |= *p == ' ';
    if (item->arguments[0] != '\0')
        FormatText(command + lstrlenA(command), GroupCommandSize - lstrlenA(command), " %s",
                   item->arguments);
    return 1;
}

/*
 * The whole of SETUP.INI, or 0 when any part of it cannot be formed in full.
 * Sets *spaced when an item's command line holds a space before its arguments.
 */
int ComposeGroupText(char *text, int size, int *spaced)
{
    char commands[GroupItemCount][GroupCommandSize];
    for (int i = 0; i < GroupItemCount; i++)
    {
        if (!GetItemCommand(&GroupItems[i], commands[i], spaced))
            return 0;
    }
    const GroupItem *items = GroupItems;
    return FormatText(text, size, GroupFormat, ProductName,   //
                      items[0].name, commands[0], InstallDir, //
                      items[1].name, commands[1], InstallDir, //
                      items[2].name, commands[2], InstallDir, //
                      items[3].name, commands[3], InstallDir);
}

/*
 * Creates or truncates SETUP.INI in the Windows directory; 1 only when the
 * whole text reached it. A part of it is removed again: the converter must
 * never find a broken group.
 */
int WriteGroupFile(const char *text)
{
    char path[PathSize];
    if (!GetPlatformFile(GetWindowsDirectoryA, "SETUP.INI", path))
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return LogFailure("CreateFileA", path, NULL, 0);
    DWORD length = (DWORD)lstrlenA(text);
    DWORD written = 0;
    WriteFile(file, text, length, &written, NULL);
    CloseHandle(file);
    if (written == length)
    {
        Log("Wrote %s", path);
        return 1;
    }
    DeleteFileA(path);
    return 0;
}

/* Saves one shell link, replacing a file of the same name; a failed call is logged. */
int SaveLink(const ComCalls *com, const char *linkPath, const char *target, const char *arguments)
{
    WCHAR widePath[PathSize];
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, PathSize))
        return 0;
    IShellLinkA *link = NULL;
    HRESULT result = com->createInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkA, reinterpret_cast<void **>(&link));
    if (FAILED(result))
        return LogFailure("CoCreateInstance", linkPath, NULL, (DWORD)result);
    int saved = 0;
    IPersistFile *file = NULL;
    link->SetPath(target);
    link->SetArguments(arguments);
    link->SetWorkingDirectory(InstallDir);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))))
    {
        result = file->Save(widePath, TRUE);
        if (SUCCEEDED(result))
            saved = 1;
        else
            LogFailure("IPersistFile::Save", linkPath, NULL, (DWORD)result);
        file->Release();
    }
    link->Release();
    return saved;
}

} // namespace

void CreateShellGroup(int programs)
{
    ShellCalls shell = {};
    ComCalls com = {};
    char folder[PathSize];
    if (!LoadShellCalls(&shell) || !LoadComCalls(&com) ||
        !GetProgramsFolder(&shell, programs, folder) || !JoinPath(folder, ProductName))
        return;
    /* A folder left by an earlier install is no failure; a file of its name is. */
    if (!IsDirectory(folder) && !CreateDirectoryA(folder, NULL))
        LogFailure("CreateDirectoryA", folder, NULL, 0);

    HRESULT initialized = com.initialize(NULL);
    for (int i = 0; i < GroupItemCount; i++)
    {
        const GroupItem *item = &GroupItems[i];
        char target[PathSize];
        char linkPath[PathSize];
        /* A link not made is logged by the call that failed. */
        if (GetItemTarget(item, target) &&
            FormatText(linkPath, sizeof linkPath, "%s\\%s.lnk", folder, item->name) &&
            SaveLink(&com, linkPath, target, item->arguments))
            Log("Made %s", linkPath);
    }
    if (SUCCEEDED(initialized))
        com.uninitialize();
    shell.changeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder, NULL);
}

namespace
{

/*
 * Starts the converter hidden, by its full path: grpconv.exe in the system
 * directory, or in the Windows directory where Windows 9x keeps it. A bare
 * name would be searched for beside the setup and in the current directory
 * first. 0 when there is none or it cannot be started.
 */
int StartConverter(void)
{
    static const char converter[] = "grpconv.exe";
    char path[PathSize];
    char command[GroupCommandSize];
    if (!(GetPlatformFile(GetSystemDirectoryA, converter, path) && IsPresent(path)) &&
        !(GetPlatformFile(GetWindowsDirectoryA, converter, path) && IsPresent(path)))
        return 0;
    if (!FormatText(command, sizeof command, "\"%s\" -o", path))
        return 0;
    /* WinExec answers 31 or less when the program cannot be started: 2, 3 and 11 are the
       system's error numbers, 0 is out of memory. */
    UINT started = WinExec(command, SW_HIDE);
    if (started <= 31)
    {
        /* Its own answer: 0 is no error number, and the last error may be anyone's. */
        Log("WinExec(%s) failed: %u", command, started);
        return 0;
    }
    Log("Started %s", command);
    return 1;
}

} // namespace

int IsLocalSystemSid(const DWORD *sid)
{
    /* Revision 1 with one subauthority, the authority 5 (NT) in big-endian order, then 18. */
    return sid[0] == 0x101 && sid[1] == 0x05000000 && sid[2] == 18;
}

/*
 * The SID of the process's user, from its token: the SID after the TOKEN_USER at the start of
 * buffer. Windows 9x has no tokens: its ADVAPI32 answers the query with failure, or has no such
 * calls at all.
 */
const DWORD *GetProcessUserSid(DWORD *buffer)
{
    TokenCalls calls;
    HANDLE token;
    DWORD size;
    if (!FindTokenCalls(&calls) ||
        !calls.openProcessToken((HANDLE)-1, TOKEN_QUERY, &token)) /* the process's own */
        return NULL;
    int read = calls.getInformation(token, TokenUser, buffer, UserSidSize, &size);
    CloseHandle(token);
    return read ? reinterpret_cast<const DWORD *>(buffer[0]) : NULL;
}

void CreateStartMenuGroup(void)
{
    DWORD user[UserSidSize / sizeof(DWORD)];
    const DWORD *sid = GetProcessUserSid(user);
    CreateStartMenuGroupAs(sid && IsLocalSystemSid(sid));
}

void CreateStartMenuGroupAs(int system)
{
    char text[GroupTextSize];
    int spaced = 0;
    /* A cut description would give the converter, or the links, paths that were cut. */
    if (!ComposeGroupText(text, sizeof text, &spaced))
        return;
    /*
     * The group file's quoted, comma-separated items do not carry a command
     * line with a space safely (a volume without short names), and a standard
     * user of NT-family Windows may not write the Windows directory: the links
     * make the group then, as they do where there is no converter.
     */
    if (system || spaced || !WriteGroupFile(text) || !StartConverter())
        CreateShellGroup(system ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
}

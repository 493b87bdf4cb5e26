/*
 * The Start menu group, made the way setups of this kind always have: a
 * program-group description in SETUP.INI in the Windows directory, then the
 * platform's converter, "grpconv -o", which builds the group from it.
 */
#include <windows.h>
#include "register/startmenu.h"
#include "install/paths.h"
#include "setup/format.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

enum
{
    ItemCount = 4,
    /*
     * Three short header lines, then per item at most two full paths (command
     * line and working directory), the item's name, " 1" and the quotes, commas
     * and line end: about 2,300 bytes at the very most.
     */
    GroupTextSize = 64 + ItemCount * (2 * PathSize + 64)
};

struct GroupItem
{
    const char *name;
    int file;              /* row of the file table */
    const char *arguments; /* appended to the command line */
};

const GroupItem GroupItems[ItemCount] = {
    {ProductName, MainProgramFile, ""},
    {"Readme", ReadmeFile, ""},
    {"Configuration", ConfigurationFile, " 1"},
    {"Uninstall Nimbet 2 Alpha", UninstallerFile, ""},
};

/* Each item line reads "name","command line",,,,"working directory". */
const char GroupFormat[] = "[progman.groups]\r\n"
                           "groupX=%s\r\n"
                           "[groupX]\r\n"
                           "\"%s\",\"%s%s\",,,,\"%s\"\r\n"
                           "\"%s\",\"%s%s\",,,,\"%s\"\r\n"
                           "\"%s\",\"%s%s\",,,,\"%s\"\r\n"
                           "\"%s\",\"%s%s\",,,,\"%s\"\r\n";

/*
 * An item's command line: the short (8.3) form of its installed path, or the
 * long path where the platform cannot give the short form. Fails only when the
 * path itself does not fit.
 */
int GetItemCommand(const GroupItem *item, char *command)
{
    char path[PathSize];
    lstrcpyA(path, InstallDir);
    if (!JoinPath(path, ProductFiles[item->file]))
        return 0;
    DWORD length = GetShortPathNameA(path, command, PathSize);
    if (length == 0 || length >= PathSize)
        lstrcpyA(command, path);
    return 1;
}

/* The whole of SETUP.INI, or 0 when any part of it cannot be formed in full. */
int ComposeGroupText(char *text, int size)
{
    char commands[ItemCount][PathSize];
    for (int i = 0; i < ItemCount; i++)
    {
        if (!GetItemCommand(&GroupItems[i], commands[i]))
            return 0;
    }
    const GroupItem *items = GroupItems;
    return FormatText(text, size, GroupFormat, ProductName,                       //
                      items[0].name, commands[0], items[0].arguments, InstallDir, //
                      items[1].name, commands[1], items[1].arguments, InstallDir, //
                      items[2].name, commands[2], items[2].arguments, InstallDir, //
                      items[3].name, commands[3], items[3].arguments, InstallDir);
}

int GetGroupFilePath(char *path)
{
    UINT length = GetWindowsDirectoryA(path, PathSize);
    if (length == 0 || length >= PathSize)
        return 0;
    return JoinPath(path, "SETUP.INI");
}

/* Creates or truncates the file; 1 only when the whole text reached it. */
int WriteGroupFile(const char *path, const char *text)
{
    HFILE file = _lcreat(path, 0);
    if (file == HFILE_ERROR)
        return 0;
    UINT length = (UINT)lstrlenA(text);
    UINT written = _lwrite(file, text, length);
    _lclose(file);
    return written == length;
}

} // namespace

void CreateStartMenuGroup(void)
{
    char path[PathSize];
    char text[GroupTextSize];
    /* A cut or partial description would hand the converter a broken group. */
    if (!GetGroupFilePath(path) || !ComposeGroupText(text, sizeof text))
        return;
    if (WriteGroupFile(path, text))
        WinExec("grpconv -o", SW_HIDE);
}

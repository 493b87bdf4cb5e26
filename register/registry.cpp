/*
 * The registry entries of an installation: the per-user record of where the
 * product went and which version it is, and the uninstall entry that the list
 * of installed programs shows. The setup only writes them; the product and its
 * uninstaller read them.
 */
#include <windows.h>
#include "base/format.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "register/registry.h"

namespace
{

enum
{
    UninstallCommandSize = 512
};

/* 1 for ERROR_SUCCESS; otherwise logs call's failure on the key or value named and gives 0. */
int Succeeded(LONG error, const char *call, const char *named)
{
    return error == ERROR_SUCCESS || LogFailure(call, named, NULL, (DWORD)error);
}

int CreateKey(HKEY root, const char *path, HKEY *key)
{
    return Succeeded(RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     NULL, key, NULL),
                     "RegCreateKeyExA", path);
}

int SetValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size)
{
    return Succeeded(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size),
                     "RegSetValueExA", name);
}

/* Windows 95 stores exactly the bytes it is given, so the terminator is counted. */
int SetText(HKEY key, const char *name, const char *text)
{
    return SetValue(key, name, REG_SZ, text, (DWORD)lstrlenA(text) + 1);
}

/* The installed files' total size in KiB, rounded up once, as the list shows it. */
DWORD InstalledKilobytes(void)
{
    ULONGLONG bytes = 0;
    for (const char *name : ProductFiles)
    {
        char path[PathSize];
        BY_HANDLE_FILE_INFORMATION information;
        if (FormPath(path, InstallDir, name) && ReadFileInformation(path, &information))
            bytes += ((ULONGLONG)information.nFileSizeHigh << 32) | information.nFileSizeLow;
    }
    return (DWORD)((bytes + 1023) >> 10);
}

/*
 * Removes an entry an earlier install left, so that the key holds this
 * install's values only: a stale QuietUninstallString, say, would still be run
 * by deployment tools. Windows NT refuses to delete a key that has subkeys, so
 * they go first, one level deep as installers write them; where the key still
 * stays, its values go instead.
 */
void RemoveEntry(HKEY root, const char *path)
{
    HKEY key;
    char name[PathSize];
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS;)
        i += RegDeleteKeyA(key, name) != ERROR_SUCCESS;
    if (RegDeleteKeyA(root, path) != ERROR_SUCCESS)
    {
        DWORD size = sizeof name;
        for (DWORD i = 0;
             RegEnumValueA(key, i, name, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
             size = sizeof name)
            i += RegDeleteValueA(key, name) != ERROR_SUCCESS;
    }
    RegCloseKey(key);
}

/* What the list of installed programs shows beside the name; 0 when a value is refused. */
int WriteEntryDetails(HKEY key)
{
    /* The main program's icon: its path as the copy forms it, then the icon's index. */
    char icon[PathSize + 2];
    if (!FormPath(icon, InstallDir, ProductFiles[MainProgramFile]))
        return 0;
    FormatText(icon + lstrlenA(icon), 3, ",0");
    DWORD kilobytes = InstalledKilobytes();
    DWORD yes = 1;
    return SetText(key, "Publisher", Publisher) && SetText(key, "DisplayVersion", ProductVersion) &&
           SetText(key, "InstallLocation", InstallDir) && SetText(key, "DisplayIcon", icon) &&
           SetValue(key, "EstimatedSize", REG_DWORD, &kilobytes, sizeof kilobytes) &&
           SetValue(key, "NoModify", REG_DWORD, &yes, sizeof yes) &&
           SetValue(key, "NoRepair", REG_DWORD, &yes, sizeof yes);
}

/*
 * An uninstall command: the uninstaller's file in InstallDir, quoted, and its
 * arguments. The platform runs it as a command line: unquoted, a path with
 * spaces would start c:\Games\Nimbet.exe for "c:\Games\Nimbet 2 Alpha",
 * had anyone put one there. The name is written in lower case, as the entry
 * has always shown it: Windows finds the file in any case, and detection
 * rules that administrators wrote against earlier entries compare the text.
 */
int FormUninstallCommand(char *command, const char *arguments)
{
    char name[PathSize];
    if (!FormatText(name, sizeof name, "%s", ProductFiles[UninstallerFile]))
        return 0;
    for (char *c = name; *c; c++)
    {
        if (*c >= 'A' && *c <= 'Z')
            *c = (char)(*c - 'A' + 'a');
    }
    return FormatText(command, UninstallCommandSize, "\"%s\\%s\" %s", InstallDir, name, arguments);
}

void WriteAppKey(const char *appKeyPath)
{
    HKEY key = NULL;
    if (!CreateKey(HKEY_CURRENT_USER, appKeyPath, &key))
        return;
    SetText(key, "location", InstallDir);
    SetText(key, "version", ProductVersion);
    RegCloseKey(key);
}

/* The uninstall entry under root; 0 when its key or any of its values cannot be written. */
int WriteUninstallKey(HKEY root, const char *uninstallKeyPath, const char *displayName,
                      short uninstallArgument)
{
    HKEY key = NULL;
    RemoveEntry(root, uninstallKeyPath);
    if (!CreateKey(root, uninstallKeyPath, &key))
        return 0;
    char command[UninstallCommandSize];
    char argument[12];
    FormatText(argument, sizeof argument, "%d", (int)uninstallArgument);
    /* The quiet command, the same uninstaller without a window, is what deployment tools
       run where an entry has one. */
    int written = SetText(key, "DisplayName", displayName) &&
                  FormUninstallCommand(command, argument) &&
                  SetText(key, "UninstallString", command) && FormUninstallCommand(command, "/S") &&
                  SetText(key, "QuietUninstallString", command) && WriteEntryDetails(key);
    RegCloseKey(key);
    if (written)
        Log("Uninstall entry under %s", root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU");
    return written;
}

} // namespace

void WriteRegistryEntries(const char *appKeyPath, const char *uninstallKeyPath,
                          const char *displayName, short uninstallArgument)
{
    WriteAppKey(appKeyPath);
    /*
     * A standard user may not write under HKEY_LOCAL_MACHINE; Windows 2000 and
     * later also list the uninstall entries under the user's own key. Once the
     * machine-wide entry is written, a per-user one from such an install would
     * list the product twice.
     */
    if (WriteUninstallKey(HKEY_LOCAL_MACHINE, uninstallKeyPath, displayName, uninstallArgument))
        RemoveEntry(HKEY_CURRENT_USER, uninstallKeyPath);
    else
        WriteUninstallKey(HKEY_CURRENT_USER, uninstallKeyPath, displayName, uninstallArgument);
}

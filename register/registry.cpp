/*
 * The registry entries of an installation: the per-user record of where the
 * product went and which version it is, and the uninstall entry that the list
 * of installed programs shows. The setup only writes them; the product and its
 * uninstaller read them.
 */
#include <windows.h>
#include "install/paths.h"
#include "register/registry.h"
#include "setup/format.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

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

/* The entry's details in writing order: four texts, then three numbers. */
const char DetailNames[] = "Publisher\0DisplayVersion\0InstallLocation\0DisplayIcon\0"
                           "EstimatedSize\0NoModify\0NoRepair";

/* What the list of installed programs shows beside the name; 0 when a value is refused. */
int WriteEntryDetails(HKEY key)
{
    /* The main program's icon: its path as the copy forms it, then the icon's index. */
    char icon[PathSize + 2];
    if (!FormPath(icon, InstallDir, ProductFiles[MainProgramFile]))
        return 0;
    FormatText(icon + lstrlenA(icon), 3, ",0");
    const char *texts[] = {Publisher, ProductVersion, InstallDir, icon};
    DWORD numbers[] = {InstalledKilobytes(), 1, 1};
    const char *name = DetailNames;
    for (int i = 0; i < 7; i++, name += lstrlenA(name) + 1)
    {
        if (!(i < 4 ? SetText(key, name, texts[i])
                    : SetValue(key, name, REG_DWORD, &numbers[i - 4], sizeof(DWORD))))
            return 0;
    }
    return 1;
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
    /*
     * The platform runs this as a command line: unquoted, a path with spaces
     * would start c:\Games\Nimbet.exe for "c:\Games\Nimbet 2 Alpha", had
     * anyone put one there. The uninstaller's name stays in lower case.
     */
    char command[UninstallCommandSize];
    int written = SetText(key, "DisplayName", displayName) &&
                  FormatText(command, sizeof command, "\"%s\\unsetup.exe\" %d", InstallDir,
                             (int)uninstallArgument) &&
                  SetText(key, "UninstallString", command) && WriteEntryDetails(key);
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

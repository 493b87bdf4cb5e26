/*
 * The registry entries of an installation: the per-user record of where the
 * product went and which version it is, and the machine-wide uninstall entry.
 * The setup only writes them; the product and its uninstaller read them.
 */
#include <windows.h>
#include "register/registry.h"
#include "setup/format.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

enum
{
    UninstallCommandSize = 512
};

int CreateKey(HKEY root, const char *path, HKEY *key)
{
    return RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, key,
                           NULL) == ERROR_SUCCESS;
}

/* Windows 95 stores exactly the bytes it is given, so the terminator is counted. */
int SetText(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                          (DWORD)lstrlenA(text) + 1) == ERROR_SUCCESS;
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
                  SetText(key, "UninstallString", command);
    RegCloseKey(key);
    return written;
}

} // namespace

void WriteRegistryEntries(const char *appKeyPath, const char *uninstallKeyPath,
                          const char *displayName, short uninstallArgument)
{
    WriteAppKey(appKeyPath);
    /* A standard user may not write under HKEY_LOCAL_MACHINE; Windows 2000 and later also list
     * the uninstall entries under the user's own key. */
    if (!WriteUninstallKey(HKEY_LOCAL_MACHINE, uninstallKeyPath, displayName, uninstallArgument))
        WriteUninstallKey(HKEY_CURRENT_USER, uninstallKeyPath, displayName, uninstallArgument);
}

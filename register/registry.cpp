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
void SetText(HKEY key, const char *name, const char *text)
{
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                   (DWORD)lstrlenA(text) + 1);
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

void WriteUninstallKey(const char *uninstallKeyPath, const char *displayName,
                       short uninstallArgument)
{
    HKEY key = NULL;
    if (!CreateKey(HKEY_LOCAL_MACHINE, uninstallKeyPath, &key))
        return;
    SetText(key, "DisplayName", displayName);
    /* Lower case and unquoted, the form the uninstaller has always been registered in. */
    char command[UninstallCommandSize];
    if (FormatText(command, sizeof command, "%s\\unsetup.exe %d", InstallDir,
                   (int)uninstallArgument))
        SetText(key, "UninstallString", command);
    RegCloseKey(key);
}

} // namespace

void WriteRegistryEntries(const char *appKeyPath, const char *uninstallKeyPath,
                          const char *displayName, short uninstallArgument)
{
    WriteAppKey(appKeyPath);
    WriteUninstallKey(uninstallKeyPath, displayName, uninstallArgument);
}

/*
 * The registry entries' removal. Only a key that names this install's folder
 * goes: one that names another folder is another install's (a copy installed
 * later elsewhere). No key is deleted with keys below it.
 */
#include <windows.h>
#include "base/folders.h"
#include "base/format.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/state.h"
#include "register/registry.h"
namespace
{

const char NotOnlyOwnKeys[] = "it holds keys the setup did not make";

const char *RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU";
}

/* Whether root\path is there; its value name, a folder, into folder (PathSize bytes, empty
 * where it has none). */
int ReadFolderValue(HKEY root, const char *path, const char *name, char *folder)
{
    HKEY key;
    DWORD size = PathSize - 1;
    DWORD type = REG_NONE;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    if (RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE *>(folder), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        size = 0;
    RegCloseKey(key);
    /* A text stored without its terminator still ends where its size says. */
    folder[size] = '\0';
    return 1;
}

/* Whether root\path names InstallDir in its value name; logs a key there that names another. */
int IsOwnKey(HKEY root, const char *path, const char *name)
{
    char folder[PathSize];
    if (!ReadFolderValue(root, path, name, folder))
        return 0;
    if (IsSameFolder(folder, InstallDir))
        return 1;
    Log("Kept %s\\%s: it names %s", RootName(root), path, folder);
    return 0;
}

/* Whether root\path holds a subkey (with values: or a value); so too where it cannot be read. */
int HoldsAnything(HKEY root, const char *path, int values)
{
    HKEY key;
    char name[PathSize];
    DWORD size = sizeof name;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 1;
    int holds = RegEnumKeyA(key, 0, name, sizeof name) != ERROR_NO_MORE_ITEMS ||
                (values &&
                 RegEnumValueA(key, 0, name, &size, NULL, NULL, NULL, NULL) != ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
    return holds;
}

/*
 * Deletes root\path, with its values. The uninstaller deletes no key that
 * holds another: Windows 9x would delete every key below with it, and the
 * setup made none there. Returns 0 when it stays.
 */
int DeleteKey(HKEY root, const char *path, Leftover *leftover)
{
    char named[PathSize];
    FormatText(named, sizeof named, "%s\\%s", RootName(root), path);
    if (HoldsAnything(root, path, 0))
    {
        NoteLeftoverBecause(leftover, named, NotOnlyOwnKeys);
        return 0;
    }
    LONG error = RegDeleteKeyA(root, path);
    if (error != ERROR_SUCCESS)
        return NoteLeftover(leftover, "RegDeleteKeyA", named, (DWORD)error);
    Log("Removed %s", named);
    return 1;
}

} // namespace

int NeedsAdministrator(const char *uninstallKeyPath)
{
    HKEY key;
    char folder[PathSize];
    if (!ReadFolderValue(HKEY_LOCAL_MACHINE, uninstallKeyPath, "InstallLocation", folder) ||
        !IsSameFolder(folder, InstallDir))
        return 0;
    LONG error = RegOpenKeyExA(HKEY_LOCAL_MACHINE, uninstallKeyPath, 0, DELETE, &key);
    if (error == ERROR_SUCCESS)
        RegCloseKey(key);
    return error == ERROR_ACCESS_DENIED;
}

void RemoveAppKey(const char *appKeyPath, Leftover *leftover)
{
    char publisher[PathSize];
    if (IsOwnKey(HKEY_CURRENT_USER, appKeyPath, "location"))
    {
        /* The product's own settings, say: kept, as what the user adds to its folder is. */
        if (HoldsAnything(HKEY_CURRENT_USER, appKeyPath, 0))
            Log("Kept HKCU\\%s: %s", appKeyPath, NotOnlyOwnKeys);
        else
            DeleteKey(HKEY_CURRENT_USER, appKeyPath, leftover);
    }
    /* Emptied now, or by an earlier run that was stopped before this. */
    if (FormatText(publisher, sizeof publisher, "%s", appKeyPath) &&
        StripLastComponent(publisher) && !HoldsAnything(HKEY_CURRENT_USER, publisher, 1))
        DeleteKey(HKEY_CURRENT_USER, publisher, leftover);
}

void RemoveUninstallEntries(const char *uninstallKeyPath, Leftover *leftover)
{
    const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    for (HKEY root : roots)
    {
        if (IsOwnKey(root, uninstallKeyPath, "InstallLocation"))
            DeleteKey(root, uninstallKeyPath, leftover);
    }
}

/*
 * The installation's registry entries: where the product went and which
 * version it is, per user, and the machine-wide entry that lets the user
 * uninstall it.
 */
#ifndef REGISTER_REGISTRY_H
#define REGISTER_REGISTRY_H

/*
 * Writes "location" and "version" under HKEY_CURRENT_USER\appKeyPath, then
 * "DisplayName" and "UninstallString" under HKEY_LOCAL_MACHINE\uninstallKeyPath,
 * or under HKEY_CURRENT_USER\uninstallKeyPath where the machine-wide entry
 * cannot be written. A key that cannot be created or opened is skipped;
 * nothing is reported.
 */
void WriteRegistryEntries(const char *appKeyPath, const char *uninstallKeyPath,
                          const char *displayName, short uninstallArgument);

#endif

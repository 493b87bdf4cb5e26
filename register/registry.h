/*
 * The installation's registry entries: where the product went and which
 * version it is, per user, and the machine-wide entry that lets the user
 * uninstall it.
 */
#ifndef REGISTER_REGISTRY_H
#define REGISTER_REGISTRY_H

#include "base/leftover.h"

/*
 * Writes "location" and "version" under HKEY_CURRENT_USER\appKeyPath, then
 * "DisplayName", "UninstallString", "QuietUninstallString" and the details
 * the list shows under HKEY_LOCAL_MACHINE\uninstallKeyPath,
 * or under HKEY_CURRENT_USER\uninstallKeyPath where the machine-wide entry
 * cannot be written. A key that cannot be created or opened is skipped;
 * nothing is reported.
 */
void WriteRegistryEntries(const char *appKeyPath, const char *uninstallKeyPath,
                          const char *displayName, short uninstallArgument);

/*
 * Whether the machine-wide entry under uninstallKeyPath is this install's
 * (its InstallLocation names InstallDir) and this account may not delete it:
 * a standard user's, where an administrator installed.
 */
int NeedsAdministrator(const char *uninstallKeyPath);

/*
 * Removes HKEY_CURRENT_USER\appKeyPath where its "location" names
 * InstallDir, then the publisher's key above it where that is empty. A key
 * that names another folder is another install's and stays, and so does one
 * that holds keys the setup did not make; one that cannot be deleted is noted
 * in leftover.
 */
void RemoveAppKey(const char *appKeyPath, Leftover *leftover);

/* Removes the uninstall entries under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER whose
 * InstallLocation names InstallDir; one that stays (it cannot be deleted, or holds keys the
 * setup did not make) is noted in leftover. */
void RemoveUninstallEntries(const char *uninstallKeyPath, Leftover *leftover);

#endif

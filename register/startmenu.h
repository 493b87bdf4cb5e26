/*
 * The product's Start menu group. The setup describes the group in SETUP.INI in
 * the Windows directory and leaves the building to the platform's program-group
 * converter; where the converter cannot be used, it makes the links itself.
 */
#ifndef REGISTER_STARTMENU_H
#define REGISTER_STARTMENU_H

#include <windows.h>

/*
 * Writes SETUP.INI for the files installed in InstallDir and starts the
 * converter from the system or Windows directory with "-o", hidden, without
 * waiting. When the file cannot be written whole, an item's command line keeps
 * a space, or the converter cannot be started, makes the same four items as
 * shell links in a folder named after the product under the user's Programs
 * folder. Run as LocalSystem, makes the links under the all-users Programs
 * folder instead, with no SETUP.INI and no converter. Shows nothing, logs what
 * it made or what failed; when the whole text cannot be composed, nothing is
 * written, started or made.
 */
void CreateStartMenuGroup(void);

/* The same for the account the process runs as: LocalSystem when system is 1, otherwise a user
 * (the first step of CreateStartMenuGroup). */
void CreateStartMenuGroupAs(int system);

/* The four items as shell links in a folder named after the product under the Programs folder
 * programs names (CSIDL_PROGRAMS or CSIDL_COMMON_PROGRAMS). */
void CreateShellGroup(int programs);

/* TOKEN_USER and its SID: 8 bytes and at most 68. */
enum
{
    UserSidSize = 80
};

/* The SID of the process's user, read into buffer (UserSidSize bytes, DWORD-aligned), or NULL
 * where the platform has no tokens or refuses to tell. */
const DWORD *GetProcessUserSid(DWORD *buffer);

/* Whether sid, a SID's bytes (12 of them readable), is LocalSystem's (S-1-5-18). */
int IsLocalSystemSid(const DWORD *sid);

#endif

/*
 * The product's Start menu group. The setup describes the group in SETUP.INI in
 * the Windows directory and leaves the building to the platform's program-group
 * converter; where the converter cannot be used, it makes the links itself.
 */
#ifndef REGISTER_STARTMENU_H
#define REGISTER_STARTMENU_H

#include <windows.h>
#include "base/leftover.h"
#include "base/libraries.h"
#include "base/state.h"

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

/*
 * Removes the group's four links from the user's and all users' Programs
 * folders where each points into InstallDir (one that points elsewhere is
 * another install's and stays), each group folder once that leaves it empty,
 * and SETUP.INI where its group is the product's and its items point into
 * InstallDir. Logs what it removed and kept; a link or SETUP.INI that should
 * go and stays is noted in leftover.
 */
void RemoveStartMenuGroup(Leftover *leftover);

/* What the group's maker and its removal share. */

/* One item of the group. */
struct GroupItem
{
    const char *name;
    int file;              /* row of the file table */
    const char *arguments; /* given to the program, if any */
};

enum
{
    GroupItemCount = 4,
    /* An item's command line: a path, a space and its arguments. */
    GroupCommandSize = PathSize + 8,
    /*
     * SETUP.INI whole: three short header lines, then per item at most two
     * full paths (command line and working directory), the item's name, " 1"
     * and the quotes, commas and line end: about 2,300 bytes at the very most.
     */
    GroupTextSize = 64 + GroupItemCount * (PathSize + GroupCommandSize + 64)
};

/* The items in the order SETUP.INI lists them. */
extern const GroupItem GroupItems[GroupItemCount];

/* SETUP.INI's first three lines, the group's name for %s; an item a line follows. */
#define GROUP_HEADER "[progman.groups]\r\ngroupX=%s\r\n[groupX]\r\n"

/* The Programs folder of the Start menu (CSIDL_PROGRAMS or CSIDL_COMMON_PROGRAMS), as a PathSize
 * path. */
int GetProgramsFolder(const ShellCalls *shell, int programs, char *path);

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

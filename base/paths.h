/*
 * Path helpers shared by both programs: joining a directory and a file name,
 * finding the directory the program runs from, and cutting the last component
 * off a path. All work in place on PathSize buffers, never allocate, and find
 * separators character by character in the active code page.
 */
#ifndef BASE_PATHS_H
#define BASE_PATHS_H

#include <windows.h>

/*
 * Appends name to the path in base (a PathSize buffer), with one backslash
 * between them unless base is empty or already ends in a separator. Returns 1,
 * or 0 with base unchanged when the result would not fit.
 */
int JoinPath(char *base, const char *name);

/* Fills SourceDir with the directory of the running program, without a trailing separator. */
void GetSourceDirectory(void);

/*
 * After GetSourceDirectory: on NT, a folder whose name the active code page
 * cannot hold is taken by its short name instead. Returns 0 where even that
 * cannot be had (SourceDir then names no folder).
 */
int FitSourceDirectory(void);

/* Whether the wide path fits the active code page: 1 with it in path (a PathSize buffer),
 * 0 when a character of it has no place there or it does not fit. */
int WideToPath(const WCHAR *wide, char *path);

/* Whether the length bytes of path name a product file in InstallDir: the same file where one
 * is there, else the same full path. */
int NamesProductFile(const char *path, int length);

/*
 * Bytes of the root that path begins with, as written: 3 for a drive's ("c:\",
 * "c:/"); for a network path up to the backslash after its share
 * ("\\server\share\"), or all of it where none follows ("\\server\share"). 0 for
 * a path that is not absolute ("c:x", "\x", "x"), which would be taken from
 * whatever the current directory happens to be, or names no server ("\\\x").
 */
int RootLength(const char *path);

/* Cuts path at its last backslash (never one at index 0). Returns 1, or 0 with path unchanged. */
int StripLastComponent(char *path);

/* Forms directory\name in path (a PathSize buffer); 0 when it would not fit. */
int FormPath(char *path, const char *directory, const char *name);

/*
 * Whether a and b name one file in whatever spelling (slashes, "." and "..",
 * short names, letter case), by its volume and file index, which the text
 * cannot tell (a case fold by bytes would even alter double-byte characters):
 * 1 when they do, 0 when they differ, -1 when either cannot be opened or has
 * no index (0: Win32s, some network redirectors), which tells nothing. flags is
 * 0 for files, or FILE_FLAG_BACKUP_SEMANTICS for folders, which Windows NT
 * opens only so (Windows 9x opens none).
 */
int CompareIdentities(const char *a, const char *b, DWORD flags);

/* The file system's record of the file at path (size, volume, index); 0 when it cannot be
 * opened. */
int ReadFileInformation(const char *path, BY_HANDLE_FILE_INFORMATION *information);

/* Whether anything, a file or a folder, stands at path. */
int IsPresent(const char *path);

/* Whether a folder stands at path, not a file of its name. */
int IsDirectory(const char *path);

#endif

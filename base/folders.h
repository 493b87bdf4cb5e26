/*
 * Folders by identity. One folder has many spellings (a short name, a
 * trailing backslash, another letter case, "." and ".."): the uninstaller
 * takes nothing that names a folder unless it is its own, whatever the
 * spelling, and shows its folder in the long form the user knows.
 */
#ifndef BASE_FOLDERS_H
#define BASE_FOLDERS_H

/*
 * Whether a and b name the same existing folder. A path that is not absolute
 * ("c:x", "x") names none: it would be taken from whatever the current
 * directory happens to be.
 */
int IsSameFolder(const char *a, const char *b);

/* Whether the file or folder at path lies directly in folder. */
int IsInFolder(const char *path, const char *folder);

/*
 * The long form of the absolute path, each name as its directory lists it, in
 * longForm (a PathSize buffer); a name that cannot be found stays as written.
 */
void GetLongForm(const char *path, char *longForm);

#endif

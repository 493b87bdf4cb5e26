/*
 * The product's Start menu group. The setup describes the group in SETUP.INI in
 * the Windows directory and leaves the building to the platform's program-group
 * converter; where the converter cannot be used, it makes the links itself.
 */
#ifndef REGISTER_STARTMENU_H
#define REGISTER_STARTMENU_H

/*
 * Writes SETUP.INI for the files installed in InstallDir and starts the
 * converter from the system or Windows directory with "-o", hidden, without
 * waiting. When the file cannot be written whole, an item's command line keeps
 * a space, or the converter cannot be started, makes the same four items as
 * shell links in a folder named after the product under the user's Programs
 * folder. Reports nothing; when the whole text cannot be composed, nothing is
 * written, started or made.
 */
void CreateStartMenuGroup(void);

#endif

/*
 * The product's Start menu group. The setup describes the group in SETUP.INI in
 * the Windows directory and leaves the building to the platform's program-group
 * converter; only where no converter can be started does it make the links itself.
 */
#ifndef REGISTER_STARTMENU_H
#define REGISTER_STARTMENU_H

/*
 * Writes SETUP.INI for the files installed in InstallDir and starts
 * "grpconv -o" hidden, without waiting. When the converter cannot be started,
 * makes the same four items as shell links in a folder named after the product
 * under the user's Programs folder. Reports nothing; when the whole text cannot
 * be composed or the file cannot be created, nothing is started or made.
 */
void CreateStartMenuGroup(void);

#endif

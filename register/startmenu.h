/*
 * The product's Start menu group. The setup does not make shortcuts itself: it
 * describes the group in SETUP.INI in the Windows directory and leaves the
 * building to the platform's program-group converter.
 */
#ifndef REGISTER_STARTMENU_H
#define REGISTER_STARTMENU_H

/*
 * Writes SETUP.INI for the files installed in InstallDir and starts
 * "grpconv -o" hidden, without waiting. Reports nothing; when the whole text
 * cannot be composed or the file cannot be created, nothing is started.
 */
void CreateStartMenuGroup(void);

#endif

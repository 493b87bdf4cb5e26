/*
 * The setup dialog's control identifiers, shared by the dialog template and the
 * code.
 */
#ifndef SETUP_DIALOG_H
#define SETUP_DIALOG_H

#define CTL_DIRECTORY 1000
#define CTL_STARTMENU 1001
#define CTL_PROMPT    1002
#define CTL_STATUS    1003
#define CTL_DONE      1004
#define CTL_BROWSE    1005
#define CTL_EXIT      1006
#define CTL_CONTINUE  1007
#define CTL_CANCEL    1008

#endif

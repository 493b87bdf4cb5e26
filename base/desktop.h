/*
 * Whether anyone can see the program's windows. A deployment tool that runs
 * it as LocalSystem (Intune, Configuration Manager, PDQ) puts it in session 0,
 * whose window station no user sees: a window there waits for an answer that
 * never comes, until the tool gives up on it.
 */
#ifndef BASE_DESKTOP_H
#define BASE_DESKTOP_H

/* 0 when the process's window station is one no user sees (a service's); 1 otherwise, and
 * wherever the system cannot tell (Windows 9x has no window stations). */
int DesktopVisible(void);

#endif

/*
 * One run at a time: a setup or uninstaller of the product that finds another
 * one running changes nothing. The mark is a named mutex that the process
 * holds until it ends, so that the system takes it away even from a run that
 * was killed: nothing is ever left behind saying "running".
 */
#ifndef BASE_RUNLOCK_H
#define BASE_RUNLOCK_H

/* Takes the machine's mark that a run of the product's setup or uninstaller is under way, for
 * the rest of the process's life and of any process it starts inheriting handles. Returns 0
 * when another run has it. */
int TakeRunLock(void);

#endif

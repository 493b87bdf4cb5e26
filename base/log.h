/*
 * The log, asked for with /LOG=<file>: text lines in the active code page,
 * each written to the file the moment it happens, so that a run that stops
 * early still leaves everything before. Without a log every call here writes
 * nothing.
 */
#ifndef BASE_LOG_H
#define BASE_LOG_H

#include <windows.h>

/*
 * Makes the log afresh at the path in the length bytes of name. Returns 0 when
 * the path does not fit or the file cannot be created; LogFile then tells that
 * a log was asked for in vain.
 */
int OpenLog(const char *name, int length);

/* Formats one line (%d, %ld, %u, %lu, %s, %%), cut to fit, and writes it with its CR LF. */
void Log(const char *format, ...);

/*
 * The log's first lines, the same in both programs: the program's title and
 * the product's version, the Windows version, then the command line. Returns
 * the Windows major version.
 */
DWORD LogVersions(const char *title);

/* Logs format with length bytes of text (cut to a path's size) for its first %s and more for
 * its second. */
void LogPart(const char *format, const char *text, int length, const char *more);

/*
 * Logs that the platform call named call failed on path (and other, for a call
 * given two, or NULL), with the system's own text for error, or for the
 * thread's last error when error is 0. Returns 0, for a failure's return.
 */
int LogFailure(const char *call, const char *path, const char *other, DWORD error);

#endif

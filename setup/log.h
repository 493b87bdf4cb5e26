/*
 * The setup's log, asked for with /LOG=<file>: text lines in the active code
 * page, each written to the file the moment it happens, so that a run that
 * stops early still leaves everything before. Without a log every call here
 * writes nothing.
 */
#ifndef SETUP_LOG_H
#define SETUP_LOG_H

#include <windows.h>

/* Formats one line (%d, %ld, %u, %lu, %s, %%), cut to fit, and writes it with its CR LF. */
void Log(const char *format, ...);

/*
 * Logs that the platform call named call failed on path (and other, for a call
 * given two, or NULL), with the system's own text for error, or for the
 * thread's last error when error is 0. Returns 0, for a failure's return.
 */
int LogFailure(const char *call, const char *path, const char *other, DWORD error);

#endif

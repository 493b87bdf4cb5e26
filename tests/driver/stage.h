/*
 * Common ground of the end-to-end tests: a distribution folder on C: with the
 * built setup.exe and a payload, and the setup started from it with the
 * status-line hook on its thread, so every test drives a fresh, real run.
 */
#ifndef TESTS_DRIVER_STAGE_H
#define TESTS_DRIVER_STAGE_H

#include <windows.h>
#include <string>
#include "driver/remote.h"

/*
 * What a default install must leave, spelled out here rather than taken from
 * the program, so that a wrong constant in the program shows as a failure.
 */
extern const char DefaultDir[];
extern const char AppKey[];
extern const char UninstallKey[];

/* How long any wait for the setup may take before the test calls it hung. */
extern const DWORD WaitMs;

extern const char StageDir[];  /* removed and made again for every test */
extern const char DistDir[];   /* the setup's own folder, below StageDir */
extern const char StatusLog[]; /* every text the status line received, a line each */

std::string DistFile(const char *name);

/* The payload staged for a product file: small, and different for every name. */
std::string StagedPayload(const char *name);

/*
 * Writes into the setup.exe at path the table of the given contents of the
 * eight files, by the program's own table layout and digest (the unit tests
 * hold the digest to the RFC's vectors). Its checksum stays as it was: Wine,
 * like Windows, checks none for a program. False when the table is not found once.
 */
bool StampDigests(const std::string &path, const std::string *contents);

/* Makes StageDir afresh with the built setup.exe (or STAGED_SETUP's file below the build
 * directory) and the eight payload files in DistDir. */
bool StageDistribution();

/*
 * Starts the setup.exe in folder (DistDir, or wherever a test moved it) as a
 * double-click would (or with arguments), sets the status-line hook on its
 * thread and waits for its dialog. Returns the dialog, or NULL when the setup
 * did not start or showed no dialog within timeoutMs.
 */
HWND StartHookedSetup(SetupProcess *process, HHOOK *hook, DWORD timeoutMs,
                      const std::string &arguments = "", const std::string &folder = DistDir);

/* Runs DistDir's setup.exe with arguments to its end, expecting no window of it ever to show.
 * Returns its exit code; one still running after WaitMs is killed (99). */
DWORD RunUnattended(const std::string &arguments);

/* Ends what StartHookedSetup began: kills a setup still running, removes the hook. */
void EndHookedSetup(SetupProcess *process, HHOOK *hook);

/* Whether text ends in a backslash: its last character, not its last byte, in a double-byte
 * code page; and dir joined with name by one backslash, as a user would read it. */
bool EndsInBackslash(const std::string &text);
std::string InDirectory(const std::string &dir, const char *name);

/* Removes whatever an install may have left: the default directory, SETUP.INI, the
 * group's links and the registry entries. */
void RemoveInstallTraces();

/*
 * What an install into dir must leave in the registry: the per-user record, and
 * the uninstall entry under uninstallRoot only (the machine-wide one where it
 * can be written, the user's own where not). filesIn is where this process finds
 * the installed files, if dir is relative to the setup's own directory.
 */
void ExpectRegistryFor(const std::string &dir, HKEY uninstallRoot = HKEY_LOCAL_MACHINE,
                       std::string filesIn = "");

/* The four links of the group the setup makes itself where there is no converter
 * (COM must be initialised). */
void ExpectStartMenuLinksFor(const std::string &dir);

#endif

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

/* Makes StageDir afresh with the built setup.exe and the eight payload files in DistDir. */
bool StageDistribution();

/*
 * Starts the setup.exe in folder (DistDir, or wherever a test moved it) as a
 * double-click would, sets the status-line hook on its thread and waits for its
 * dialog. Returns the dialog, or NULL when the setup did not start or showed no
 * dialog within timeoutMs.
 */
HWND StartHookedSetup(SetupProcess *process, HHOOK *hook, DWORD timeoutMs,
                      const std::string &folder = DistDir);

/* Ends what StartHookedSetup began: kills a setup still running, removes the hook. */
void EndHookedSetup(SetupProcess *process, HHOOK *hook);

#endif

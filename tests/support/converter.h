/*
 * The program-group converter as the tests see it. Wine has no grpconv, so a
 * stand-in (tests/standin) is put where the setup looks for it, the system
 * directory, and reports each start through a record file.
 */
#ifndef TESTS_SUPPORT_CONVERTER_H
#define TESTS_SUPPORT_CONVERTER_H

#include <windows.h>
#include <string>
#include <vector>
#include "support/testing.h"

/* One start of the stand-in, as it recorded it. */
struct ConverterRun
{
    std::string commandLine; /* as the process received it */
    DWORD startupFlags;      /* STARTUPINFO dwFlags */
    WORD showWindow;         /* STARTUPINFO wShowWindow */
    bool groupFileFound;     /* SETUP.INI existed when it started */
    std::string groupFile;   /* SETUP.INI's bytes as it found them */
};

/*
 * While alive, the stand-in sits at program (by default the system directory's
 * grpconv.exe) and the environment tells it (and the children of the programs
 * this process starts) where to record. Removed again, with its record, on destruction.
 */
class ConverterStandIn
{
  public:
    explicit ConverterStandIn(const std::string &program = SystemDirectoryFile("grpconv.exe"));
    ~ConverterStandIn();
    ConverterStandIn(const ConverterStandIn &) = delete;
    ConverterStandIn &operator=(const ConverterStandIn &) = delete;

    /* Whether the stand-in is in place; tests assert this before relying on it. */
    bool Installed() const;

    /*
     * Whether a stand-in was started since construction. Exact at once, with no
     * wait: a started stand-in is either still running or has left its record.
     */
    bool Started() const;

    /*
     * Waits, up to timeoutMs, for a record and for every stand-in to end, then
     * reads one run per start, in order.
     */
    std::vector<ConverterRun> WaitForRuns(DWORD timeoutMs) const;

  private:
    std::string program_;
    std::string record_;
};

#endif

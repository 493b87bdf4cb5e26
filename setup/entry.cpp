/*
 * The setup's entry. It links no C runtime (a stock Windows 95 has none), so
 * the process starts here, runs WinMain and leaves by ExitProcess with the
 * setup's exit code. The entry reads the command line's options, the whole
 * line first, and only then opens the log, so that an option given twice
 * makes nothing for the one that does not count.
 */
#include <windows.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/messages.h"
#include "base/options.h"
#include "base/paths.h"
#include "base/runlock.h"
#include "base/state.h"
#include "setup/controller.h"
#include "setup/manifest.h"

namespace
{

const char HelpText[] = "/S\tinstall with no window (also /SILENT, /VERYSILENT, /QUIET, /Q)\n"
                        "/LOG=file\twrite a log\n"
                        "/D=directory\tinstall there; last on the line\n"
                        "/VERIFY\tcheck the setup's files, install nothing\n"
                        "/?, /HELP\tthis text\n"
                        "\n"
                        "Exit codes: 0 installed, 1 cancelled, 2 refused or failed,\n"
                        "3 a product file is in use (nothing changed),\n"
                        "1618 another setup is running (nothing changed)";

/*
 * A directory the setup may be pointed at from elsewhere, of at least three
 * bytes: a drive and its root ("c:\") or a network path ("\\server\share").
 * Anything else would be taken from whatever the working directory is.
 */
int IsAbsolute(const char *path)
{
    if (path[0] == '\\')
        return path[1] == '\\' && path[2] != '\\';
    /* The platform takes '/' after the drive as the field does. */
    return path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

/*
 * /D's value, length bytes, without its leading blanks and a pair of quotes
 * around it. Returns 0, leaving InstallDir alone, when it is no absolute
 * directory or does not fit a path; the log then says which, with the value.
 */
int TakeDirectory(const char *value, int length)
{
    for (; length > 0 && EndsWord(*value); length--)
        value++;
    value = Unquote(value, &length);
    const char *why = "not absolute";
    if (length == 0)
        why = "empty";
    else if (length >= 3 && IsAbsolute(value))
    {
        if (CopyBytes(InstallDir, PathSize, value, length))
            return 1;
        why = "too long";
    }
    LogPart("Refused directory \"%s\": %s", value, length, why);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    RestrictDllSearch();
    Instance = instance;
    Caption = SetupTitle;
    GetSourceDirectory();
    FormatText(InstallDir, PathSize, "%s", DefaultInstallDir);
    Options options = {};
    ReadOptions(commandLine, TakesDirectory | TakesVerify, &options);
    if (options.help)
    {
        MessageBoxA(NULL, HelpText, SetupTitle, MB_OK);
        return ExitInstalled;
    }
    Unattended = options.silent;
    /* Before the log: a second run with the same /LOG would otherwise cut the first one's. */
    if (!options.verify && !TakeRunLock())
    {
        TellUser(NULL, "Another setup of " PRODUCT_NAME " is running. Try again when it has "
                       "finished.");
        return ExitBusy;
    }
    if (options.log && !OpenLog(options.log, options.logLength))
    {
        TellUser(NULL, "Could not create the setup log.");
        return ExitFailed;
    }
    int directoryFits =
        !options.directory || TakeDirectory(options.directory, options.directoryLength);
    /* No one is there to see a guessed switch ignored: refuse it. */
    if (Unattended && options.unknown)
    {
        LogPart("Unknown option %s", options.unknown, options.unknownLength, NULL);
        return ExitFailed;
    }
    if (options.verify)
        return VerifyOnlyRun();
    if (Unattended)
    {
        /* A refused directory is none: the run stops at the directory and says so. */
        if (!directoryFits)
            InstallDir[0] = '\0';
        return InstallUnattended();
    }
    return RunDialog();
}

extern "C" void __stdcall SetupStart(void)
{
    int code =
        WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), SW_SHOWDEFAULT);
    Log("Exit code %d", code);
    ExitProcess((UINT)code);
}

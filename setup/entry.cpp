/*
 * The setup's entry. It links no C runtime (a stock Windows 95 has none), so
 * the process starts here, runs WinMain and leaves by ExitProcess with the
 * setup's exit code. The entry reads the command line's options, the whole
 * line first, and only then opens the log, so that an option given twice
 * makes nothing for the one that does not count.
 */
#include <windows.h>
#include "base/desktop.h"
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

const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

const char HelpText[] =
    "/S\tinstall with no window (also /SILENT, /VERYSILENT, /QUIET, /Q, /QN)\r\n"
    "/LOG=file\twrite a log\r\n"
    "/ALLUSERS\tinstall under Program Files\r\n"
    "/D=directory\tinstall there; last on the line\r\n"
    "/VERIFY\tcheck the setup's files, install nothing\r\n"
    "/?, /HELP\tthis text\r\n"
    "Every option may begin with - as well.\r\n"
    "\r\n"
    "Exit codes: 0 installed, 1 cancelled, 2 refused or failed,\r\n"
    "3 a product file is in use (nothing changed),\r\n"
    "1618 another setup is running (nothing changed)";

/*
 * /D's value, *length bytes at *value, without its leading blanks and a pair
 * of quotes around it. Returns NULL, or why it is no absolute directory that
 * fits a path, leaving InstallDir alone; *value and *length are then what
 * was refused.
 */
const char *TakeDirectory(const char **value, int *length)
{
    for (; *length > 0 && EndsWord(**value); --*length)
        ++*value;
    *value = Unquote(*value, length);
    if (*length == 0)
        return "empty";
    /* A drive and its root ("c:\") or a network path ("\\server"), at least three bytes;
       the platform takes '/' after the drive as the field does. */
    if (*length < 3 || !RootLength(*value))
        return "not absolute";
    return CopyBytes(InstallDir, PathSize, *value, *length) ? NULL : "too long";
}

/*
 * /ALLUSERS: the product's folder under Program Files, which only
 * administrators may change, where a folder at a drive's root is every
 * user's to change. A 32-bit program on 64-bit Windows reads the key's 32-bit
 * view, which names Program Files (x86). Returns 0, or the error that kept
 * the folder from being found, leaving InstallDir alone.
 */
LONG TakeProgramFiles(void)
{
    char folder[PathSize];
    char dir[PathSize];
    DWORD type = REG_NONE;
    DWORD size = PathSize - 1;
    HKEY key;
    LONG result = RegOpenKeyA(HKEY_LOCAL_MACHINE, CurrentVersionKey, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegQueryValueExA(key, "ProgramFilesDir", NULL, &type, (BYTE *)folder, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return result != ERROR_SUCCESS ? result : ERROR_BAD_FORMAT;
    folder[size] = '\0';
    if (!FormPath(dir, folder, ProductName))
        return ERROR_FILENAME_EXCED_RANGE;
    FormatText(InstallDir, PathSize, "%s", dir);
    return 0;
}

/* The log /LOG asks for, made afresh unless it would replace a product file in InstallDir; 0
 * when it is refused or cannot be made, which the user is told. */
int StartLog(const Options *options)
{
    if (!options->log)
        return 1;
    if (NamesProductFile(options->log, options->logLength))
    {
        TellUser(NULL,
                 "Could not create the setup log: it would replace a file of " PRODUCT_NAME ".");
        return 0;
    }
    if (!OpenLog(options->log, options->logLength))
    {
        TellUser(NULL, "Could not create the setup log.");
        return 0;
    }
    return 1;
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
    int sourceNamed = FitSourceDirectory();
    FormatText(InstallDir, PathSize, "%s", DefaultInstallDir);
    Options options = {};
    ReadOptions(commandLine, TakesDirectory | TakesVerify, &options);
    /* A service's session: a window there would wait for an answer no one can give. */
    int hidden = !options.silent && !DesktopVisible();
    Unattended = options.silent || hidden;
    if (options.help && !Unattended)
    {
        MessageBoxA(NULL, HelpText, SetupTitle, MB_OK);
        return ExitInstalled;
    }
    /* Before the log: a second run with the same /LOG would otherwise cut the first one's. */
    if (!options.verify && !options.help && !TakeRunLock())
    {
        TellUser(NULL, "Another setup of " PRODUCT_NAME " is running. Try again when it has "
                       "finished.");
        return ExitBusy;
    }

    /* The directory first, so that a log the run would replace is refused before it is made. */
    LONG programFiles = options.allUsers ? TakeProgramFiles() : 0;
    const char *value = options.directory;
    int length = options.directoryLength;
    const char *refused = value ? TakeDirectory(&value, &length) : NULL;
    int directoryFits = value ? !refused : !programFiles;
    if (!StartLog(&options))
        return ExitFailed;
    if (hidden)
        Log("No one can see this session's windows: running as with /S");
    LogIgnoredOptions(&options);
    if (refused)
        LogPart("Refused directory \"%s\": %s", value, length, refused);
    else if (programFiles && !value)
        LogFailure("RegQueryValueExA", CurrentVersionKey, "ProgramFilesDir", (DWORD)programFiles);
    if (options.help)
    {
        Log("%s", HelpText);
        return ExitInstalled;
    }
    /* No one is there to see a guessed switch ignored: refuse it. */
    if (Unattended && options.unknown)
    {
        LogPart("Unknown option %s", options.unknown, options.unknownLength, NULL);
        return ExitFailed;
    }
    if (!sourceNamed)
    {
        TellUser(NULL, "The name of the setup's folder has characters that Windows cannot pass "
                       "to the setup. Copy the setup's files to another folder and run it from "
                       "there.");
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

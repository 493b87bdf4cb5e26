/*
 * The uninstaller's entry. Like the setup it links no C runtime: the process
 * starts here, runs WinMain and leaves by ExitProcess with the exit code,
 * once the work is done, so that whoever started it (a deployment tool, the
 * list of installed programs) can wait for this process and trust its code.
 */
#include <windows.h>
#include "base/desktop.h"
#include "base/libraries.h"
#include "base/log.h"
#include "base/messages.h"
#include "base/options.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/runlock.h"
#include "base/state.h"
#include "uninstall/controller.h"

namespace
{

const char HelpText[] = "/S\tremove with no window (also /SILENT, /VERYSILENT, /QUIET, /Q)\n"
                        "/LOG=file\twrite a log\n"
                        "/?, /HELP\tthis text\n"
                        "\n"
                        "Exit codes: 0 removed, 1 cancelled (nothing changed),\n"
                        "2 refused or failed, 3 a product file is in use (nothing changed),\n"
                        "1618 another setup or uninstall is running (nothing changed)";

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    RestrictDllSearch();
    Instance = instance;
    Caption = UninstallTitle;
    /* The install folder's name came through the code page when the setup was run: unlike the
       setup's own folder, it fits. */
    GetSourceDirectory();
    /* The uninstall entry's lone "0" is no option, and ignored. */
    Options options = {};
    ReadOptions(commandLine, 0, &options);
    /* A service's session: a window there would wait for an answer no one can give. */
    int hidden = !options.silent && !DesktopVisible();
    Unattended = options.silent || hidden;
    /* Under /S the help goes to the log alone, as the setup's does. */
    if (options.help && !Unattended)
    {
        TellUser(NULL, HelpText);
        return ExitRemoved;
    }
    /* Before the log: a second run with the same /LOG would otherwise cut the first one's. */
    if (!TakeRunLock())
    {
        TellUser(NULL, "Another setup or uninstall of " PRODUCT_NAME
                       " is running. Try again when it has finished.");
        return ExitBusy;
    }
    if (options.log && !OpenLog(options.log, options.logLength))
    {
        TellUser(NULL, "Could not create the uninstall log.");
        return ExitFailed;
    }
    if (hidden)
        Log("No one can see this session's windows: running as with /S");
    if (options.help)
    {
        TellUser(NULL, HelpText);
        return ExitRemoved;
    }
    /* No one is there to see a guessed switch ignored: refuse it. */
    if (Unattended && options.unknown)
    {
        LogPart("Unknown option %s", options.unknown, options.unknownLength, NULL);
        return ExitFailed;
    }
    return RunUninstall();
}

extern "C" void __stdcall UnsetupStart(void)
{
    int code =
        WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), SW_SHOWDEFAULT);
    Log("Exit code %d", code);
    ExitProcess((UINT)code);
}

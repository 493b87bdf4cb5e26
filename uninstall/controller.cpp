/*
 * The uninstall, step by step. Nothing is removed before the folder is known
 * to be an install (no drive's root, no Windows folder), the user has said
 * Yes and no product file is in use. Then the product's files go, the Start
 * menu group, the per-user values and, only once all of that is gone, the
 * uninstall entry and the uninstaller itself: what stays keeps the means to
 * run it again. The steps report; what the user is told is chosen here.
 */
#include <windows.h>
#include "base/folders.h"
#include "base/format.h"
#include "base/leftover.h"
#include "base/log.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/product.h"
#include "base/state.h"
#include "install/inuse.h"
#include "install/removal.h"
#include "register/registry.h"
#include "register/startmenu.h"
#include "uninstall/controller.h"

const char UninstallTitle[] = PRODUCT_NAME " Uninstall";

namespace
{

/* The install folder as the user knows it: long names, for every message. */
char ShownDir[PathSize];

/* Whether the folder, as the program's own path gives it, is a drive's root: "c:" or
 * "\\server\share", a root but for its backslash. */
int IsRoot(const char *folder)
{
    char root[PathSize];
    return FormatText(root, sizeof root, "%s\\", folder) && root[RootLength(root)] == '\0';
}

/* What makes InstallDir no install of the product's, or NULL: what a Windows folder holds of
 * the product's names is Windows' own. */
const char *FolderRefused(void)
{
    char folder[PathSize];
    if (IsRoot(InstallDir))
        return "a drive's root folder";
    if (GetWindowsDirectoryA(folder, PathSize) < PathSize && IsSameFolder(folder, InstallDir))
        return "the Windows folder";
    if (GetSystemDirectoryA(folder, PathSize) < PathSize && IsSameFolder(folder, InstallDir))
        return "the Windows system folder";
    return NULL;
}

/*
 * Nothing is removed while a product file is in use: the user is asked to
 * close its holder, and Retry checks every file again. The uninstaller's own
 * program is left out, which this run holds itself. A file that cannot be
 * opened for another reason is not in use: its removal tells what is wrong.
 */
int WaitForProductFiles(void)
{
    HeldFile held;
    unsigned present;
    while (CheckEarlierFilesExcept(1u << UninstallerFile, &present, &held) == EarlierFileHeld)
    {
        char message[MessageBytes];
        FormatText(message, sizeof message,
                   "%s is in use by %s. Close that program, then press Retry.",
                   ProductFiles[held.row], held.holder);
        if (!AskRetry(NULL, message))
            return Unattended ? ExitInUse : ExitCancelled;
    }
    return ExitRemoved;
}

/* Every step of the removal, in its order; the first thing left, if any, in leftover. */
void RemoveInstall(Leftover *leftover)
{
    RemoveProductFiles(leftover);
    RemoveStartMenuGroup(leftover);
    RemoveAppKey(AppKeyPath, leftover);
    /* Kept while anything else stays, so that the uninstall can be run again. */
    if (leftover->what[0] == '\0')
        RemoveUninstallEntries(UninstallKeyPath, leftover);
}

} // namespace

int RunUninstall(void)
{
    LogVersions(UninstallTitle);
    FormatText(InstallDir, PathSize, "%s", SourceDir);
    if (IsRoot(InstallDir))
        FormatText(ShownDir, PathSize, "%s\\", InstallDir);
    else
        GetLongForm(InstallDir, ShownDir);
    Log("Directory: %s", ShownDir);

    const char *refused = FolderRefused();
    if (refused)
    {
        TellFormatted(NULL, PRODUCT_NAME " cannot be removed from %s: it is %s.", ShownDir,
                      refused);
        return ExitFailed;
    }
    if (NeedsAdministrator(UninstallKeyPath))
    {
        TellFormatted(NULL, PRODUCT_NAME
                      " was installed for all users: only an administrator can remove it.");
        return ExitFailed;
    }
    char question[MessageBytes];
    FormatText(question, sizeof question, "Remove " PRODUCT_NAME " from %s?", ShownDir);
    if (!Unattended && !AskYes(NULL, question))
        return ExitCancelled;
    int code = WaitForProductFiles();
    if (code != ExitRemoved)
        return code;

    Leftover leftover = {};
    RemoveInstall(&leftover);
    if (leftover.what[0] != '\0')
    {
        TellFormatted(NULL, "Could not remove %s: %s", leftover.what, leftover.why);
        return ExitFailed;
    }
    /* The second sentence, where anything stays, says what and where. */
    int kept = ListKeptFiles() > 0;
    TellFormatted(NULL, PRODUCT_NAME " was removed from your computer.%s%s%s",
                  kept ? " The files and folders it did not install were kept in " : "",
                  kept ? ShownDir : "", kept ? "." : "");
    /* Last, once the user has read the box: what it starts waits for this process to end. */
    StartFolderRemoval();
    return ExitRemoved;
}

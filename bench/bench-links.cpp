/*
 * bench-links.exe: what the Start menu links cost where no program-group
 * converter runs (Wine, current Windows): the platform's own calls in the
 * setup's order, timed one by one, with the same lazy loading of SHELL32 and
 * OLE32 the setup uses. Makes four links to the product's files in a folder
 * of the user's Programs folder and removes them again. Prints one line of
 * "name=value" pairs (milliseconds).
 */
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include "bench/clock.h"
#include "base/libraries.h"

namespace
{

int SaveLink(const ComCalls &com, const char *linkPath, const char *target)
{
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH);
    IShellLinkA *link = NULL;
    if (FAILED(com.createInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void **>(&link))))
        return 0;
    link->SetPath(target);
    link->SetWorkingDirectory("c:\\Nimbet 2 Alpha");
    IPersistFile *file = NULL;
    int saved = 0;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))))
    {
        saved = SUCCEEDED(file->Save(widePath, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

} // namespace

int main()
{
    ShellCalls shell = {};
    ComCalls com = {};
    char folder[MAX_PATH];
    StartClock();
    if (!LoadShellCalls(&shell))
        return 1;
    double loadShell = Lap();
    if (!LoadComCalls(&com))
        return 1;
    double loadCom = Lap();
    LPITEMIDLIST list = NULL;
    if (FAILED(shell.getSpecialFolderLocation(NULL, CSIDL_PROGRAMS, &list)) ||
        !TakeItemListPath(&shell, list, folder))
        return 1;
    lstrcatA(folder, "\\Bench Links");
    CreateDirectoryA(folder, NULL);
    double findFolder = Lap();
    HRESULT initialized = com.initialize(NULL);
    double initialize = Lap();
    static const char *const names[] = {"Nim2Alph.exe", "Notes.doc", "options.exe", "Unsetup.exe"};
    double links = 0;
    for (const char *name : names)
    {
        char linkPath[MAX_PATH];
        char target[MAX_PATH];
        wsprintfA(linkPath, "%s\\%s.lnk", folder, name);
        wsprintfA(target, "c:\\Nimbet 2 Alpha\\%s", name);
        if (!SaveLink(com, linkPath, target))
            return 1;
        links += Lap();
        DeleteFileA(linkPath);
        Lap();
    }
    if (SUCCEEDED(initialized))
        com.uninitialize();
    double uninitialize = Lap();
    shell.changeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, folder, NULL);
    double notify = Lap();
    RemoveDirectoryA(folder);
    printf("load_shell32_ms=%.3f load_ole32_ms=%.3f programs_folder_ms=%.3f coinitialize_ms=%.3f "
           "four_links_ms=%.3f couninitialize_ms=%.3f changenotify_ms=%.3f\n",
           loadShell, loadCom, findFolder, initialize, links, uninitialize, notify);
    return 0;
}

/*
 * The one place that restricts the DLL search, loads system libraries by full
 * path, finds their calls and gives the shell's item lists back.
 */
#include <windows.h>
#include <shlobj.h>
#include "base/format.h"
#include "base/libraries.h"
#include "base/paths.h"
#include "base/state.h"

namespace
{

const char KernelLibrary[] = "KERNEL32.DLL";

/* GetProcAddress's answer as the typed call it stands for; 0 when it is missing. */
template <typename Call> int FindCall(HMODULE module, const char *name, Call *call)
{
    *call = reinterpret_cast<Call>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return *call != NULL;
}

} // namespace

HMODULE LoadSystemLibrary(const char *name)
{
    /* A bare name would be searched for beside the program first. */
    char path[PathSize];
    return GetPlatformFile(GetSystemDirectoryA, name, path) ? LoadLibraryA(path) : NULL;
}

void RestrictDllSearch(void)
{
    /*
     * Windows 8 and later, and Vista and 7 with the 2011 security update, have
     * SetDefaultDllDirectories; XP SP1 and later have SetDllDirectoryA, which at
     * least takes out the current directory. Windows 9x and NT 4 have neither,
     * and there the search stays as it is.
     */
    const DWORD searchSystem32 = 0x800; /* LOAD_LIBRARY_SEARCH_SYSTEM32 */
    HMODULE kernel = GetModuleHandleA(KernelLibrary);
    BOOL(WINAPI * setDefaultDirectories)(DWORD);
    BOOL(WINAPI * setDirectory)(LPCSTR);
    if (FindCall(kernel, "SetDefaultDllDirectories", &setDefaultDirectories))
        setDefaultDirectories(searchSystem32);
    else if (FindCall(kernel, "SetDllDirectoryA", &setDirectory))
        setDirectory("");
}

int GetPlatformFile(UINT(WINAPI *getDirectory)(LPSTR, UINT), const char *name, char *path)
{
    UINT length = getDirectory(path, PathSize);
    return length != 0 && length < PathSize && JoinPath(path, name);
}

void LoadCommonControls(void)
{
    /*
     * Windows XP creates no dialog for a program whose manifest asks for
     * Common Controls 6 unless the program has loaded COMCTL32 itself; Vista
     * and later, and Wine, load it for the program. By name, so that the
     * manifest redirects it to version 6; the DLL search is already restricted.
     */
    HMODULE module = LoadLibraryA("COMCTL32.DLL");
    void(WINAPI * initCommonControls)(void);
    if (module != NULL && FindCall(module, "InitCommonControls", &initCommonControls))
        initCommonControls();
}

int LoadShellCalls(ShellCalls *shell)
{
    HMODULE module = LoadSystemLibrary("SHELL32.DLL");
    if (module == NULL)
        return 0;
    return FindCall(module, "SHBrowseForFolder", &shell->browseForFolder) &&
           FindCall(module, "SHGetPathFromIDList", &shell->getPathFromIDList) &&
           FindCall(module, "SHGetSpecialFolderLocation", &shell->getSpecialFolderLocation) &&
           FindCall(module, "SHChangeNotify", &shell->changeNotify) &&
           FindCall(module, "SHGetMalloc", &shell->getMalloc);
}

int LoadComCalls(ComCalls *com)
{
    HMODULE module = LoadSystemLibrary("OLE32.DLL");
    if (module == NULL)
        return 0;
    return FindCall(module, "CoInitialize", &com->initialize) &&
           FindCall(module, "CoCreateInstance", &com->createInstance) &&
           FindCall(module, "CoUninitialize", &com->uninitialize);
}

int LoadRestartCalls(RestartCalls *calls)
{
    HMODULE module = LoadSystemLibrary("RSTRTMGR.DLL");
    return module != NULL && FindCall(module, "RmStartSession", &calls->startSession) &&
           FindCall(module, "RmRegisterResources", &calls->registerResources) &&
           FindCall(module, "RmGetList", &calls->getList) &&
           FindCall(module, "RmEndSession", &calls->endSession);
}

int FindTokenCalls(TokenCalls *calls)
{
    /* Imported already, for the registry. */
    HMODULE advapi = GetModuleHandleA("ADVAPI32.DLL");
    return FindCall(advapi, "OpenProcessToken", &calls->openProcessToken) &&
           FindCall(advapi, "GetTokenInformation", &calls->getInformation);
}

int FindStationCalls(StationCalls *calls)
{
    /* Imported already, for the dialog. */
    HMODULE user = GetModuleHandleA("USER32.DLL");
    return FindCall(user, "GetProcessWindowStation", &calls->getProcessStation) &&
           FindCall(user, "GetUserObjectInformationA", &calls->getObjectInformation);
}

int FindWideNameCalls(WideNameCalls *calls)
{
    HMODULE kernel = GetModuleHandleA(KernelLibrary);
    return FindCall(kernel, "GetModuleFileNameW", &calls->getModuleFileName) &&
           FindCall(kernel, "GetShortPathNameW", &calls->getShortPathName);
}

DiskFreeSpaceExCall FindDiskFreeSpaceEx(void)
{
    DiskFreeSpaceExCall call;
    return FindCall(GetModuleHandleA(KernelLibrary), "GetDiskFreeSpaceExA", &call) ? call : NULL;
}

MoveFileExCall FindMoveFileEx(void)
{
    MoveFileExCall moveEx;
    return FindCall(GetModuleHandleA(KernelLibrary), "MoveFileExA", &moveEx) ? moveEx : NULL;
}

int TakeItemListPath(const ShellCalls *shell, LPITEMIDLIST list, char *path)
{
    char found[PathSize];
    int hasPath = shell->getPathFromIDList(list, found);
    if (hasPath)
        FormatText(path, PathSize, "%s", found);
    IMalloc *allocator = NULL;
    if (SUCCEEDED(shell->getMalloc(&allocator)))
    {
        allocator->Free(list);
        allocator->Release();
    }
    return hasPath;
}

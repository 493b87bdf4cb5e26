/*
 * The loader: the one place that finds the platform's libraries and every call
 * a program finds at run time. The DLL search is restricted before anything is
 * loaded, since the programs usually run from a download folder that holds
 * whatever else was downloaded. SHELL32, OLE32 and RSTRTMGR are loaded by full
 * path from the system directory, and only when a step needs them: imported,
 * they would bring themselves and what they need into every run (and Windows
 * 95 has no RSTRTMGR at all). Each stays loaded once found: what the shell
 * starts may leave work of its own behind in it. Calls newer than Windows 95
 * are looked up, never imported, so that the programs still run where they
 * are missing.
 */
#ifndef BASE_LIBRARIES_H
#define BASE_LIBRARIES_H

#include <windows.h>
#include <restartmanager.h>
#include <shlobj.h>

/* Windows 95's SHELL32 exports these under their plain ANSI names, which later systems keep. */
struct ShellCalls
{
    LPITEMIDLIST(WINAPI *browseForFolder)(LPBROWSEINFOA info);
    BOOL(WINAPI *getPathFromIDList)(LPCITEMIDLIST list, LPSTR path);
    HRESULT(WINAPI *getSpecialFolderLocation)(HWND owner, int folder, LPITEMIDLIST *list);
    void(WINAPI *changeNotify)(LONG event, UINT flags, LPCVOID first, LPCVOID second);
    HRESULT(WINAPI *getMalloc)(IMalloc **allocator);
};

struct ComCalls
{
    HRESULT(WINAPI *initialize)(LPVOID reserved);
    HRESULT(WINAPI *createInstance)
    (REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID face, LPVOID *object);
    void(WINAPI *uninitialize)(void);
};

/* Restart Manager (Vista and later): who holds a file. */
struct RestartCalls
{
    DWORD(WINAPI *startSession)(DWORD *session, DWORD flags, WCHAR key[]);
    DWORD(WINAPI *registerResources)
    (DWORD session, UINT fileCount, LPCWSTR files[], UINT appCount, RM_UNIQUE_PROCESS apps[],
     UINT serviceCount, LPCWSTR services[]);
    DWORD(WINAPI *getList)
    (DWORD session, UINT *needed, UINT *count, RM_PROCESS_INFO apps[], LPDWORD reasons);
    DWORD(WINAPI *endSession)(DWORD session);
};

/* The process's access token (NT's ADVAPI32; Windows 9x has none, or calls that fail). */
struct TokenCalls
{
    BOOL(WINAPI *openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
    BOOL(WINAPI *getInformation)
    (HANDLE token, TOKEN_INFORMATION_CLASS type, LPVOID information, DWORD size, PDWORD needed);
};

typedef BOOL(WINAPI *MoveFileExCall)(LPCSTR from, LPCSTR to, DWORD flags);

/* Window stations (NT's USER32; Windows 9x has none, and everything there is on screen). */
struct StationCalls
{
    HWINSTA(WINAPI *getProcessStation)(void);
    BOOL(WINAPI *getObjectInformation)
    (HANDLE object, int type, PVOID information, DWORD size, LPDWORD needed);
};

/* The program's own path in full and its short form (NT's KERNEL32). */
struct WideNameCalls
{
    DWORD(WINAPI *getModuleFileName)(HMODULE module, LPWSTR path, DWORD size);
    DWORD(WINAPI *getShortPathName)(LPCWSTR path, LPWSTR shortPath, DWORD size);
};

typedef BOOL(WINAPI *DiskFreeSpaceExCall)(LPCSTR directory, PULARGE_INTEGER available,
                                          PULARGE_INTEGER total, PULARGE_INTEGER free);

/* Takes the program's own folder and the current directory out of the DLL search, where the
 * platform allows it. Called first thing, before any library is loaded. */
void RestrictDllSearch(void);

/*
 * The path of name in the directory getDirectory names (GetSystemDirectoryA or
 * GetWindowsDirectoryA), in a PathSize buffer; 0 when it does not fit.
 */
int GetPlatformFile(UINT(WINAPI *getDirectory)(LPSTR, UINT), const char *name, char *path);

/* Loads the system DLL name by its full path in the system directory; NULL where it cannot. */
HMODULE LoadSystemLibrary(const char *name);

/* Loads COMCTL32 and initialises the common controls, where it can be loaded. Called before
 * the dialog is created. */
void LoadCommonControls(void);

/* Loads SHELL32 and finds its calls; 0 when SHELL32 or any of them is missing. */
int LoadShellCalls(ShellCalls *shell);

/* Loads OLE32 and finds its calls; 0 when OLE32 or any of them is missing. */
int LoadComCalls(ComCalls *com);

/* Loads RSTRTMGR and finds its calls; 0 when it or any of them is missing. */
int LoadRestartCalls(RestartCalls *calls);

/* Finds ADVAPI32's token calls; 0 when any is missing. */
int FindTokenCalls(TokenCalls *calls);

/* Finds USER32's window station calls; 0 when any is missing. */
int FindStationCalls(StationCalls *calls);

/* Finds KERNEL32's wide module and short name calls; 0 when any is missing. Windows 9x
 * exports stubs that fail. */
int FindWideNameCalls(WideNameCalls *calls);

/* KERNEL32's GetDiskFreeSpaceExA (Windows 95 OSR2 and NT 4 on); NULL where it is missing. */
DiskFreeSpaceExCall FindDiskFreeSpaceEx(void);

/* KERNEL32's MoveFileExA; NULL where it is missing. Windows 9x exports a stub that fails with
 * ERROR_CALL_NOT_IMPLEMENTED. */
MoveFileExCall FindMoveFileEx(void);

/*
 * Writes the file-system path of list into path (PathSize bytes), then frees
 * list through the shell's allocator. Returns 0, path unchanged, when the item
 * has no file-system path.
 */
int TakeItemListPath(const ShellCalls *shell, LPITEMIDLIST list, char *path);

#endif

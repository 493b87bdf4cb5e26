/*
 * The shell's and COM's calls the setup uses, found in SHELL32 and OLE32 only
 * when they are needed: imported, those DLLs would bring themselves and what
 * they need into every run for a folder picker and a Start menu fallback that
 * most runs never use. Each DLL stays loaded once found: what the shell starts
 * may leave work of its own behind in it.
 */
#ifndef INSTALL_SHELL_H
#define INSTALL_SHELL_H

#include <windows.h>
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

/* Loads SHELL32 and finds its calls; 0 when SHELL32 or any of them is missing. */
int LoadShellCalls(ShellCalls *shell);

/* Loads OLE32 and finds its calls; 0 when OLE32 or any of them is missing. */
int LoadComCalls(ComCalls *com);

/*
 * Writes the file-system path of list into path (PathSize bytes), then frees
 * list through the shell's allocator. Returns 0, path unchanged, when the item
 * has no file-system path.
 */
int TakeItemListPath(const ShellCalls *shell, LPITEMIDLIST list, char *path);

#endif

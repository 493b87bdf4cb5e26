/*
 * The platform's libraries as the setup reaches them. The DLL search is
 * restricted before anything is loaded, since the setup usually runs from a
 * download folder that holds whatever else was downloaded. SHELL32 and OLE32
 * are loaded by full path from the system directory, and only when Browse or
 * the Start menu links need them: imported, they would bring themselves and
 * what they need into every run. Each stays loaded once found: what the shell
 * starts may leave work of its own behind in it.
 */
#ifndef SETUP_LIBRARIES_H
#define SETUP_LIBRARIES_H

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

/* KERNEL32's name, for finding its newer calls: one copy of the text for all who do. */
extern const char KernelLibrary[];

/* GetProcAddress's answer as the typed call it stands for; 0 when it is missing. */
template <typename Call> int FindCall(HMODULE module, const char *name, Call *call)
{
    *call = reinterpret_cast<Call>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return *call != NULL;
}

/* Takes the program's own folder and the current directory out of the DLL search, where the
 * platform allows it. Called first thing, before any library is loaded. */
void RestrictDllSearch(void);

/*
 * The path of name in the directory getDirectory names (GetSystemDirectoryA or
 * GetWindowsDirectoryA), in a PathSize buffer; 0 when it does not fit.
 */
int GetPlatformFile(UINT(WINAPI *getDirectory)(LPSTR, UINT), const char *name, char *path);

/* Loads COMCTL32 and initialises the common controls, where it can be loaded. Called before
 * the dialog is created. */
void LoadCommonControls(void);

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

/*
 * SHELL32 and OLE32 loaded on demand, for Browse and for the Start menu links:
 * the one place that finds their calls and gives the shell's item lists back.
 */
#include <windows.h>
#include <shlobj.h>
#include "install/shell.h"
#include "setup/state.h"

namespace
{

/* GetProcAddress's answer as the typed call it stands for. */
template <typename Call> int FindCall(HMODULE module, const char *name, Call *call)
{
    *call = reinterpret_cast<Call>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return *call != NULL;
}

} // namespace

int LoadShellCalls(ShellCalls *shell)
{
    HMODULE module = LoadLibraryA("SHELL32.DLL");
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
    HMODULE module = LoadLibraryA("OLE32.DLL");
    if (module == NULL)
        return 0;
    return FindCall(module, "CoInitialize", &com->initialize) &&
           FindCall(module, "CoCreateInstance", &com->createInstance) &&
           FindCall(module, "CoUninitialize", &com->uninitialize);
}

int TakeItemListPath(const ShellCalls *shell, LPITEMIDLIST list, char *path)
{
    char found[PathSize];
    int hasPath = shell->getPathFromIDList(list, found);
    if (hasPath)
        lstrcpyA(path, found);
    IMalloc *allocator = NULL;
    if (SUCCEEDED(shell->getMalloc(&allocator)))
    {
        allocator->Free(list);
        allocator->Release();
    }
    return hasPath;
}

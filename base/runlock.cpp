/*
 * The run's mark, in the global namespace where Windows has one, so that runs
 * in other sessions (a deployment tool's as LocalSystem, a user's at the
 * console, one over Remote Desktop) see it too.
 */
#include <windows.h>
#include "base/product.h"
#include "base/runlock.h"

namespace
{

/* Windows NT 4 and 9x know no namespaces, and take the backslash for part of a path that
   does not exist: there the plain name serves, which is machine-wide anyway. */
const char GlobalName[] = "Global\\" PRODUCT_PUBLISHER " " PRODUCT_NAME " setup running";
const char *const PlainName = GlobalName + 7;

} // namespace

int TakeRunLock(void)
{
    /* Never closed: the process holds the mark until it ends. Inherited by what the
       uninstaller leaves to finish its work, which then holds it on. */
    SECURITY_ATTRIBUTES inherited;
    inherited.nLength = sizeof inherited;
    inherited.lpSecurityDescriptor = NULL;
    inherited.bInheritHandle = TRUE;
    HANDLE mark = CreateMutexA(&inherited, FALSE, GlobalName);
    /* Made by another account's run (LocalSystem's, say), it may refuse this one all access. */
    if (mark == NULL && GetLastError() != ERROR_ACCESS_DENIED)
        mark = CreateMutexA(&inherited, FALSE, PlainName);
    DWORD error = GetLastError();
    /* A mark that cannot be made at all (no memory) stops no one. */
    if (mark == NULL)
        return error != ERROR_ACCESS_DENIED;
    return error != ERROR_ALREADY_EXISTS;
}

/*
 * What the Start menu group's maker and its removal both know: the items, and
 * where the group goes.
 */
#include <windows.h>
#include <shlobj.h>
#include "base/libraries.h"
#include "base/product.h"
#include "register/startmenu.h"

const GroupItem GroupItems[GroupItemCount] = {
    {ProductName, MainProgramFile, ""},
    {"Readme", ReadmeFile, ""},
    {"Configuration", ConfigurationFile, "1"},
    {"Uninstall " PRODUCT_NAME, UninstallerFile, ""},
};

int GetProgramsFolder(const ShellCalls *shell, int programs, char *path)
{
    LPITEMIDLIST list = NULL;
    if (FAILED(shell->getSpecialFolderLocation(NULL, programs, &list)))
        return 0;
    return TakeItemListPath(shell, list, path);
}

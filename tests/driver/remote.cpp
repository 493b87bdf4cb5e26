/*
 * Cross-process driving of the setup dialog through ordinary window messages.
 * Everything that may trigger work in the setup is posted, never sent, so the
 * driver stays responsive while the setup runs or shows a message box.
 */
#include "driver/remote.h"
#include "setup/dialog.h"
#include "setup/manifest.h"

namespace
{

struct Search
{
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchSetupDialog(HWND window, LPARAM context)
{
    Search *search = reinterpret_cast<Search *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId)
        return TRUE;
    char className[16] = "";
    char title[64] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(className, "#32770") == 0 && lstrcmpA(title, SetupTitle) == 0 &&
        GetDlgItem(window, CTL_STATUS) != NULL)
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindSetupDialog(DWORD processId)
{
    Search search = {processId, NULL};
    EnumWindows(MatchSetupDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        HWND dialog = FindSetupDialog(processId);
        if (dialog && IsWindowVisible(dialog))
            return dialog;
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        Sleep(20);
    }
}

void ClickControl(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

std::string RemoteControlText(HWND dialog, int id)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, (LPARAM)text,
                        SMTO_ABORTIFHUNG, 5000, &length);
    return text;
}

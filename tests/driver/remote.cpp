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

const DWORD pollMs = 20;

enum Want
{
    setupDialog,
    messageBox, /* any other #32770 */
    anyWindow
};

struct Search
{
    DWORD processId;
    Want want;
    HWND found;
};

bool IsSetupDialogWindow(HWND window)
{
    return GetDlgItem(window, CTL_STATUS) != NULL && GetDlgItem(window, CTL_DIRECTORY) != NULL;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM context)
{
    Search *search = reinterpret_cast<Search *>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId)
        return TRUE;
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (!IsWindowVisible(window) ||
        (search->want != anyWindow && lstrcmpA(className, "#32770") != 0))
        return TRUE;
    if (search->want == setupDialog)
    {
        char title[64] = "";
        GetWindowTextA(window, title, sizeof title);
        if (lstrcmpA(title, SetupTitle) != 0 || !IsSetupDialogWindow(window))
            return TRUE;
    }
    else if (search->want == messageBox && IsSetupDialogWindow(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindWindowOf(DWORD processId, Want want)
{
    Search search = {processId, want, NULL};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                        &length);
    return text;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context)
{
    RemoteMessageBox *box = reinterpret_cast<RemoteMessageBox *>(context);
    char className[32] = "";
    GetClassNameA(child, className, sizeof className);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    bool visible = (style & WS_VISIBLE) != 0;
    if (lstrcmpiA(className, "Button") == 0)
    {
        if (visible)
            box->buttons.push_back(WindowText(child));
    }
    else if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
    {
        /* Wine keeps the icon control of a box without icon, only empty. */
        DWORD_PTR icon = 0;
        SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
        box->iconShown = box->iconShown || (visible && icon != 0);
    }
    else if (lstrcmpiA(className, "Static") == 0)
    {
        std::string text = WindowText(child);
        if (!text.empty())
            box->text = text;
    }
    return TRUE;
}

} // namespace

HWND FindSetupDialog(DWORD processId)
{
    return FindWindowOf(processId, setupDialog);
}

HWND WaitForSetupDialog(DWORD processId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        HWND dialog = FindSetupDialog(processId);
        if (dialog)
            return dialog;
        if (GetTickCount() - start >= timeoutMs)
            return NULL;
        Sleep(pollMs);
    }
}

void ClickControl(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

std::string RemoteControlText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

void SetRemoteControlText(HWND dialog, int id, const std::string &text)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text.c_str(),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

HWND RemoteFocus(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, NULL), &info))
        return NULL;
    return info.hwndFocus;
}

bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, RemoteMessageBox *box)
{
    DWORD start = GetTickCount();
    HWND window;
    while ((window = FindWindowOf(processId, messageBox)) == NULL)
    {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(pollMs);
    }
    *box = RemoteMessageBox();
    box->window = window;
    box->caption = WindowText(window);
    box->owner = GetWindow(window, GW_OWNER);
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(box));
    return true;
}

void AnswerMessageBox(const RemoteMessageBox &box, int id)
{
    HWND button = id ? GetDlgItem(box.window, id) : FindWindowExA(box.window, NULL, "Button", NULL);
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 (LPARAM)button);
}

SetupProcess StartSetup(const std::string &exePath, const std::string &directory,
                        const std::string &arguments)
{
    SetupProcess process = {};
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exePath + "\"" + (arguments.empty() ? "" : " ") + arguments;
    process.started = CreateProcessA(exePath.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                                     directory.c_str(), &startup, &process.info) != 0;
    return process;
}

bool WaitForSetupExit(SetupProcess *process, DWORD timeoutMs, DWORD *exitCode, bool *windowShown)
{
    if (!process->started)
        return false;
    DWORD start = GetTickCount();
    bool ended;
    do
    {
        if (windowShown && FindWindowOf(process->info.dwProcessId, anyWindow))
            *windowShown = true;
        ended = WaitForSingleObject(process->info.hProcess, windowShown ? pollMs : timeoutMs) ==
                WAIT_OBJECT_0;
    } while (!ended && GetTickCount() - start < timeoutMs);
    if (!ended)
    {
        TerminateProcess(process->info.hProcess, 99);
        WaitForSingleObject(process->info.hProcess, 5000);
    }
    GetExitCodeProcess(process->info.hProcess, exitCode);
    CloseHandle(process->info.hProcess);
    CloseHandle(process->info.hThread);
    process->started = false;
    return ended;
}

/*
 * statushook.dll: a call-window-return hook that the end-to-end tests set on
 * the setup's dialog thread. Wine loads it into the setup's process, where it
 * appends every text the status line receives, one per line, to the file named
 * by STATUS_HOOK_LOG in the setup's environment. A test that must act at one
 * step of the run (hold a file the run made) names that step's text in
 * STATUS_HOOK_PAUSE: the run waits there until the test sets its event. A
 * completion text shown while Continue or Cancel is still visible adds a line
 * saying so: a test that polls sees the page only once it is whole.
 * With STATUS_HOOK_SHORT_READS set, every other ReadFile of setup.exe's comes
 * back with half the bytes asked, as a network redirector may answer: Wine
 * reads a local file whole, up to its end.
 */
#include <windows.h>
#include "setup/dialog.h"

static BOOL WINAPI HalvingReadFile(HANDLE file, LPVOID buffer, DWORD asked, LPDWORD read,
                                   LPOVERLAPPED overlapped)
{
    static int calls;
    return ReadFile(file, buffer, calls++ % 2 ? asked : (asked + 1) / 2, read, overlapped);
}

/* Points setup.exe's import of ReadFile at HalvingReadFile. */
static void HalveSetupReads()
{
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, exe, sizeof exe), protection;
    if (!GetEnvironmentVariableA("STATUS_HOOK_SHORT_READS", NULL, 0) || length < 9 ||
        lstrcmpiA(exe + length - 9, "setup.exe") != 0)
        return;
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *headers = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ULONG_PTR real = (ULONG_PTR)GetProcAddress(GetModuleHandleA("kernel32.dll"), "ReadFile");
    for (auto *dll = (IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress); dll->Name; dll++)
        for (ULONG_PTR *slot = (ULONG_PTR *)(base + dll->FirstThunk); *slot; slot++)
            if (*slot == real && VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
                *slot = (ULONG_PTR)&HalvingReadFile;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        HalveSetupReads();
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    StatusHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *call = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    int id = code == HC_ACTION ? GetDlgCtrlID(call->hwnd) : 0;
    HWND dialog = id ? GetParent(call->hwnd) : NULL;
    const char *text = NULL;
    if (id == CTL_STATUS && call->message == WM_SETTEXT)
        text = reinterpret_cast<const char *>(call->lParam);
    if (id == CTL_DONE && call->message == WM_SHOWWINDOW && call->wParam &&
        (IsWindowVisible(GetDlgItem(dialog, CTL_CONTINUE)) ||
         IsWindowVisible(GetDlgItem(dialog, CTL_CANCEL))))
        text = "<the completion text shown with Continue or Cancel still visible>";
    if (text)
    {
        char path[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("STATUS_HOOK_LOG", path, sizeof path);
        if (length > 0 && length < sizeof path)
        {
            HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (log != INVALID_HANDLE_VALUE)
            {
                DWORD written = 0;
                WriteFile(log, text, lstrlenA(text), &written, NULL);
                WriteFile(log, "\n", 1, &written, NULL);
                CloseHandle(log);
            }
        }
        char pause[128] = "";
        GetEnvironmentVariableA("STATUS_HOOK_PAUSE", pause, sizeof pause);
        HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, "NimbetStatusHookGo");
        if (go && lstrcmpA(pause, reinterpret_cast<const char *>(call->lParam)) == 0)
            WaitForSingleObject(go, 10000);
        CloseHandle(go);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

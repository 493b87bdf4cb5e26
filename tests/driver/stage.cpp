/*
 * Staging and start of a setup run for the end-to-end tests. The hook DLL is
 * loaded here too, since SetWindowsHookEx needs its module in this process
 * before Wine loads it into the setup's.
 */
#include "driver/stage.h"
#include "setup/manifest.h"
#include "support/testing.h"

const char DefaultDir[] = "c:\\Nimbet 2 Alpha";
const char AppKey[] = "Software\\Orvanex\\Nimbet 2 Alpha";
const char UninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbet 2 Alpha";
const DWORD WaitMs = 20000;

const char StageDir[] = "C:\\e2e";
const char DistDir[] = "C:\\e2e\\dist";
const char StatusLog[] = "C:\\e2e\\status.log";

std::string DistFile(const char *name)
{
    return std::string(DistDir) + "\\" + name;
}

std::string StagedPayload(const char *name)
{
    return std::string("payload of ") + name + "\r\n" + std::string(3000, name[0]);
}

bool StageDistribution()
{
    RemoveTree(StageDir);
    CreateDirectoryA(StageDir, NULL);
    CreateDirectoryA(DistDir, NULL);
    if (!CopyFileA(BuiltFile("setup.exe").c_str(), DistFile("setup.exe").c_str(), FALSE))
        return false;
    for (int i = 0; i < ProductFileCount; i++)
        WriteFileBytes(DistFile(ProductFiles[i]), StagedPayload(ProductFiles[i]));
    SetEnvironmentVariableA("STATUS_HOOK_LOG", StatusLog);
    return true;
}

HWND StartHookedSetup(SetupProcess *process, HHOOK *hook, DWORD timeoutMs,
                      const std::string &folder)
{
    *process = StartSetup(folder + "\\setup.exe", folder);
    if (!process->started)
        return NULL;
    HMODULE hookDll = LoadLibraryA(BuiltFile("tests\\statushook.dll").c_str());
    if (!hookDll)
        return NULL;
    HOOKPROC proc = (HOOKPROC)(void *)GetProcAddress(hookDll, "StatusHookProc");
    *hook = SetWindowsHookExA(WH_CALLWNDPROCRET, proc, hookDll, process->info.dwThreadId);
    if (!*hook)
        return NULL;
    return WaitForSetupDialog(process->info.dwProcessId, timeoutMs);
}

void EndHookedSetup(SetupProcess *process, HHOOK *hook)
{
    if (process->started)
    {
        DWORD code;
        WaitForSetupExit(process, 0, &code);
    }
    if (*hook)
        UnhookWindowsHookEx(*hook);
    *hook = NULL;
}

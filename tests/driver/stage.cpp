/*
 * Staging and start of a setup run for the end-to-end tests. The hook DLL is
 * loaded here too, since SetWindowsHookEx needs its module in this process
 * before Wine loads it into the setup's.
 */
#include "driver/stage.h"
#include <gtest/gtest.h>
#include "base/digest.h"
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

bool StampDigests(const std::string &path, const std::string *contents)
{
    std::string image = ReadFileBytes(path);
    std::string marker(DIGEST_TABLE_MARKER, sizeof DIGEST_TABLE_MARKER);
    size_t at = image.find(marker);
    if (at == image.npos || image.find(marker, at + 1) != image.npos)
        return false;
    DigestTable table = {DIGEST_TABLE_MARKER, 1, {}};
    for (int i = 0; i < ProductFileCount; i++)
    {
        Digest digest;
        BeginDigest(&digest);
        AddToDigest(&digest, (const BYTE *)contents[i].data(), (DWORD)contents[i].size());
        EndDigest(&digest, table.files[i].digest);
        table.files[i].size = (unsigned long)contents[i].size();
    }
    image.replace(at, sizeof table, (const char *)&table, sizeof table);
    WriteFileBytes(path, image);
    return true;
}

bool StageDistribution()
{
    RemoveTree(StageDir);
    CreateDirectoryA(StageDir, NULL);
    CreateDirectoryA(DistDir, NULL);
    char setup[MAX_PATH] = "setup.exe";
    GetEnvironmentVariableA("STAGED_SETUP", setup, sizeof setup);
    if (!CopyFileA(BuiltFile(setup).c_str(), DistFile("setup.exe").c_str(), FALSE))
        return false;
    for (int i = 0; i < ProductFileCount; i++)
        WriteFileBytes(DistFile(ProductFiles[i]), StagedPayload(ProductFiles[i]));
    SetEnvironmentVariableA("STATUS_HOOK_LOG", StatusLog);
    return true;
}

HWND StartHookedSetup(SetupProcess *process, HHOOK *hook, DWORD timeoutMs,
                      const std::string &arguments, const std::string &folder)
{
    *process = StartSetup(folder + "\\setup.exe", folder, arguments);
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

DWORD RunUnattended(const std::string &arguments)
{
    SetupProcess process = StartSetup(DistFile("setup.exe"), DistDir, arguments);
    DWORD code = 12345;
    bool windowShown = false;
    WaitForSetupExit(&process, WaitMs, &code, &windowShown);
    EXPECT_FALSE(windowShown) << "a window of the setup showed";
    return code;
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

/* Whether text ends in a backslash: its last character, not its last byte, in a double-byte code
 * page. */
bool EndsInBackslash(const std::string &text)
{
    return !text.empty() && *CharPrevA(text.c_str(), text.c_str() + text.size()) == '\\';
}

std::string InDirectory(const std::string &dir, const char *name)
{
    return dir + (EndsInBackslash(dir) ? "" : "\\") + name;
}

void RemoveInstallTraces()
{
    RemoveTree(StartMenuGroupFolder());
    RemoveTree(DefaultDir);
    RemoveTree(WindowsDirectoryFile("SETUP.INI"));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Orvanex");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, UninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, UninstallKey);
}

void ExpectRegistryFor(const std::string &dir, HKEY uninstallRoot, std::string filesIn)
{
    EXPECT_EQ(dir, RegistryText(HKEY_CURRENT_USER, AppKey, "location"));
    EXPECT_EQ("0.1", RegistryText(HKEY_CURRENT_USER, AppKey, "version"));
    /* Exactly this install's values, types and terminators included. */
    auto text = [](const std::string &data) { return "1:" + data + std::string(1, '\0'); };
    auto number = [](DWORD data) { return "4:" + std::string((const char *)&data, sizeof data); };
    std::string program = InDirectory(dir, ProductFiles[0]);
    if (filesIn.empty())
        filesIn = dir;
    ULONGLONG bytes = 0;
    for (const char *name : ProductFiles)
        bytes += ReadFileBytes(InDirectory(filesIn, name)).size();
    std::map<std::string, std::string> expected = {
        {"DisplayName", text("Nimbet 2 Alpha")},
        {"UninstallString", text("\"" + dir + "\\unsetup.exe\" 0")},
        {"QuietUninstallString", text("\"" + dir + "\\unsetup.exe\" /S")},
        {"Publisher", text("Orvanex")},
        {"DisplayVersion", text("0.1")},
        {"InstallLocation", text(dir)},
        {"DisplayIcon", text(program + ",0")},
        {"EstimatedSize", number((DWORD)((bytes + 1023) / 1024))},
        {"NoModify", number(1)},
        {"NoRepair", number(1)}};
    EXPECT_EQ(expected, RegistryValues(uninstallRoot, UninstallKey));
    HKEY otherRoot = uninstallRoot == HKEY_LOCAL_MACHINE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    EXPECT_FALSE(KeyExists(otherRoot, UninstallKey)) << "an uninstall entry under the other root";
}

void ExpectStartMenuLinksFor(const std::string &dir)
{
    const struct
    {
        const char *name, *file, *arguments;
    } items[] = {{"Nimbet 2 Alpha", "Nim2Alph.exe", ""},
                 {"Readme", "Notes.doc", ""},
                 {"Configuration", "options.exe", "1"},
                 {"Uninstall Nimbet 2 Alpha", "Unsetup.exe", ""}};
    for (const auto &item : items)
    {
        ShellLink link = ReadShellLink(StartMenuGroupFolder() + "\\" + item.name + ".lnk");
        EXPECT_TRUE(link.loaded) << item.name;
        EXPECT_EQ(dir + "\\" + item.file, link.target);
        EXPECT_EQ(item.arguments, link.arguments);
        EXPECT_EQ(dir, link.workingDirectory);
    }
}

/*
 * The whole setup from the outside: the built setup.exe started from a staged
 * distribution folder, its real dialog worked from this process as a user
 * would, and the outcome checked where a user would look: files, SETUP.INI,
 * the registry, the texts on screen and the process's exit code.
 */
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "driver/remote.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "support/converter.h"
#include "support/testing.h"

namespace
{

const DWORD waitMs = 20000;
const char distDir[] = "C:\\e2e\\dist";
const char defaultDir[] = "c:\\Nimbet 2 Alpha";
const char appKey[] = "Software\\Orvanex\\Nimbet 2 Alpha";
const char uninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbet 2 Alpha";
const char versionKey[] = "Software\\Wine\\AppDefaults\\setup.exe";

std::string BuildDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir = path;
    dir.erase(dir.find_last_of('\\')); /* tests */
    dir.erase(dir.find_last_of('\\'));
    return dir;
}

std::string WindowsFile(const char *name)
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

std::string Payload(const char *name)
{
    return std::string("payload of ") + name + "\r\n" + std::string(3000, name[0]);
}

std::string ReadValue(HKEY root, const char *key, const char *name)
{
    char data[1024] = "";
    DWORD size = sizeof data;
    DWORD type = 0;
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return "<no key>";
    LONG result = RegQueryValueExA(handle, name, NULL, &type, (BYTE *)data, &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return "<no value>";
    return data;
}

bool KeyExists(HKEY root, const char *key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

/* What an install leaves behind, for "nothing changed" comparisons. */
struct Traces
{
    bool installDir, setupIni, startMenuGroup, appKey, uninstallKey;
    bool operator==(const Traces &o) const
    {
        return installDir == o.installDir && setupIni == o.setupIni &&
               startMenuGroup == o.startMenuGroup && appKey == o.appKey &&
               uninstallKey == o.uninstallKey;
    }
};

Traces TracesOfInstall()
{
    return {DirectoryExists(defaultDir), FileExists(WindowsFile("SETUP.INI")),
            DirectoryExists(StartMenuGroupFolder()), KeyExists(HKEY_CURRENT_USER, appKey),
            KeyExists(HKEY_LOCAL_MACHINE, uninstallKey)};
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

class SetupRun : public testing::Test
{
  protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        RemoveTree(StartMenuGroupFolder());
        RemoveTree(defaultDir);
        RemoveTree("C:\\e2e");
        DeleteFileA(WindowsFile("SETUP.INI").c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Orvanex");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey);
        RegDeleteKeyA(HKEY_CURRENT_USER, versionKey);

        CreateDirectoryA("C:\\e2e", NULL);
        CreateDirectoryA(distDir, NULL);
        ASSERT_TRUE(
            CopyFileA((BuildDir() + "\\setup.exe").c_str(), DistFile("setup.exe").c_str(), FALSE));
        for (int i = 0; i < ProductFileCount; i++)
            WriteFileBytes(DistFile(ProductFiles[i]), Payload(ProductFiles[i]));
        statusLog_ = "C:\\e2e\\status.log";
        SetEnvironmentVariableA("STATUS_HOOK_LOG", statusLog_.c_str());
    }

    void TearDown() override
    {
        if (process_.started)
        {
            DWORD code;
            WaitForSetupExit(&process_, 0, &code);
        }
        if (hook_)
            UnhookWindowsHookEx(hook_);
        RegDeleteKeyA(HKEY_CURRENT_USER, versionKey);
        CoUninitialize();
    }

    static std::string DistFile(const char *name)
    {
        return std::string(distDir) + "\\" + name;
    }

    void SetWindowsVersion(const char *version)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, versionKey, 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &key, NULL));
        RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, lstrlenA(version) + 1);
        RegCloseKey(key);
    }

    /* Starts the setup with the status hook on its thread and returns its dialog. */
    HWND Start()
    {
        process_ = StartSetup(DistFile("setup.exe"), distDir);
        EXPECT_TRUE(process_.started);
        if (!process_.started)
            return NULL;
        HMODULE hookDll = LoadLibraryA((BuildDir() + "\\tests\\statushook.dll").c_str());
        EXPECT_NE(nullptr, hookDll);
        HOOKPROC proc = (HOOKPROC)(void *)GetProcAddress(hookDll, "StatusHookProc@12");
        if (!proc)
            proc = (HOOKPROC)(void *)GetProcAddress(hookDll, "StatusHookProc");
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, proc, hookDll, process_.info.dwThreadId);
        EXPECT_NE(nullptr, hook_);
        HWND dialog = WaitForSetupDialog(process_.info.dwProcessId, waitMs);
        EXPECT_NE(nullptr, dialog) << "no setup dialog appeared";
        return dialog;
    }

    /* Waits for the completion page (the completion text shown). */
    bool WaitForCompletionPage(HWND dialog)
    {
        DWORD start = GetTickCount();
        while (!IsWindowVisible(GetDlgItem(dialog, CTL_DONE)))
        {
            if (GetTickCount() - start >= waitMs || !IsWindow(dialog))
                return false;
            Sleep(20);
        }
        return true;
    }

    /* Lets the setup handle what was posted to it, then answers whether it is still running. */
    bool StillRunning()
    {
        WaitForInputIdle(process_.info.hProcess, 2000);
        return WaitForSingleObject(process_.info.hProcess, 200) == WAIT_TIMEOUT;
    }

    DWORD ExitCode()
    {
        DWORD code = 12345;
        EXPECT_TRUE(WaitForSetupExit(&process_, waitMs, &code)) << "the setup did not end; killed";
        return code;
    }

    RemoteMessageBox ExpectMessageBox(const std::string &text, HWND owner)
    {
        RemoteMessageBox box = {};
        EXPECT_TRUE(WaitForMessageBox(process_.info.dwProcessId, waitMs, &box))
            << "no message box: " << text;
        if (!box.window)
            return box;
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(SetupTitle, box.caption);
        EXPECT_EQ(owner, box.owner);
        EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons);
        EXPECT_FALSE(box.iconShown);
        AnswerMessageBox(box);
        return box;
    }

    std::vector<std::string> StatusTexts()
    {
        return Lines(ReadFileBytes(statusLog_));
    }

    void ExpectProductInstalledIn(const std::string &dir, int count)
    {
        for (int i = 0; i < ProductFileCount; i++)
        {
            std::string path = dir + "\\" + ProductFiles[i];
            if (i < count)
                EXPECT_EQ(Payload(ProductFiles[i]), ReadFileBytes(path)) << path;
            else
                EXPECT_FALSE(FileExists(path)) << path << " should not have been copied";
        }
    }

    void ExpectRegistryFor(const std::string &dir)
    {
        EXPECT_EQ(dir, ReadValue(HKEY_CURRENT_USER, appKey, "location"));
        EXPECT_EQ("0.1", ReadValue(HKEY_CURRENT_USER, appKey, "version"));
        EXPECT_EQ("Nimbet 2 Alpha", ReadValue(HKEY_LOCAL_MACHINE, uninstallKey, "DisplayName"));
        EXPECT_EQ(dir + "\\unsetup.exe 0",
                  ReadValue(HKEY_LOCAL_MACHINE, uninstallKey, "UninstallString"));
    }

    /* Wine has no program-group converter, so the setup makes the group's links itself. */
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

    void InstallWithDefaults()
    {
        HWND dialog = Start();
        ASSERT_NE(nullptr, dialog);
        ClickControl(dialog, CTL_CONTINUE);
        ASSERT_TRUE(WaitForCompletionPage(dialog));
        ExpectProductInstalledIn(defaultDir, ProductFileCount);
        ExpectRegistryFor(defaultDir);
        EXPECT_TRUE(FileExists(WindowsFile("SETUP.INI")));
        ExpectStartMenuLinksFor(defaultDir);
        ClickControl(dialog, CTL_EXIT);
        EXPECT_EQ(0u, ExitCode());
    }

    SetupProcess process_ = {};
    HHOOK hook_ = NULL;
    std::string statusLog_;
};

std::vector<int> VisibleControls(HWND dialog)
{
    std::vector<int> visible;
    for (int id = CTL_DIRECTORY; id <= CTL_CANCEL; id++)
        if (IsWindowVisible(GetDlgItem(dialog, id)))
            visible.push_back(id);
    return visible;
}

} // namespace

TEST_F(SetupRun, InputPageIsCentredWithTheDefaultsAndFocusInTheDirectory)
{
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(defaultDir, RemoteControlText(dialog, CTL_DIRECTORY));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(dialog, CTL_STARTMENU), BM_GETCHECK, 0, 0));
    EXPECT_EQ(GetDlgItem(dialog, CTL_DIRECTORY), RemoteFocus(dialog));
    DWORD selection = (DWORD)SendMessageA(GetDlgItem(dialog, CTL_DIRECTORY), EM_GETSEL, 0, 0);
    EXPECT_EQ(0u, LOWORD(selection));
    EXPECT_EQ((unsigned)lstrlenA(defaultDir), HIWORD(selection)) << "the whole default selected";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, CTL_EXIT)));

    RECT frame;
    GetWindowRect(dialog, &frame);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2, frame.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2, frame.top);

    ClickControl(dialog, CTL_CANCEL);
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(SetupRun, DefaultInstallCopiesRegistersAndEndsOnTheCompletionPage)
{
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, CTL_CONTINUE);
    ASSERT_TRUE(WaitForCompletionPage(dialog));

    ExpectProductInstalledIn(defaultDir, ProductFileCount);
    ExpectRegistryFor(defaultDir);
    std::string ini = ReadFileBytes(WindowsFile("SETUP.INI"));
    EXPECT_EQ(0u, ini.find("[progman.groups]\r\ngroupX=Nimbet 2 Alpha\r\n[groupX]\r\n")) << ini;
    ExpectStartMenuLinksFor(defaultDir);

    std::vector<std::string> expected = {"Creating directory..", "Copying files."};
    for (int percent : {12, 25, 37, 50, 62, 75, 87, 100})
        expected.push_back("Copying files... " + std::to_string(percent) + "% completed");
    expected.push_back("Creating StartMenu shortcut");
    expected.push_back("");
    EXPECT_EQ(expected, StatusTexts());

    EXPECT_EQ((std::vector<int>{CTL_DONE, CTL_EXIT}), VisibleControls(dialog));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, CTL_EXIT)));
    EXPECT_EQ(GetDlgItem(dialog, CTL_EXIT), RemoteFocus(dialog));

    ClickControl(dialog, CTL_EXIT);
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(SetupRun, StartMenuClearedMakesNoGroupButStillRegisters)
{
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    DWORD_PTR result;
    SendMessageTimeoutA(GetDlgItem(dialog, CTL_STARTMENU), BM_SETCHECK, BST_UNCHECKED, 0,
                        SMTO_ABORTIFHUNG, 5000, &result);
    ClickControl(dialog, CTL_CONTINUE);
    ASSERT_TRUE(WaitForCompletionPage(dialog));

    ExpectProductInstalledIn(defaultDir, ProductFileCount);
    ExpectRegistryFor(defaultDir);
    EXPECT_FALSE(FileExists(WindowsFile("SETUP.INI")));
    EXPECT_FALSE(DirectoryExists(StartMenuGroupFolder()));
    std::vector<std::string> texts = StatusTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("Copying files... 100% completed", texts[texts.size() - 2]);
    EXPECT_EQ("", texts.back());

    ClickControl(dialog, CTL_EXIT);
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(SetupRun, WhereTheConverterStartsTheSetupMakesNoLinks)
{
    ConverterStandIn converter;
    ASSERT_TRUE(converter.Installed());
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, CTL_CONTINUE);
    ASSERT_TRUE(WaitForCompletionPage(dialog));

    std::vector<ConverterRun> runs = converter.WaitForRuns(waitMs);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ("grpconv -o", runs[0].commandLine);
    EXPECT_EQ(ReadFileBytes(WindowsFile("SETUP.INI")), runs[0].groupFile);
    EXPECT_FALSE(DirectoryExists(StartMenuGroupFolder()));

    ClickControl(dialog, CTL_EXIT);
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(SetupRun, CancelCloseBoxAndEscapeOnTheInputPage)
{
    Traces before = TracesOfInstall();

    /* Escape does nothing; Cancel ends the setup. */
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    PostMessageA(GetDlgItem(dialog, CTL_DIRECTORY), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(GetDlgItem(dialog, CTL_DIRECTORY), WM_KEYUP, VK_ESCAPE, 0xC0010001);
    EXPECT_TRUE(StillRunning()) << "Escape closed the setup";
    EXPECT_TRUE(IsWindowVisible(dialog));
    ClickControl(dialog, CTL_CANCEL);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_TRUE(before == TracesOfInstall());

    /* The close box ends it too. */
    dialog = Start();
    ASSERT_NE(nullptr, dialog);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_TRUE(before == TracesOfInstall());
}

TEST_F(SetupRun, MissingSourceFileStopsTheCopyWithItsName)
{
    DeleteFileA(DistFile("calm.mid").c_str());
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, CTL_CONTINUE);
    ExpectMessageBox("Could not copy calm.mid", dialog);
    EXPECT_EQ(0u, ExitCode());

    ExpectProductInstalledIn(defaultDir, 2);
    EXPECT_FALSE(FileExists(WindowsFile("SETUP.INI")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, appKey));
    EXPECT_EQ("Copying files... 37% completed", StatusTexts().back());
}

TEST_F(SetupRun, DirectoryThatCannotBeCreatedEndsTheSetup)
{
    WriteFileBytes("C:\\e2e\\blocker", "a file where a directory would go");
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    SetRemoteControlText(dialog, CTL_DIRECTORY, "C:\\e2e\\blocker\\Nimbet");
    ClickControl(dialog, CTL_CONTINUE);
    ExpectMessageBox("Could not create the directory for Nimbet 2 Alpha.", dialog);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_EQ("a file where a directory would go", ReadFileBytes("C:\\e2e\\blocker"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, appKey));
}

TEST_F(SetupRun, CompletionPageIgnoresBrowseAndEndsOnContinue)
{
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, CTL_CONTINUE);
    ASSERT_TRUE(WaitForCompletionPage(dialog));

    ClickControl(dialog, CTL_BROWSE);
    EXPECT_TRUE(StillRunning());
    RemoteMessageBox picker;
    EXPECT_FALSE(WaitForMessageBox(process_.info.dwProcessId, 300, &picker))
        << "a window opened on Browse";

    ClickControl(dialog, CTL_CONTINUE);
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(SetupRun, DirectoryFieldIsReadUpTo259Characters)
{
    /* 259 characters that name a directory, then one more that must be dropped. */
    std::string dir = "c:\\e2e\\" + std::string(120, 'a') + "\\" + std::string(259 - 7 - 121, 'b');
    ASSERT_EQ(259u, dir.size());
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    SetRemoteControlText(dialog, CTL_DIRECTORY, dir + "Z");
    ClickControl(dialog, CTL_CONTINUE);
    /* No file name fits after 259 characters, so the first copy fails. */
    ExpectMessageBox("Could not copy Nim2Alph.exe", dialog);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(DirectoryExists(dir + "Z"));
}

TEST_F(SetupRun, OldWindowsIsRefused)
{
    SetWindowsVersion("win31");
    Traces before = TracesOfInstall();
    process_ = StartSetup(DistFile("setup.exe"), distDir);
    ASSERT_TRUE(process_.started);
    RemoteMessageBox box = {};
    ASSERT_TRUE(WaitForMessageBox(process_.info.dwProcessId, waitMs, &box));
    EXPECT_EQ("Nimbet does not work with this version of Windows.", box.text);
    EXPECT_EQ(SetupTitle, box.caption);
    EXPECT_EQ(FindSetupDialog(process_.info.dwProcessId), nullptr) << "the page was shown";
    EXPECT_NE(nullptr, GetDlgItem(box.owner, CTL_STATUS)) << "owned by the setup dialog";
    EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons);
    AnswerMessageBox(box);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_TRUE(before == TracesOfInstall());
}

class SetupOnWindows : public SetupRun, public testing::WithParamInterface<const char *>
{
};

TEST_P(SetupOnWindows, DefaultInstallSucceeds)
{
    SetWindowsVersion(GetParam());
    InstallWithDefaults();
}

INSTANTIATE_TEST_SUITE_P(Versions, SetupOnWindows,
                         testing::Values("win95", "nt40", "winxp", "win10"));

/*
 * The free-space message has no owner, so the dialog stays usable behind it:
 * the run's Busy flag alone keeps Continue, Cancel and the close box from
 * acting, while Browse, which looks only at the page, still opens the picker.
 * Needs the rig's 3 MB drive T:; its own ctest entry reports it skipped without.
 */
TEST_F(SetupRun, SmallDriveShortageIsToldWithTheDialogStillUsable)
{
    if (GetDriveTypeA("T:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "drive T: is not mapped (no permission to mount a small tmpfs)";
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("T:\\", &available, &total, &free));
    ASSERT_LT(free.QuadPart, (ULONGLONG)RequiredBytes);
    std::string shortfall = "You need about " +
                            std::to_string(RequiredBytes - (long)free.QuadPart) +
                            " more bytes of disk space to install Nimbet.";

    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    SetRemoteControlText(dialog, CTL_DIRECTORY, "T:\\Nimbet 2 Alpha");
    ClickControl(dialog, CTL_CONTINUE);
    RemoteMessageBox box = {};
    ASSERT_TRUE(WaitForMessageBox(process_.info.dwProcessId, waitMs, &box));
    EXPECT_EQ(shortfall, box.text);
    EXPECT_EQ(SetupTitle, box.caption);
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons);
    EXPECT_FALSE(box.iconShown);

    EXPECT_TRUE(IsWindowEnabled(dialog));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, CTL_CONTINUE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, CTL_CANCEL)));
    ClickControl(dialog, CTL_CONTINUE);
    ClickControl(dialog, CTL_CANCEL);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(StillRunning());
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog ended while the message was up";
    EXPECT_TRUE(IsWindowVisible(box.window));

    /* Browse opens the folder picker over the dialog; cancel it again. */
    ClickControl(dialog, CTL_BROWSE);
    HWND picker = NULL;
    for (DWORD start = GetTickCount(); !picker && GetTickCount() - start < waitMs; Sleep(20))
    {
        for (HWND found = FindWindowExA(NULL, NULL, "#32770", NULL); found && !picker;
             found = FindWindowExA(NULL, found, "#32770", NULL))
        {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == process_.info.dwProcessId && found != dialog && found != box.window &&
                IsWindowVisible(found))
                picker = found;
        }
    }
    ASSERT_NE(nullptr, picker) << "Browse did not open the folder picker";
    EXPECT_EQ(dialog, GetWindow(picker, GW_OWNER));
    PostMessageA(picker, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ("T:\\Nimbet 2 Alpha", RemoteControlText(dialog, CTL_DIRECTORY));

    AnswerMessageBox(box);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_FALSE(DirectoryExists("T:\\Nimbet 2 Alpha"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, appKey));
}

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
#include "driver/stage.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "support/converter.h"
#include "support/testing.h"

namespace
{

const char versionKey[] = "Software\\Wine\\AppDefaults\\setup.exe";

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
    return {DirectoryExists(DefaultDir), FileExists(WindowsDirectoryFile("SETUP.INI")),
            DirectoryExists(StartMenuGroupFolder()), KeyExists(HKEY_CURRENT_USER, AppKey),
            KeyExists(HKEY_LOCAL_MACHINE, UninstallKey)};
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
        RemoveInstallTraces();
        RegDeleteKeyA(HKEY_CURRENT_USER, versionKey);
        ASSERT_TRUE(StageDistribution());
    }

    void TearDown() override
    {
        EndHookedSetup(&process_, &hook_);
        RegDeleteKeyA(HKEY_CURRENT_USER, versionKey);
        CoUninitialize();
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
        HWND dialog = StartHookedSetup(&process_, &hook_, WaitMs);
        EXPECT_NE(nullptr, dialog) << "no setup dialog appeared";
        return dialog;
    }

    /* Waits for the completion page (the completion text shown). */
    bool WaitForCompletionPage(HWND dialog)
    {
        DWORD start = GetTickCount();
        while (!IsWindowVisible(GetDlgItem(dialog, CTL_DONE)))
        {
            if (GetTickCount() - start >= WaitMs || !IsWindow(dialog))
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
        EXPECT_TRUE(WaitForSetupExit(&process_, WaitMs, &code)) << "the setup did not end; killed";
        return code;
    }

    RemoteMessageBox ExpectMessageBox(const std::string &text, HWND owner)
    {
        RemoteMessageBox box = {};
        EXPECT_TRUE(WaitForMessageBox(process_.info.dwProcessId, WaitMs, &box))
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
        return Lines(ReadFileBytes(StatusLog));
    }

    void ExpectProductInstalledIn(const std::string &dir, int count)
    {
        for (int i = 0; i < ProductFileCount; i++)
        {
            std::string path = dir + "\\" + ProductFiles[i];
            if (i < count)
                EXPECT_EQ(StagedPayload(ProductFiles[i]), ReadFileBytes(path)) << path;
            else
                EXPECT_FALSE(FileExists(path)) << path << " should not have been copied";
        }
    }

    void InstallWithDefaults()
    {
        HWND dialog = Start();
        ASSERT_NE(nullptr, dialog);
        ClickControl(dialog, CTL_CONTINUE);
        ASSERT_TRUE(WaitForCompletionPage(dialog));
        ExpectProductInstalledIn(DefaultDir, ProductFileCount);
        ExpectRegistryFor(DefaultDir);
        EXPECT_TRUE(FileExists(WindowsDirectoryFile("SETUP.INI")));
        ExpectStartMenuLinksFor(DefaultDir);
        ClickControl(dialog, CTL_EXIT);
        EXPECT_EQ(0u, ExitCode());
    }

    SetupProcess process_ = {};
    HHOOK hook_ = NULL;
};

/* Runs folder's setup.exe with arguments to its end, in the window station and desktop that
   desktop names (NULL: this process's); its exit code, 99 when it had to be killed. */
DWORD RunFrom(const std::wstring &folder, const std::wstring &arguments, wchar_t *desktop)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    std::wstring exe = folder + L"\\setup.exe", line = L"\"" + exe + L"\" " + arguments;
    SetupProcess process = {};
    process.started = CreateProcessW(exe.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL,
                                     folder.c_str(), &startup, &process.info);
    DWORD code = 12345;
    WaitForSetupExit(&process, WaitMs, &code);
    return code;
}

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
    EXPECT_EQ(DefaultDir, RemoteControlText(dialog, CTL_DIRECTORY));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(dialog, CTL_STARTMENU), BM_GETCHECK, 0, 0));
    EXPECT_EQ(GetDlgItem(dialog, CTL_DIRECTORY), RemoteFocus(dialog));
    DWORD selection = (DWORD)SendMessageA(GetDlgItem(dialog, CTL_DIRECTORY), EM_GETSEL, 0, 0);
    EXPECT_EQ(0u, LOWORD(selection));
    EXPECT_EQ((unsigned)lstrlenA(DefaultDir), HIWORD(selection)) << "the whole default selected";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, CTL_EXIT)));

    RECT frame;
    GetWindowRect(dialog, &frame);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2, frame.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2, frame.top);

    ClickControl(dialog, CTL_CANCEL);
    EXPECT_EQ(1u, ExitCode());
}

TEST_F(SetupRun, DefaultInstallCopiesRegistersAndEndsOnTheCompletionPage)
{
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, CTL_CONTINUE);
    ASSERT_TRUE(WaitForCompletionPage(dialog));

    ExpectProductInstalledIn(DefaultDir, ProductFileCount);
    ExpectRegistryFor(DefaultDir);
    std::string ini = ReadFileBytes(WindowsDirectoryFile("SETUP.INI"));
    EXPECT_EQ(0u, ini.find("[progman.groups]\r\ngroupX=Nimbet 2 Alpha\r\n[groupX]\r\n")) << ini;
    ExpectStartMenuLinksFor(DefaultDir);

    std::vector<std::string> expected = {"Creating directory..", "Copying files."};
    for (int percent : {12, 25, 37, 50, 62, 75, 87, 100})
        expected.push_back("Copying files... " + std::to_string(percent) + "% completed");
    expected.push_back("Creating StartMenu shortcut");
    expected.push_back("");
    EXPECT_EQ(expected, StatusTexts());

    EXPECT_EQ((std::vector<int>{CTL_DONE, CTL_EXIT}), VisibleControls(dialog));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, CTL_EXIT)));
    EXPECT_EQ(GetDlgItem(dialog, CTL_EXIT), RemoteFocus(dialog));

    /* Enter presses the default button, as Exit does. */
    PostMessageA(GetDlgItem(dialog, CTL_EXIT), WM_KEYDOWN, VK_RETURN, 0x001C0001);
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

    ExpectProductInstalledIn(DefaultDir, ProductFileCount);
    ExpectRegistryFor(DefaultDir);
    EXPECT_FALSE(FileExists(WindowsDirectoryFile("SETUP.INI")));
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
    /* Where Windows 9x keeps it: the system directory has none. */
    ConverterStandIn converter(WindowsDirectoryFile("grpconv.exe"));
    ASSERT_TRUE(converter.Installed());
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    ClickControl(dialog, CTL_CONTINUE);
    ASSERT_TRUE(WaitForCompletionPage(dialog));

    std::vector<ConverterRun> runs = converter.WaitForRuns(WaitMs);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ("\"" + WindowsDirectoryFile("grpconv.exe") + "\" -o", runs[0].commandLine);
    EXPECT_EQ(ReadFileBytes(WindowsDirectoryFile("SETUP.INI")), runs[0].groupFile);
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
    EXPECT_EQ(1u, ExitCode());
    EXPECT_TRUE(before == TracesOfInstall());

    /* The close box ends it too. */
    dialog = Start();
    ASSERT_NE(nullptr, dialog);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(1u, ExitCode());
    EXPECT_TRUE(before == TracesOfInstall());
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

TEST_F(SetupRun, DirectoryFieldLongerThanAPathIsRefusedWhole)
{
    /* 259 characters that name a directory, then one more: the text is not cut to fit. */
    std::string dir = "c:\\e2e\\" + std::string(120, 'a') + "\\" + std::string(259 - 7 - 121, 'b');
    ASSERT_EQ(259u, dir.size());
    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    SetRemoteControlText(dialog, CTL_DIRECTORY, dir + "Z");
    ClickControl(dialog, CTL_CONTINUE);
    ExpectMessageBox("Could not create the directory for Nimbet 2 Alpha.", dialog);
    EXPECT_EQ(2u, ExitCode());
    EXPECT_FALSE(DirectoryExists(dir.substr(0, 7 + 120)));
}

TEST_F(SetupRun, OldWindowsIsRefused)
{
    SetWindowsVersion("win31");
    Traces before = TracesOfInstall();
    process_ = StartSetup(DistFile("setup.exe"), DistDir);
    ASSERT_TRUE(process_.started);
    RemoteMessageBox box = {};
    ASSERT_TRUE(WaitForMessageBox(process_.info.dwProcessId, WaitMs, &box));
    EXPECT_EQ("Nimbet does not work with this version of Windows.", box.text);
    EXPECT_EQ(SetupTitle, box.caption);
    EXPECT_EQ(FindSetupDialog(process_.info.dwProcessId), nullptr) << "the page was shown";
    EXPECT_NE(nullptr, GetDlgItem(box.owner, CTL_STATUS)) << "owned by the setup dialog";
    EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons);
    AnswerMessageBox(box);
    EXPECT_EQ(2u, ExitCode());
    std::string log = DistFile("old.log");
    EXPECT_EQ(2u, RunUnattended("/S /LOG=" + log)) << "unattended, no box: the exit code tells";
    EXPECT_NE(std::string::npos, ReadFileBytes(log).find("\r\n" + box.text + "\r\n"));
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
 * the run's Busy flag alone keeps Continue, Cancel, Browse and the close box
 * from acting. Needs the rig's 3 MB drive T:; its own ctest entry reports it
 * skipped without.
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
    ASSERT_TRUE(WaitForMessageBox(process_.info.dwProcessId, WaitMs, &box));
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

    /* No folder picker opens: what it chose would be thrown away when the run ends. */
    ClickControl(dialog, CTL_BROWSE);
    HWND picker = NULL;
    for (DWORD start = GetTickCount(); !picker && GetTickCount() - start < 1000; Sleep(20))
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
    EXPECT_EQ(nullptr, picker) << "Browse opened the folder picker";
    EXPECT_TRUE(StillRunning());
    EXPECT_EQ("T:\\Nimbet 2 Alpha", RemoteControlText(dialog, CTL_DIRECTORY));

    AnswerMessageBox(box);
    EXPECT_EQ(2u, ExitCode());
    EXPECT_FALSE(DirectoryExists("T:\\Nimbet 2 Alpha"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey));
}

/* A station that Wine makes for the name, without WSF_VISIBLE, as a service's session has. */
TEST_F(SetupRun, InAWindowStationNoOneSeesInstallsUnattendedAndLogsWhy)
{
    wchar_t hidden[] = L"NimbetService\\Default";
    EXPECT_EQ(0u, RunFrom(L"C:\\e2e\\dist", L"/LOG=C:\\e2e\\hidden.log", hidden));
    ExpectProductInstalledIn(DefaultDir, ProductFileCount);
    EXPECT_EQ(0u, ReadFileBytes("C:\\e2e\\hidden.log")
                      .find("No one can see this session's windows: running as with /S\r\n"));
}

/* Cyrillic, which code page 1252 lacks: the ANSI path has question marks there. Wine always has
   short names, so the case where even those fail cannot be made here. */
TEST_F(SetupRun, FromAFolderTheCodePageCannotNameFindsItByItsShortName)
{
    std::wstring folder = L"C:\\e2e\\\x0416\x0443\x043a";
    ASSERT_TRUE(MoveFileW(L"C:\\e2e\\dist", folder.c_str()));
    EXPECT_EQ(0u, RunFrom(folder, L"/S", NULL));
    MoveFileW(folder.c_str(), L"C:\\e2e\\dist");
    ExpectProductInstalledIn(DefaultDir, ProductFileCount);
}

/*
 * The uninstaller from the outside. Each row installs with the built
 * setup.exe from a distribution that holds the built Unsetup.exe and
 * Unsetup.bat, arranges what a user or another program left, and starts the
 * uninstaller as the list of programs, a deployment tool or the Start menu
 * would. It checks every box the user sees and answers it, the exit code, and
 * the drives and the registry: a removal leaves them as they were before the
 * install (but for what the row lets stay), a refusal or a cancel as they were
 * before the uninstaller ran.
 */
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "driver/remote.h"
#include "driver/snapshot.h"
#include "driver/stage.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

const std::string logFile = "C:\\e2e\\uninstall.log", olderDir = "c:\\e2e\\older";
const std::string userFile = InDirectory(DefaultDir, "my notes.txt");
const std::string userFolder = InDirectory(DefaultDir, "saves");
const std::string question = "Remove Nimbet 2 Alpha from c:\\Nimbet 2 Alpha?";
const std::string removed = "Nimbet 2 Alpha was removed from your computer.";
const std::string inUse =
    "Unsetup.bat is in use by another program. Close that program, then press Retry.";

/* How the uninstaller is started: the entry's commands, its Start menu link opened by the
 * shell, the group file's command (its short path, in its folder), or a command of the row's. */
enum Start
{
    Quiet,
    Uninstall,
    Link,
    ShortPath,
    Command
};

/* A box the user sees, and the button pressed: IDOK, IDYES, IDNO, IDRETRY or IDCANCEL. */
struct Box
{
    std::string text;
    int press;
};

struct Row
{
    const char *name;
    Start start;
    std::string arguments; /* after the entry's command, or the whole command */
    void (*arrange)();
    std::vector<Box> boxes;
    DWORD code;
    /* Whether the drives and registry must be as before the install, or as before the run; a
       path in stays may differ (with a backslash at its end: and all below it). */
    bool removes;
    std::vector<std::string> stays = {};
    std::string logged = ""; /* lines the log must hold */
};

/* Whether the change's path is one that stays. */
bool Stays(const std::string &path, const Row &row)
{
    for (const std::string &stay : row.stays)
        if (Lower(path) == Lower(stay) || (EndsInBackslash(stay) && IsWithin(path, stay)))
            return true;
    return false;
}

HANDLE held = INVALID_HANDLE_VALUE, runMark = NULL;

DWORD Install(const std::string &arguments)
{
    return RunUnattended("/S " + arguments);
}

void Put(const std::string &path)
{
    CopyFileA(BuiltFile("Unsetup.exe").c_str(), path.c_str(), FALSE);
}

class UninstallRun : public testing::TestWithParam<Row>
{
  protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        ASSERT_TRUE(StageDistribution());
        Put(DistFile("Unsetup.exe"));
        CopyFileA(BuiltFile("..\\resources\\Unsetup.bat").c_str(), DistFile("Unsetup.bat").c_str(),
                  FALSE);
    }

    void TearDown() override
    {
        if (process_.started)
        {
            DWORD code;
            WaitForSetupExit(&process_, 0, &code);
        }
        Clean();
        CoUninitialize();
    }

    void Clean()
    {
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        CloseHandle(runMark);
        runMark = NULL;
        RemoveInstallTraces();
        for (const std::string &path :
             {olderDir, logFile, std::string("C:\\Unsetup.exe"), std::string("C:\\Notes.doc"),
              WindowsDirectoryFile("Unsetup.exe")})
            RemoveTree(path);
    }

    Snapshot TakeSnapshot()
    {
        Snapshot snapshot = ::TakeSnapshot({});
        snapshot.erase(logFile);
        return snapshot;
    }

    /* The uninstaller started as the row says, from C:\e2e unless from its own folder. */
    bool Start(const Row &row)
    {
        std::string command = row.arguments, folder = StageDir;
        if (row.start == Quiet || row.start == Uninstall)
            command =
                RegistryText(HKEY_LOCAL_MACHINE, UninstallKey,
                             row.start == Quiet ? "QuietUninstallString" : "UninstallString") +
                row.arguments;
        if (row.start == ShortPath)
        {
            char path[MAX_PATH] = "";
            GetShortPathNameA(InDirectory(DefaultDir, "Unsetup.exe").c_str(), path, MAX_PATH);
            command = path, folder = DefaultDir;
        }
        if (row.start == Link)
        {
            ShellLink link =
                ReadShellLink(StartMenuGroupFolder() + "\\Uninstall Nimbet 2 Alpha.lnk");
            command = "\"" + link.target + "\" " + link.arguments, folder = link.workingDirectory;
        }
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        process_.started = CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL,
                                          folder.c_str(), &startup, &process_.info);
        return process_.started;
    }

    /* Each box in turn, as the user sees it, answered as the row says. */
    void AnswerBoxes(const Row &row)
    {
        for (const Box &expected : row.boxes)
        {
            RemoteMessageBox box = {};
            ASSERT_TRUE(WaitForMessageBox(process_.info.dwProcessId, WaitMs, &box))
                << "no box: " << expected.text;
            EXPECT_EQ(expected.text, box.text);
            EXPECT_EQ("Nimbet 2 Alpha Uninstall", box.caption);
            EXPECT_FALSE(box.iconShown);
            std::vector<std::string> buttons = {"OK"};
            if (expected.press == IDYES || expected.press == IDNO)
                buttons = {"&Yes", "&No"};
            if (expected.press == IDRETRY || expected.press == IDCANCEL)
                buttons = {"&Retry", "Cancel"};
            EXPECT_EQ(buttons, box.buttons);
            if (expected.press == IDRETRY)
                CloseHandle(held), held = INVALID_HANDLE_VALUE;
            AnswerMessageBox(box, expected.press);
            for (DWORD start = GetTickCount();
                 IsWindow(box.window) && GetTickCount() - start < WaitMs;)
                Sleep(20);
        }
    }

    SetupProcess process_ = {};
};

TEST_P(UninstallRun, ShowsItsBoxesEndsWithItsCodeAndLeavesOnlyWhatIsNotItsOwn)
{
    const Row &row = GetParam();
    Snapshot beforeInstall = TakeSnapshot();
    ASSERT_EQ(0u, Install(""));
    if (row.arrange)
        row.arrange();
    Snapshot beforeUninstall = TakeSnapshot();

    ASSERT_TRUE(Start(row));
    DWORD pid = process_.info.dwProcessId;
    AnswerBoxes(row);
    DWORD code = 12345;
    bool windowShown = false;
    EXPECT_TRUE(
        WaitForSetupExit(&process_, WaitMs, &code, row.boxes.empty() ? &windowShown : NULL));
    EXPECT_EQ(row.code, code);
    EXPECT_FALSE(windowShown);
    /* The copy of Unsetup.bat deletes itself last. */
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string batch = std::string(temp) + "Unsetup" + std::to_string(pid) + ".bat";
    for (DWORD start = GetTickCount(); FileExists(batch) && GetTickCount() - start < WaitMs;)
        Sleep(50);

    std::string log = ReadFileBytes(logFile), last = "\r\nExit code " + std::to_string(code);
    std::string logged = row.logged, pidMark = "<pid>";
    if (logged.find(pidMark) != logged.npos)
        logged.replace(logged.find(pidMark), pidMark.size(), std::to_string(pid));
    EXPECT_TRUE(logged.empty() || ("\r\n" + log).find("\r\n" + logged + "\r\n") != log.npos) << log;
    EXPECT_TRUE(log.empty() || log.substr(log.size() - last.size() - 2) == last + "\r\n") << log;
    for (const std::string &change :
         Changes(row.removes ? beforeInstall : beforeUninstall, TakeSnapshot()))
        EXPECT_TRUE(Stays(PathOf(change), row)) << "changed: " << change;
}

/* What rows arrange once the product is installed. */

void HoldBatchFile()
{
    held = CreateFileA(InDirectory(DefaultDir, "Unsetup.bat").c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

void AddUsersOwn()
{
    WriteFileBytes(userFile, "mine");
    CreateDirectoryA(userFolder.c_str(), NULL);
    WriteFileBytes(userFolder + "\\game1.sav", "saved");
}

/* Another copy, in its own folder: the default install, made again after it, is the one the
 * entry, the values, the group and SETUP.INI name. */
void InstallAnotherCopy()
{
    ASSERT_EQ(0u, Install("/D=" + olderDir));
    ASSERT_EQ(0u, Install(""));
}

void RemoveSome()
{
    for (const char *name : {"Nim2Alph.exe", "Notes.doc", "Unsetup.bat"})
        DeleteFileA(InDirectory(DefaultDir, name).c_str());
}

/* A reinstall killed as it copied tour.kvr, which left its backups, their list and a file of
 * its own on its way out; every file read-only, hidden and a system file. */
void InterruptedAndHidden()
{
    std::string in = InDirectory(DefaultDir, "");
    for (const char *name : {"Nim2Alph.ex~", "tour.kv~", "NimSetup.$$7"})
        WriteFileBytes(in + name, "left by an interrupted reinstall");
    WriteFileBytes(in + "NimSetup.$$$", "Nim2Alph.ex~\r\ntour.kv~\r\ncalm.mi~\r\n");
    for (const char *name : ProductFiles)
        SetFileAttributesA((in + name).c_str(),
                           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

void KeyBelowTheEntry()
{
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(UninstallKey) + "\\Other").c_str(), 0, NULL, 0,
                    KEY_ALL_ACCESS, NULL, &key, NULL);
    RegCloseKey(key);
}

void TakeRunMark()
{
    runMark = CreateMutexA(NULL, FALSE, "Global\\Orvanex Nimbet 2 Alpha setup running");
}

/* The log of an unattended removal read whole, but for its first line, the versions. */
std::string RemovalLog()
{
    const std::string in = InDirectory(DefaultDir, ""), group = StartMenuGroupFolder();
    std::string log = "\"c:\\Nimbet 2 Alpha\\unsetup.exe\" /S /LOG=" + logFile +
                      "\r\nDirectory: " + DefaultDir + "\r\n";
    for (const char *name :
         {"Nim2Alph.exe", "tour.kvr", "calm.mid", "nimbet2.mid", "Notes.doc", "options.exe"})
        log += "Removed " + in + name + "\r\n";
    for (const char *name :
         {"Nimbet 2 Alpha", "Readme", "Configuration", "Uninstall Nimbet 2 Alpha"})
        log += "Removed " + group + "\\" + name + ".lnk\r\n";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return log + "Removed " + group + "\r\nRemoved " + WindowsDirectoryFile("SETUP.INI") +
           "\r\nRemoved HKCU\\Software\\Orvanex\\Nimbet 2 Alpha\r\nRemoved "
           "HKCU\\Software\\Orvanex\r\nRemoved HKLM\\" +
           UninstallKey + "\r\n" + removed + "\r\nStarted \"" + SystemDirectoryFile("cmd.exe") +
           "\" /c \"\"" + temp + "Unsetup<pid>.bat\" \"" + DefaultDir + "\"\"";
}

std::vector<Row> Rows()
{
    const std::string log = " /LOG=" + logFile, in = InDirectory(DefaultDir, "");
    const std::string entry = "HKLM\\" + std::string(UninstallKey);
    const std::string help =
        "/S\tremove with no window (also /SILENT, /VERYSILENT, /QUIET, /Q)\n/LOG=file\twrite a "
        "log\n/?, /HELP\tthis text\n\nExit codes: 0 removed, 1 cancelled (nothing changed),\n2 "
        "refused or failed, 3 a product file is in use (nothing changed),\n1618 another setup or "
        "uninstall is running (nothing changed)";
    return {
        /* The three ways it is started, and the group file's command by its short name. */
        {"QuietRoundTrip", Quiet, log, nullptr, {}, 0, true, {}, RemovalLog()},
        {"ConversationYes", Uninstall, "", nullptr, {{question, IDYES}, {removed, IDOK}}, 0, true},
        {"ConversationNo", Uninstall, "", nullptr, {{question, IDNO}}, 1, false},
        {"StartMenuLink", Link, "", nullptr, {{question, IDYES}, {removed, IDOK}}, 0, true},
        {"GroupFileCommandByShortName", ShortPath, "", nullptr, {{question, IDNO}}, 1, false},
        {"Help", Uninstall, " /?", nullptr, {{help, IDOK}}, 0, false},
        /* A product file held: nothing is removed until it is let go. */
        {"HeldUnattended", Quiet, log, HoldBatchFile, {}, 3, false, {}, inUse},
        {"HeldThenLetGo",
         Uninstall,
         "",
         HoldBatchFile,
         {{question, IDYES}, {inUse, IDRETRY}, {removed, IDOK}},
         0,
         true},
        {"HeldCancelled",
         Uninstall,
         "",
         HoldBatchFile,
         {{question, IDYES}, {inUse, IDCANCEL}},
         1,
         false},
        /* What is not its own stays. */
        {"UsersOwnFilesStay",
         Uninstall,
         log,
         AddUsersOwn,
         {{question, IDYES},
          {removed + " The files and folders it did not install were kept in c:\\Nimbet 2 Alpha.",
           IDOK}},
         0,
         true,
         {DefaultDir, userFile, userFolder + "\\"},
         "Kept " + in + "my notes.txt: not installed by the setup\r\nKept " + in +
             "saves: not installed by the setup"},
        {"CopyInAnotherFolder",
         Command,
         olderDir + "\\Unsetup.exe /S" + log,
         InstallAnotherCopy,
         {},
         0,
         false,
         {olderDir + "\\"}},
        {"KeyBelowTheEntry",
         Quiet,
         log,
         KeyBelowTheEntry,
         {},
         2,
         true,
         {entry + "\\", in + "Unsetup.exe", in + "Unsetup.bat", DefaultDir},
         "Could not remove " + entry + ": it holds keys the setup did not make"},
        /* Refused, nothing changed: no install, an unknown option, another run under way. */
        {"DriveRoot",
         Command,
         "C:\\Unsetup.exe /S" + log,
         []
         {
             Put("C:\\Unsetup.exe");
             WriteFileBytes("C:\\Notes.doc", "not the product's");
         },
         {},
         2,
         false,
         {},
         "Nimbet 2 Alpha cannot be removed from C:\\: it is a drive's root folder."},
        {"WindowsFolder",
         Command,
         WindowsDirectoryFile("Unsetup.exe") + " /quiet" + log,
         [] { Put(WindowsDirectoryFile("Unsetup.exe")); },
         {},
         2,
         false,
         {},
         "Nimbet 2 Alpha cannot be removed from C:\\windows: it is the Windows folder."},
        {"UnknownOption",
         Quiet,
         " /Silently" + log,
         nullptr,
         {},
         2,
         false,
         {},
         "Unknown option /Silently"},
        {"AnotherRunUnderWay", Quiet, log, TakeRunMark, {}, 1618, false},
        /* A half-removed or interrupted install is still cleaned up whole. */
        {"SomeFilesGone", Quiet, "", RemoveSome, {}, 0, true},
        {"BackupsAndAttributes", Quiet, "", InterruptedAndHidden, {}, 0, true},
    };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Table, UninstallRun, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

/*
 * The uninstaller from the outside. Each row installs with the built setup.exe
 * and the built Unsetup.exe, arranges what a user or another program left, and
 * starts the uninstaller as the list of programs, a deployment tool or the
 * Start menu would. It answers every box as the user would, and checks it, the
 * exit code, and the drives and the registry: a removal leaves them as they
 * were before the install, a refusal or a cancel as before the run, but for
 * what the row lets stay.
 */
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <vector>
#include "driver/remote.h"
#include "driver/snapshot.h"
#include "driver/stage.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

const std::string logFile = "C:\\e2e\\uninstall.log", other = "c:\\e2e\\other";
const std::string in = InDirectory(DefaultDir, ""), notes = in + "Notes.doc";
const std::string entry = "HKLM\\" + std::string(UninstallKey);
const std::string removed = "Nimbet 2 Alpha was removed from your computer.";
const std::string inUse =
    "Unsetup.bat is in use by another program. Close that program, then press Retry.";

/* How it is started: the entry's two commands, the Start menu link as the shell runs it, the
 * group file's command (its short path, in its folder), or the row's own command. */
enum Start
{
    Quiet,
    Uninstall,
    Link,
    ShortPath,
    Command
};

/* A box the user sees, and the button pressed (IDOK, IDYES, IDNO, IDRETRY, IDCANCEL). */
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
    bool removes; /* compared with before the install, else with before the run */
    /* What may differ, a path or with a backslash at its end all below it too: what stays after
       a removal, what goes in a run that keeps the install. */
    std::vector<std::string> stays = {};
    std::string logged = ""; /* lines the log holds; <pid> the uninstaller's process id */
    void (*afterExit)() = nullptr;
};

HANDLE held = INVALID_HANDLE_VALUE, runMark = NULL;

DWORD Install(const std::string &arguments)
{
    return RunUnattended("/S " + arguments);
}

/* Starts command in folder; false when it cannot be started. */
bool StartIn(std::string command, const std::string &folder, PROCESS_INFORMATION *started)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &startup,
                          started);
}

/* Wine as root deletes any file but a read-only one that the host made immutable, with the
 * host's chattr, which Wine starts as it starts any program. */
void Immutable(const char *flag)
{
    PROCESS_INFORMATION chattr;
    if (FileExists(notes) &&
        StartIn("Z:\\usr\\bin\\chattr " + std::string(flag) + " Notes.doc options.exe", DefaultDir,
                &chattr))
    {
        WaitForSingleObject(chattr.hProcess, WaitMs);
        CloseHandle(chattr.hProcess);
        CloseHandle(chattr.hThread);
    }
}

class UninstallRun : public testing::TestWithParam<Row>
{
  protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        ASSERT_TRUE(StageDistribution());
        CopyFileA(BuiltFile("Unsetup.exe").c_str(), DistFile("Unsetup.exe").c_str(), FALSE);
    }

    void TearDown() override
    {
        DWORD code;
        WaitForSetupExit(&process_, 0, &code);
        Clean();
        CoUninitialize();
    }

    void Clean()
    {
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        CloseHandle(runMark);
        Immutable("-i");
        RemoveInstallTraces();
        for (std::string path :
             {other, logFile, std::string("C:\\Unsetup.exe"), std::string("C:\\Notes.doc"),
              WindowsDirectoryFile("Unsetup.exe"), SystemDirectoryFile("Unsetup.exe")})
            RemoveTree(path);
    }

    Snapshot TakeSnapshot()
    {
        Snapshot snapshot = ::TakeSnapshot({});
        snapshot.erase(logFile);
        return snapshot;
    }

    bool Start(const Row &row)
    {
        std::string command = row.arguments, folder = StageDir;
        char path[MAX_PATH] = "";
        if (row.start == Quiet || row.start == Uninstall)
            command =
                RegistryText(HKEY_LOCAL_MACHINE, UninstallKey,
                             row.start == Quiet ? "QuietUninstallString" : "UninstallString") +
                row.arguments;
        if (row.start == ShortPath &&
            GetShortPathNameA((in + "Unsetup.exe").c_str(), path, MAX_PATH))
            command = path, folder = DefaultDir;
        ShellLink link = ReadShellLink(StartMenuGroupFolder() + "\\Uninstall Nimbet 2 Alpha.lnk");
        if (row.start == Link)
            command = "\"" + link.target + "\" " + link.arguments, folder = link.workingDirectory;
        return process_.started = StartIn(command, folder, &process_.info);
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
    Snapshot beforeRun = TakeSnapshot();

    ASSERT_TRUE(Start(row));
    std::string pid = std::to_string(process_.info.dwProcessId);
    AnswerBoxes(row);
    DWORD code = 12345;
    bool windowShown = false;
    EXPECT_TRUE(
        WaitForSetupExit(&process_, WaitMs, &code, row.boxes.empty() ? &windowShown : NULL));
    EXPECT_EQ(row.code, code);
    EXPECT_FALSE(windowShown);
    if (row.afterExit)
        row.afterExit();
    /* The copy of Unsetup.bat deletes itself last. */
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    for (DWORD start = GetTickCount();
         FileExists(temp + ("Unsetup" + pid + ".bat")) && GetTickCount() - start < WaitMs;)
        Sleep(50);

    std::string log = ReadFileBytes(logFile), last = "\r\nExit code " + std::to_string(code);
    std::string logged = row.logged;
    if (logged.find("<pid>") != logged.npos)
        logged.replace(logged.find("<pid>"), 5, pid);
    EXPECT_TRUE(logged.empty() || ("\r\n" + log).find("\r\n" + logged + "\r\n") != log.npos) << log;
    EXPECT_TRUE(log.empty() || log.substr(log.size() - last.size() - 2) == last + "\r\n") << log;
    Snapshot after = TakeSnapshot();
    for (const std::string &change : Changes(row.removes ? beforeInstall : beforeRun, after))
    {
        bool stays = false;
        for (const std::string &stay : row.stays)
            stays |= Lower(PathOf(change)) == Lower(stay) ||
                     (EndsInBackslash(stay) && IsWithin(PathOf(change), stay));
        EXPECT_TRUE(stays) << "changed: " << change;
    }
    /* What stays is there after a removal; what a run that keeps the install removes is not. */
    for (std::string stay : row.stays)
    {
        bool there = false;
        for (const auto &entry : after)
            there |= Lower(entry.first) + (EndsInBackslash(stay) ? "\\" : "") == Lower(stay);
        EXPECT_EQ(row.removes, there) << stay;
    }
}

/* What rows arrange once the product is installed. */

void HoldBatchFile()
{
    held = CreateFileA((in + "Unsetup.bat").c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

void AddUsersOwn()
{
    WriteFileBytes(in + "my notes.txt", "mine");
    CreateDirectoryA((in + "saves").c_str(), NULL);
    WriteFileBytes(in + "saves\\game1.sav", "saved");
    /* Another product's value under the publisher's key. */
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvanex", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key,
                    NULL);
    RegSetValueExA(key, "Other", 0, REG_SZ, (const BYTE *)"x", 2);
    RegCloseKey(key);
}

/* Another copy in a folder of its own, then the default install made again: the entry, the
 * values, the group and SETUP.INI name the latter. */
void InstallAnotherCopy()
{
    ASSERT_EQ(0u, Install("/D=" + other));
    ASSERT_EQ(0u, Install(""));
}

/* The group a setup run as LocalSystem makes, for all users. */
void GroupForAllUsers()
{
    char programs[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, programs, CSIDL_COMMON_PROGRAMS, FALSE);
    std::string group = std::string(programs) + "\\Nimbet 2 Alpha";
    CreateDirectoryA(group.c_str(), NULL);
    for (const char *link : {"\\Readme.lnk", "\\Uninstall Nimbet 2 Alpha.lnk"})
        CopyFileA((StartMenuGroupFolder() + link).c_str(), (group + link).c_str(), FALSE);
}

void RemoveSome()
{
    for (const char *name : {"Nim2Alph.exe", "Notes.doc", "Unsetup.bat"})
        DeleteFileA((in + name).c_str());
}

/* A file at the list's name that is no list of the setup's: the user's, left as it is. */
void ForeignList()
{
    WriteFileBytes(in + "NimSetup.$$$", "not a list\r\n");
}

/* A reinstall killed as it copied tour.kvr: its backups, their list (each backup's size and
 * last write, as the setup records them) and a file of its own on its way out; every product
 * file read-only, hidden and a system file. */
void InterruptedAndHidden()
{
    const FILETIME written = {0, 30500000};
    for (const char *name : {"Nim2Alph.ex~", "tour.kv~", "NimSetup.$$7"})
    {
        WriteFileBytes(in + name, "left by an interrupted reinstall");
        HANDLE file = CreateFileA((in + name).c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL,
                                  OPEN_EXISTING, 0, NULL);
        SetFileTime(file, NULL, NULL, &written);
        CloseHandle(file);
    }
    WriteFileBytes(in + "NimSetup.$$$", "Nimbet 2 Alpha setup backups\r\n"
                                        "restore Nim2Alph.ex~ 32 30500000 0\r\n"
                                        "restore tour.kv~ 32 30500000 0\r\n"
                                        "restore calm.mi~ 32 30500000 0\r\n"
                                        "end\r\n");
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

void NotesUndeletable()
{
    /* Two: the box names the first. */
    SetFileAttributesA(notes.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((in + "options.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    Immutable("+i");
}

/* Unsetup.exe held open (which the check leaves out: the uninstaller holds it itself): the batch
 * file waits, holding the run's mark, until it is let go. */
void HoldUninstaller()
{
    held = CreateFileA((in + "Unsetup.exe").c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
}

void SetupWaitsThenLetGo()
{
    EXPECT_EQ(1618u, Install(""));
    CloseHandle(held), held = INVALID_HANDLE_VALUE;
}

void TakeRunMark()
{
    runMark = CreateMutexA(NULL, FALSE, "Global\\Orvanex Nimbet 2 Alpha setup running");
}

/* Copies of the uninstaller where no install is: a drive's root and the Windows folders. */
void PutCopies()
{
    for (std::string copy : {std::string("C:\\Unsetup.exe"), WindowsDirectoryFile("Unsetup.exe"),
                             SystemDirectoryFile("Unsetup.exe")})
        CopyFileA(BuiltFile("Unsetup.exe").c_str(), copy.c_str(), FALSE);
    WriteFileBytes("C:\\Notes.doc", "not the product's");
}

/* An unattended removal's log read whole, but for its first line, the versions. */
std::string RemovalLog()
{
    std::string group = StartMenuGroupFolder() + "\\",
                log = "\"c:\\Nimbet 2 Alpha\\unsetup.exe\" /S";
    log += " /LOG=" + logFile + "\r\nDirectory: " + DefaultDir + "\r\n";
    for (const char *name :
         {"Nim2Alph.exe", "tour.kvr", "calm.mid", "nimbet2.mid", "Notes.doc", "options.exe",
          "Nimbet 2 Alpha.lnk", "Readme.lnk", "Configuration.lnk", "Uninstall Nimbet 2 Alpha.lnk"})
        log += "Removed " + (name[lstrlenA(name) - 1] == 'k' ? group : in) + name + "\r\n";
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return log + "Removed " + StartMenuGroupFolder() + "\r\nRemoved " +
           WindowsDirectoryFile("SETUP.INI") + "\r\nRemoved HKCU\\" + AppKey +
           "\r\nRemoved HKCU\\Software\\Orvanex\r\nRemoved " + entry + "\r\n" + removed +
           "\r\nStarted \"" + SystemDirectoryFile("cmd.exe") + "\" /c \"\"" + temp +
           "Unsetup<pid>.bat\" \"" + DefaultDir + "\"\"";
}

std::vector<Row> Rows()
{
    const std::string log = " /LOG=" + logFile, kept = ": not installed by the setup";
    const Box ask = {"Remove Nimbet 2 Alpha from c:\\Nimbet 2 Alpha?", IDYES};
    const std::vector<Box> none, declined = {{ask.text, IDNO}};
    const std::vector<Box> yes = {ask, {removed, IDOK}},
                           letGo = {ask, {inUse, IDRETRY}, {removed, IDOK}};
    const std::vector<Box> cancel = {ask, {inUse, IDCANCEL}},
                           left = {ask, {"Could not remove " + notes + ": Access denied.", IDOK}};
    const std::vector<Box> usersOwn = {
        ask,
        {removed + " The files and folders it did not install were kept in c:\\Nimbet 2 Alpha.",
         IDOK}};
    const std::vector<Box> help = {
        {"/S\tremove with no window (also /SILENT, /VERYSILENT, /QUIET, /Q)\n/LOG=file\twrite a "
         "log\n/?, /HELP\tthis text\n\nExit codes: 0 removed, 1 cancelled (nothing changed),\n2 "
         "refused or failed, 3 a product file is in use (nothing changed),\n1618 another setup or "
         "uninstall is running (nothing changed)",
         IDOK}};
    const std::vector<std::string> nothing, otherCopy = {other + "\\"};
    const std::vector<std::string> mine = {DefaultDir, in + "my notes.txt", in + "saves\\",
                                           "HKCU\\Software\\Orvanex",
                                           "HKCU\\Software\\Orvanex\\:Other"};
    /* What a failed removal keeps: the entry and the uninstaller, and so the folder. */
    const std::vector<std::string> stuck = {entry + "\\", in + "Unsetup.exe", in + "Unsetup.bat",
                                            DefaultDir};
    std::vector<std::string> stuckNotes = stuck;
    stuckNotes.insert(stuckNotes.end(), {notes, in + "options.exe"});
    std::vector<std::string> foreignList = stuck;
    foreignList.push_back(in + "NimSetup.$$$");
    return {
        /* The three ways it is started, and the group file's command by its short name. */
        {"QuietRoundTrip", Quiet, log, nullptr, none, 0, true, nothing, RemovalLog()},
        {"ConversationYes", Uninstall, "", GroupForAllUsers, yes, 0, true},
        {"ConversationNo", Uninstall, "", nullptr, declined, 1, false},
        {"StartMenuLink", Link, "", nullptr, yes, 0, true},
        {"GroupFileCommandByShortName", ShortPath, "", nullptr, declined, 1, false},
        {"Help", Uninstall, " /?", nullptr, help, 0, false},
        {"HelpUnattended", Quiet, " /?" + log, nullptr, none, 0, false, nothing, help[0].text},
        /* A product file held: nothing is removed until it is let go. */
        {"HeldUnattended", Quiet, log, HoldBatchFile, none, 3, false, nothing, inUse},
        {"HeldThenLetGo", Uninstall, "", HoldBatchFile, letGo, 0, true},
        {"HeldCancelled", Uninstall, "", HoldBatchFile, cancel, 1, false},
        /* What is not its own stays; what cannot go keeps the means to run it again. */
        {"UsersOwnFilesStay", Uninstall, log, AddUsersOwn, usersOwn, 0, true, mine,
         "Kept " + in + "my notes.txt" + kept + "\r\nKept " + in + "saves" + kept},
        {"CopyInAnotherFolder", Command, other + "\\Unsetup.exe /S" + log, InstallAnotherCopy, none,
         0, false, otherCopy,
         "Kept HKCU\\" + std::string(AppKey) + ": it names " + DefaultDir + "\r\nKept " + entry +
             ": it names " + DefaultDir},
        {"FileCannotBeRemoved", Uninstall, log, NotesUndeletable, left, 2, true, stuckNotes},
        {"ListItCannotRead", Quiet, log, ForeignList, none, 2, true, foreignList,
         std::string("NimSetup.$$$ in ") + DefaultDir +
             " is not a list this setup can read: left as it is\r\nCould not remove " + in +
             "NimSetup.$$$: it is not a list of backups the uninstaller can read."},
        {"KeyBelowTheEntry", Quiet, log, KeyBelowTheEntry, none, 2, true, stuck,
         "Could not remove " + entry + ": it holds keys the setup did not make"},
        /* Refused, nothing changed: no install there, an unknown option, another run. */
        {"DriveRoot", Command, "C:\\Unsetup.exe /S" + log, PutCopies, none, 2, false, nothing,
         "Nimbet 2 Alpha cannot be removed from C:\\: it is a drive's root folder."},
        {"WindowsFolder", Command, WindowsDirectoryFile("Unsetup.exe") + " /quiet" + log, PutCopies,
         none, 2, false, nothing,
         "Nimbet 2 Alpha cannot be removed from C:\\windows: it is the Windows folder."},
        {"SystemFolderInCapitals", Command, "C:\\WINDOWS\\SYSTEM32\\UNSETUP.EXE /S" + log,
         PutCopies, none, 2, false, nothing,
         "Nimbet 2 Alpha cannot be removed from C:\\windows\\system32: it is the Windows system "
         "folder."},
        {"UnknownOption", Quiet, " /Silently" + log, nullptr, none, 2, false, nothing,
         "Unknown option /Silently"},
        {"AnotherRunUnderWay", Quiet, log, TakeRunMark, none, 1618, false},
        /* A half-removed or interrupted install is still cleaned up whole. */
        {"SomeFilesGone", Quiet, "", RemoveSome, none, 0, true},
        {"UninstallerHeldAfterItsEnd", Quiet, "", HoldUninstaller, none, 0, true, nothing, "",
         SetupWaitsThenLetGo},
        {"BackupsAndAttributes", Quiet, "", InterruptedAndHidden, none, 0, true},
    };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Table, UninstallRun, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

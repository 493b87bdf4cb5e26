/*
 * Bad input and faults from the outside: each row of the table below starts the
 * built setup.exe, puts one text in its directory field (or command line) or
 * arranges one fault, presses Continue (unless unattended) and checks what the
 * user sees (the completion page or one of the setup's own messages), what
 * arrived on disk and in the registry, the exit code (0, or 2 after a message,
 * 1 or, unattended, 3 for a file in use) and that nothing else on the drives changed.
 */
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <thread>
#include <vector>
#include "driver/remote.h"
#include "driver/snapshot.h"
#include "driver/stage.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

/* The rig's small drive for the copy that runs out of space (tests/CMakeLists.txt). */
const char fillDrive[] = "U:\\";
const char fillDir[] = "U:\\Nimbet";
/* The rig's drive of 4,014,080 bytes in 4,096-byte clusters, for the files as it stores them. */
const char clusterDrive[] = "V:\\";
const char clusterDir[] = "V:\\Nimbet";

/* Left by planted code that ran (tests/standin/planted.c). */
const char plantedMarker[] = "C:\\planted-ran.txt";

/* The list of uninstall entries, and where a row that replaces it keeps it meanwhile. */
const char uninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char savedUninstallList[] = "SOFTWARE\\NimbetTestSavedUninstall";

/* The Windows version Wine reports to setup.exe, where a row sets one. */
const char windowsVersionKey[] = "Software\\Wine\\AppDefaults\\setup.exe";

/* The server of the shell's link object, which a row names a missing DLL. */
const char linkServerKey[] =
    "Software\\Classes\\CLSID\\{00021401-0000-0000-C000-000000000046}\\InprocServer32";
const std::string missingServer = "C:\\nimbet-missing.dll";

void SetLinkServer(const std::string &dll)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, linkServerKey, 0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE *)dll.c_str(), (DWORD)dll.size() + 1);
    RegCloseKey(key);
}

/* Puts the list of uninstall entries back where a row replaced it. */
void RestoreUninstallList()
{
    HKEY saved;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, savedUninstallList, 0, KEY_READ, &saved) != ERROR_SUCCESS)
        return;
    HKEY list;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstallList);
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, uninstallList, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &list,
                        NULL) == ERROR_SUCCESS)
    {
        RegCopyTreeA(saved, NULL, list);
        RegCloseKey(list);
    }
    RegCloseKey(saved);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, savedUninstallList);
}

/* path with every short (8.3) name in it spelled out long. */
std::string LongName(const std::string &path)
{
    char name[MAX_PATH] = "";
    GetLongPathNameA(path.c_str(), name, sizeof name);
    return name;
}

/* A directory field of the given length under C:\e2e, in components of at most 100 characters. */
std::string LongDirectory(size_t length)
{
    std::string dir = "c:\\e2e";
    char letter = 'a';
    while (dir.size() < length)
    {
        size_t room = length - dir.size() - 1;
        dir += "\\" + std::string(room < 100 ? room : 100, letter++);
    }
    return dir;
}

const char noDirectory[] = "Could not create the directory for Nimbet 2 Alpha.";
const char noLog[] = "Could not create the setup log.";
/* Wine's Restart Manager names no holder; the stand-in names one. */
const char unsetupInUse[] =
    "Unsetup.bat is in use by another program. Close that program, then press Retry.";
const char notesInUse[] =
    "Notes.doc is in use by Nimbet Notes Editor. Close that program, then press Retry.";
const char helpText[] =
    "/S\tinstall with no window (also /SILENT, /VERYSILENT, /QUIET, /Q, /QN)\r\n"
    "/LOG=file\twrite a log\r\n"
    "/ALLUSERS\tinstall under Program Files\r\n"
    "/D=directory\tinstall there; last on the line\r\n"
    "/VERIFY\tcheck the setup's files, install nothing\r\n"
    "/?, /HELP\tthis text\r\n"
    "Every option may begin with - as well.\r\n\r\n"
    "Exit codes: 0 installed, 1 cancelled, 2 refused or failed,\r\n"
    "3 a product file is in use (nothing changed),\r\n"
    "1618 another setup is running (nothing changed)";
const char logRefused[] =
    "Could not create the setup log: it would replace a file of Nimbet 2 Alpha.";

/* The logs rows ask for: one named plainly, one quoted (its folder made for every row), one not. */
const std::string plainLog = "C:\\e2e\\nimbet.log", missingLog = "C:\\e2e\\nologs\\nimbet.log";
const std::string spacedLog = "C:\\e2e\\setup logs\\nimbet.log";

/* Where a row that holds a file pauses the run (tests/driver/statushook.cpp). */
const char pausedAt[] = "Copying files... 50% completed";

std::string CopyFailure(int index)
{
    return std::string("Could not copy ") + ProductFiles[index];
}

/* The messages of the check of the setup's own files and of /VERIFY, %s a file's name. */
const char missing[] = "Could not find %s in the setup folder. If you opened setup.exe inside a "
                       "zip file, extract all the files first.";
const char unreadable[] = "Could not read %s in the setup folder.";
const char damaged[] = "%s in the setup folder is damaged. Copy the setup files again.";
const char unreadInPlace[] = "Could not read %s in the install folder to check it: ";

std::string Told(std::string message, int index)
{
    return message.replace(message.find("%s"), 2, ProductFiles[index]);
}

const char intact[] = "All files of the setup are intact.";
const char presenceOnly[] =
    "All files of the setup are there. Their contents could not be checked: "
    "this setup.exe has no digest table.";
const char clusterShortfall[] = "You need about 12288 more bytes of disk space to install Nimbet.";

class FaultRun;

/* One row: a directory field (or fault) and what must come of it. */
struct Row
{
    const char *name;
    std::string field; /* the directory field's text as the user leaves it */
    /* What the user sees: one of the setup's messages, or "" for the completion page
       (unattended: what it would have been; nothing is shown). */
    std::string message;
    /* The directory the files go to, in full, or "" where the field names none that
       could be created. Changes are allowed within it and for missing parents of it. */
    std::string installedIn;
    int filesCopied; /* how many of the eight, in table order, arrive there intact */
    /* Sets up the fault before the run (or 0), and checks what the fault must leave (or 0). */
    void (*arrange)(FaultRun *run);
    void (*verify)(FaultRun *run);
    /* The setup's command line; with /D the field comes from it rather than being typed. */
    std::string arguments = "";
    /* What the user does on the input page before Continue (or 0). */
    void (*interact)(FaultRun *run, HWND dialog) = nullptr;
    /* Where the uninstall entry must go: the machine-wide key unless it cannot be written. */
    HKEY uninstallRoot = HKEY_LOCAL_MACHINE;
    /* The Retry/Cancel box of a file in use: Cancel is pressed where it is the message, else
       Retry once the holder has let go. */
    std::string inUseBox = "";
    /* How another process holds the run's Nim2Alph.exe from the copy of nimbet2.mid (or 0). */
    DWORD holdShare = 0;
    /* The file held so, where not fillDir's Nim2Alph.exe. */
    std::string heldFile = "";
};

/* 0 on completion; 1 after Cancel on a file in use (3 unattended); 2 after another message. */
DWORD ExitCodeFor(const Row &row, bool unattended)
{
    if (!row.message.empty() && row.message == row.inUseBox)
        return unattended ? 3 : 1;
    const std::string &m = row.message;
    return m.empty() || m == intact || m == presenceOnly || m == helpText ? 0 : 2;
}

/*
 * The status line's last text before an outcome: the step the run had reached.
 * A file that fails ahead of the files before it was refused before any copy.
 */
std::string StatusBefore(const Row &row, const std::string &outcome)
{
    if (outcome.empty())
        return "";
    if (outcome == row.inUseBox || outcome.rfind("NimSetup.$$$", 0) == 0)
        return "Copying files.";
    for (int i = 0; i < ProductFileCount; i++)
    {
        /* The check of the setup's files writes no status. */
        if (outcome == Told(missing, i) || outcome == Told(unreadable, i) ||
            (outcome == Told(damaged, i) && row.filesCopied == 0))
            return "";
        bool copyFailed = outcome.rfind(CopyFailure(i), 0) == 0 ||
                          outcome.rfind(Told(damaged, i), 0) == 0 ||
                          outcome.rfind(Told(unreadInPlace, i), 0) == 0;
        if (copyFailed && row.filesCopied < i)
            return "Copying files.";
        if (copyFailed)
            return "Copying files... " + std::to_string((i + 1) * 100 / ProductFileCount) +
                   "% completed";
    }
    return "Creating directory..";
}

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name << " [" << row.field << "] " << row.arguments;
}

class FaultRun : public testing::TestWithParam<Row>
{
  public:
    /* A payload file staged with other content, for faults that need larger or odd files. */
    void StagePayload(int index, const std::string &bytes)
    {
        payload_[index] = bytes;
        WriteFileBytes(DistFile(ProductFiles[index]), bytes);
    }

    /* The staged setup.exe given the table of the payload as staged so far. */
    void StampDigests()
    {
        ASSERT_TRUE(::StampDigests(DistFile("setup.exe"), payload_)) << "no digest table";
    }

    /* Opens path without sharing (or with share) for the whole run, as another program might. */
    void HoldOpen(const std::string &path, DWORD access, DWORD disposition, DWORD share = 0)
    {
        HANDLE file = CreateFileA(path.c_str(), access, share, NULL, disposition, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
        held_.push_back(file);
    }

    /* Opens path for reading, sharing as the running product holds its files unless share says
       otherwise, and hands it to another process (a suspended copy of this one) for the run. */
    void HoldInAnotherProcess(const std::string &path,
                              DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(NULL, GetCommandLineA(), NULL, NULL, FALSE, CREATE_SUSPENDED,
                                   NULL, NULL, &startup, &holder_));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file, holder_.hProcess, &file, 0, FALSE,
                                    DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE));
    }

    /* Holds path without sharing as soon as made exists, as a program that opens it meanwhile. */
    void HoldWhenMade(const std::string &made, const std::string &path)
    {
        DWORD start = GetTickCount();
        releaser_ = std::thread(
            [=]
            {
                while (!FileExists(made) && GetTickCount() - start < WaitMs)
                    ;
                HoldOpen(path, GENERIC_READ, OPEN_EXISTING);
            });
    }

    /* Lets the holder go once the setup's log holds text: a check of the held file failed. */
    void ReleaseWhenLogged(const std::string &text)
    {
        DeleteFileA(plainLog.c_str());
        releaser_ = std::thread(
            [this, text]
            {
                for (DWORD start = GetTickCount();
                     ReadFileBytes(plainLog).find(text) == text.npos &&
                     GetTickCount() - start < WaitMs;)
                    Sleep(20);
                TerminateProcess(holder_.hProcess, 0);
            });
    }

    DWORD ProcessId() const
    {
        return process_.info.dwProcessId;
    }

    /* Drives besides C: that the run may touch and the snapshots must cover. */
    std::vector<std::string> extraDrives_;
    /* Where the setup is started from: DistDir, unless the row moved it. */
    std::string distDir_ = DistDir;
    /* Files the row's fault lets the run change or remove. */
    std::vector<std::string> mayChange_;

  protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        ASSERT_TRUE(StageDistribution());
        CreateDirectoryA("C:\\e2e\\setup logs", NULL);
        go_ = CreateEventA(NULL, TRUE, FALSE, "NimbetStatusHookGo");
        for (int i = 0; i < ProductFileCount; i++)
            payload_[i] = StagedPayload(ProductFiles[i]);
    }

    void TearDown() override
    {
        if (releaser_.joinable())
            releaser_.join();
        EndHookedSetup(&process_, &hook_);
        ReleaseHeld();
        Clean();
        CloseHandle(go_);
        CoUninitialize();
    }

    /* Everything a row may leave behind, so the next row starts from the same state. */
    void Clean()
    {
        RemoveInstallTraces();
        /* The row's own directory, unless it is a drive's root. */
        if (GetParam().installedIn.size() > 3)
            RemoveTree(GetParam().installedIn);
        RemoveTree(StageDir);
        RemoveTree(fillDir);
        RemoveTree(clusterDir);
        RemoveTree(plantedMarker);
        SetEnvironmentVariableA("STATUS_HOOK_PAUSE", NULL);
        SetEnvironmentVariableA("STATUS_HOOK_SHORT_READS", NULL);
        DeleteFileA(plainLog.c_str());
        for (int i = 0; i < ProductFileCount; i++)
            DeleteFileA((std::string("C:\\") + ProductFiles[i]).c_str());
        RestoreUninstallList();
        /* Wine's Restart Manager back where a row put the stand-in. */
        std::string restartManager = SystemDirectoryFile("rstrtmgr.dll");
        MoveFileExA((restartManager + ".wine").c_str(), restartManager.c_str(),
                    MOVEFILE_REPLACE_EXISTING);
        RegDeleteKeyA(HKEY_CURRENT_USER, windowsVersionKey);
        if (RegistryText(HKEY_LOCAL_MACHINE, linkServerKey, NULL) == missingServer)
            SetLinkServer(SystemDirectoryFile("shell32.dll"));
    }

    void ReleaseHeld()
    {
        if (releaser_.joinable())
            releaser_.join();
        for (HANDLE file : held_)
            CloseHandle(file);
        held_.clear();
        if (TerminateProcess(holder_.hProcess, 0))
            WaitForSingleObject(holder_.hProcess, INFINITE);
    }

    Snapshot TakeSnapshot()
    {
        Snapshot snapshot = ::TakeSnapshot(extraDrives_);
        /* The test's own record of the status line, written by its hook. */
        snapshot.erase(StatusLog);
        for (const std::string &log : {plainLog, spacedLog})
            snapshot.erase(log);
        return snapshot;
    }

    /* Starts the setup with the status hook on its thread and returns its dialog. */
    HWND Start(const std::string &arguments)
    {
        HWND dialog = StartHookedSetup(&process_, &hook_, WaitMs, arguments, distDir_);
        EXPECT_NE(nullptr, dialog) << "no setup dialog appeared";
        return dialog;
    }

    /*
     * Waits, boundedly, for the run's end as the user sees it: the completion
     * page, a message box (answered here), or the process gone. Returns the
     * message's text, "" for the completion page, or a description in angle
     * brackets of anything else.
     */
    std::string WaitForOutcome(HWND dialog)
    {
        DWORD start = GetTickCount();
        for (;;)
        {
            if (IsWindowVisible(GetDlgItem(dialog, CTL_DONE)))
                return "";
            RemoteMessageBox box = {};
            if (WaitForMessageBox(process_.info.dwProcessId, 0, &box))
            {
                bool inUse = box.text == GetParam().inUseBox;
                EXPECT_EQ(SetupTitle, box.caption) << box.text;
                std::vector<std::string> buttons = {"OK"};
                if (inUse)
                    buttons = {"&Retry", "Cancel"};
                EXPECT_EQ(buttons, box.buttons) << box.text;
                EXPECT_FALSE(box.iconShown) << box.text;
                EXPECT_EQ(dialog, box.owner) << box.text;
                if (!inUse || !GetParam().message.empty())
                {
                    AnswerMessageBox(box, inUse ? IDCANCEL : 0);
                    return box.text;
                }
                retried_ = box.text;
                ReleaseHeld();
                AnswerMessageBox(box, IDRETRY);
                while (IsWindow(box.window) && GetTickCount() - start < WaitMs)
                    Sleep(20);
            }
            if (WaitForSingleObject(process_.info.hProcess, 0) == WAIT_OBJECT_0)
                return "<the setup ended without a message>";
            if (GetTickCount() - start >= WaitMs)
                return "<no outcome: the setup hangs>";
            Sleep(20);
        }
    }

    DWORD EndRun(HWND dialog, bool completed)
    {
        if (completed)
            ClickControl(dialog, CTL_EXIT);
        DWORD code = 12345;
        EXPECT_TRUE(WaitForSetupExit(&process_, WaitMs, &code)) << "the setup did not end; killed";
        return code;
    }

    /*
     * The setup may make the install directory, missing parents of it and the
     * eight files in it; on completion also SETUP.INI, the Start menu group (the
     * converter's work, done by the setup itself where there is none) and the
     * two registry keys with their parents; and what the row's fault allows.
     */
    bool IsAllowedChange(const std::string &path, const Row &row, bool completed)
    {
        std::string dir = row.installedIn.empty() ? row.field : row.installedIn;
        if (IsWithin(dir, path) && DirectoryExists(path))
            return true;
        for (int i = 0; i < ProductFileCount && !row.installedIn.empty(); i++)
        {
            if (Lower(path) == Lower(InDirectory(row.installedIn, ProductFiles[i])))
                return true;
        }
        for (const std::string &allowed : mayChange_)
            if (Lower(path) == Lower(allowed))
                return true;
        if (!completed)
            return false;
        if (Lower(path) == Lower(WindowsDirectoryFile("SETUP.INI")) ||
            IsWithin(path, StartMenuGroupFolder()))
            return true;
        /* The keys written, their values, and parents made for them. */
        for (std::string key :
             {std::string("HKCU\\") + AppKey, std::string("HKLM\\") + UninstallKey,
              std::string("HKCU\\") + UninstallKey})
            if (IsWithin(path, key) || IsWithin(key, path))
                return true;
        return false;
    }

    void ExpectFilesIn(const Row &row)
    {
        if (row.installedIn.empty())
            return;
        for (int i = 0; i < ProductFileCount; i++)
        {
            std::string path = InDirectory(row.installedIn, ProductFiles[i]);
            if (i < row.filesCopied)
            {
                EXPECT_TRUE(payload_[i] == ReadFileBytes(path)) << path << " is not intact";
            }
            else /* the one that failed, cut short or damaged, never stays */
            {
                EXPECT_FALSE(FileExists(path)) << path << " was copied after a failure";
            }
        }
    }

    void ExpectRegistryFor(const Row &row, bool completed)
    {
        if (completed)
            return ::ExpectRegistryFor(row.field, row.uninstallRoot, row.installedIn);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKey));
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            EXPECT_FALSE(KeyExists(root, UninstallKey));
    }

    /*
     * On completion the group description names the directory as entered, in
     * full, unless a directory of its name stands in the way (or a file stands
     * where the group goes).
     */
    void ExpectStartMenuFor(const Row &row, bool completed)
    {
        if (!completed || DirectoryExists(WindowsDirectoryFile("SETUP.INI")) ||
            FileExists(StartMenuGroupFolder()))
            return;
        std::string ini = ReadFileBytes(WindowsDirectoryFile("SETUP.INI"));
        std::string lastLineEnd = ",,,,\"" + row.field + "\"\r\n";
        EXPECT_TRUE(ini.size() > lastLineEnd.size() &&
                    ini.compare(ini.size() - lastLineEnd.size(), lastLineEnd.size(), lastLineEnd) ==
                        0)
            << ini;
        EXPECT_EQ(
            Lower(InDirectory(row.installedIn, ProductFiles[0])),
            Lower(LongName(ReadShellLink(StartMenuGroupFolder() + "\\Nimbet 2 Alpha.lnk").target)));
    }

    /* The message of a setup that ends before its dialog (exit code 2, or 0 for the help): a box
       owned by none, with OK. */
    std::string MessageBeforeDialog(const std::string &arguments, DWORD code = 2)
    {
        process_ = StartSetup(DistFile("setup.exe"), DistDir, arguments);
        RemoteMessageBox box = {};
        EXPECT_TRUE(WaitForMessageBox(process_.info.dwProcessId, WaitMs, &box));
        EXPECT_EQ(SetupTitle, box.caption);
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons);
        EXPECT_EQ(nullptr, FindSetupDialog(process_.info.dwProcessId)) << "the dialog came first";
        AnswerMessageBox(box);
        EXPECT_EQ(code, EndRun(nullptr, false));
        return box.text;
    }

    std::string LastStatus()
    {
        std::string log = ReadFileBytes(StatusLog);
        if (!log.empty() && log.back() == '\n')
            log.pop_back();
        return log.substr(log.find_last_of('\n') + 1);
    }

    SetupProcess process_ = {};
    HHOOK hook_ = NULL;
    std::vector<HANDLE> held_;
    PROCESS_INFORMATION holder_ = {};
    std::string retried_; /* the in-use box Retry was pressed on */
    std::thread releaser_;
    HANDLE go_ = NULL;
    std::string payload_[ProductFileCount];
};

/* An unattended run's exit code; its log holds its message, if any, and ends with the code. */
void ExpectLogFor(const Row &row, DWORD code)
{
    EXPECT_EQ(ExitCodeFor(row, true), code);
    if (row.message == noLog || row.message == logRefused)
        return;
    std::string log =
        ReadFileBytes(row.arguments.find(spacedLog) != std::string::npos ? spacedLog : plainLog);
    /* The command line's own refusals come first, before the versions. */
    EXPECT_TRUE(row.message.empty() ||
                ("\r\n" + log).find("\r\n" + row.message + "\r\n") != log.npos)
        << log;
    std::string last = "\r\nExit code " + std::to_string(code) + "\r\n";
    EXPECT_EQ(last, log.substr(log.size() - std::min(log.size(), last.size()))) << log;
}

TEST_P(FaultRun, EndsOnItsPageOrMessageAndChangesOnlyItsOwn)
{
    const Row &row = GetParam();
    if (row.arrange)
        row.arrange(this);
    if (HasFatalFailure() || IsSkipped())
        return;
    Snapshot before = TakeSnapshot();

    std::string outcome = row.message;
    std::string arguments = Lower(row.arguments + " ");
    auto has = [&](const char *word) { return arguments.find(word) != std::string::npos; };
    bool unattended = false;
    for (const char *word :
         {"/s ", "/s\" ", "-s ", "/s/", "/silent ", "/verysilent ", "/quiet\" ", "/q ", "/qn "})
        unattended = unattended || has(word);
    if (unattended)
        ExpectLogFor(row, RunUnattended(row.arguments));
    else if (row.message == helpText || row.message == noLog || row.message == logRefused ||
             has("/verify ") || has("/verify\" "))
        EXPECT_EQ(row.message,
                  outcome = MessageBeforeDialog(row.arguments, ExitCodeFor(row, false)));
    else
    {
        if (row.holdShare)
            SetEnvironmentVariableA("STATUS_HOOK_PAUSE", pausedAt);
        HWND dialog = Start(row.arguments);
        ASSERT_NE(nullptr, dialog);
        if (row.arguments.empty() && row.field != DefaultInstallDir)
            SetRemoteControlText(dialog, CTL_DIRECTORY, row.field);
        ASSERT_EQ(row.field, RemoteControlText(dialog, CTL_DIRECTORY));
        if (row.interact)
            row.interact(this, dialog);
        ClickControl(dialog, CTL_CONTINUE);
        for (DWORD start = GetTickCount();
             row.holdShare && LastStatus() != pausedAt && GetTickCount() - start < WaitMs;)
            Sleep(20);
        if (row.holdShare)
            HoldInAnotherProcess(row.heldFile.empty() ? InDirectory(fillDir, "Nim2Alph.exe")
                                                      : row.heldFile,
                                 row.holdShare);
        SetEvent(go_);
        outcome = WaitForOutcome(dialog);
        EXPECT_EQ(row.message, outcome) << "last status: " << LastStatus();
        EXPECT_EQ(row.message.empty() ? row.inUseBox : "", retried_);
        EXPECT_EQ(ExitCodeFor(row, false), EndRun(dialog, outcome.empty()));
        EXPECT_EQ(StatusBefore(row, outcome), LastStatus());
    }
    bool completed = outcome.empty();
    ReleaseHeld();

    ExpectFilesIn(row);
    ExpectRegistryFor(row, completed);
    ExpectStartMenuFor(row, completed);
    if (row.verify)
        row.verify(this);
    for (const std::string &change : Changes(before, TakeSnapshot()))
        EXPECT_TRUE(IsAllowedChange(PathOf(change), row, completed)) << "changed: " << change;
}

/* For the rows that must make no log (Clean removes one that an earlier row made). */
void NoLogMade(FaultRun *)
{
    EXPECT_FALSE(FileExists(plainLog));
}

void BlockStartMenuGroup(FaultRun *)
{
    WriteFileBytes(StartMenuGroupFolder(), "a file where the group would go");
}

/* A group folder that an earlier install left is used as it is: no call fails. */
void LeaveGroupFolder(FaultRun *)
{
    CreateDirectoryA(StartMenuGroupFolder().c_str(), NULL);
}

void NoFailedCall(FaultRun *)
{
    EXPECT_EQ(std::string::npos, ReadFileBytes(plainLog).find(" failed: "));
}

/* The run succeeds, and its log names every call that failed on the file. */
void GroupFailuresLogged(FaultRun *)
{
    std::string log = ReadFileBytes(plainLog), group = StartMenuGroupFolder();
    EXPECT_NE(log.npos, log.find("\r\nCreateDirectoryA(" + group + ") failed: 183 ")) << log;
    std::string lastLink = group + "\\Uninstall Nimbet 2 Alpha.lnk";
    /* The call's own HRESULT, 0x80070003, not the thread's last error. */
    EXPECT_NE(log.npos, log.find("\r\nIPersistFile::Save(" + lastLink + ") failed: 2147942403 "))
        << log;
}

void BlockWithFile(FaultRun *)
{
    WriteFileBytes("C:\\e2e\\blocker", "a file where a directory would go");
}

void BlockerUnchanged(FaultRun *)
{
    EXPECT_EQ("a file where a directory would go", ReadFileBytes("C:\\e2e\\blocker"));
}

std::string EarlierInstall(const char *name)
{
    return std::string("earlier install of ") + name;
}

/* Gives the file at path the last write high:0, by default that of every staged earlier file. */
void Date(const std::string &path, DWORD high = 30500000)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    FILETIME written = {0, high};
    EXPECT_TRUE(SetFileTime(file, NULL, NULL, &written)) << path;
    CloseHandle(file);
}

/* The eight files of an earlier install in the row's directory, with the given attributes. */
void InstallEarlier(DWORD attributes)
{
    std::string dir = FaultRun::GetParam().field;
    CreateDirectoryA(dir.c_str(), NULL);
    for (const char *name : ProductFiles)
    {
        std::string path = InDirectory(dir, name);
        WriteFileBytes(path, EarlierInstall(name));
        Date(path);
        SetFileAttributesA(path.c_str(), attributes);
    }
}

void InstallEarlierReadOnly(FaultRun *);

/* An earlier install whose last file is held open by the running product. */
void HoldDestinationOpen(FaultRun *run)
{
    InstallEarlierReadOnly(run);
    run->HoldInAnotherProcess(InDirectory(DefaultDir, "Unsetup.bat"));
}

/* Notes.doc held, with the stand-in Restart Manager in the place of Wine's: Wine loads a
   DLL there that is none of its builtins as native, by full path, with no DllOverrides entry. */
void HoldNotesNamed(FaultRun *run)
{
    InstallEarlierReadOnly(run);
    run->HoldInAnotherProcess(InDirectory(DefaultDir, "Notes.doc"));
    std::string wine = SystemDirectoryFile("rstrtmgr.dll");
    ASSERT_TRUE(MoveFileA(wine.c_str(), (wine + ".wine").c_str()));
    ASSERT_TRUE(CopyFileA(BuiltFile("tests\\standin\\rstrtmgr.dll").c_str(), wine.c_str(), TRUE));
}

void EarlierInstallUnchanged(FaultRun *)
{
    for (const char *name : ProductFiles)
    {
        std::string path = InDirectory(FaultRun::GetParam().field, name);
        EXPECT_TRUE(!FileExists(path) || EarlierInstall(name) == ReadFileBytes(path)) << name;
    }
}

void HolderLogged(FaultRun *run)
{
    EarlierInstallUnchanged(run);
    std::string log = ReadFileBytes(plainLog);
    EXPECT_NE(log.npos, log.find("\r\nHeld by Nimbet Notes Editor, process 4242\r\n")) << log;
    EXPECT_TRUE(DeleteFileA("C:\\e2e\\rstrtmgr-ended")) << "the session was not ended";
}

/* Unattended over an earlier install: each file moved aside before calm.mid failed is put back,
   and the log says so. */
void ExpectLogLines(const std::vector<std::string> &expected);

/* The earlier files back, and the log of the run that put them back read whole. */
void EarlierInstallPutBack(FaultRun *)
{
    for (const char *name : ProductFiles)
        EXPECT_EQ(EarlierInstall(name), ReadFileBytes(InDirectory(DefaultDir, name))) << name;
    const std::string dir = DefaultDir, in = dir + "\\";
    ExpectLogLines({"Nimbet 2 Alpha Setup 0.1, Windows 6.1.7601",
                    "\"C:\\e2e\\dist\\setup.exe\" /S /LOG=" + plainLog, "Directory: " + dir,
                    "Free: # clusters of 4096 bytes", "Creating directory..", dir + " is there",
                    "Copying files.", "Copying files... 12% completed",
                    "Copied " + in + "Nim2Alph.exe", "Copying files... 25% completed",
                    "Copied " + in + "tour.kvr", "Copying files... 37% completed",
                    in + "calm.mid does not match the table", "Put back " + in + "Nim2Alph.exe",
                    "Put back " + in + "tour.kvr", "Put back " + in + "calm.mid", Told(damaged, 2),
                    "Exit code 2"});
}

void InstallEarlierReadOnly(FaultRun *)
{
    InstallEarlier(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

/* A run killed as it began to copy tour.kvr over an earlier install: its list names every
   backup it meant to make, the first two are made, and only Nim2Alph.exe is its copy. */
void Interrupt(FaultRun *run, const std::string &dir)
{
    for (auto names : {std::make_pair("Nim2Alph.exe", "Nim2Alph.ex~"), {"tour.kvr", "tour.kv~"}})
    {
        std::string file = InDirectory(dir, names.first), backup = InDirectory(dir, names.second);
        MoveFileA(file.c_str(), backup.c_str());
        run->mayChange_.insert(run->mayChange_.end(), {file, backup});
    }
    WriteFileBytes(InDirectory(dir, "Nim2Alph.exe"), "copied by an interrupted run");
    run->mayChange_.push_back(InDirectory(dir, "NimSetup.$$$"));
    WriteFileBytes(run->mayChange_.back(), "Nimbet 2 Alpha setup backups\r\n"
                                           "restore Nim2Alph.ex~ 31 30500000 0\r\n"
                                           "restore tour.kv~ 27 30500000 0\r\n"
                                           "restore calm.mi~ 27 30500000 0\r\n"
                                           "end\r\n");
}

/* After a run over an interrupted one: its backups and list gone, a file at their names. */
void NoBackupsLeft(FaultRun *)
{
    std::string dir = FaultRun::GetParam().field;
    for (const char *name : {"Nim2Alph.exe", "tour.kvr"})
        EXPECT_TRUE(FileExists(InDirectory(dir, name))) << name;
    for (const char *name : {"Nim2Alph.ex~", "tour.kv~", "NimSetup.$$$"})
        EXPECT_FALSE(FileExists(InDirectory(dir, name))) << name;
}

/* Nim2Alph.exe held without delete sharing: its earlier file stays as its backup, listed. */
void EarlierFileKeptAsBackup(FaultRun *run)
{
    std::string dir = FaultRun::GetParam().field;
    for (const char *name : {"Nim2Alph.exe", "Nim2Alph.ex~", "NimSetup.$$$"})
        run->mayChange_.push_back(InDirectory(dir, name));
    EXPECT_EQ(EarlierInstall("Nim2Alph.exe"), ReadFileBytes(InDirectory(dir, "Nim2Alph.ex~")));
    EXPECT_EQ("Nimbet 2 Alpha setup backups\r\nrestore Nim2Alph.ex~ 31 30500000 0\r\nend\r\n",
              ReadFileBytes(InDirectory(dir, "NimSetup.$$$")));
    std::string log = ReadFileBytes(plainLog);
    EXPECT_NE(log.npos, log.find("\r\nCould not put back " + InDirectory(dir, "Nim2Alph.ex~")))
        << log;
}

void NoneReadOnly(FaultRun *run)
{
    NoBackupsLeft(run);
    for (const char *name : ProductFiles)
        EXPECT_EQ(0u, GetFileAttributesA(InDirectory(DefaultDir, name).c_str()) &
                          (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
            << name;
}

/*
 * Code of the names the platform finds by name, beside the setup, which is
 * also the current directory: libraries the shell loads (Wine 8 loads shcore
 * from the program's folder when nothing restricts the search) and a
 * converter. Wine has no converter of its own, so the setup makes the links.
 */
void PlantCode(FaultRun *)
{
    static const char *const libraries[] = {
        "shcore",   "shell32", "shlwapi",  "ole32",   "oleaut32",      "combase", "rpcrt4",
        "comctl32", "uxtheme", "version",  "msimg32", "actxprxy",      "propsys", "imm32",
        "sechost",  "msvcrt",  "ucrtbase", "zlib1",   "windowscodecs", "comdlg32"};
    for (const char *name : libraries)
        CopyFileA(BuiltFile("tests\\standin\\planted.dll").c_str(),
                  DistFile((std::string(name) + ".dll").c_str()).c_str(), FALSE);
    CopyFileA(BuiltFile("tests\\standin\\planted.exe").c_str(), DistFile("grpconv.exe").c_str(),
              FALSE);
}

void NoPlantedCodeRan(FaultRun *)
{
    EXPECT_FALSE(FileExists(plantedMarker)) << ReadFileBytes(plantedMarker);
    ExpectStartMenuLinksFor(DefaultDir);
}

/* The folder picker, opened and cancelled: it loads the shell. */
void BrowseAndCancel(FaultRun *run, HWND dialog)
{
    ClickControl(dialog, CTL_BROWSE);
    RemoteMessageBox picker = {};
    ASSERT_TRUE(WaitForMessageBox(run->ProcessId(), WaitMs, &picker)) << "no folder picker";
    PostMessageA(picker.window, WM_COMMAND, IDCANCEL, 0);
    for (DWORD start = GetTickCount(); IsWindow(picker.window) && GetTickCount() - start < WaitMs;)
        Sleep(20);
}

/* An uninstall entry left by an earlier install under root, with values this one does not
 * write in it and in each subkey. A subkey two levels deep keeps the key from being deleted. */
void EnterEarlierEntry(HKEY root, std::initializer_list<std::string> subkeys)
{
    for (const std::string &subkey : subkeys)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, (UninstallKey + subkey).c_str(), 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &key, NULL));
        for (const char *name : {"QuietUninstallString", "InstallLocation"})
            RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)"c:\\old", 7);
        RegCloseKey(key);
    }
}

/* A directory where SETUP.INI would go, as for a user who may not write the Windows directory. */
void BlockGroupFile(FaultRun *)
{
    CreateDirectoryA(WindowsDirectoryFile("SETUP.INI").c_str(), NULL);
}

void LinksMadeAndBlockerKept(FaultRun *)
{
    EXPECT_TRUE(DirectoryExists(WindowsDirectoryFile("SETUP.INI")));
    ExpectStartMenuLinksFor(DefaultDir);
}

/*
 * A list of uninstall entries that takes no new entry, as for a user who may
 * not write under HKEY_LOCAL_MACHINE: Wine runs as root, but a volatile key
 * refuses a lasting subkey.
 */
void RefuseMachineWideEntry(FaultRun *)
{
    HKEY list;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, savedUninstallList, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &list, NULL));
    RegCopyTreeA(HKEY_LOCAL_MACHINE, uninstallList, list);
    RegCloseKey(list);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstallList);
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, uninstallList, 0, NULL, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, NULL, &list, NULL));
    RegCloseKey(list);
}

void RemoveSource(FaultRun *)
{
    DeleteFileA(DistFile("calm.mid").c_str());
}

void RemoveSourceOverEarlierInstall(FaultRun *run)
{
    InstallEarlierReadOnly(run);
    RemoveSource(run);
}

/* A writer still at work, which lets others read and write: the check shares no writing. */
void HoldSourceOpen(FaultRun *run)
{
    run->HoldOpen(DistFile("tour.kvr"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING,
                  FILE_SHARE_READ | FILE_SHARE_WRITE);
}

void NothingOfTourCopied(FaultRun *)
{
    EXPECT_FALSE(FileExists(std::string(DefaultDir) + "\\tour.kvr"));
}

void DirectoryAsSource(FaultRun *)
{
    std::string path = DistFile("Notes.doc");
    DeleteFileA(path.c_str());
    CreateDirectoryA(path.c_str(), NULL);
}

/*
 * The small drive has room for the free-space test and the first three of
 * four large files, so the copy of the fourth runs out of space part way.
 */
const size_t largeFileBytes = 1400000;

/* Code page 932 characters whose second byte is that of a backslash: 表 and ソ. */
const std::string hyo = "\x95\x5c", so = "\x83\x5c";

void BlockWithHyoFile(FaultRun *)
{
    WriteFileBytes("C:\\e2e\\nimfile" + hyo, "a file");
}

/* The staged setup moved to folder, to be started from there. */
void StartFrom(FaultRun *run, const std::string &folder)
{
    run->distDir_ = folder;
    ASSERT_TRUE(MoveFileA(DistDir, folder.c_str())) << folder;
}

void StartFromSrcHyo(FaultRun *run)
{
    StartFrom(run, "C:\\e2e\\src" + hyo);
}

void StartFromDefaultDir(FaultRun *run)
{
    StartFrom(run, DefaultDir);
}

/* Started from the install folder with its table: every file there is only checked. */
void CheckedInPlace(FaultRun *run)
{
    run->StampDigests();
    StartFromDefaultDir(run);
}

/* The short (8.3) name the drive gives dir; Wine's is a hash of the long name, not "NIMBET~1". */
std::string ShortName(const char *dir)
{
    char name[MAX_PATH] = "";
    CreateDirectoryA(dir, NULL);
    GetShortPathNameA(dir, name, sizeof name);
    RemoveDirectoryA(dir);
    return name;
}

void FillTheDrive(FaultRun *run)
{
    if (GetDriveTypeA(fillDrive) == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "drive U: is not mapped (no permission to mount a small tmpfs)";
    if (FaultRun::GetParam().installedIn.empty())
    {
        /* One that lacks the file that does not fit: made by the run, it must go too. */
        InstallEarlier(FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(InDirectory(fillDir, ProductFiles[3]).c_str());
    }
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(fillDrive, &available, &total, &free));
    ASSERT_GE(free.QuadPart, (ULONGLONG)RequiredBytes);
    ASSERT_GE(free.QuadPart, 3 * largeFileBytes + 65536);
    ASSERT_LT(free.QuadPart, 4 * largeFileBytes);
    /* Read-only, as from a CD: so is what the copy leaves cut short, until the setup clears it. */
    for (int i = 0; i < 4; i++)
    {
        run->StagePayload(i, std::string(largeFileBytes, (char)('0' + i)));
        SetFileAttributesA(DistFile(ProductFiles[i]).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    run->extraDrives_.push_back(fillDrive);
}

/* A user's own file of a backup's name, in the row's directory (over an earlier install). */
void UsersTildeFile(FaultRun *)
{
    if (FaultRun::GetParam().installedIn.empty())
        InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    CreateDirectoryA(DefaultDir, NULL);
    WriteFileBytes(InDirectory(DefaultDir, "Notes.do~"), "the user's own");
}

/* The log read whole, and faults the rows above do not reach. */

/* Each of the log's lines (a line break inside one makes two) against the expected ones, in
   order; the free clusters, which vary, as "#". */
void ExpectLogLines(const std::vector<std::string> &expected)
{
    std::string log = ReadFileBytes(plainLog);
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < log.size(); start = end + 2)
    {
        end = std::min(log.find("\r\n", start), log.size());
        lines.push_back(log.substr(start, end - start));
        if (lines.back().rfind("Free: ", 0) == 0)
            lines.back().replace(6, lines.back().find(' ', 6) - 6, "#");
    }
    for (size_t i = 0; i < std::max(lines.size(), expected.size()); i++)
        EXPECT_EQ(i < expected.size() ? expected[i] : "<none>",
                  i < lines.size() ? lines[i] : "<none>")
            << "line " << i + 1;
}

/* Wine 8's default is Windows 7 with its service pack. */
const std::string firstLine = "Nimbet 2 Alpha Setup 0.1, Windows 6.1.7601";

void NoInstallDirectory(FaultRun *)
{
    EXPECT_FALSE(DirectoryExists(DefaultDir));
}

void SourceMissingLogged(FaultRun *run)
{
    NoInstallDirectory(run);
    ExpectLogLines({firstLine, "\"C:\\e2e\\dist\\setup.exe\" /s /log=" + plainLog,
                    "Directory: c:\\Nimbet 2 Alpha",
                    "GetFileAttributesA(C:\\e2e\\dist\\calm.mid) failed: 2 File not found.",
                    Told(missing, 2), "Exit code 2"});
}

/* Windows 95 keeps its version in the build number's high word; the log gives 950 alone. */
void SetWindows95(FaultRun *)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, windowsVersionKey, 0, NULL, 0,
                                             KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)"win95", 6);
    RegCloseKey(key);
}

void Windows95Logged(FaultRun *)
{
    EXPECT_EQ(0u, ReadFileBytes(plainLog).find("Nimbet 2 Alpha Setup 0.1, Windows 4.0.950\r\n"));
}

/* An earlier run's log, longer than this run's: nothing of it may stay. */
void WriteOlderLog(FaultRun *)
{
    WriteFileBytes(plainLog, std::string(6000, 'o') + "\r\nExit code 2\r\n");
}

/* The log can be read while the setup writes it. */
void ReadLogMeanwhile(FaultRun *, HWND)
{
    HANDLE log = CreateFileA(plainLog.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, log) << "the log cannot be read: " << GetLastError();
    char start[64];
    DWORD read = 0;
    ReadFile(log, start, (DWORD)firstLine.size() + 2, &read, NULL);
    CloseHandle(log);
    EXPECT_EQ(firstLine + "\r\n", std::string(start, read));
}

const std::string blockedBackup = InDirectory(DefaultDir, "tour.kv~");

/* An earlier install with a folder of tour.kvr's backup name: its backup takes another. */
void BlockTourBackup(FaultRun *)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CreateDirectoryA(blockedBackup.c_str(), NULL));
}

/* Of the earlier entry only the subkey with a subkey of its own stays. */
void OnlyTheDeepSubkeyLeft(FaultRun *)
{
    for (const char *subkey : {"\\Old", "\\Older"})
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, (std::string(UninstallKey) + subkey).c_str()))
            << subkey;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, (std::string(UninstallKey) + "\\A\\B").c_str()));
}

/* Rows of a setup with the table of its staged files: a distribution made by make dist. */

void OnlyTheSetup(FaultRun *run)
{
    run->StampDigests();
    for (const char *name : ProductFiles)
        DeleteFileA(DistFile(name).c_str());
}

/* The staged setup given the table of its files (or not), then row index's file left as it
   is, removed, one byte short, or one byte in its middle changed. */
enum Damage
{
    Intact,
    Removed,
    OneByteShort,
    OneByteChanged
};

template <Damage damage, int index, bool stamped = true> void StageFiles(FaultRun *run)
{
    if (stamped)
        run->StampDigests();
    std::string path = DistFile(ProductFiles[index]), bytes = ReadFileBytes(path);
    bytes[bytes.size() / 2] ^= damage == OneByteChanged;
    if (damage == Removed)
        DeleteFileA(path.c_str());
    else
        WriteFileBytes(path, bytes.substr(0, bytes.size() - (damage == OneByteShort)));
}

/* tour.kvr and calm.mid have the same size: swapped, only their digests tell. */
void SwapSameSizeFiles(FaultRun *run)
{
    run->StampDigests();
    std::string tour = ReadFileBytes(DistFile("tour.kvr"));
    std::string calm = ReadFileBytes(DistFile("calm.mid"));
    ASSERT_EQ(tour.size(), calm.size());
    WriteFileBytes(DistFile("tour.kvr"), calm);
    WriteFileBytes(DistFile("calm.mid"), tour);
}

/* 2001-02-03 04:05:06 UTC, for every staged file. */
const FILETIME stagedTime = {0x7DB50500, 0x01C08D96};

/* An empty Notes.doc and a Nim2Alph.exe of exactly two of the copy's 256 KiB buffers, every
   other read of the setup's short (tests/driver/statushook.cpp). */
void StageCopyEdges(FaultRun *run)
{
    std::string buffers(2 * 262144, '\0');
    for (size_t i = 0; i < buffers.size(); i++)
        buffers[i] = (char)(i / 4093);
    run->StagePayload(0, buffers);
    run->StagePayload(4, "");
    run->StampDigests();
    for (const char *name : ProductFiles)
    {
        HANDLE file = CreateFileA(DistFile(name).c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL,
                                  OPEN_EXISTING, 0, NULL);
        SetFileTime(file, NULL, NULL, &stagedTime);
        CloseHandle(file);
    }
    SetEnvironmentVariableA("STATUS_HOOK_SHORT_READS", "1");
}

void CopiedWithTheirTime(FaultRun *)
{
    for (const char *name : ProductFiles)
    {
        WIN32_FILE_ATTRIBUTE_DATA data = {}; /* stays 0 for a file not there */
        GetFileAttributesExA(InDirectory(DefaultDir, name).c_str(), GetFileExInfoStandard, &data);
        EXPECT_EQ(0, CompareFileTime(&stagedTime, &data.ftLastWriteTime)) << name;
    }
}

template <int index> void DamageOverEarlierInstall(FaultRun *run)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    StageFiles<OneByteChanged, index>(run);
}

void LogSaysPresenceOnly(FaultRun *)
{
    EXPECT_NE(std::string::npos,
              ReadFileBytes(plainLog).find(
                  "\r\nNo digest table: checked only that the files are there\r\n"));
}

/* Seven files of 500,000 bytes and the last of exactly 122 clusters: 3,999,712 in all, but 983
   clusters of 4,096 where 980 are free. */
template <int lastClusters = 122, bool overEarlier = false> void FillToTheClusters(FaultRun *run)
{
    for (int i = 0; overEarlier && i < ProductFileCount; i++)
    {
        CreateDirectoryA(clusterDir, NULL);
        WriteFileBytes(InDirectory(clusterDir, ProductFiles[i]), "");
    }
    if (GetDriveTypeA(clusterDrive) == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "drive V: is not mapped (no permission to mount a small tmpfs)";
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    ASSERT_TRUE(GetDiskFreeSpaceA(clusterDrive, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                  &clusters));
    ASSERT_EQ(4096u, sectorsPerCluster * bytesPerSector);
    ASSERT_EQ(980u, freeClusters);
    for (int i = 0; i < ProductFileCount; i++)
        run->StagePayload(i, std::string(i == 7 ? lastClusters * 4096 : 500000, (char)('a' + i)));
    run->StampDigests();
    run->extraDrives_.push_back(clusterDrive);
}

/* What holds, refuses or names a file, what no one may see, and the list of backups. */

std::string InUse(const char *name, const char *holder = "another program")
{
    return std::string(name) + " is in use by " + holder +
           ". Close that program, then press Retry.";
}

/* How often line is a whole line of the run's log. */
size_t Logged(const std::string &line)
{
    std::string log = "\r\n" + ReadFileBytes(plainLog);
    size_t count = 0;
    for (size_t at = 0; (at = log.find("\r\n" + line + "\r\n", at)) != log.npos; at += 2)
        count++;
    return count;
}

/* An earlier install with a folder where its file of name goes. */
void EarlierInstallWithFolder(const char *name)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(InDirectory(DefaultDir, name).c_str());
    CreateDirectoryA(InDirectory(DefaultDir, name).c_str(), NULL);
}

/* An earlier install with its file of name held by a program that the stand-in Restart Manager
   names in the place of Wine's. */
template <const char *name> void HoldWithStandIn(FaultRun *run)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    run->HoldInAnotherProcess(InDirectory(FaultRun::GetParam().field, name));
    run->mayChange_.push_back("C:\\e2e\\rstrtmgr-ended");
    std::string wine = SystemDirectoryFile("rstrtmgr.dll");
    ASSERT_TRUE(MoveFileA(wine.c_str(), (wine + ".wine").c_str()));
    ASSERT_TRUE(CopyFileA(BuiltFile("tests\\standin\\rstrtmgr.dll").c_str(), wine.c_str(), TRUE));
}
const char options[] = "options.exe", calm[] = "calm.mid", notes[] = "Notes.doc";

void NoHolderLogged(FaultRun *)
{
    EXPECT_EQ(std::string::npos, ReadFileBytes(plainLog).find("\r\nHeld by ")) << "a process named";
}

/* Unsetup.bat opened by another program once the copy began: large files before it keep the
   copy busy meanwhile. */
void HoldOnceListed(FaultRun *run)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    for (int i = 0; i < 7; i++)
        run->StagePayload(i, std::string(1 << 20, (char)('a' + i)));
    run->HoldWhenMade(InDirectory(DefaultDir, "NimSetup.$$$"),
                      InDirectory(DefaultDir, "Unsetup.bat"));
}

/* Every name removed from the install directory during the run (renamed away, or deleted), in
   the order the file system reports them: Wine keeps what happens between two reads. */
HANDLE watched;
OVERLAPPED watch;
DWORD watchBuffer[16384];

bool ReadChanges()
{
    return ReadDirectoryChangesW(watched, watchBuffer, sizeof watchBuffer, FALSE,
                                 FILE_NOTIFY_CHANGE_FILE_NAME, NULL, &watch, NULL);
}

std::vector<std::string> RemovedNames()
{
    std::vector<std::string> removed;
    DWORD got;
    while (WaitForSingleObject(watch.hEvent, 500) == WAIT_OBJECT_0 &&
           GetOverlappedResult(watched, &watch, &got, FALSE) && got)
    {
        for (BYTE *at = (BYTE *)watchBuffer;;
             at += ((FILE_NOTIFY_INFORMATION *)at)->NextEntryOffset)
        {
            auto *change = (FILE_NOTIFY_INFORMATION *)at;
            if (change->Action == FILE_ACTION_REMOVED ||
                change->Action == FILE_ACTION_RENAMED_OLD_NAME)
                removed.emplace_back(change->FileName,
                                     change->FileName + change->FileNameLength / 2);
            if (!change->NextEntryOffset)
                break;
        }
        ResetEvent(watch.hEvent);
        ReadChanges();
    }
    CloseHandle(watched);
    return removed;
}

void WatchOverEarlierInstall(FaultRun *)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    watched = CreateFileA(DefaultDir, FILE_LIST_DIRECTORY, 7, NULL, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, NULL);
    watch = {0, 0, {{0, 0}}, CreateEventA(NULL, TRUE, FALSE, NULL)};
    ASSERT_TRUE(ReadChanges());
}

/* One run at a time, and the list of backups that knows its phase and its own files. */

const char busy[] = "Another setup of Nimbet 2 Alpha is running. Try again when it has finished.";
const std::string listRefused =
    "NimSetup.$$$ in c:\\Nimbet 2 Alpha is not a list of backups this setup can read. Nothing was "
    "changed. Move it out of the folder, then run the setup again.";
const std::string listFile = InDirectory(DefaultDir, "NimSetup.$$$");
/* The list's replacement failing while another program holds it (Windows, too, refuses a
   rename over an open file as access denied). */
const std::string listHeld =
    "MoveFileExA(c:\\Nimbet 2 Alpha\\NimSetup.$$~, " + listFile + ") failed: 5 Access denied.";
const char *const backupNames[ProductFileCount] = {"Nim2Alph.ex~", "tour.kv~",   "calm.mi~",
                                                   "nimbet2.mi~",  "Notes.do~",  "options.ex~",
                                                   "Unsetup.ex~",  "Unsetup.ba~"};

/* The list in its own form: its first line, then for each of rows (a bit a row) what the backup
   is for, its name and its earlier file's size and last write as staged, then its last line. */
std::string ListOf(const char *use, unsigned rows)
{
    std::string list = "Nimbet 2 Alpha setup backups\r\n";
    for (int i = 0; i < ProductFileCount; i++)
        if ((rows >> i) & 1)
            list += std::string(use) + " " + backupNames[i] + " " +
                    std::to_string(EarlierInstall(ProductFiles[i]).size()) + " 30500000 0\r\n";
    return list + "end\r\n";
}

void NoBackupsOrList(FaultRun *)
{
    for (const char *name : backupNames)
        EXPECT_FALSE(FileExists(InDirectory(DefaultDir, name))) << name;
    EXPECT_FALSE(FileExists(listFile));
}

/* While the first setup's dialog is open its mark is there, and a second setup and an
   unattended one with the same log each end with 1618, changing nothing. */
void OthersRefusedMeanwhile(FaultRun *, HWND)
{
    /* By the name the README gives, in the namespace every session sees. */
    HANDLE mark = OpenMutexA(SYNCHRONIZE, FALSE, "Global\\Orvanex Nimbet 2 Alpha setup running");
    EXPECT_NE(nullptr, mark);
    CloseHandle(mark);
    SetupProcess second = StartSetup(DistFile("setup.exe"), DistDir);
    RemoteMessageBox box = {};
    bool told = WaitForMessageBox(second.info.dwProcessId, WaitMs, &box);
    EXPECT_EQ(busy, box.text);
    EXPECT_EQ(nullptr, box.owner);
    if (told)
        AnswerMessageBox(box);
    /* One that showed no box runs on: killed at once, not left to the rows after. */
    DWORD code = 0;
    WaitForSetupExit(&second, told ? WaitMs : 0, &code);
    EXPECT_EQ(1618u, code);
    EXPECT_EQ(1618u, RunUnattended("/S /LOG=" + plainLog + " /D=c:\\e2e\\second"));
}

/* A reinstall killed as it deleted its backups, the first already gone: the new version whole,
   the seven other earlier files as their backups, the list saying so. */
void KilledWhileDeletingBackups(FaultRun *run)
{
    CreateDirectoryA(DefaultDir, NULL);
    for (int i = 0; i < ProductFileCount; i++)
    {
        WriteFileBytes(InDirectory(DefaultDir, ProductFiles[i]), StagedPayload(ProductFiles[i]));
        run->mayChange_.push_back(InDirectory(DefaultDir, backupNames[i]));
        if (i > 0)
        {
            WriteFileBytes(run->mayChange_.back(), EarlierInstall(ProductFiles[i]));
            Date(run->mayChange_.back());
        }
    }
    run->mayChange_.push_back(listFile);
    WriteFileBytes(listFile, ListOf("delete", 0xFF));
}

/* The new version kept whole, and the listed backups deleted before the first copy. */
void NewVersionWholeAndNoBackups(FaultRun *run)
{
    for (const char *name : ProductFiles)
        EXPECT_EQ(StagedPayload(name), ReadFileBytes(InDirectory(DefaultDir, name))) << name;
    NoBackupsOrList(run);
    std::string log = ReadFileBytes(plainLog);
    EXPECT_LT(log.find("\r\nRemoved c:\\Nimbet 2 Alpha\\Unsetup.ba~\r\n"), log.find("\r\nCopied "));
}

/* A reinstall killed right after its list, then a Notes.do~ of the user's of the recorded size
   but later (or, given a size, of the recorded time but that size). */
template <size_t size = 0> void ListThenUsersNotes(FaultRun *run)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    run->mayChange_.push_back(listFile);
    WriteFileBytes(listFile, ListOf("restore", 0xFF));
    std::string notes = "the user's own notes";
    notes.resize(size ? size : EarlierInstall("Notes.doc").size(), '.');
    WriteFileBytes(InDirectory(DefaultDir, "Notes.do~"), notes);
    Date(InDirectory(DefaultDir, "Notes.do~"), size ? 30500000 : 30600000);
}

/* An earlier install and at the list's name the list's form before, a list cut in a line, one
   with zeros after its end (as a power cut can leave a file being written), or a folder. */
template <int kind> void EarlierAndBadList(FaultRun *)
{
    InstallEarlier(FILE_ATTRIBUTE_NORMAL);
    std::string list = ListOf("restore", 0xFF);
    const std::string texts[] = {"Nim2Alph.ex~\r\ntour.kv~\r\n", list.substr(0, 80),
                                 list + std::string(64, '\0')};
    if (kind == 3)
        CreateDirectoryA(listFile.c_str(), NULL);
    else
        WriteFileBytes(listFile, texts[kind]);
}

/* The user's file is unchanged by the snapshot; the list is gone. */
void UsersNotesLeftAlone(FaultRun *)
{
    EXPECT_FALSE(FileExists(listFile));
    EXPECT_NE(std::string::npos, ReadFileBytes(plainLog).find("\r\nLeft alone c:\\Nimbet 2 Alpha\\"
                                                              "Notes.do~: not the file the list "
                                                              "records\r\n"));
}

/* What the list was the moment the first backup could not be deleted. */
std::string listWhileDeleting;
HANDLE listWatcher;

DWORD WINAPI WatchTheList(void *)
{
    for (DWORD start = GetTickCount();
         ReadFileBytes(plainLog).find("DeleteFileA(c:\\Nimbet 2 Alpha\\calm.mi~) failed") ==
             std::string::npos &&
         GetTickCount() - start < WaitMs;)
        Sleep(10);
    listWhileDeleting = ReadFileBytes(listFile);
    return 0;
}

/* Said whole before the first delete, the list still names the backup that stayed, and only
   it; the next reinstall leaves neither (by the snapshot). */
void HeldBackupListedThenRemoved(FaultRun *)
{
    WaitForSingleObject(listWatcher, WaitMs);
    CloseHandle(listWatcher);
    EXPECT_EQ(ListOf("delete", 0xFF), listWhileDeleting);
    EXPECT_EQ(ListOf("delete", 0x04), ReadFileBytes(listFile));
    EXPECT_EQ(EarlierInstall("calm.mid"), ReadFileBytes(InDirectory(DefaultDir, backupNames[2])));
    EXPECT_EQ(0u, RunUnattended("/S"));
}

std::vector<Row> Rows()
{
    std::string longest = LongDirectory(259);
    std::string fits = LongDirectory(259 - 1 - lstrlenA(ProductFiles[0]));
    std::string tooLong = LongDirectory(fits.size() + 1);
    /* c:\e2e\nim表 and c:\e2e\ゲーム\表\ソ */
    std::string nim = "c:\\e2e\\nim" + hyo;
    std::string nested = "c:\\e2e\\\x83\x51\x81\x5b\x83\x80\\" + hyo + "\\" + so;
    return {
        /* The directory field as typed. */
        {"Empty", "", noDirectory, "", 0, nullptr, nullptr},
        {"OnlySpaces", "   ", noDirectory, "", 0, nullptr, nullptr},
        /* A relative name is taken from the directory the setup was started in. */
        {"RelativeName", "Nimbet", "", "C:\\e2e\\dist\\Nimbet", 8, nullptr, nullptr},
        /* "c:" passes as a directory (the drive's current one), but the files are joined
           as "c:\\name" and land in the root, which is where the registry points too. */
        {"BareDrive", "c:", "", "C:\\", 8, nullptr, nullptr},
        {"DriveRoot", "c:\\", "", "C:\\", 8, nullptr, nullptr},
        /* No server answers: the free-space test passes untold, creation fails at once. */
        {"UncPath", "\\\\nimbet-no-server\\share\\Nimbet", noDirectory, "", 0, nullptr, nullptr,
         "/D=\\\\nimbet-no-server\\share\\Nimbet"},
        {"LessThan", "c:\\e2e\\Nim<bet", noDirectory, "", 0, nullptr, nullptr},
        {"GreaterThan", "c:\\e2e\\Nim>bet", noDirectory, "", 0, nullptr, nullptr},
        {"Bar", "c:\\e2e\\Nim|bet", noDirectory, "", 0, nullptr, nullptr},
        {"Quote", "c:\\e2e\\Nim\"bet", noDirectory, "", 0, nullptr, nullptr},
        {"Star", "c:\\e2e\\Nim*bet", noDirectory, "", 0, nullptr, nullptr},
        {"Question", "c:\\e2e\\Nim?bet", noDirectory, "", 0, nullptr, nullptr},
        /* The missing parent is made before the refused name fails; it stays, empty. */
        {"RefusedNameBelowMissingParent", "c:\\e2e\\new\\Nim?bet", noDirectory, "", 0, nullptr,
         nullptr},
        /* Wine makes a 259-character directory (Windows stops at 248, and would show the
           directory message); no file name fits after it. */
        {"Exactly259", longest, CopyFailure(0), longest, 0, nullptr, nullptr},
        {"JoinedPathJustFits", fits, "", fits, 8, nullptr, nullptr},
        {"JoinedPathTooLong", tooLong, CopyFailure(0), tooLong, 0, nullptr, nullptr},
        {"ThroughAFile", "C:\\e2e\\blocker\\Nimbet", noDirectory, "", 0, BlockWithFile,
         BlockerUnchanged},
        {"IsAFile", "C:\\e2e\\blocker", noDirectory, "", 0, BlockWithFile, BlockerUnchanged},
        {"MissingDrive", "q:\\x", noDirectory, "", 0, nullptr, nullptr},
        /* The platform takes "/" for a separator, but parents are found by "\\" only:
           with a missing parent nothing is made; with the parent present it installs. */
        {"ForwardSlashes", "c:/e2e/games/nimbet", noDirectory, "", 0, nullptr, nullptr},
        {"ForwardSlashesParentExists", "c:/e2e/nimbet", "", "C:\\e2e\\nimbet", 8, nullptr, nullptr},
        /* Run from the install directory itself, in any spelling: nothing to copy. */
        {"SourceDirectory", "C:\\e2e\\dist", "", "C:\\e2e\\dist", 8, nullptr, nullptr},
        {"SourceDirectoryByAnotherName", "C:\\e2e\\dist\\..\\dist", "", "C:\\e2e\\dist", 8, nullptr,
         nullptr},
        {"InstallFolderWithSlash", "c:/Nimbet 2 Alpha", "", DefaultDir, 8, StartFromDefaultDir,
         nullptr},
        {"InstallFolderAndSeparator", "c:\\Nimbet 2 Alpha\\", "", DefaultDir, 8,
         StartFromDefaultDir, nullptr},
        {"InstallFolderAndDot", "c:\\Nimbet 2 Alpha\\.", "", DefaultDir, 8, StartFromDefaultDir,
         nullptr},
        {"InstallFolderShortName", ShortName(DefaultDir), "", DefaultDir, 8, StartFromDefaultDir,
         nullptr},
        /* Windows drops a name's trailing spaces and dots when it makes the folder. */
        {"NameEndsInSpaces", "c:\\e2e\\nimsp   ", noDirectory, "", 0, nullptr, nullptr},
        {"NameEndsInDot", "c:\\e2e\\nimdot.", noDirectory, "", 0, nullptr, nullptr},
        {"InnerNameEndsInDot", "c:\\e2e\\nimdot.\\sub", noDirectory, "", 0, nullptr, nullptr},
        /* 130 characters of 2 bytes (95 95), longer than a path: refused whole, never cut. */
        {"Cp932LongerThanAPath", "c:\\e2e\\" + std::string(260, '\x95'), noDirectory, "", 0,
         nullptr, nullptr},
        /* Code page 932: every file under its own name in the folder typed. */
        {"Cp932Dir", nim, "", nim, 8, nullptr, nullptr},
        {"Cp932DirAndSeparator", nim + "\\", "", nim, 8, nullptr, nullptr},
        {"Cp932Nested", nested, "", nested, 8, nullptr, nullptr},
        {"Cp932SourceFolder", DefaultInstallDir, "", DefaultDir, 8, StartFromSrcHyo, nullptr},
        /* No stray folder where the path would be cut inside 表. */
        {"Cp932ThroughAFile", "c:\\e2e\\nimfile" + hyo + "\\sub", noDirectory, "", 0,
         BlockWithHyoFile, nullptr},
        /* Faults met during the copy. An earlier install in use is asked about before anything
           of it is overwritten: replaced on Retry once its holder has let go, kept on Cancel and
           unattended. One left read-only is replaced; over one a failed copy puts it back as
           it was. Such rows, "" for a directory, are staged over an earlier install
           (filesCopied: where the copy stopped). */
        {"DestinationInUse", DefaultInstallDir, "", DefaultDir, 8, HoldDestinationOpen,
         NoneReadOnly, "", nullptr, HKEY_LOCAL_MACHINE, unsetupInUse},
        {"DestinationInUseCancelled", DefaultInstallDir, unsetupInUse, "", 0, HoldDestinationOpen,
         EarlierInstallUnchanged, "", nullptr, HKEY_LOCAL_MACHINE, unsetupInUse},
        {"UnattendedDestinationInUse", DefaultInstallDir, unsetupInUse, "", 0, HoldDestinationOpen,
         EarlierInstallUnchanged, "/S /LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, unsetupInUse},
        {"DestinationHolderNamed", DefaultInstallDir, notesInUse, "", 0, HoldNotesNamed,
         HolderLogged, "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, notesInUse},
        /* The holder lets go after the first check: the short wait outlasts it. */
        {"UnattendedHolderLetsGoWithinTheWait", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             HoldDestinationOpen(run);
             run->ReleaseWhenLogged("CreateFileA(c:\\Nimbet 2 Alpha\\Unsetup.bat) failed");
         },
         NoneReadOnly, "/S /LOG=" + plainLog},
        {"SourceMissingOverEarlierInstall", DefaultInstallDir, Told(missing, 2), "", 0,
         RemoveSourceOverEarlierInstall, EarlierInstallUnchanged, "/S /LOG=" + plainLog},
        {"DriveFillsUpOverEarlierInstall", fillDir, CopyFailure(3), "", 3, FillTheDrive,
         EarlierInstallUnchanged},
        /* The drive fills while another process holds the new Nim2Alph.exe. With delete sharing
           a delete keeps its name taken until the holder lets go (on Wine 8 as on NT before
           Windows 10 1809): it is moved aside first. Without, its earlier file stays a backup. */
        {"HeldWithDeleteSharingOverEarlierInstall", fillDir, CopyFailure(3), "", 3, FillTheDrive,
         EarlierInstallUnchanged, "", nullptr, HKEY_LOCAL_MACHINE, "",
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
        {"HeldOverEarlierInstall", fillDir,
         CopyFailure(3) + ". Some earlier files could not be put back: they are in the install "
                          "folder, with ~ as the last letter of their names.",
         "", 3, FillTheDrive, EarlierFileKeptAsBackup, "/LOG=" + plainLog + " /D=" + fillDir,
         nullptr, HKEY_LOCAL_MACHINE, "", FILE_SHARE_READ | FILE_SHARE_WRITE},
        /* Read-only files, as from a CD: the fragment of the fourth is read-only. */
        {"ReadOnlySourceDriveFillsUpOverEarlierInstall", fillDir, CopyFailure(3), "", 3,
         [](FaultRun *run)
         {
             FillTheDrive(run);
             for (const char *name : ProductFiles)
                 SetFileAttributesA(DistFile(name).c_str(), FILE_ATTRIBUTE_READONLY);
         },
         EarlierInstallUnchanged},
        /* An interrupted run's backups: a failure puts them back, a success removes them. */
        {"InterruptedRunThenDriveFillsUp", fillDir, CopyFailure(3), "", 3,
         [](FaultRun *run)
         {
             FillTheDrive(run);
             Interrupt(run, fillDir);
         },
         [](FaultRun *run)
         {
             EarlierInstallUnchanged(run);
             NoBackupsLeft(run);
         }},
        {"EarlierInstallReadOnly", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             InstallEarlierReadOnly(run);
             Interrupt(run, DefaultDir);
         },
         NoneReadOnly},
        /* A backup's name that no list names is the user's file: kept, and the backup takes
           another name (Notes.d1~), which goes with the run. */
        {"UsersTildeFileFirstInstall", DefaultInstallDir, "", DefaultDir, 8, UsersTildeFile,
         nullptr},
        {"UsersTildeFileOverEarlierInstall", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             UsersTildeFile(run);
         },
         nullptr},
        /* The files before the one that did not fit stay; what was written of it goes. */
        {"DriveFillsUp", fillDir, CopyFailure(3), fillDir, 3, FillTheDrive, nullptr},
        /* The setup's own files, checked before anything is made. */
        {"SourceMissing", DefaultInstallDir, Told(missing, 2), "", 0, RemoveSource,
         NoInstallDirectory},
        {"SourceHeldOpen", DefaultInstallDir, Told(unreadable, 1), "", 0, HoldSourceOpen,
         NothingOfTourCopied},
        {"SourceIsADirectory", DefaultInstallDir, Told(missing, 4), "", 0, DirectoryAsSource,
         nullptr},
        /* Open elsewhere for reading, as a viewer holds it: read as well, and installed. */
        {"SourceOpenForReadingElsewhere", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             run->StampDigests();
             run->HoldOpen(DistFile("Unsetup.bat"), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
         },
         nullptr},
        /* With the table of its files: checked before, verified as installed, and /VERIFY. */
        {"OnlyTheSetupInItsFolder", DefaultInstallDir, Told(missing, 0), "", 0, OnlyTheSetup,
         NoInstallDirectory},
        {"LastFileMissing", DefaultInstallDir, Told(missing, 7), "", 0, StageFiles<Removed, 7>,
         NoInstallDirectory},
        {"FileOneByteShort", DefaultInstallDir, Told(damaged, 3), "", 0,
         StageFiles<OneByteShort, 3>, NoInstallDirectory},
        {"ByteChangedInAMiddleFile", DefaultInstallDir, Told(damaged, 4), DefaultDir, 4,
         StageFiles<OneByteChanged, 4>, nullptr},
        {"SameSizeFilesSwapped", DefaultInstallDir, Told(damaged, 1), DefaultDir, 1,
         SwapSameSizeFiles, nullptr},
        {"ByteChangedOverEarlierInstall", DefaultInstallDir, Told(damaged, 2), "", 2,
         DamageOverEarlierInstall<2>, EarlierInstallPutBack, "/S /LOG=" + plainLog},
        {"EmptyFileWholeBuffersShortReads", DefaultInstallDir, "", DefaultDir, 8, StageCopyEdges,
         CopiedWithTheirTime},
        {"Verify", DefaultInstallDir, intact, "", 0, StageFiles<Intact, 0>, NoInstallDirectory,
         "/VERIFY"},
        {"VerifyDamaged", DefaultInstallDir, Told(damaged, 7), "", 0, StageFiles<OneByteChanged, 7>,
         NoInstallDirectory, "\"/verify\""},
        {"UnattendedVerify", DefaultInstallDir, intact, "", 0, StageFiles<Intact, 0>,
         NoInstallDirectory, "/S /VERIFY /LOG=" + plainLog},
        {"UnattendedVerifyDamaged", DefaultInstallDir, Told(damaged, 4), "", 0,
         StageFiles<OneByteChanged, 4>, NoInstallDirectory, "/LOG=" + plainLog + " /Verify /S"},
        {"UnattendedVerifyWithoutTable", DefaultInstallDir, presenceOnly, "", 0,
         StageFiles<OneByteChanged, 4, false>, LogSaysPresenceOnly, "/VERIFY /S /LOG=" + plainLog},
        {"FilesLargerInClustersThanTheDrive", clusterDir, clusterShortfall, "", 0,
         FillToTheClusters<>, [](FaultRun *) { EXPECT_FALSE(DirectoryExists(clusterDir)); },
         "/S /LOG=" + plainLog + " /D=" + clusterDir},
        /* Planted code never runs, with the picker opened and the group made by links. */
        {"PlantedCodeBesideTheSetup", DefaultInstallDir, "", DefaultDir, 8, PlantCode,
         NoPlantedCodeRan, "", BrowseAndCancel},
        /* What a standard user cannot write. */
        {"GroupFileCannotBeCreated", DefaultInstallDir, "", DefaultDir, 8, BlockGroupFile,
         LinksMadeAndBlockerKept},
        {"EarlierEntryWithOtherValues", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *) {
             EnterEarlierEntry(HKEY_LOCAL_MACHINE, {"", "\\Old", "\\Older", "\\A\\B"});
         },
         OnlyTheDeepSubkeyLeft},
        {"EarlierPerUserEntry", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *) {
             EnterEarlierEntry(HKEY_CURRENT_USER, {"", "\\Old", "\\Older"});
         },
         nullptr},
        {"MachineWideEntryRefused", DefaultInstallDir, "", DefaultDir, 8, RefuseMachineWideEntry,
         nullptr, "", nullptr, HKEY_CURRENT_USER},
        /* The directory on the command line, in quotes or not; too long, not absolute or
           quoted at one end only, it is refused. /Silently and /Qx are no /S, /Verifying no
           /VERIFY. */
        {"DirectoryOption", "c:\\Other Place", "", "c:\\Other Place", 8, nullptr, nullptr,
         "/Silently /Qx /Verifying /D=c:\\Other Place"},
        {"QuotedDirectoryOption", "c:\\Other Place", "", "c:\\Other Place", 8, nullptr, nullptr,
         "/x /d=\"c:\\Other Place\"  "},
        {"DirectoryOptionTooLong", DefaultInstallDir, "", DefaultDir, 8, nullptr, nullptr,
         "/D=" + longest + "x"},
        {"DirectoryOptionQuotedAtOneEnd", DefaultInstallDir, "", DefaultDir, 8, nullptr, nullptr,
         "/D=\"c:\\Other Place"},
        /* Unattended, with a log: quoted or to the next blank, in any case, before /D. */
        {"Unattended", "c:\\Silent Nimbet", "", "c:\\Silent Nimbet", 8, nullptr, nullptr,
         "/S /LOG=\"" + spacedLog + "\" /D=  c:\\Silent Nimbet"},
        {"UnattendedQuotedOptions", "c:\\e2e\\a b", "", "c:\\e2e\\a b", 8, nullptr, nullptr,
         "\"/S\" \"/LOG=" + spacedLog + "\" \"/D=c:\\e2e\\a b\""},
        {"UnattendedRelative", "nimrel", "Refused directory \"nimrel\": not absolute", "", 0,
         nullptr, nullptr, "/S /LOG=" + plainLog + " /D=nimrel"},
        {"UnattendedDriveRelative", "c:nimrel", noDirectory, "", 0, nullptr, nullptr,
         "/S /LOG=" + plainLog + " /D=c:nimrel"},
        {"UnattendedSourceMissing", DefaultInstallDir, Told(missing, 2), "", 0, RemoveSource,
         SourceMissingLogged, "/s /log=" + plainLog},
        {"UnattendedMissingDrive", "q:\\x", noDirectory, "", 0, nullptr, nullptr,
         "/Log=" + plainLog + " /S /D=q:\\x"},
        {"UnattendedDirectoryTooLong", longest + "x",
         "Refused directory \"" + longest + "\": too long", "", 0, nullptr, nullptr,
         "/S /LOG=" + plainLog + " /D=" + longest + "x"},
        /* No log, nothing done: a missing folder, a path too long, a quote not closed. */
        {"LogCannotBeCreated", DefaultInstallDir, noLog, "", 0, nullptr, nullptr,
         "/LOG=" + missingLog},
        {"UnattendedLogCannotBeCreated", DefaultInstallDir, noLog, "", 0, nullptr, nullptr,
         "/S /LOG=" + missingLog},
        {"UnattendedLogPathTooLong", DefaultInstallDir, noLog, "", 0, nullptr, nullptr,
         "/S /LOG=c:\\e2e\\" + std::string(253, 'x')},
        {"UnattendedLogQuoteNotClosed", DefaultInstallDir, noLog, "", 0, nullptr, nullptr,
         "/S /LOG=\"" + plainLog},
        /* Deployment: the silent switches of other installers, the help box (exit 0, no log),
           a guessed option refused under /S, an option given twice, a Start menu group that
           cannot be made (still a success). */
        {"VerySilent", DefaultInstallDir, "", DefaultDir, 8, LeaveGroupFolder, NoFailedCall,
         "/VERYSILENT /log=" + plainLog},
        {"QuotedQuietDriveAndSlash", "c:/e2e/fwd", "", "C:\\e2e\\fwd", 8, nullptr, nullptr,
         "\"/Quiet\" /LOG=" + plainLog + " /D=c:/e2e/fwd"},
        {"Help", "", helpText, "", 0, nullptr, NoLogMade,
         "/LOG=" + plainLog + " /? /Verify /D=c:\\e2e\\help"},
        {"UnattendedDirectoryWithColon", "", "Unknown option /D:C:\\e2e\\x", "", 0, nullptr,
         nullptr, "/S /LOG=" + plainLog + " /D:C:\\e2e\\x"},
        {"UnattendedFirstOfTwoUnknownOptions", "", "Unknown option /Qx", "", 0, nullptr, nullptr,
         "/S /Qx /LOG=" + plainLog + " /Silently"},
        {"UnattendedDirectoryQuotedAndMore", "", "Unknown option \"/D=C:\\e2e\\x\"y", "", 0,
         nullptr, nullptr, "\"/D=C:\\e2e\\x\"y /LOG=" + plainLog + " /S"},
        {"UnattendedDirectoryEmpty", "", "Refused directory \"\": empty", "", 0, nullptr, nullptr,
         "/S /LOG=" + plainLog + " /D=\"\"  "},
        {"UnattendedSecondLogRefused", DefaultInstallDir, noLog, "", 0, nullptr, NoLogMade,
         "/S /LOG=" + plainLog + " /LOG=" + missingLog},
        {"UnattendedStartMenuGroupBlocked", DefaultInstallDir, "", DefaultDir, 8,
         BlockStartMenuGroup, GroupFailuresLogged, "/S /LOG=" + plainLog},
        /* The log read whole, and faults the rows above do not reach. */
        {"UnattendedOnWindows95", DefaultInstallDir, "", DefaultDir, 8, SetWindows95,
         Windows95Logged, "/S /LOG=" + plainLog},
        {"UnattendedOverAnOlderLog", DefaultInstallDir, "", DefaultDir, 8, WriteOlderLog, nullptr,
         "/S /LOG=" + plainLog},
        {"LogReadWhileTheDialogIsOpen", DefaultInstallDir, "", DefaultDir, 8, nullptr, nullptr,
         "/LOG=" + plainLog, ReadLogMeanwhile},
        {"BackupNameTakenByAFolder", DefaultInstallDir, "", DefaultDir, 8, BlockTourBackup,
         nullptr},
        {"DirectoryOptionOfThreeBackslashes", DefaultInstallDir, "", DefaultDir, 8, nullptr,
         nullptr, "/D=\\\\\\nimbet"},
        /* In use only when another program holds it: anything else fails at once, with why. */
        {"EarlierFileIsAFolder", DefaultInstallDir, "Could not replace Notes.doc: Access denied.",
         "", 0, [](FaultRun *) { EarlierInstallWithFolder("Notes.doc"); },
         [](FaultRun *) {
             EXPECT_EQ(
                 1u, Logged("CreateFileA(c:\\Nimbet 2 Alpha\\Notes.doc) failed: 5 Access denied."));
         },
         "/S /LOG=" + plainLog},
        {"UnattendedHeldOnceListed", DefaultInstallDir, InUse("Unsetup.bat"), "", 0, HoldOnceListed,
         EarlierInstallUnchanged, "/S /LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE,
         InUse("Unsetup.bat")},
        {"HeldOnceListedThenRetried", DefaultInstallDir, "", DefaultDir, 8, HoldOnceListed, nullptr,
         "", nullptr, HKEY_LOCAL_MACHINE, InUse("Unsetup.bat")},
        {"HolderWithAnEmptyName", DefaultInstallDir, InUse(options), "", 0,
         HoldWithStandIn<options>, NoHolderLogged, "/S /LOG=" + plainLog, nullptr,
         HKEY_LOCAL_MACHINE, InUse(options)},
        {"HolderNameWithControlCharacters", DefaultInstallDir, InUse(calm, "NimbetPlayer"), "", 0,
         HoldWithStandIn<calm>,
         [](FaultRun *) { EXPECT_EQ(1u, Logged("Held by NimbetPlayer, process 4242")); },
         "/S /LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, InUse(calm, "NimbetPlayer")},
        {"HolderOfANonAsciiFolder", "c:\\e2e\\Nimb\xe9t", InUse(notes, "Nimbet Notes Editor"), "",
         0, HoldWithStandIn<notes>, nullptr, "/S /LOG=" + plainLog + " /D=c:\\e2e\\Nimb\xe9t",
         nullptr, HKEY_LOCAL_MACHINE, InUse(notes, "Nimbet Notes Editor")},
        {"UnattendedInUseNamesNoProcess", DefaultInstallDir, unsetupInUse, "", 0,
         HoldDestinationOpen, NoHolderLogged, "/S /LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE,
         unsetupInUse},
        /* No one to see: the help logged, the spellings of /S and the switches that come along. */
        {"UnattendedHelp", "", helpText, "", 0, nullptr, nullptr,
         "/S /LOG=" + plainLog + " /? /Verify /D=c:\\e2e\\help"},
        {"DashOptions", "c:\\e2e\\dash", "", "c:\\e2e\\dash", 8, nullptr, nullptr,
         "-S -LOG=" + plainLog + " -D=c:\\e2e\\dash"},
        {"MsiQuiet", DefaultInstallDir, "", DefaultDir, 8, nullptr, nullptr,
         "/qn /LOG=" + plainLog},
        {"QuietQ", DefaultInstallDir, "", DefaultDir, 8, nullptr, nullptr, "/Q /LOG=" + plainLog},
        {"SilentRunIntoDirectory", "c:\\e2e\\x", "", "c:\\e2e\\x", 8, nullptr, nullptr,
         "/LOG=" + plainLog + " /S/D=c:\\e2e\\x"},
        {"SilentWithTheSwitchesThatComeWithIt", DefaultInstallDir, "", DefaultDir, 8, nullptr,
         [](FaultRun *)
         {
             for (const char *name : {"/SUPPRESSMSGBOXES", "/NORESTART", "/SP-", "/NOCANCEL"})
                 EXPECT_EQ(1u, Logged(std::string("Ignored ") + name +
                                      ", which asks for what the setup does anyway"));
         },
         "/SILENT /SUPPRESSMSGBOXES /NORESTART /SP- /NOCANCEL /norestart /LOG=" + plainLog},
        {"UnattendedQuotedUnknownOption", "", "Unknown option \"/Qx\"", "", 0, nullptr, nullptr,
         "/S \"/Qx\" /LOG=" + plainLog},
        {"UnattendedVerifyUnknownOption", DefaultInstallDir, "Unknown option /Qx", "", 0,
         StageFiles<Intact, 0>, NoInstallDirectory, "/VERIFY /S /Qx /LOG=" + plainLog},
        {"VerifyWithoutTable", DefaultInstallDir, presenceOnly, "", 0,
         StageFiles<OneByteChanged, 4, false>, NoInstallDirectory, "/VERIFY"},
        /* A log that would replace a product file, by the same file or the same name. */
        {"UnattendedLogIsAnEarlierFile", DefaultInstallDir, logRefused, "", 0,
         [](FaultRun *) { InstallEarlier(FILE_ATTRIBUTE_NORMAL); }, EarlierInstallUnchanged,
         "/S /LOG=" + ShortName(DefaultDir) + "\\NOTES.DOC"},
        {"LogWouldBeAProductFile", DefaultInstallDir, logRefused, "", 0, nullptr,
         NoInstallDirectory, "/LOG=\"c:\\e2e\\..\\NIMBET 2 ALPHA\\notes.doc\""},
        /* Drive V: seen as a folder of C: (tests/CMakeLists.txt): its own space is asked. */
        {"FolderOnASmallerVolume", "C:\\nimbet-volume\\Nimbet", clusterShortfall, "", 0,
         FillToTheClusters, nullptr, "/S /LOG=" + plainLog + " /D=C:\\nimbet-volume\\Nimbet"},
        /* Faults no other row reaches. */
        {"FirstFileDamagedOverEarlierInstall", DefaultInstallDir, Told(damaged, 0), "", 0,
         DamageOverEarlierInstall<0>, EarlierInstallUnchanged, "/S /LOG=" + plainLog},
        {"DigestDiffersInItsLastByte", DefaultInstallDir, Told(damaged, 7), DefaultDir, 7,
         [](FaultRun *run)
         {
             run->StampDigests();
             std::string exe = ReadFileBytes(DistFile("setup.exe"));
             exe[exe.find(DIGEST_TABLE_MARKER) + offsetof(DigestTable, files[7].digest[31])] ^= 1;
             WriteFileBytes(DistFile("setup.exe"), exe);
         },
         nullptr},
        {"OwnNameLeftByAnEarlierRun", DefaultInstallDir, Told(damaged, 4), DefaultDir, 4,
         [](FaultRun *run)
         {
             StageFiles<OneByteChanged, 4>(run);
             CreateDirectoryA(DefaultDir, NULL);
             run->mayChange_.push_back(InDirectory(DefaultDir, "NimSetup.$$4"));
             WriteFileBytes(run->mayChange_.back(), "left by an earlier run");
         },
         [](FaultRun *run) { EXPECT_FALSE(FileExists(run->mayChange_.back())); }},
        /* The list is written aside first, under a name of the setup's own. */
        {"ListOfBackupsCannotBeWritten", DefaultInstallDir, CopyFailure(0), "", 0,
         [](FaultRun *)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             CreateDirectoryA(InDirectory(DefaultDir, "NimSetup.$$~").c_str(), NULL);
         },
         EarlierInstallUnchanged, "/S /LOG=" + plainLog},
        {"ListOfBackupsRemovedLast", DefaultInstallDir, "", DefaultDir, 8, WatchOverEarlierInstall,
         [](FaultRun *) { EXPECT_EQ("NimSetup.$$$", RemovedNames().back()); },
         "/S /LOG=" + plainLog},
        {"LinkObjectCannotBeMade", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             BlockGroupFile(run);
             SetLinkServer(missingServer);
         },
         [](FaultRun *)
         {
             EXPECT_EQ(1u, Logged("CoCreateInstance(" + StartMenuGroupFolder() +
                                  "\\Nimbet 2 Alpha.lnk) failed: 2147942405 Access denied."));
         },
         "/S /LOG=" + plainLog},
        /* One run at a time, and the list of backups that knows its phase and its own files. */
        {"SecondSetupWhileTheFirstIsOpen", DefaultInstallDir, "", DefaultDir, 8, nullptr,
         [](FaultRun *)
         { EXPECT_EQ(std::string::npos, ReadFileBytes(plainLog).find(busy)) << "log cut"; },
         "/LOG=" + plainLog, OthersRefusedMeanwhile},
        {"KilledWhileDeletingBackupsThenAGoodRun", DefaultInstallDir, "", DefaultDir, 8,
         KilledWhileDeletingBackups, NoBackupsOrList},
        {"KilledWhileDeletingBackupsThenADamagedFile", DefaultInstallDir, Told(damaged, 2), "", 2,
         [](FaultRun *run)
         {
             KilledWhileDeletingBackups(run);
             StageFiles<OneByteChanged, 2>(run);
         },
         NewVersionWholeAndNoBackups, "/S /LOG=" + plainLog},
        {"ListNamesTheUsersNotesThenAGoodRun", DefaultInstallDir, "", DefaultDir, 8,
         ListThenUsersNotes, UsersNotesLeftAlone, "/S /LOG=" + plainLog},
        {"ListNamesTheUsersNotesThenADamagedFile", DefaultInstallDir, Told(damaged, 6), "", 6,
         [](FaultRun *run)
         {
             ListThenUsersNotes<25>(run);
             StageFiles<OneByteChanged, 6>(run);
         },
         [](FaultRun *run)
         {
             EarlierInstallUnchanged(run);
             UsersNotesLeftAlone(run);
         },
         "/S /LOG=" + plainLog},
        /* A list the setup cannot read: nothing changes. */
        {"ListNotTheSetups", DefaultInstallDir, listRefused, "", 0, EarlierAndBadList<0>, nullptr,
         "/S /LOG=" + plainLog},
        {"ListCutInALine", DefaultInstallDir, listRefused, "", 0, EarlierAndBadList<1>, nullptr,
         "/S /LOG=" + plainLog},
        {"ListPaddedWithZeros", DefaultInstallDir, listRefused, "", 0, EarlierAndBadList<2>,
         nullptr, "/S /LOG=" + plainLog},
        {"ListIsAFolder", DefaultInstallDir, listRefused, "", 0, EarlierAndBadList<3>,
         EarlierInstallUnchanged},
        /* A backup after the first (the list is rewritten around it) read by another program,
           sharing reading only, from the copy of nimbet2.mid to the end, or until its first
           delete failed. */
        {"BackupHeldForReadingWhileDeleted", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             listWatcher = CreateThread(NULL, 0, WatchTheList, NULL, 0, NULL);
         },
         HeldBackupListedThenRemoved, "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, "",
         FILE_SHARE_READ, InDirectory(DefaultDir, "calm.mi~")},
        {"BackupHeldForAMomentWhileDeleted", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             run->ReleaseWhenLogged("DeleteFileA(c:\\Nimbet 2 Alpha\\Nim2Alph.ex~) failed");
         },
         nullptr, "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, "", FILE_SHARE_READ,
         InDirectory(DefaultDir, "Nim2Alph.ex~")},
        {"ListHeldForAMomentWhileReplaced", DefaultInstallDir, "", DefaultDir, 8,
         [](FaultRun *run)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             run->mayChange_.push_back(listFile);
             WriteFileBytes(listFile, ListOf("delete", 0));
             run->ReleaseWhenLogged(listHeld);
         },
         [](FaultRun *run)
         {
             NoBackupsOrList(run);
             /* Asked again once let go; elsewhere the list is replaced in one step. */
             EXPECT_EQ(1u, Logged(listHeld)) << ReadFileBytes(plainLog);
         },
         "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, "", FILE_SHARE_READ, listFile},
        /* Run from the install folder, whose last file another program opens, sharing only
           writing, half way through the copy: that file cannot be read to check it. */
        /* Nothing was moved aside, so nothing is removed, nor said to be. */
        {"CheckedInTheInstallFolder", DefaultInstallDir, "", DefaultDir, 8, CheckedInPlace,
         [](FaultRun *)
         { EXPECT_EQ(std::string::npos, ReadFileBytes(plainLog).find("\r\nRemoved ")); },
         "/LOG=" + plainLog},
        {"UnreadableInTheInstallFolder", DefaultInstallDir,
         Told(unreadInPlace, 7) + "Sharing violation.", "", 7, CheckedInPlace, nullptr,
         "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, "", FILE_SHARE_WRITE,
         InDirectory(DefaultDir, "Unsetup.bat")},
        {"DamagedAndNotAllPutBack", DefaultInstallDir,
         Told(damaged, 4) + " Some earlier files could not be put back: they are in the install "
                            "folder, with ~ as the last letter of their names.",
         "", 4,
         [](FaultRun *run)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             StageFiles<OneByteChanged, 4>(run);
         },
         EarlierFileKeptAsBackup, "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, "",
         FILE_SHARE_READ | FILE_SHARE_WRITE, InDirectory(DefaultDir, "Nim2Alph.exe")},
        /* The same, let go after the first try: the put-back is asked again, and is whole. */
        {"DamagedAndPutBackOnceLetGo", DefaultInstallDir, Told(damaged, 4), "", 4,
         [](FaultRun *run)
         {
             InstallEarlier(FILE_ATTRIBUTE_NORMAL);
             StageFiles<OneByteChanged, 4>(run);
             run->ReleaseWhenLogged("MoveFileExA(c:\\Nimbet 2 Alpha\\Nim2Alph.ex~, "
                                    "c:\\Nimbet 2 Alpha\\Nim2Alph.exe) failed");
         },
         [](FaultRun *run)
         {
             EarlierInstallUnchanged(run);
             NoBackupsOrList(run);
         },
         "/LOG=" + plainLog, nullptr, HKEY_LOCAL_MACHINE, "", FILE_SHARE_READ | FILE_SHARE_WRITE,
         InDirectory(DefaultDir, "Nim2Alph.exe")},
        /* Over an earlier install of empty files, which take no cluster: one cluster short of the
           new files and the list's two, and an exact fit. */
        {"ClustersOverEarlierInstallCountTheList", clusterDir,
         "You need about 4096 more bytes of disk space to install Nimbet.", "", 0,
         FillToTheClusters<118, true>, nullptr, "/S /LOG=" + plainLog + " /D=" + clusterDir},
        {"ClustersOverEarlierInstallFitWithTheList", clusterDir, "", clusterDir, 8,
         FillToTheClusters<117, true>, nullptr, "/S /LOG=" + plainLog + " /D=" + clusterDir},
    };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Table, FaultRun, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

/*
 * Two unattended reinstalls of 8 MB each into one folder from two setup
 * folders, the second started 0 to 175 ms after the first: each ends installed
 * (0) or refused (1618), and the folder holds the files of one that installed.
 */
TEST(TwoRunsAtOnce, OneInstallsWholeTheOtherIsRefused)
{
    RemoveInstallTraces();
    ASSERT_TRUE(StageDistribution());
    const std::string folders[2] = {DistDir, "C:\\e2e\\other"};
    CreateDirectoryA(folders[1].c_str(), NULL);
    CopyFileA(DistFile("setup.exe").c_str(), (folders[1] + "\\setup.exe").c_str(), FALSE);
    auto payload = [](int run, int row) { return std::string(1000000, (char)("aA"[run] + row)); };
    for (int run = 0; run < 2; run++)
        for (int row = 0; row < ProductFileCount; row++)
            WriteFileBytes(folders[run] + "\\" + ProductFiles[row], payload(run, row));
    for (DWORD delay : {0, 15, 40, 80, 120, 175})
    {
        SCOPED_TRACE(testing::Message() << "second run " << delay << " ms later");
        SetupProcess runs[2];
        DWORD codes[2] = {12345, 12345};
        runs[0] = StartSetup(folders[0] + "\\setup.exe", folders[0], "/S");
        Sleep(delay);
        runs[1] = StartSetup(folders[1] + "\\setup.exe", folders[1], "/S");
        for (int run = 0; run < 2; run++)
            EXPECT_TRUE(WaitForSetupExit(&runs[run], WaitMs, &codes[run]) &&
                        (codes[run] == 0 || codes[run] == 1618))
                << codes[run];
        int whose = ReadFileBytes(InDirectory(DefaultDir, ProductFiles[0])) == payload(1, 0);
        EXPECT_EQ(0u, codes[whose]);
        for (int row = 0; row < ProductFileCount; row++)
            EXPECT_TRUE(payload(whose, row) ==
                        ReadFileBytes(InDirectory(DefaultDir, ProductFiles[row])))
                << ProductFiles[row];
        NoBackupsOrList(nullptr);
    }
    RemoveInstallTraces();
    RemoveTree(StageDir);
}

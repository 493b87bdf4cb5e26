/*
 * Bad input and faults from the outside: each row of the table below starts the
 * built setup.exe, puts one text in its directory field or arranges one fault,
 * presses Continue and checks what the user sees (the completion page or one of
 * the setup's own messages), what arrived on disk and in the registry, that the
 * process ended with code 0, and that nothing else on the drives changed.
 */
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>
#include "driver/remote.h"
#include "driver/stage.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

/* The rig's small drive for the copy that runs out of space (tests/CMakeLists.txt). */
const char fillDrive[] = "U:\\";
const char fillDir[] = "U:\\Nimbet";

std::string Lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

/* Whether text ends in a backslash: its last character, not its last byte, in a double-byte code
 * page. */
bool EndsInBackslash(const std::string &text)
{
    return !text.empty() && *CharPrevA(text.c_str(), text.c_str() + text.size()) == '\\';
}

/* True when path is dir itself or lies below it (ASCII case ignored, as the drive does). */
bool IsWithin(const std::string &path, const std::string &dir)
{
    std::string p = Lower(path), d = Lower(dir);
    if (EndsInBackslash(d))
        d.pop_back();
    return p == d || (p.size() > d.size() && p.compare(0, d.size(), d) == 0 && p[d.size()] == '\\');
}

/* path with every short (8.3) name in it spelled out long. */
std::string LongName(const std::string &path)
{
    char name[MAX_PATH] = "";
    GetLongPathNameA(path.c_str(), name, sizeof name);
    return name;
}

std::string InDirectory(const std::string &dir, const char *name)
{
    return dir + (EndsInBackslash(dir) ? "" : "\\") + name;
}

/*
 * What a drive and the registry hold, entry by entry: a file by its size, last
 * write time and attributes, a directory by its existence (its time changes
 * whenever an entry is made in it), a registry value by its type and data.
 */
typedef std::map<std::string, std::string> Snapshot;

std::string Describe(const WIN32_FIND_DATAA &found)
{
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return "<dir>";
    return std::to_string(((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow) +
           " bytes, " +
           std::to_string(((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) |
                          found.ftLastWriteTime.dwLowDateTime) +
           ", attributes " + std::to_string(found.dwFileAttributes);
}

void SnapshotTree(const std::string &dir, Snapshot *into)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        {
            /* Wine links the user's Documents, Desktop and the like to the host's
               home directory: outside the drive, and not walked. */
            (*into)[path] = "<link>";
            continue;
        }
        (*into)[path] = Describe(found);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            SnapshotTree(path, into);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void SnapshotKey(HKEY root, const std::string &name, const std::string &path, Snapshot *into)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    (*into)[name] = "<key>";
    char valueName[16384];
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; i++)
    {
        DWORD nameSize = sizeof valueName, dataSize = (DWORD)data.size(), type = 0;
        if (RegEnumValueA(key, i, valueName, &nameSize, NULL, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            break;
        (*into)[name + "\\:" + valueName] =
            std::to_string(type) + ":" + std::string((const char *)data.data(), dataSize);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; i++)
    {
        char subkey[256];
        DWORD size = sizeof subkey;
        if (RegEnumKeyExA(key, i, subkey, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.push_back(subkey);
    }
    RegCloseKey(key);
    for (const std::string &subkey : subkeys)
        SnapshotKey(root, name + "\\" + subkey, path.empty() ? subkey : path + "\\" + subkey, into);
}

/* Every path whose entry differs between the two snapshots, with both sides. */
std::vector<std::string> Changes(const Snapshot &before, const Snapshot &after)
{
    std::vector<std::string> changes;
    for (const auto &entry : after)
    {
        auto old = before.find(entry.first);
        if (old == before.end())
            changes.push_back(entry.first + " (new: " + entry.second + ")");
        else if (old->second != entry.second)
            changes.push_back(entry.first + " (was " + old->second + ", now " + entry.second + ")");
    }
    for (const auto &entry : before)
        if (after.find(entry.first) == after.end())
            changes.push_back(entry.first + " (removed)");
    return changes;
}

std::string PathOf(const std::string &change)
{
    return change.substr(0, change.find(" ("));
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

std::string CopyFailure(int index)
{
    return std::string("Could not copy ") + ProductFiles[index];
}

/* The status line's last text before an outcome: the step the run had reached. */
std::string StatusBefore(const std::string &outcome)
{
    if (outcome.empty())
        return "";
    for (int i = 0; i < ProductFileCount; i++)
    {
        if (outcome == CopyFailure(i))
            return "Copying files... " + std::to_string((i + 1) * 100 / ProductFileCount) +
                   "% completed";
    }
    return "Creating directory..";
}

class FaultRun;

/* One row: a directory field (or fault) and what must come of it. */
struct Row
{
    const char *name;
    std::string field; /* the directory field's text as the user leaves it */
    /* What the user sees: one of the setup's messages, or "" for the completion page. */
    std::string message;
    /* The directory the files go to, in full, or "" where the field names none that
       could be created. Changes are allowed within it and for missing parents of it. */
    std::string installedIn;
    int filesCopied; /* how many of the eight, in table order, arrive there intact */
    /* Sets up the fault before the run (or 0), and checks what the fault must leave (or 0). */
    void (*arrange)(FaultRun *run);
    void (*verify)(FaultRun *run);
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name << " [" << row.field << "]";
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

    /* Opens path without sharing for the whole run, as another program might. */
    void HoldOpen(const std::string &path, DWORD access, DWORD disposition)
    {
        HANDLE file = CreateFileA(path.c_str(), access, 0, NULL, disposition, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
        held_.push_back(file);
    }

    /* Drives besides C: that the run may touch and the snapshots must cover. */
    std::vector<std::string> extraDrives_;
    /* Where the setup is started from: DistDir, unless the row moved it. */
    std::string distDir_ = DistDir;

  protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        Clean();
        ASSERT_TRUE(StageDistribution());
        for (int i = 0; i < ProductFileCount; i++)
            payload_[i] = StagedPayload(ProductFiles[i]);
    }

    void TearDown() override
    {
        EndHookedSetup(&process_, &hook_);
        ReleaseHeld();
        Clean();
        CoUninitialize();
    }

    /* Everything a row may leave behind, so the next row starts from the same state. */
    void Clean()
    {
        RemoveTree(StartMenuGroupFolder());
        RemoveTree(DefaultDir);
        RemoveTree(StageDir);
        RemoveTree(fillDir);
        for (int i = 0; i < ProductFileCount; i++)
            DeleteFileA((std::string("C:\\") + ProductFiles[i]).c_str());
        DeleteFileA(WindowsDirectoryFile("SETUP.INI").c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Orvanex");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    }

    void ReleaseHeld()
    {
        for (HANDLE file : held_)
            CloseHandle(file);
        held_.clear();
    }

    Snapshot TakeSnapshot()
    {
        Snapshot snapshot;
        SnapshotTree("C:", &snapshot);
        for (const std::string &drive : extraDrives_)
            SnapshotTree(drive.substr(0, 2), &snapshot);
        /*
         * All of HKEY_CURRENT_USER (small, and where the shell records what it
         * does for the user), but of HKEY_LOCAL_MACHINE only the uninstall list
         * and the product's own key: the setup names no other key there, and the
         * directory reaches the registry only as value data.
         */
        SnapshotKey(HKEY_CURRENT_USER, "HKCU", "", &snapshot);
        for (const char *key :
             {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "SOFTWARE\\Orvanex"})
            SnapshotKey(HKEY_LOCAL_MACHINE, std::string("HKLM\\") + key, key, &snapshot);
        /* The test's own record of the status line, written by its hook. */
        snapshot.erase(StatusLog);
        return snapshot;
    }

    /* Starts the setup with the status hook on its thread and returns its dialog. */
    HWND Start()
    {
        HWND dialog = StartHookedSetup(&process_, &hook_, WaitMs, distDir_);
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
                EXPECT_EQ(SetupTitle, box.caption) << box.text;
                EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons) << box.text;
                EXPECT_FALSE(box.iconShown) << box.text;
                EXPECT_EQ(dialog, box.owner) << box.text;
                AnswerMessageBox(box);
                return box.text;
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
     * two registry keys with their parents.
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
        if (!completed)
            return false;
        std::string appKeyPath = std::string("HKCU\\") + AppKey;
        std::string uninstallKeyPath = std::string("HKLM\\") + UninstallKey;
        return Lower(path) == Lower(WindowsDirectoryFile("SETUP.INI")) ||
               IsWithin(path, StartMenuGroupFolder()) || IsWithin(path, appKeyPath) ||
               IsWithin(appKeyPath, path) || IsWithin(path, uninstallKeyPath);
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
            else if (i > row.filesCopied)
            {
                EXPECT_FALSE(FileExists(path)) << path << " was copied after a failure";
            }
        }
    }

    void ExpectRegistryFor(const Row &row, bool completed)
    {
        if (!completed)
        {
            EXPECT_EQ("<no key>", RegistryText(HKEY_CURRENT_USER, AppKey, "location"));
            EXPECT_EQ("<no key>", RegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"));
            return;
        }
        EXPECT_EQ(row.field, RegistryText(HKEY_CURRENT_USER, AppKey, "location"));
        EXPECT_EQ("0.1", RegistryText(HKEY_CURRENT_USER, AppKey, "version"));
        EXPECT_EQ("Nimbet 2 Alpha", RegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"));
        EXPECT_EQ(row.field + "\\unsetup.exe 0",
                  RegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    }

    /* On completion the group description names the directory as entered, in full. */
    void ExpectStartMenuFor(const Row &row, bool completed)
    {
        if (!completed)
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
    std::string payload_[ProductFileCount];
};

TEST_P(FaultRun, EndsOnItsPageOrMessageAndChangesOnlyItsOwn)
{
    const Row &row = GetParam();
    if (row.arrange)
        row.arrange(this);
    if (HasFatalFailure() || IsSkipped())
        return;
    Snapshot before = TakeSnapshot();

    HWND dialog = Start();
    ASSERT_NE(nullptr, dialog);
    if (row.field != DefaultInstallDir)
        SetRemoteControlText(dialog, CTL_DIRECTORY, row.field);
    ASSERT_EQ(row.field, RemoteControlText(dialog, CTL_DIRECTORY));
    ClickControl(dialog, CTL_CONTINUE);
    std::string outcome = WaitForOutcome(dialog);
    bool completed = outcome.empty();
    EXPECT_EQ(row.message, outcome) << "last status: " << LastStatus();
    EXPECT_EQ(0u, EndRun(dialog, completed));
    ReleaseHeld();
    EXPECT_EQ(StatusBefore(outcome), LastStatus());

    ExpectFilesIn(row);
    ExpectRegistryFor(row, completed);
    ExpectStartMenuFor(row, completed);
    if (row.verify)
        row.verify(this);
    for (const std::string &change : Changes(before, TakeSnapshot()))
        EXPECT_TRUE(IsAllowedChange(PathOf(change), row, completed)) << "changed: " << change;
}

void BlockWithFile(FaultRun *)
{
    WriteFileBytes("C:\\e2e\\blocker", "a file where a directory would go");
}

void BlockerUnchanged(FaultRun *)
{
    EXPECT_EQ("a file where a directory would go", ReadFileBytes("C:\\e2e\\blocker"));
}

/* options.exe of an earlier install, held open by the running product. */
void HoldDestinationOpen(FaultRun *run)
{
    CreateDirectoryA(DefaultDir, NULL);
    WriteFileBytes(std::string(DefaultDir) + "\\options.exe", "options.exe, still running");
    run->HoldOpen(std::string(DefaultDir) + "\\options.exe", GENERIC_READ | GENERIC_WRITE,
                  OPEN_EXISTING);
}

void HeldDestinationUnchanged(FaultRun *)
{
    EXPECT_EQ("options.exe, still running",
              ReadFileBytes(std::string(DefaultDir) + "\\options.exe"));
}

void RemoveSource(FaultRun *)
{
    DeleteFileA(DistFile("calm.mid").c_str());
}

void HoldSourceOpen(FaultRun *run)
{
    run->HoldOpen(DistFile("tour.kvr"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
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
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(fillDrive, &available, &total, &free));
    ASSERT_GE(free.QuadPart, (ULONGLONG)RequiredBytes);
    ASSERT_GE(free.QuadPart, 3 * largeFileBytes + 65536);
    ASSERT_LT(free.QuadPart, 4 * largeFileBytes);
    for (int i = 0; i < 4; i++)
        run->StagePayload(i, std::string(largeFileBytes, (char)('0' + i)));
    run->extraDrives_.push_back(fillDrive);
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
        {"UncPath", "\\\\nimbet-no-server\\share\\Nimbet", noDirectory, "", 0, nullptr, nullptr},
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
        {"SourceDirectoryByAnotherName", "C:\\e2e\\dist\\.", "", "C:\\e2e\\dist", 8, nullptr,
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
        /* Faults met during the copy. */
        {"DestinationInUse", DefaultInstallDir, CopyFailure(5), DefaultDir, 5, HoldDestinationOpen,
         HeldDestinationUnchanged},
        /* The file that did not fit stays as far as it was written (Wine's copy leaves it). */
        {"DriveFillsUp", fillDir, CopyFailure(3), fillDir, 3, FillTheDrive, nullptr},
        {"SourceMissing", DefaultInstallDir, CopyFailure(2), DefaultDir, 2, RemoveSource, nullptr},
        {"SourceHeldOpen", DefaultInstallDir, CopyFailure(1), DefaultDir, 1, HoldSourceOpen,
         NothingOfTourCopied},
        {"SourceIsADirectory", DefaultInstallDir, CopyFailure(4), DefaultDir, 4, DirectoryAsSource,
         nullptr},
    };
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Table, FaultRun, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

/*
 * The Start menu group: SETUP.INI byte for byte in the real Windows directory,
 * and what the converter, a recording stand-in, was started with and found.
 */
#include <gtest/gtest.h>
#include <string>
#include <shlobj.h>
#include "register/startmenu.h"
#include "base/state.h"
#include "support/converter.h"
#include "support/testing.h"

namespace
{

const DWORD ConverterWait = 20000;

struct Item
{
    const char *name;
    const char *file;
    const char *arguments;
};

const Item items[] = {
    {"Nimbet 2 Alpha", "Nim2Alph.exe", ""},
    {"Readme", "Notes.doc", ""},
    {"Configuration", "options.exe", " 1"},
    {"Uninstall Nimbet 2 Alpha", "Unsetup.exe", ""},
};

std::string ShortPath(const std::string &path)
{
    char result[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path.c_str(), result, sizeof result);
    return length > 0 && length < sizeof result ? result : "";
}

/* The file as it must read, with each item's command line from commandFor. */
template <typename CommandFor>
std::string ExpectedGroup(const std::string &directory, CommandFor commandFor)
{
    std::string text = "[progman.groups]\r\ngroupX=Nimbet 2 Alpha\r\n[groupX]\r\n";
    for (const Item &item : items)
    {
        std::string path = directory + "\\" + item.file;
        text += "\"" + std::string(item.name) + "\",\"" + commandFor(path) + item.arguments +
                "\",,,,\"" + directory + "\"\r\n";
    }
    return text;
}

std::string ExpectedWithShortPaths(const std::string &directory)
{
    return ExpectedGroup(directory,
                         [](const std::string &path)
                         {
                             std::string shortPath = ShortPath(path);
                             /* A short form differing from the path proves it was used. */
                             EXPECT_NE("", shortPath) << path;
                             EXPECT_NE(path, shortPath);
                             return shortPath;
                         });
}

std::string ExpectedWithLongPaths(const std::string &directory)
{
    return ExpectedGroup(directory, [](const std::string &path) { return path; });
}

/* A directory of exactly length characters under C:\tests. */
std::string DirectoryOfLength(size_t length)
{
    std::string base = "C:\\tests\\";
    return base + std::string(length - base.size(), 'd');
}

class StartMenuGroup : public testing::Test
{
  protected:
    void SetUp() override
    {
        CoInitialize(NULL);
        RemoveTree(StartMenuGroupFolder());
        RemoveTree(groupFile);
        CreateDirectoryA("C:\\tests", NULL);
        lstrcpyA(savedInstallDir, InstallDir);
    }
    void TearDown() override
    {
        RemoveTree(StartMenuGroupFolder());
        CoUninitialize();
        RemoveTree(groupFile);
        for (const std::string &directory : madeDirectories)
            RemoveTree(directory);
        lstrcpyA(InstallDir, savedInstallDir);
    }

    /* Sets InstallDir, optionally with the item files really there. */
    void UseInstallDir(const std::string &directory, bool withFiles)
    {
        ASSERT_LT(directory.size(), sizeof InstallDir);
        lstrcpyA(InstallDir, directory.c_str());
        if (!withFiles)
            return;
        madeDirectories.push_back(directory);
        ASSERT_TRUE(CreateDirectoryA(directory.c_str(), NULL) || DirectoryExists(directory));
        for (const Item &item : items)
            WriteFileBytes(directory + "\\" + item.file, "installed");
    }

    const std::string groupFile = WindowsDirectoryFile("SETUP.INI");
    std::vector<std::string> madeDirectories;
    char savedInstallDir[PathSize];
};

TEST_F(StartMenuGroup, DescribesTheFourItemsAndStartsTheConverterHidden)
{
    ConverterStandIn converter;
    ASSERT_TRUE(converter.Installed());
    UseInstallDir("c:\\Nimbet 2 Alpha", true);
    std::string expected = ExpectedWithShortPaths("c:\\Nimbet 2 Alpha");

    CreateStartMenuGroup();

    EXPECT_EQ(expected, ReadFileBytes(groupFile));
    std::vector<ConverterRun> runs = converter.WaitForRuns(ConverterWait);
    ASSERT_EQ(1u, runs.size());
    const ConverterRun &run = runs[0];
    EXPECT_EQ("\"" + SystemDirectoryFile("grpconv.exe") + "\" -o", run.commandLine);
    EXPECT_TRUE(run.startupFlags & STARTF_USESHOWWINDOW);
    EXPECT_EQ(SW_HIDE, run.showWindow);
    EXPECT_TRUE(run.groupFileFound);
    EXPECT_EQ(expected, run.groupFile);
    EXPECT_FALSE(DirectoryExists(StartMenuGroupFolder()))
        << "links made although the converter started";
}

TEST_F(StartMenuGroup, WithoutAConverterTheShellLinksMakeTheGroup)
{
    WriteFileBytes(groupFile, std::string(5000, 'x'));
    ASSERT_TRUE(CreateDirectoryA(StartMenuGroupFolder().c_str(), NULL));
    WriteFileBytes(StartMenuGroupFolder() + "\\Readme.lnk", "an older, broken link");
    UseInstallDir("c:\\Nimbet 2 Alpha", true);

    /* Wine has no grpconv of its own: the start fails silently. */
    ASSERT_FALSE(FileExists(WindowsDirectoryFile("grpconv.exe")));
    CreateStartMenuGroup();

    /* The description is still written, whole, over the longer old file. */
    EXPECT_EQ(ExpectedWithShortPaths("c:\\Nimbet 2 Alpha"), ReadFileBytes(groupFile));
    for (const Item &item : items)
    {
        SCOPED_TRACE(item.name);
        ShellLink link = ReadShellLink(StartMenuGroupFolder() + "\\" + item.name + ".lnk");
        ASSERT_TRUE(link.loaded);
        EXPECT_EQ(std::string("c:\\Nimbet 2 Alpha\\") + item.file, link.target);
        EXPECT_EQ(item.arguments[0] ? "1" : "", link.arguments);
        EXPECT_EQ("c:\\Nimbet 2 Alpha", link.workingDirectory);
    }
}

TEST_F(StartMenuGroup, LongestInstallableDirectoryGivesTheWholeFile)
{
    /* Its longest joined path, with Nim2Alph.exe, is exactly 259 characters. */
    std::string directory = DirectoryOfLength(259 - 1 - lstrlenA("Nim2Alph.exe"));
    struct
    {
        bool withFiles;
        std::string (*expected)(const std::string &);
    } cases[] = {
        {true, ExpectedWithShortPaths},
        /* Files absent: no short form to be had, so the long paths stand in. */
        {false, ExpectedWithLongPaths},
    };
    for (const auto &run : cases)
    {
        SCOPED_TRACE(run.withFiles ? "files present" : "files absent");
        RemoveTree(directory);
        UseInstallDir(directory, run.withFiles);
        std::string expected = run.expected(directory);
        /* Beyond what wsprintfA could ever compose. */
        ASSERT_GT(expected.size(), 1024u);

        ConverterStandIn converter;
        ASSERT_TRUE(converter.Installed());
        CreateStartMenuGroup();

        EXPECT_EQ(expected, ReadFileBytes(groupFile));
        std::vector<ConverterRun> runs = converter.WaitForRuns(ConverterWait);
        ASSERT_EQ(1u, runs.size());
        EXPECT_EQ(expected, runs[0].groupFile);
    }
}

/* Without short forms a path with a space cannot go through the group file: links instead. */
TEST_F(StartMenuGroup, ShortFormUnavailableGivesTheLongPathOrLinksWhereItHasASpace)
{
    ConverterStandIn converter;
    ASSERT_TRUE(converter.Installed());
    UseInstallDir("c:\\tests\\Nimbet 2 Alpha", false);
    CreateStartMenuGroup();
    EXPECT_FALSE(FileExists(groupFile));
    EXPECT_FALSE(converter.Started());
    EXPECT_TRUE(FileExists(StartMenuGroupFolder() + "\\Readme.lnk"));

    UseInstallDir("c:\\tests\\NimbetAlpha", false);
    CreateStartMenuGroup();
    EXPECT_EQ(ExpectedWithLongPaths("c:\\tests\\NimbetAlpha"), ReadFileBytes(groupFile));
}

TEST_F(StartMenuGroup, NothingIsWrittenOrStartedWhenAnItemPathIsTooLong)
{
    const std::string previous = "[progman.groups]\r\ngroupX=Earlier\r\n";
    WriteFileBytes(groupFile, previous);
    ConverterStandIn converter;
    ASSERT_TRUE(converter.Installed());
    /* One longer than installable: Nim2Alph.exe no longer joins, the other three still do. */
    UseInstallDir(DirectoryOfLength(259 - lstrlenA("Nim2Alph.exe")), false);

    CreateStartMenuGroup();

    EXPECT_EQ(previous, ReadFileBytes(groupFile));
    EXPECT_FALSE(converter.Started());
    EXPECT_FALSE(DirectoryExists(StartMenuGroupFolder()));
}

/* Runs a host command line: Wine starts host programs too (Windows has no such thing). */
void RunOnHost(const std::string &command)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string line = "Z:\\bin\\sh -c \"" + command + "\"";
    ASSERT_TRUE(
        CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

/* A SETUP.INI written only in part is removed: a host link puts it on the full drive T:. */
TEST_F(StartMenuGroup, ConverterIsNotStartedWhenTheFileIsNotWrittenWhole)
{
    if (GetDriveTypeA("T:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "drive T: is not mapped";
    WriteFileBytes("T:\\fill", std::string(4 << 20, 'x'));
    auto unixName = reinterpret_cast<char *(CDECL *)(LPCWSTR)>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    std::string link = unixName(std::wstring(groupFile.begin(), groupFile.end()).c_str());
    RunOnHost("ln -s " + std::string(unixName(L"T:\\SETUP.INI")) + " " + link);
    ConverterStandIn converter;
    ASSERT_TRUE(converter.Installed());
    UseInstallDir("c:\\Nimbet 2 Alpha", true);

    CreateStartMenuGroup();

    EXPECT_FALSE(FileExists("T:\\SETUP.INI"));
    EXPECT_FALSE(converter.Started());
    RunOnHost("rm " + link);
    DeleteFileA("T:\\fill");
}

/* Run as LocalSystem: the four links under the all-users Programs folder, no SETUP.INI, no
   converter started. */
TEST_F(StartMenuGroup, LocalSystemGetsTheAllUsersLinksOnly)
{
    char common[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(NULL, common, CSIDL_COMMON_PROGRAMS, TRUE));
    std::string folder = std::string(common) + "\\Nimbet 2 Alpha";
    ConverterStandIn converter;
    ASSERT_TRUE(converter.Installed());
    UseInstallDir("c:\\Nimbet 2 Alpha", true);
    CreateStartMenuGroupAs(1);
    for (const Item &item : items)
        EXPECT_EQ(std::string("c:\\Nimbet 2 Alpha\\") + item.file,
                  ReadShellLink(folder + "\\" + item.name + ".lnk").target)
            << item.name;
    EXPECT_FALSE(DirectoryExists(StartMenuGroupFolder()));
    EXPECT_FALSE(FileExists(groupFile));
    EXPECT_FALSE(converter.Started());
    RemoveTree(folder);
}

/* A converter that cannot be started (no program at all) is logged with WinExec's own answer,
   11 for a bad format, and the links make the group. (Its answer 0, out of memory, is not to
   be had here.) */
TEST_F(StartMenuGroup, RefusedConverterIsLoggedWithWinExecsAnswer)
{
    const std::string program = SystemDirectoryFile("grpconv.exe"), log = "C:\\tests\\sm.log";
    WriteFileBytes(program, "not a program");
    UseInstallDir("c:\\Nimbet 2 Alpha", true);
    LogFile =
        CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    CreateStartMenuGroup();
    CloseHandle(LogFile);
    LogFile = NULL;
    DeleteFileA(program.c_str());
    std::string text = ReadFileBytes(log);
    EXPECT_NE(text.npos, text.find("\r\nWinExec(\"" + program + "\" -o) failed: 11\r\n")) << text;
    EXPECT_TRUE(FileExists(StartMenuGroupFolder() + "\\Readme.lnk"));
}

/* The process's user as the token tells it, read here independently. */
TEST(LocalSystem, TheProcessUserSidIsTheTokensUser)
{
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE own[128];
    DWORD size;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, own, sizeof own, &size));
    CloseHandle(token);
    DWORD buffer[UserSidSize / sizeof(DWORD)];
    const DWORD *sid = GetProcessUserSid(buffer);
    ASSERT_NE(nullptr, sid);
    EXPECT_TRUE(EqualSid(reinterpret_cast<TOKEN_USER *>(own)->User.Sid, (PSID)sid));
}

/* Wine runs nothing as LocalSystem: the decision is tested on SIDs (the tests above run as a
   user). S-1-5-18, then S-1-5-19, S-1-5-32-544, S-1-1-0 and S-1-18-18. */
TEST(LocalSystem, IsTheSidOfAuthorityFiveAndSubauthority18Only)
{
    const DWORD sids[] = {0x101, 0x05000000, 18, 0x101, 0x05000000, 19, 0x201, 0x05000000, 32,
                          0x101, 0x01000000, 0,  0x101, 0x12000000, 18};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(i == 0, IsLocalSystemSid(sids + 3 * i) != 0) << i;
}

} // namespace

/*
 * The install directory on the real platform: the shell's folder picker driven
 * from a second thread, the free-space decision and its test on Wine's drives,
 * and the creation of nested directories on Wine's C: drive.
 */
#include <windows.h>
#include <shlobj.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>
#include "base/state.h"
#include "install/installdir.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

/* Set when a modal loop owned by the dialog (the picker's) has run out of work. */
volatile LONG pickerIdle;

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_ENTERIDLE)
        InterlockedExchange(&pickerIdle, 1);
    return message == WM_INITDIALOG;
}

void SetInstallDir(const std::string &directory)
{
    lstrcpynA(InstallDir, directory.c_str(), PathSize);
}

/* --- The folder picker ------------------------------------------------------------------ */

/* What the user does at the picker once it is up, and what they saw there. */
struct PickerVisit
{
    const char *folder = nullptr; /* selected by path, or */
    LPCITEMIDLIST item = nullptr; /* selected by item */
    bool pressOk = false;         /* then OK (posted, even when disabled) or Cancel */
    bool shown = false;
    HWND owner = NULL;
    std::string title;
    bool okEnabled = false;
};

PickerVisit Choose(const char *folder, bool pressOk)
{
    PickerVisit visit;
    visit.folder = folder;
    visit.pressOk = pressOk;
    return visit;
}

/* Control ids inside the platform's picker dialog. */
const int PickerTree = 0x3741;
const int PickerTitle = 0x3742;

struct PickerSearch
{
    HWND dialog;
    HWND picker;
};

BOOL CALLBACK FindPicker(HWND window, LPARAM context)
{
    PickerSearch *search = reinterpret_cast<PickerSearch *>(context);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (window != search->dialog && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window))
    {
        search->picker = window;
        return FALSE;
    }
    return TRUE;
}

void VisitPicker(DWORD thread, HWND dialog, PickerVisit *visit)
{
    /*
     * The picker fills its tree while it starts and takes messages sent to it
     * meanwhile; it is worked only once its modal loop is idle, as a user's
     * clicks would be.
     */
    PickerSearch search = {dialog, NULL};
    for (int tries = 0; tries < 200 && (search.picker == NULL || !pickerIdle); tries++)
    {
        Sleep(50);
        EnumThreadWindows(thread, FindPicker, reinterpret_cast<LPARAM>(&search));
    }
    if (search.picker == NULL)
        return;
    HWND picker = search.picker;
    visit->shown = true;
    visit->owner = GetWindow(picker, GW_OWNER);
    char title[256] = "";
    HWND titleControl = GetDlgItem(picker, PickerTitle);
    if (titleControl && IsWindowVisible(titleControl))
        SendMessageA(titleControl, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title));
    visit->title = title;

    /* Wine's picker now and then misses a first selection while it fills its tree: select again. */
    HWND tree = GetDlgItem(picker, PickerTree);
    for (int tries = 0; tries < 40 && (visit->folder || visit->item); tries++)
    {
        if (visit->folder)
            SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(visit->folder));
        else
            SendMessageA(picker, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(visit->item));
        if (SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0)
            break;
        Sleep(50);
    }
    visit->okEnabled = IsWindowEnabled(GetDlgItem(picker, IDOK)) != 0;
    PostMessageA(picker, WM_COMMAND, visit->pressOk ? IDOK : IDCANCEL, 0);
}

/* Runs PickFolder on this thread while a second thread works the picker; the folder chosen,
   or "<none>". */
std::string Browse(HWND dialog, PickerVisit *visit)
{
    DWORD thread = GetCurrentThreadId();
    pickerIdle = 0;
    std::thread user(VisitPicker, thread, dialog, visit);
    char path[PathSize] = "";
    int picked = PickFolder(dialog, path);
    user.join();
    return picked ? path : "<none>";
}

class FolderPicker : public testing::Test
{
  protected:
    void SetUp() override
    {
        dialog_ = CreateSetupDialog(PlainDialogProc);
        ASSERT_NE(nullptr, dialog_);
    }
    void TearDown() override
    {
        DestroyWindow(dialog_);
    }
    HWND dialog_ = NULL;
};

TEST_F(FolderPicker, ChosenFolderBecomesTheDirectoryAsItIs)
{
    std::string folder = FreshDirectory("Picked Folder");
    for (const std::string &choice : {folder, std::string("C:\\")})
    {
        PickerVisit visit = Choose(choice.c_str(), true);
        EXPECT_EQ(choice, Browse(dialog_, &visit)) << "no product folder appended";
        ASSERT_TRUE(visit.shown);
    }
}

TEST_F(FolderPicker, CancelLeavesTheDirectoryAlone)
{
    std::string folder = FreshDirectory("Picked Folder");
    PickerVisit visit = Choose(folder.c_str(), false);
    EXPECT_EQ("<none>", Browse(dialog_, &visit));
    ASSERT_TRUE(visit.shown);
}

TEST_F(FolderPicker, OffersFileSystemFoldersOnlyWithoutTitleOwnedByTheDialog)
{
    /* "My Computer" has no file-system path: the picker refuses it; forced, it changes nothing. */
    LPITEMIDLIST computer = NULL;
    ASSERT_EQ(S_OK, SHGetFolderLocation(NULL, CSIDL_DRIVES, NULL, 0, &computer));
    PickerVisit visit;
    visit.item = computer;
    visit.pressOk = true;
    EXPECT_EQ("<none>", Browse(dialog_, &visit));
    ASSERT_TRUE(visit.shown);
    EXPECT_EQ(dialog_, visit.owner);
    EXPECT_EQ("", visit.title);
    EXPECT_FALSE(visit.okEnabled);

    IMalloc *allocator = NULL;
    if (SUCCEEDED(SHGetMalloc(&allocator)))
    {
        allocator->Free(computer);
        allocator->Release();
    }
}

/* --- Free space ------------------------------------------------------------------------- */

TEST(EnoughFreeSpace, PassesFromRequiredBytesUpAndNamesTheShortfall)
{
    struct Row
    {
        DWORD sectorsPerCluster, bytesPerSector, freeClusters;
        int passes;
        long shortfall;
    } rows[] = {
        {1, 1, 4000000, 1, 0},
        {1, 500, 8000, 1, 0},
        {1, 1, 3999999, 0, 1},
        {8, 512, 976, 0, 2304},
        {0, 512, 1000, 0, 4000000},
        /* Products past 32 bits, which would wrap to little or nothing in 32. */
        {64, 512, 131072, 1, 0},
        {0x10000, 0x10000, 1, 1, 0},
        {1, 0x10000, 0x10001, 1, 0},
        {128, 4096, 0xFFFFFFFF, 1, 0},
    };
    for (const Row &row : rows)
    {
        long shortfall = -1;
        SCOPED_TRACE(testing::Message() << row.sectorsPerCluster << " x " << row.bytesPerSector
                                        << " x " << row.freeClusters);
        EXPECT_EQ(row.passes, EnoughFreeSpace(row.sectorsPerCluster, row.bytesPerSector,
                                              row.freeClusters, &Digests, &shortfall));
        EXPECT_EQ(row.shortfall, shortfall);
    }
}

TEST(CheckDiskSpace, PassesOnRealDrivesWithRoom)
{
    /* Wine's C: has tens of gigabytes free: only a 64-bit product gets that right. */
    DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &sectors, &bytes, &freeClusters, &total));
    EXPECT_GT((ULONGLONG)freeClusters * bytes * sectors, 0xFFFFFFFFULL) << "C: is not over 4 GB";

    for (const char *directory : {"c:\\Nimbet 2 Alpha", "C:\\", "z:\\tmp\\Nimbet 2 Alpha"})
    {
        SCOPED_TRACE(directory);
        SetInstallDir(directory);
        long shortfall = -1;
        EXPECT_EQ(1, CheckDiskSpace(&Digests, &shortfall));
        EXPECT_EQ(0, shortfall);
    }
}

TEST(CheckDiskSpace, PassesWhereTheDriveCannotTell)
{
    /* Creating the directory or copying meets the real problem there and says so. */
    ASSERT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Q:\\"));
    for (const char *directory : {"", "q:\\x", "q:", "\\\\nosuchserver\\share\\Nimbet 2 Alpha",
                                  "\\\\nosuchserver", "c:", "Nimbet 2 Alpha"})
    {
        SCOPED_TRACE(directory);
        SetInstallDir(directory);
        long shortfall = -1;
        EXPECT_EQ(1, CheckDiskSpace(&Digests, &shortfall));
        EXPECT_EQ(0, shortfall);
    }
}

/* --- Directory creation ----------------------------------------------------------------- */

/* Every file and directory under root, as relative names in a stable order. */
std::vector<std::string> Tree(const std::string &root, const std::string &prefix = "")
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "\\" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        names.push_back(prefix + name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            std::vector<std::string> below = Tree(root, prefix + name + "\\");
            names.insert(names.end(), below.begin(), below.end());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

TEST(CreateInstallDirectory, CreatesMissingLevelsFromTheRootDownAsFarAsTheyGo)
{
    /* The last row cannot be made whole: the levels above its bad name are made and stay. */
    struct Row
    {
        const char *directory;
        int created;
        Names tree;
    } rows[] = {
        {"Nimbet 2 Alpha", 1, {"Nimbet 2 Alpha"}},
        {"Games\\Nimbet 2 Alpha", 1, {"Games", "Games\\Nimbet 2 Alpha"}},
        {"a\\b\\c", 1, {"a", "a\\b", "a\\b\\c"}},
        {"a\\b\\c\\", 1, {"a", "a\\b", "a\\b\\c"}},
        {"a\\b\\no|pipes", 0, {"a", "a\\b"}},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.directory);
        std::string root = FreshDirectory("create");
        SetInstallDir(root + "\\" + row.directory);
        EXPECT_EQ(row.created, CreateInstallDirectory());
        EXPECT_EQ(row.tree, Tree(root));
    }
}

TEST(CreateInstallDirectory, ExistingDirectoryIsSuccessWithoutChange)
{
    std::string root = FreshDirectory("create");
    std::string existing = root + "\\Nimbet 2 Alpha";
    CreateDirectoryA(existing.c_str(), NULL);
    WriteFileBytes(existing + "\\Notes.doc", "kept");
    SetInstallDir(existing);
    EXPECT_EQ(1, CreateInstallDirectory());
    EXPECT_EQ(Names({"Nimbet 2 Alpha", "Nimbet 2 Alpha\\Notes.doc"}), Tree(root));
    EXPECT_EQ("kept", ReadFileBytes(existing + "\\Notes.doc"));

    /* A drive's root is there already too. */
    SetInstallDir("C:\\");
    EXPECT_EQ(1, CreateInstallDirectory());
}

TEST(CreateInstallDirectory, FailsWhereNoLevelCanBeMade)
{
    /* A missing drive, a path through a file, and a file where the directory should be. */
    std::string root = FreshDirectory("create");
    std::string file = root + "\\Nimbet.txt";
    WriteFileBytes(file, "a file, not a directory");
    ASSERT_EQ((UINT)DRIVE_NO_ROOT_DIR, GetDriveTypeA("Q:\\"));
    for (const std::string &directory :
         {std::string("q:\\x"), std::string("q:\\x\\y"), file + "\\Nimbet 2 Alpha", file})
    {
        SCOPED_TRACE(directory);
        SetInstallDir(directory);
        EXPECT_EQ(0, CreateInstallDirectory());
        EXPECT_EQ(Names({"Nimbet.txt"}), Tree(root));
        EXPECT_EQ("a file, not a directory", ReadFileBytes(file));
    }
}

} // namespace

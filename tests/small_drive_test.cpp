/*
 * The install on a drive that is really short of space: a 3 MB tmpfs the test
 * run maps as drive T: (scripts/small-drive.sh). Without it these tests skip.
 */
#include <gtest/gtest.h>
#include <string>
#include "base/state.h"
#include "install/copy.h"
#include "install/installdir.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

/* The mount script leaves its reason beside the rig's prefix when it cannot mount. */
std::string WhyNoSmallDrive()
{
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    std::string note = ReadFileBytes(std::string("Z:") + prefix + "/../drives/t.unavailable");
    while (!note.empty() && (note.back() == '\n' || note.back() == '\r'))
        note.pop_back();
    return "drive T: is not mapped" + (note.empty() ? std::string() : ": " + note);
}

void NoProgress(int)
{
}

class SmallDrive : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (GetDriveTypeA("T:\\") == DRIVE_NO_ROOT_DIR)
            GTEST_SKIP() << WhyNoSmallDrive();
        ULARGE_INTEGER available, total, free;
        ASSERT_TRUE(GetDiskFreeSpaceExA("T:\\", &available, &total, &free));
        ASSERT_LT(free.QuadPart, (ULONGLONG)RequiredBytes) << "drive T: is not short of space";
        shortfall_ = RequiredBytes - (long)free.QuadPart;
    }
    void TearDown() override
    {
        RemoveTree("T:\\Nimbet 2 Alpha");
        SetCurrentDirectoryA("C:\\");
    }
    long shortfall_;
};

void Install(const char *directory)
{
    lstrcpyA(InstallDir, directory);
}

} // namespace

TEST_F(SmallDrive, CheckDiskSpaceReportsTheShortfallOnTheDrive)
{
    /* The drive's root is found with or without a backslash after the letter, and
       in the network form that Wine answers for a drive. */
    for (const char *directory :
         {"T:\\Nimbet 2 Alpha", "t:", "T:Nimbet 2 Alpha", "\\\\?\\T:\\Nimbet 2 Alpha"})
    {
        SCOPED_TRACE(directory);
        Install(directory);
        long shortfall = -1;
        EXPECT_EQ(0, CheckDiskSpace(&Digests, &shortfall));
        EXPECT_EQ(shortfall_, shortfall);
    }
}

TEST_F(SmallDrive, RelativeDirectoryIsJudgedOnTheCurrentDrive)
{
    ASSERT_TRUE(SetCurrentDirectoryA("T:\\"));
    Install("Nimbet 2 Alpha");
    long shortfall = -1;
    EXPECT_EQ(0, CheckDiskSpace(&Digests, &shortfall));
    EXPECT_EQ(shortfall_, shortfall);
}

TEST_F(SmallDrive, CopyStopsAtTheFileThatNoLongerFits)
{
    /* Two 1.2 MB files fit on the 3 MB drive, the third does not. */
    std::string source = FreshDirectory("small-drive-source");
    for (int i = 0; i < ProductFileCount; i++)
        WriteFileBytes(source + "\\" + ProductFiles[i], std::string(1200000, 'a' + i));
    lstrcpyA(SourceDir, source.c_str());
    Install("T:\\Nimbet 2 Alpha");
    ASSERT_EQ(1, CreateInstallDirectory());

    CopyOutcome outcome;
    EXPECT_EQ(0, CopyProductFiles(&Digests, 0, NoProgress, &outcome));
    EXPECT_EQ(2, outcome.failedRow) << "calm.mid";
    EXPECT_EQ(0, outcome.damaged);
    EXPECT_EQ(std::string(1200000, 'a'), ReadFileBytes("T:\\Nimbet 2 Alpha\\Nim2Alph.exe"));
    EXPECT_EQ(std::string(1200000, 'b'), ReadFileBytes("T:\\Nimbet 2 Alpha\\tour.kvr"));
    EXPECT_FALSE(FileExists("T:\\Nimbet 2 Alpha\\nimbet2.mid"));
    RemoveTree(source);
}

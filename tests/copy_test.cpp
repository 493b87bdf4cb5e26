/*
 * The file copy on Wine's C: drive, watched through its progress: every
 * percentage it announces is recorded together with the files already in the
 * install directory at that moment.
 */
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "base/state.h"
#include "install/copy.h"
#include "install/inuse.h"
#include "install/sourcecheck.h"
#include "setup/manifest.h"
#include "support/testing.h"

namespace
{

/* A percentage announced and the table rows present in the install directory then. */
struct StatusSeen
{
    int percentage;
    std::vector<int> present;
    bool operator==(const StatusSeen &other) const
    {
        return percentage == other.percentage && present == other.present;
    }
};

std::ostream &operator<<(std::ostream &out, const StatusSeen &seen)
{
    out << seen.percentage << "% with {";
    for (int row : seen.present)
        out << ' ' << row;
    return out << " }";
}

std::vector<StatusSeen> *statusLog;

std::vector<int> RowsPresent()
{
    std::vector<int> rows;
    for (int row = 0; row < ProductFileCount; row++)
    {
        if (FileExists(std::string(InstallDir) + "\\" + ProductFiles[row]))
            rows.push_back(row);
    }
    return rows;
}

void RecordProgress(int percentage)
{
    statusLog->push_back({percentage, RowsPresent()});
}

std::string Contents(int row)
{
    return std::string("contents of ") + ProductFiles[row];
}

/* The progress of a run that reaches row last, each announced before its file arrives. */
std::vector<StatusSeen> StatusesUpTo(int last)
{
    static const int percentages[ProductFileCount] = {12, 25, 37, 50, 62, 75, 87, 100};
    std::vector<StatusSeen> statuses;
    for (int row = 0; row <= last; row++)
    {
        StatusSeen seen = {percentages[row], {}};
        for (int before = 0; before < row; before++)
            seen.present.push_back(before);
        statuses.push_back(seen);
    }
    return statuses;
}

std::vector<int> Percentages(const std::vector<StatusSeen> &statuses)
{
    std::vector<int> percentages;
    for (const StatusSeen &seen : statuses)
        percentages.push_back(seen.percentage);
    return percentages;
}

class CopyProductFilesTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        source_ = FreshDirectory("copy-source");
        install_ = FreshDirectory("copy-install");
        for (int row = 0; row < ProductFileCount; row++)
            WriteFileBytes(SourcePath(row), Contents(row));
        UseDirectories(source_, install_);
        statusLog = &statuses_;
        FilesCopied = -1;
    }
    void TearDown() override
    {
        statusLog = nullptr;
    }
    /* The copy as the controller runs it, after the earlier files are counted: 1 when all
       are in place. */
    int Copy(CopyOutcome *outcome = nullptr)
    {
        CopyOutcome ignored;
        unsigned earlier = 0;
        HeldFile held;
        EXPECT_EQ(EarlierFilesFree, CheckEarlierFiles(&earlier, &held));
        return CopyProductFiles(&Digests, earlier, RecordProgress, outcome ? outcome : &ignored);
    }
    void UseDirectories(const std::string &source, const std::string &install)
    {
        lstrcpynA(SourceDir, source.c_str(), PathSize);
        lstrcpynA(InstallDir, install.c_str(), PathSize);
    }
    std::string SourcePath(int row) const
    {
        return source_ + "\\" + ProductFiles[row];
    }
    std::string InstalledPath(int row) const
    {
        return install_ + "\\" + ProductFiles[row];
    }
    std::string source_;
    std::string install_;
    std::vector<StatusSeen> statuses_;
};

TEST_F(CopyProductFilesTest, AnnouncesEachFileBeforeCopyingItInTableOrder)
{
    EXPECT_EQ(1, Copy());
    EXPECT_EQ(StatusesUpTo(ProductFileCount - 1), statuses_);
    EXPECT_EQ(ProductFileCount, FilesCopied);
    for (int row = 0; row < ProductFileCount; row++)
        EXPECT_EQ(Contents(row), ReadFileBytes(InstalledPath(row))) << ProductFiles[row];
}

/* Rows 0 and 4 missing at the source: a failure on the first file and one in the middle. */
class CopyFailure : public CopyProductFilesTest, public testing::WithParamInterface<int>
{
};

TEST_P(CopyFailure, StopsAtTheFirstFileThatCannotBeCopied)
{
    int missing = GetParam();
    DeleteFileA(SourcePath(missing).c_str());
    CopyOutcome outcome;
    EXPECT_EQ(0, Copy(&outcome));
    EXPECT_EQ(missing, outcome.failedRow);
    EXPECT_EQ(0, outcome.damaged);
    EXPECT_EQ(StatusesUpTo(missing), statuses_);
    EXPECT_EQ(missing, FilesCopied);
    for (int row = 0; row < ProductFileCount; row++)
    {
        if (row < missing)
            EXPECT_EQ(Contents(row), ReadFileBytes(InstalledPath(row)));
        else
            EXPECT_FALSE(FileExists(InstalledPath(row))) << ProductFiles[row];
    }
}

INSTANTIATE_TEST_SUITE_P(FirstAndMiddle, CopyFailure, testing::Values(0, 4));

TEST_F(CopyProductFilesTest, RunFromTheInstallDirectoryKeepsTheFilesAndResetsAttributes)
{
    /* The same directory spelt in another case; read-only files would refuse a copy over them. */
    std::string same = FreshDirectory("same");
    for (int row = 0; row < ProductFileCount; row++)
    {
        std::string path = same + "\\" + ProductFiles[row];
        WriteFileBytes(path, Contents(row));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    UseDirectories("C:\\TESTS\\SAME", "c:\\tests\\same");
    EXPECT_EQ(1, Copy());
    EXPECT_EQ(ProductFileCount, FilesCopied);
    EXPECT_EQ(Percentages(StatusesUpTo(ProductFileCount - 1)), Percentages(statuses_));
    for (int row = 0; row < ProductFileCount; row++)
    {
        std::string path = same + "\\" + ProductFiles[row];
        EXPECT_EQ(Contents(row), ReadFileBytes(path));
        DWORD attributes = GetFileAttributesA(path.c_str());
        EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN))
            << ProductFiles[row];
    }
}

TEST_F(CopyProductFilesTest, ReplacesExistingFiles)
{
    for (int row = 0; row < ProductFileCount; row++)
        WriteFileBytes(InstalledPath(row), "an older and longer version of " + Contents(row));
    EXPECT_EQ(1, Copy());
    for (int row = 0; row < ProductFileCount; row++)
        EXPECT_EQ(Contents(row), ReadFileBytes(InstalledPath(row))) << ProductFiles[row];
}

TEST_F(CopyProductFilesTest, ReadOnlySourcesArriveWithNormalAttributes)
{
    /* The platform's copy carries the source's attributes over to a new file. */
    const DWORD carried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    for (int row = 0; row < ProductFileCount; row++)
        SetFileAttributesA(SourcePath(row).c_str(), carried);
    EXPECT_EQ(1, Copy());
    for (int row = 0; row < ProductFileCount; row++)
    {
        EXPECT_EQ(0u, GetFileAttributesA(InstalledPath(row).c_str()) & carried)
            << ProductFiles[row];
        EXPECT_EQ(carried, GetFileAttributesA(SourcePath(row).c_str()) & carried);
        SetFileAttributesA(SourcePath(row).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(CopyProductFilesTest, PathTooLongToFormFailsItsFileUntouched)
{
    /*
     * A 246-character directory still takes "\Nim2Alph.exe" within 259 characters;
     * at 247 the first join overflows, while the shorter names after it would fit.
     */
    std::string longest = install_;
    while (longest.size() < 246)
    {
        longest += "\\" + std::string(std::min<size_t>(60, 246 - longest.size() - 1), 'd');
        CreateDirectoryA(longest.c_str(), NULL);
    }
    ASSERT_EQ(246u, longest.size());
    std::string tooLong = longest.substr(0, 245) + "ee";
    ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), NULL));

    UseDirectories(source_, longest);
    EXPECT_EQ(1, Copy());
    EXPECT_EQ(Contents(0), ReadFileBytes(longest + "\\Nim2Alph.exe"));

    statuses_.clear();
    UseDirectories(source_, tooLong);
    CopyOutcome outcome;
    EXPECT_EQ(0, Copy(&outcome));
    EXPECT_EQ(0, outcome.failedRow) << "Nim2Alph.exe";
    EXPECT_EQ(StatusesUpTo(0), statuses_);
    EXPECT_EQ(tooLong, InstallDir);
    for (int row = 0; row < ProductFileCount; row++)
        EXPECT_FALSE(FileExists(tooLong + "\\" + ProductFiles[row])) << ProductFiles[row];
}

/* A copy another program holds (a scanner that shares no writing) could not be read back: the
   system's error says so, where a copy read whole and unlike its record has none. Wine reads
   through a byte-range lock, which Windows refuses with a lock violation (33). */
TEST(MatchesRecord, TellsACopyThatCannotBeReadFromOneThatDiffers)
{
    std::string path = FreshDirectory("read-back") + "\\Nim2Alph.exe";
    WriteFileBytes(path, "x");
    DigestTable table = {DIGEST_TABLE_MARKER, 1, {{1, {}}}};
    DWORD error = 12345;
    EXPECT_EQ(0, MatchesRecord(&table, path.c_str(), 0, &error));
    EXPECT_EQ(0u, error);
    HANDLE scanner = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(0, MatchesRecord(&table, path.c_str(), 0, &error));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, error);
    CloseHandle(scanner);
}

} // namespace

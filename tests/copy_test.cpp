/*
 * The file copy on Wine's C: drive, watched through the real status line of the
 * setup dialog: every text it receives is recorded together with the files
 * already in the install directory at that moment.
 */
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "install/copy.h"
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "setup/state.h"
#include "support/testing.h"

namespace
{

/* A status text and the table rows present in the install directory when it was shown. */
struct StatusSeen
{
    std::string text;
    std::vector<int> present;
    bool operator==(const StatusSeen &other) const
    {
        return text == other.text && present == other.present;
    }
};

std::ostream &operator<<(std::ostream &out, const StatusSeen &seen)
{
    out << '"' << seen.text << "\" with {";
    for (int row : seen.present)
        out << ' ' << row;
    return out << " }";
}

std::vector<StatusSeen> *statusLog;
WNDPROC statusProcedure;

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

LRESULT CALLBACK RecordingStatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT)
        statusLog->push_back({reinterpret_cast<const char *>(lParam), RowsPresent()});
    return CallWindowProcA(statusProcedure, window, message, wParam, lParam);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

std::string Contents(int row)
{
    return std::string("contents of ") + ProductFiles[row];
}

/* The statuses of a run that reaches row last, each shown before its file arrives. */
std::vector<StatusSeen> StatusesUpTo(int last)
{
    static const int percentages[ProductFileCount] = {12, 25, 37, 50, 62, 75, 87, 100};
    std::vector<StatusSeen> statuses = {{"Copying files.", {}}};
    for (int row = 0; row <= last; row++)
    {
        StatusSeen seen = {"Copying files... " + std::to_string(percentages[row]) + "% completed",
                           {}};
        for (int before = 0; before < row; before++)
            seen.present.push_back(before);
        statuses.push_back(seen);
    }
    return statuses;
}

std::vector<std::string> Texts(const std::vector<StatusSeen> &statuses)
{
    std::vector<std::string> texts;
    for (const StatusSeen &seen : statuses)
        texts.push_back(seen.text);
    return texts;
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

        dialog_ = CreateSetupDialog(PlainDialogProc);
        ASSERT_NE(nullptr, dialog_);
        statusLog = &statuses_;
        statusProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(GetDlgItem(dialog_, CTL_STATUS), GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(RecordingStatusProc)));
        FilesCopied = -1;
    }
    void TearDown() override
    {
        DestroyWindow(dialog_);
        statusLog = nullptr;
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
    /* The one message box the copy showed, checked for its caption, owner and buttons. */
    std::string OnlyMessage(const MessageBoxCatcher &boxes)
    {
        if (boxes.Seen().size() != 1)
        {
            ADD_FAILURE() << boxes.Seen().size() << " message boxes";
            return "";
        }
        const SeenMessageBox &box = boxes.Seen()[0];
        EXPECT_EQ(SetupTitle, box.caption);
        EXPECT_EQ(dialog_, box.owner);
        EXPECT_EQ(std::vector<std::string>{"OK"}, box.buttons);
        EXPECT_FALSE(box.iconShown);
        return box.text;
    }

    std::string source_;
    std::string install_;
    HWND dialog_ = NULL;
    std::vector<StatusSeen> statuses_;
};

TEST_F(CopyProductFilesTest, AnnouncesEachFileBeforeCopyingItInTableOrder)
{
    MessageBoxCatcher boxes;
    EXPECT_EQ(ExitInstalled, CopyProductFiles(dialog_));
    EXPECT_EQ(StatusesUpTo(ProductFileCount - 1), statuses_);
    EXPECT_EQ(ProductFileCount, FilesCopied);
    EXPECT_TRUE(boxes.Seen().empty());
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
    MessageBoxCatcher boxes;
    EXPECT_EQ(ExitFailed, CopyProductFiles(dialog_));
    EXPECT_EQ(std::string("Could not copy ") + ProductFiles[missing], OnlyMessage(boxes));
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
    MessageBoxCatcher boxes;
    EXPECT_EQ(ExitInstalled, CopyProductFiles(dialog_));
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(ProductFileCount, FilesCopied);
    EXPECT_EQ(Texts(StatusesUpTo(ProductFileCount - 1)), Texts(statuses_));
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
    EXPECT_EQ(ExitInstalled, CopyProductFiles(dialog_));
    for (int row = 0; row < ProductFileCount; row++)
        EXPECT_EQ(Contents(row), ReadFileBytes(InstalledPath(row))) << ProductFiles[row];
}

TEST_F(CopyProductFilesTest, ReadOnlySourcesArriveWithNormalAttributes)
{
    /* The platform's copy carries the source's attributes over to a new file. */
    const DWORD carried = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    for (int row = 0; row < ProductFileCount; row++)
        SetFileAttributesA(SourcePath(row).c_str(), carried);
    EXPECT_EQ(ExitInstalled, CopyProductFiles(dialog_));
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
    EXPECT_EQ(ExitInstalled, CopyProductFiles(dialog_));
    EXPECT_EQ(Contents(0), ReadFileBytes(longest + "\\Nim2Alph.exe"));

    statuses_.clear();
    UseDirectories(source_, tooLong);
    MessageBoxCatcher boxes;
    EXPECT_EQ(ExitFailed, CopyProductFiles(dialog_));
    EXPECT_EQ("Could not copy Nim2Alph.exe", OnlyMessage(boxes));
    EXPECT_EQ(StatusesUpTo(0), statuses_);
    EXPECT_EQ(tooLong, InstallDir);
    for (int row = 0; row < ProductFileCount; row++)
        EXPECT_FALSE(FileExists(tooLong + "\\" + ProductFiles[row])) << ProductFiles[row];
}

} // namespace

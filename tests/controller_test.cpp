/*
 * What the end-to-end runs cannot reach well: the dialog while an install run
 * is in progress. The run itself is synchronous, so these drive the real
 * dialog procedure in this process with the run's Busy flag raised.
 */
#include <gtest/gtest.h>
#include "setup/controller.h"
#include "setup/dialog.h"
#include "base/state.h"
#include "support/testing.h"

namespace
{

class BusyDialog : public testing::Test
{
  protected:
    void SetUp() override
    {
        dialog_ = CreateSetupDialog(SetupDialogProc);
        ASSERT_NE(nullptr, dialog_);
        ASSERT_EQ(0, Busy);
        ASSERT_EQ(0, Stage);
        Busy = 1;
    }
    void TearDown() override
    {
        Busy = 0;
        DestroyWindow(dialog_);
    }
    HWND dialog_ = NULL;
};

} // namespace

TEST_F(BusyDialog, IgnoresContinueCancelAndTheCloseBox)
{
    lstrcpyA(InstallDir, "untouched");
    SendMessageA(dialog_, WM_COMMAND, CTL_CONTINUE, 0);
    SendMessageA(dialog_, WM_COMMAND, CTL_CANCEL, 0);
    SendMessageA(dialog_, WM_CLOSE, 0, 0);
    SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(dialog_)) << "the dialog was ended during a run";
    EXPECT_STREQ("untouched", InstallDir) << "a second run started";
    EXPECT_EQ("", ControlText(dialog_, CTL_STATUS));

    /* Once the run is over, Cancel ends the setup again. */
    Busy = 0;
    SendMessageA(dialog_, WM_COMMAND, CTL_CANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(dialog_));
}

TEST_F(BusyDialog, ShowsTheWaitCursorOverEveryControl)
{
    HCURSOR wait = LoadCursorA(NULL, IDC_WAIT);
    for (int id : {CTL_DIRECTORY, CTL_CONTINUE})
    {
        SetCursor(LoadCursorA(NULL, IDC_ARROW));
        /* A control asks its parent first; a nonzero answer keeps the control's own cursor away. */
        LRESULT answer = SendMessageA(dialog_, WM_SETCURSOR, (WPARAM)GetDlgItem(dialog_, id),
                                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_NE(0, answer) << id;
        EXPECT_EQ(wait, GetCursor()) << id;
    }

    Busy = 0;
    EXPECT_EQ(0, SendMessageA(dialog_, WM_SETCURSOR, (WPARAM)dialog_,
                              MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
}

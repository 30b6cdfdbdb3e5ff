// The window without the mouse: an open request while no form of the mouse is plugged in opens it,
// showing "Mouse not connected" where the battery is; its edits wait for the mouse. The start at
// login stays hidden and warns, as before.
#include "MainWindowHarness.h"

#include "model/LanguageTable.h"
#include "ui/main/MainIds.h"

namespace quorvik::test {

using device::Form;
using namespace ui::main_ids;

namespace {

bool shown(ui::CQuorvikDlg& dlg, int id) {
    const ui::CControlBase* control = dlg.FindControl(id);
    return control && control->isShown();
}

} // namespace

TEST_F(MainWindowTest, AnOpenRequestWithoutTheMouseOpensTheWindowAndItsEditsWaitForTheMouse) {
    start("1", {});
    loop.advance(200);
    EXPECT_FALSE(shownNormally()) << "the start stays hidden";
    post(device::kMsgOpenRequest);
    EXPECT_TRUE(core().WindowOpen());
    EXPECT_TRUE(shownNormally());
    EXPECT_TRUE(shown(dlg(), kMouseAbsentText));
    EXPECT_EQ(dlg().FindControl(kMouseAbsentText)->text(), model::LanguageText(442));
    EXPECT_FALSE(shown(dlg(), kBattery));
    EXPECT_FALSE(shown(dlg(), kBatteryText));
    // The window says it already: no warning after the start's two seconds, and it stays open.
    loop.advance(device::kNoMouseDelayMs + 1000);
    EXPECT_EQ(dlg().OpenWarning(), nullptr);
    EXPECT_TRUE(shownNormally());

    // A DPI level turned off: kept for the mouse.
    clickControl(kDpiLevelCheck + 2);
    loop.advance(device::kDownloadDelayMs + 100);
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0x3B);
    EXPECT_TRUE(takeCodes().empty());

    // The mouse plugged in: the scan's download writes the edit, and the battery comes back.
    mouse_->plug(Form::Wired);
    loop.runUntilIdle();
    loop.advance(device::kDownloadDelayMs + 200);
    EXPECT_EQ(mouse_->state().levelMask, 0x3B);
    EXPECT_FALSE(shown(dlg(), kMouseAbsentText));
    EXPECT_TRUE(shown(dlg(), kBattery));
}

TEST_F(MainWindowTest, TheStartAtLoginWithoutTheMouseStaysHiddenAndWarns) {
    start("1", {});
    loop.advance(device::kNoMouseDelayMs + 200);
    EXPECT_FALSE(core().WindowOpen());
    EXPECT_FALSE(shownNormally());
    EXPECT_EQ(warningText(), model::LanguageText(155));
}

} // namespace quorvik::test

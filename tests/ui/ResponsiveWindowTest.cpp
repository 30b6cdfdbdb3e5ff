// The window while the mouse takes a change: clicks made during a download all count, the
// progress window follows the writes, and it never takes the window's input.
#include "MainWindowHarness.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "ui/main/MainIds.h"
#include "ui/main/ProgressBarDlg.h"
#include "ui/skin/Buttons.h"

#include <algorithm>

namespace quorvik::test {
namespace {

using device::Form;
using namespace ui::main_ids;

class ResponsiveWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start("0", {Form::Wired});
        // The test looks inside the downloads.
        loop.SetPendingWork(nullptr);
        loop.advance(1000);
        takeReports();
    }
    ui::CCheckButton& check(int id) { return *dlg().FindControlAs<ui::CCheckButton>(id); }
};

TEST_F(ResponsiveWindowTest, ClicksDuringADownloadAllTakeEffect) {
    ASSERT_FALSE(check(kDpiLevelCheck + 6).IsChecked());
    ASSERT_FALSE(check(kHeaderPollingRate).IsChecked());
    clickControl(kDpiLevelCheck + 6); // level 7
    loop.advance(150);
    EXPECT_TRUE(check(kDpiLevelCheck + 6).IsChecked());
    clickControl(kDpiLevelCheck + 7); // level 8, while the first change is on its way
    loop.advance(150);
    clickControl(kHeaderPollingRate);
    EXPECT_TRUE(check(kDpiLevelCheck + 7).IsChecked());
    EXPECT_TRUE(check(kHeaderPollingRate).IsChecked()) << "the header took the click";
    loop.advance(1000);

    const auto reports = takeReports();
    std::vector<std::uint8_t> masks;
    for (const auto& r : reports)
        if (r[device::kOffCommand] == device::kCmdDpiLevels)
            masks.push_back(r[device::kOffPayload + 1]);
    EXPECT_EQ(masks, (std::vector<std::uint8_t>{0x7F, 0xFF})) << "two DPI-levels reports, one per click";
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0xFF);
    EXPECT_EQ(mouse_->state().levelMask, 0xFF);
}

TEST_F(ResponsiveWindowTest, TheProgressWindowFollowsTheWritesAndTakesNoInput) {
    clickControl(kDpiLevelCheck + 6);
    loop.advance(device::kDownloadDelayMs);
    ui::CProgressBarDlg* progress = dlg().WriteProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(progress->IsShown());
    EXPECT_EQ(progress->Progress(), 100) << "one report of one";
    EXPECT_TRUE(progress->window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(progress->window()->testAttribute(Qt::WA_ShowWithoutActivating));
    loop.advance(ui::CProgressBarDlg::kCloseMs);
    EXPECT_FALSE(progress->IsShown()) << "it goes a moment after the last write";

    // The same window shows the next download again.
    clickControl(kDpiLevelCheck + 6);
    loop.advance(device::kDownloadDelayMs);
    EXPECT_EQ(dlg().WriteProgress(), progress);
    EXPECT_TRUE(progress->IsShown());
}

TEST_F(ResponsiveWindowTest, ExitWaitsForTheDownloadThenSaves) {
    profile().SetPairValue(model::kPairProfileName, u"Exited");
    clickControl(kDpiLevelCheck + 6);
    loop.advance(device::kDownloadDelayMs);
    ASSERT_TRUE(core().DownloadRunning());
    dlg().Exit();
    EXPECT_FALSE(core().Busy());
    EXPECT_EQ(mouse_->state().levelMask, 0x7F);
    window_.reset(); // the window's end saves
    model::ProfileRecord reread;
    ASSERT_TRUE(model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(reread.PairValue(model::kPairProfileName), u"Exited");
    EXPECT_EQ(reread.DPIOffOnFlagValue, 0x7F);
}

} // namespace
} // namespace quorvik::test

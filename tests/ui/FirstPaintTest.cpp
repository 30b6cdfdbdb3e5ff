// The first scan's download and the window's first paint: the download blocks the window for the
// mouse's pacing, so it never runs before the window has painted once, and a window the desktop
// never exposes still gets it after the wait.
#include "MainWindowHarness.h"

#include "model/ConfigPairs.h"
#include "platform/qt/TrayIcon.h"
#include "ui/main/MainIds.h"

#include <QImage>

#include <algorithm>

namespace quorvik::test {
namespace {

using device::Form;

bool hasCode(const std::vector<std::uint8_t>& codes, std::uint8_t code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

class FirstPaintTest : public MainWindowTest {
protected:
    // The window opened (NeedPassword 0) with the mouse there, not painted yet; the clock stands
    // 20 ms after the start, where the download fell due. The debounce time differs from what the
    // mouse was told, so the download has a report to write.
    void startUnpainted() {
        paintAtStart_ = false;
        startedAt_ = loop.now();
        start("0", {Form::Wired});
        ASSERT_TRUE(shownNormally());
        profile().SetPairValue(model::kPairKeyDebounce, 30);
    }
    bool scanDownloadPending() {
        return core().Download().IsMarked(device::SettingGroup::Buttons) &&
               core().Download().IsMarked(device::SettingGroup::SensorLighting) &&
               core().Download().IsMarked(device::SettingGroup::Power);
    }
    // Moves the clock to `ms` after the window's start (the start's status read takes time too).
    void advanceTo(std::uint64_t ms) { loop.advance(startedAt_ + ms - loop.now()); }
    std::uint64_t startedAt_ = 0;

    // The first scan's download ran: its groups are done and the changed setting went out.
    void expectScanDownload() {
        EXPECT_FALSE(core().Download().IsMarked(device::SettingGroup::Buttons));
        EXPECT_FALSE(core().Download().IsMarked(device::SettingGroup::SensorLighting));
        EXPECT_FALSE(core().Download().IsMarked(device::SettingGroup::Power));
        EXPECT_TRUE(hasCode(takeCodes(), device::kCmdDebounce));
    }
};

TEST_F(FirstPaintTest, TheDownloadWaitsForTheFirstPaintAndFollowsItAtOnce) {
    startUnpainted();
    EXPECT_TRUE(scanDownloadPending()); // due at 20 ms, held
    loop.advance(300);
    EXPECT_TRUE(scanDownloadPending());
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});

    std::size_t writtenAtPaint = 99;
    dlg().SetFirstPaintHook([&] { writtenAtPaint = takeCodes().size(); });
    paintWindow();
    EXPECT_EQ(writtenAtPaint, 0u); // the paint came first
    EXPECT_TRUE(scanDownloadPending());
    loop.advance(1);
    expectScanDownload();

    // Later paints hold nothing: an edit's download comes 20 ms after it as always.
    paintWindow();
    profile().SetPairValue(model::kPairKeyDebounce, 40);
    dlg().MarkGroup(device::SettingGroup::SensorLighting);
    loop.advance(device::kDownloadDelayMs - 1);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});
    loop.advance(1);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{device::kCmdDebounce});
}

TEST_F(FirstPaintTest, AWindowThatNeverPaintsGetsItsDownloadAfterTheWait) {
    startUnpainted();
    advanceTo(ui::CQuorvikDlg::kFirstPaintWaitMs - 1);
    EXPECT_TRUE(scanDownloadPending());
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});
    loop.advance(1);
    expectScanDownload();
    // Painted afterwards: nothing is written again.
    paintWindow();
    loop.advance(100);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});
}

TEST_F(FirstPaintTest, AWindowThatPaintedFirstDownloadsAfterTheUsualDelay) {
    // The harness paints at the start, as the desktop's first expose does before 20 ms: the
    // download came at 20 ms and left nothing for later.
    start("0", {Form::Wired});
    EXPECT_FALSE(scanDownloadPending());
    EXPECT_FALSE(core().Download().IsMarked(device::SettingGroup::Buttons));
    loop.advance(ui::CQuorvikDlg::kFirstPaintWaitMs);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});
}

// Asking the desktop for its tray waits for the window's first paint; a window that is not on the
// screen still gets its tray icon, which is the way back to it.
TEST_F(FirstPaintTest, TheTrayIconComesWithTheFirstPaint) {
    services_.trayIcon = true;
    startUnpainted();
    ASSERT_NE(dlg().Tray(), nullptr);
    loop.advance(ui::main_ids::kShowTrayLatestMs - 100);
    EXPECT_FALSE(dlg().Tray()->IsShown());
    paintWindow();
    loop.advance(1);
    EXPECT_TRUE(dlg().Tray()->IsShown());
    loop.advance(1000);
    EXPECT_TRUE(dlg().Tray()->IsShown());
}

TEST_F(FirstPaintTest, AWindowThatNeverPaintsGetsItsTrayIconAfterASecond) {
    services_.trayIcon = true;
    startUnpainted();
    loop.advance(ui::main_ids::kShowTrayLatestMs - 21);
    EXPECT_FALSE(dlg().Tray()->IsShown());
    loop.advance(1);
    EXPECT_TRUE(dlg().Tray()->IsShown());
}

// A window that starts minimised and opens at the mouse's answer has its picture drawn by a
// paint while it waits, but only a paint on the screen is its first: the tray, the held download
// and the start's other work wait for that one.
TEST_F(FirstPaintTest, AMinimisedWindowDrawsAheadAndItsFirstPaintIsTheOneOnTheScreen) {
    paintAtStart_ = false;
    QImage ahead;
    int firstPaints = 0;
    afterCreate_ = [&] {
        ASSERT_TRUE(native()->isMinimized());
        ASSERT_TRUE(core().Busy()); // the status read waits for the mouse's answer
        dlg().SetFirstPaintHook([&] { ++firstPaints; });
        ahead = native()->grab().toImage();
    };
    start("1", {Form::Wired});
    EXPECT_EQ(firstPaints, 0);
    ASSERT_TRUE(shownNormally()); // opened at the answer
    paintWindow();
    EXPECT_EQ(firstPaints, 1);
    // The title strip and the panels do not change with the answer: the picture drawn ahead
    // has them as the window on the screen does.
    const QImage shown = native()->grab().toImage();
    const QRect unchanged(0, 0, shown.width(), 300);
    ASSERT_EQ(ahead.size(), shown.size());
    EXPECT_EQ(ahead.copy(unchanged), shown.copy(unchanged));
}

// Restored from minimised with its picture drawn ahead and nothing changed since, the window
// still asks for its first paint on the screen.
TEST_F(FirstPaintTest, AWindowRestoredWithItsPictureDrawnAheadStillPaintsFirst) {
    paintAtStart_ = false;
    start("0", {Form::Wired});
    int firstPaints = 0;
    dlg().SetFirstPaintHook([&] { ++firstPaints; });
    native()->showMinimized();
    native()->grab();
    EXPECT_EQ(firstPaints, 0);
    const int before = native()->invalidationCount();
    native()->showNormal();
    EXPECT_GT(native()->invalidationCount(), before);
    paintWindow();
    EXPECT_EQ(firstPaints, 1);
}

TEST_F(FirstPaintTest, AWindowHiddenAtTheStartShowsItsTrayIconAsItHides) {
    services_.trayIcon = true;
    paintAtStart_ = false;
    auto status = mouse_->status();
    status.online = false; // the receiver's mouse is switched off
    mouse_->setStatus(status);
    start("2", {Form::Receiver}); // neither minimised nor open: hidden within 100 ms
    loop.advance(200);
    ASSERT_FALSE(native()->isVisible());
    EXPECT_TRUE(dlg().Tray()->IsShown());
}

} // namespace
} // namespace quorvik::test

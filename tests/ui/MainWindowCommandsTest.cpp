// The main window's own commands and start-up cases beyond the common ones: NeedPassword values
// other than 0 and 1, apply, the hide buttons, the tray's open, the documentation link, the
// factory reset without a mouse, and the no-mouse warning's window.
#include "MainWindowHarness.h"

#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "ui/main/MainIds.h"

#include <QApplication>
#include <QEvent>

namespace quorvik::test {
namespace {

using device::Form;
using device::SettingGroup;
using namespace ui::main_ids;

std::vector<std::uint8_t> codesOf(const std::vector<device::Report>& reports) {
    std::vector<std::uint8_t> codes;
    for (const auto& report : reports)
        if (report[device::kOffCommand] != device::kCmdReadStatus)
            codes.push_back(report[device::kOffCommand]);
    return codes;
}

// Counts the hide events of top-level windows other than `except`.
class HideCounter : public QObject {
public:
    explicit HideCounter(QWidget* except) : except_(except) { qApp->installEventFilter(this); }
    ~HideCounter() override { qApp->removeEventFilter(this); }
    int hides = 0;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (event->type() == QEvent::Hide && widget && widget->isWindow() && widget != except_)
            ++hides;
        return false;
    }

private:
    QWidget* except_;
};

TEST_F(MainWindowTest, NeedPasswordTwoStaysHiddenUntilAnOpenRequestFindsTheMouseOnline) {
    auto status = mouse_->status();
    status.online = false;
    mouse_->setStatus(status);
    start("2", {Form::Receiver});
    loop.advance(200);
    EXPECT_FALSE(core().WindowOpen());
    EXPECT_FALSE(native()->isVisible()) << "timer 40 hides it";
    EXPECT_FALSE(native()->isMinimized()) << "only NeedPassword 1 starts minimised";

    post(device::kMsgOpenRequest); // the mouse is still off
    loop.advance(200);
    EXPECT_FALSE(native()->isVisible());

    status.online = true;
    mouse_->setStatus(status);
    post(device::kMsgOpenRequest);
    EXPECT_TRUE(core().WindowOpen());
    EXPECT_TRUE(shownNormally());
}

TEST_F(MainWindowTest, NeedPasswordTwoWithTheMouseOnlineOpensAtStart) {
    // The status read of the start-up scan is answered "online" and opens the window, as for
    // NeedPassword 1: no open request is needed when the mouse is already on.
    start("2", {Form::Wired});
    loop.advance(500);
    EXPECT_TRUE(core().WindowOpen());
    EXPECT_TRUE(core().OpenedByDevice());
    EXPECT_TRUE(shownNormally());
}

TEST_F(MainWindowTest, ApplyMarksButtonsAndSensorLightingAndDownloadsAtOnce) {
    start("0", {Form::Wired});
    profile().SetPairValue(model::kPairKeyDebounce, 20);
    profile().buttons[1].Value = model::KeyFunctionCode{{0x10, 0x01, 0x00}};
    clickControl(kApplyProfile);
    // No download timer: the download starts within the click, and goes out report by report.
    EXPECT_TRUE(core().DownloadRunning());
    loop.runUntilIdle();
    const std::vector<std::uint8_t> codes = codesOf(takeReports());
    EXPECT_NE(std::find(codes.begin(), codes.end(), device::kCmdButton), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), device::kCmdDebounce), codes.end());
    EXPECT_FALSE(core().Download().IsMarked(SettingGroup::Buttons));
    EXPECT_FALSE(core().Download().IsMarked(SettingGroup::SensorLighting));
    EXPECT_EQ(mouse_->state().debounceMs, 20);
    EXPECT_TRUE(core().SavePending());
}

TEST_F(MainWindowTest, MinimiseAndTheSecondHideButtonHideTheWindowAndTheTrayOpenBringsItBack) {
    start("0", {Form::Wired});
    clickControl(kMinimise);
    EXPECT_FALSE(native()->isVisible());
    post(platform::WM_COMMAND, kCmdTrayOpen);
    EXPECT_TRUE(shownNormally());

    loop.send(dlg().hwnd(), kHideAlso, 0, ui::kCodeClick);
    EXPECT_FALSE(native()->isVisible());
    EXPECT_FALSE(loop.quitRequested());
    EXPECT_TRUE(dlg().IsOpen());
    post(platform::WM_COMMAND, kCmdTrayOpen);
    EXPECT_TRUE(shownNormally());
}

TEST_F(MainWindowTest, TheDocumentationLinkSaysSoWhenItCannotOpen) {
    services_.openDocumentation = [] { return false; };
    start("0", {Form::Wired});
    std::u16string told;
    ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& message) {
        told = message.FindControl(ui::CAttentionDlg::kMessageId)->text();
        message.EndDialog(platform::IDOK);
    });
    clickControl(kWebLink);
    EXPECT_EQ(told, model::LanguageText(159));
}

TEST_F(MainWindowTest, FactoryResetWithoutAMouseSaysSoAndChangesNothing) {
    start("0", {});
    profile().SetPairValue(model::kPairKeyDebounce, 30);
    int modalDialogs = 0;
    ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& dialog) {
        ++modalDialogs;
        dialog.EndDialog(platform::IDOK);
    });
    clickControl(kFactoryReset);
    ui::CDlgBase::OnNextDialogShown({});
    EXPECT_EQ(modalDialogs, 0) << "neither a confirmation nor the write progress";
    EXPECT_EQ(warningText(), model::LanguageText(155));
    EXPECT_EQ(profile().PairValue(model::kPairKeyDebounce), u"30");

    // A mouse plugged in afterwards gets what the window shows.
    mouse_->plug(Form::Wired);
    loop.runUntilIdle();
    loop.advance(device::kDownloadDelayMs);
    EXPECT_EQ(mouse_->state().debounceMs, 30);
    EXPECT_EQ(mouse_->factoryResetCount(), 0u);
}

TEST_F(MainWindowTest, TheNoMouseWarningIsOnTopFromItsFirstShow) {
    start("0", {});
    HideCounter counter(native());
    loop.advance(device::kNoMouseDelayMs);
    ASSERT_NE(dlg().OpenWarning(), nullptr);
    EXPECT_TRUE(dlg().OpenWarning()->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(dlg().OpenWarning()->window()->isVisible());
    EXPECT_EQ(counter.hides, 0) << "made topmost after it was shown, it was unmapped and mapped again";
}

TEST_F(MainWindowTest, AWindowNotOpenForUseIsHiddenWheneverItShowsWithoutAPeriodicWakeUp) {
    auto status = mouse_->status();
    status.online = false;
    mouse_->setStatus(status);
    start("2", {Form::Receiver});
    loop.advance(200);
    ASSERT_FALSE(native()->isVisible());
    EXPECT_FALSE(loop.hasTimer(dlg().hwnd(), device::kTimerKeepHidden)) << "nothing wakes the hidden program for it";

    // Shown from outside (the window manager, the taskbar): hidden again within 100 ms.
    native()->show();
    ASSERT_TRUE(native()->isVisible());
    loop.advance(device::kKeepHiddenPeriodMs - 1);
    EXPECT_TRUE(native()->isVisible());
    loop.advance(1);
    EXPECT_FALSE(native()->isVisible());
    EXPECT_FALSE(loop.hasTimer(dlg().hwnd(), device::kTimerKeepHidden));

    // Open for use, it stays.
    status.online = true;
    mouse_->setStatus(status);
    post(device::kMsgOpenRequest);
    loop.advance(500);
    EXPECT_TRUE(native()->isVisible());
}

} // namespace
} // namespace quorvik::test

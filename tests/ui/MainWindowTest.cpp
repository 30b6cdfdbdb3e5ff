// The main window end to end: start-up by NeedPassword, the window opening and minimising with the
// mouse, the no-mouse warning, the on-screen display, unplugging, hiding and the open request,
// the page rule through the headers, placement, and the factory reset.
#include "MainWindowHarness.h"

#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/ProfileFile.h"
#include "platform/DataFolders.h"
#include "ui/main/MainIds.h"
#include "ui/main/OsdDisplay.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"

#include <filesystem>

namespace quorvik::test {
namespace {

using device::Form;
using namespace ui::main_ids;

TEST_F(MainWindowTest, MouseOnlineAtStartOpensTheWindowInFront) {
    start("1", {Form::Wired});
    EXPECT_TRUE(core().WindowOpen());
    EXPECT_TRUE(core().OpenedByDevice());
    loop.advance(500); // timer 40 leaves an open window alone
    EXPECT_TRUE(shownNormally());
    loop.advance(2000);
    EXPECT_EQ(dlg().OpenWarning(), nullptr); // the wired mouse is there: no warning
}

TEST_F(MainWindowTest, ReceiverWithTheMouseOffStaysHiddenWarnsAndOpensOnRequestOnceOnline) {
    auto status = mouse_->status();
    status.online = false;
    mouse_->setStatus(status);
    start("1", {Form::Receiver});
    loop.advance(200);
    EXPECT_FALSE(core().WindowOpen());
    EXPECT_FALSE(native()->isVisible());
    loop.advance(2000);
    EXPECT_EQ(warningText(), model::LanguageText(156));

    status.online = true;
    mouse_->setStatus(status);
    post(device::kMsgOpenRequest);
    EXPECT_TRUE(core().WindowOpen());
    EXPECT_TRUE(shownNormally());

    // Offline again: the next status poll minimises the window; it is not hidden.
    status.online = false;
    mouse_->setStatus(status);
    loop.advance(22000);
    EXPECT_TRUE(native()->isMinimized());
    EXPECT_TRUE(core().WindowOpen());
}

TEST_F(MainWindowTest, OpenFromTheStartWithoutMouseWarnsOfNoMouse) {
    start("0", {});
    EXPECT_TRUE(core().WindowOpen());
    EXPECT_TRUE(shownNormally());
    loop.advance(2000);
    EXPECT_EQ(warningText(), model::LanguageText(155));
    EXPECT_TRUE(dlg().OpenWarning()->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainWindowTest, LevelChangeOnTheMouseShowsTheDisplayAndIsNotSentBack) {
    start("0", {Form::Wired});
    mouse_->pressDpiButton(Form::Wired);
    ASSERT_TRUE(loop.waitForPost());
    loop.runUntilIdle();
    ASSERT_TRUE(dlg().Osd().IsOpen());
    loop.advance(1000);
    mouse_->pressRateButton(Form::Wired);
    ASSERT_TRUE(loop.waitForPost());
    loop.runUntilIdle();
    // The virtual mouse starts at level 1 and 1 ms: its DPI button moves to the second enabled
    // level, its rate button from 1 ms to 8 ms.
    const device::OsdTexts shown = dlg().Osd().Dialog()->Texts();
    EXPECT_EQ(shown.title, u"DPI-2");
    EXPECT_EQ(shown.value, u"1600"); // the factory profile's second level
    EXPECT_EQ(shown.rate, u"125Hz");
    // Closes 1.5 to 1.8 s after the last change, not after the first.
    loop.advance(1400);
    EXPECT_TRUE(dlg().Osd().IsOpen());
    loop.advance(400);
    EXPECT_FALSE(dlg().Osd().IsOpen());

    // What the mouse changed itself is not written back.
    takeReports();
    dlg().MarkGroup(device::SettingGroup::SensorLighting);
    loop.advance(100);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});
}

TEST_F(MainWindowTest, UnpluggingTheLastFormSavesWhatIsPendingAndEndsTheLoop) {
    start("0", {Form::Wired});
    profile().SetPairValue(model::kPairKeyDebounce, 20);
    dlg().MarkGroup(device::SettingGroup::SensorLighting);
    loop.advance(100); // downloaded: the save is pending for ten seconds
    ASSERT_TRUE(core().SavePending());
    mouse_->unplug(Form::Wired);
    loop.runUntilIdle();
    EXPECT_TRUE(loop.quitRequested());
    EXPECT_FALSE(core().SavePending());
    model::ProfileRecord reread;
    ASSERT_TRUE(model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(0)));
    EXPECT_EQ(reread.PairValue(model::kPairKeyDebounce), u"20");
}

TEST_F(MainWindowTest, CloseButtonHidesAndTheOpenRequestBringsItBack) {
    start("0", {Form::Wired});
    clickControl(kClose);
    EXPECT_FALSE(native()->isVisible());
    EXPECT_FALSE(loop.quitRequested());
    post(device::kMsgOpenRequest);
    EXPECT_TRUE(shownNormally());
    // Escape and Enter never end the main window.
    loop.send(dlg().hwnd(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
    loop.send(dlg().hwnd(), platform::WM_KEYDOWN, platform::VK_RETURN, 0);
    EXPECT_TRUE(dlg().IsOpen());
    EXPECT_TRUE(shownNormally());
}

TEST_F(MainWindowTest, HeadersFollowThePageRuleAndMoveThePagesBelow) {
    start("0", {Form::Wired});
    auto header = [&](int id) { return dlg().FindControlAs<ui::CCheckButton>(id); };
    EXPECT_TRUE(header(kHeaderDpi)->IsChecked());
    EXPECT_TRUE(header(kHeaderLighting)->IsChecked());
    const int pollingTopWithBothOpen = header(kHeaderPollingRate)->rect().top;

    clickControl(kHeaderPointer);
    EXPECT_TRUE(header(kHeaderDpi)->IsChecked());
    EXPECT_FALSE(header(kHeaderLighting)->IsChecked());
    EXPECT_TRUE(header(kHeaderPointer)->IsChecked());
    EXPECT_LT(header(kHeaderPollingRate)->rect().top, pollingTopWithBothOpen);

    // Closing a page changes no other.
    clickControl(kHeaderDpi);
    EXPECT_FALSE(header(kHeaderDpi)->IsChecked());
    EXPECT_TRUE(header(kHeaderPointer)->IsChecked());
    EXPECT_EQ(header(kHeaderLighting)->rect().top, header(kHeaderDpi)->rect().bottom + ui::Scaled(4));
}

TEST_F(MainWindowTest, FactoryResetWritesOnlyTheResetAndKeepsTheName) {
    start("0", {Form::Wired});
    profile().SetPairValue(model::kPairProfileName, std::u16string(u"My game"));
    profile().SetPairValue(model::kPairKeyDebounce, 30);
    ui::CDlgBase::OnNextDialogShown([](ui::CDlgBase& confirm) { confirm.EndDialog(platform::IDOK); });
    clickControl(kFactoryReset);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{device::kCmdFactoryReset});
    EXPECT_EQ(profile().PairValue(model::kPairProfileName), u"My game");
    EXPECT_EQ(profile().PairValue(model::kPairKeyDebounce), u"12");
    EXPECT_EQ(mouse_->factoryResetCount(), 1u);

    // Cancelled: nothing is written.
    ui::CDlgBase::OnNextDialogShown([](ui::CDlgBase& confirm) { confirm.EndDialog(platform::IDCANCEL); });
    clickControl(kFactoryReset);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{});
}

TEST_F(MainWindowTest, BatteryShowsEverySecondAndItsTextHidesWhileCharging) {
    auto status = mouse_->status();
    status.battery = 76;
    mouse_->setStatus(status);
    start("0", {Form::Wired});
    loop.advance(1000);
    auto* battery = dlg().FindControlAs<ui::CBattery>(kBattery);
    auto* text = dlg().FindControl(kBatteryText);
    EXPECT_EQ(battery->Level(), 76);
    EXPECT_EQ(text->text(), u"76%");
    EXPECT_TRUE(text->isShown());

    status.chargeState = device::kChargeCharging;
    mouse_->setStatus(status);
    loop.advance(21000); // the next status poll

    EXPECT_EQ(battery->ChargeState(), 1);
    EXPECT_FALSE(text->isShown());
}

TEST_F(MainWindowTest, TheMacroManagerIsFollowedByADownloadWhenAButtonPlaysAMacro) {
    start("0", {Form::Wired});
    clickControl(kMacroManager);
    EXPECT_EQ(macroManagerRuns_.size(), 1u);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{}); // no macro button: nothing to send

    // A button that plays a macro that is no longer in the library is disabled by the download
    // that follows the manager.
    auto& button = profile().buttons[2];
    button.Value = model::KeyFunctionCode{{model::kMacroFunctionClass, 0, 0}};
    button.MacroKeyIndex = 77;
    clickControl(kMacroManager);
    EXPECT_EQ(button.Value, model::KeyFunctionCode{});
    loop.runUntilIdle(); // the download that started goes out report by report
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{device::kCmdButton});
}

TEST_F(MainWindowTest, MouseSettingsWithoutATool) {
    start("0", {Form::Wired});
    mouseSettingsFound_ = false;
    bool told = false;
    ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& message) {
        told = message.FindControl(ui::CAttentionDlg::kMessageId)->text() == model::LanguageText(158);
        message.EndDialog(platform::IDOK);
    });
    loop.send(dlg().hwnd(), kMouseSettings, 0, ui::kCodeClick);
    EXPECT_EQ(mouseSettingsRuns_, 1);
    EXPECT_TRUE(told);
}

TEST_F(MainWindowTest, TrayExitClosesOpenDialogsAndEndsTheWindow) {
    start("0", {Form::Wired});
    ui::CAttentionDlg open(u"open", dlg().hwnd());
    open.Create();
    ASSERT_TRUE(open.IsOpen());
    post(platform::WM_COMMAND, kCmdTrayExit);
    loop.runUntilIdle();
    EXPECT_FALSE(open.IsOpen());
    EXPECT_FALSE(dlg().IsOpen());
}

} // namespace
} // namespace quorvik::test

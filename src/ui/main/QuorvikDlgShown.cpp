// What the main window shows and offers: its painting, the device link's window port (windows
// shown, hidden and drawn for the mouse's state) and what the pages may use (PageHost).
#include "ui/main/QuorvikDlg.h"

#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/qt/DesktopShell.h"
#include "platform/qt/TrayIcon.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/main/FirmwareResetDlg.h"
#include "ui/main/MainLayout.h"
#include "ui/main/OsdDisplay.h"
#include "ui/main/ProgressBarDlg.h"
#include "ui/rules/TrayBattery.h"
#include "ui/skin/Displays.h"
#include "ui/skin/FileMessages.h"
#include "ui/skin/OpenWindowTable.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace quorvik::ui {

using namespace platform;
using namespace main_ids;

namespace {

constexpr int kTextNoAccess = 410;
constexpr int kTextTipLevel = 411;
constexpr int kTextTipCharging = 412;
constexpr int kTextTipFull = 413;
constexpr int kTextLowBatteryTitle = 414;
constexpr int kTextLowBattery = 415;
constexpr int kTextOsdProfile = 480;
constexpr int kTextTipProfile = 481;

} // namespace

bool OpenDocumentation() {
    // In the program folder's doc/: share/quorvik/doc/ when installed, bin/doc/ in a build tree.
    const QString path = QString::fromStdString(platform::ProgramFolder() + "doc/README.md");
    return QFileInfo::exists(path) && QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

CQuorvikDlg::Services CQuorvikDlg::DefaultServices() {
    Services services;
    services.openMouseSettings = [] { return platform::OpenMouseSettings(); };
    services.openDocumentation = [] { return OpenDocumentation(); };
    services.runMacroManager = [](WindowHandle parent) {
        CMacroManagerDlg manager(parent);
        manager.DoModal();
    };
    // Not TrayIcon::Available(): at login the autostart entry often runs before the panel's tray
    // exists, and an icon made then is put in place by Qt once a tray appears.
    services.trayIcon = true;
    const platform::ScreenMetrics screen = platform::PrimaryScreenMetrics();
    services.screenWidth = screen.fullWidth;
    services.screenHeight = screen.fullHeight;
    services.screenLeft = screen.workArea.x();
    services.screenTop = screen.workArea.y();
    return services;
}

// ---- painting ----

void CQuorvikDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    for (const auto& panel : layout::kPanels)
        panel_.draw(
            p, ScaledRect(layout::kPanelLeft, panel.y, layout::kPanelLeft + layout::kPanelWidth, panel.y + panel.height)
                   .toQRect());
    for (const Rect& panel : column_.OpenPanels())
        panel_.draw(p, panel.toQRect());
    DrawControls(p, client);
    // The first paint on the screen: a minimised window's picture, made ahead, is not.
    if (!painted_ && !window()->isMinimized()) {
        painted_ = true;
        // The tray icon's timer, due now: after this paint, not inside it.
        UiLoop().post(hwnd(), WM_TIMER, kTimerShowTray, 0);
        // The held download goes once this picture is on the screen (after the paint returns).
        if (std::exchange(downloadHeld_, false) && UiLoop().hasTimer(hwnd(), device::kTimerDownload))
            UiLoop().setTimer(hwnd(), device::kTimerDownload, 1);
        if (firstPaint_)
            firstPaint_();
    }
}

bool CQuorvikDlg::holdDownloadForFirstPaint() {
    // A download keeps the GUI thread for the mouse's pacing (60 ms a report, 7 reports after the
    // first scan). The first scan's download falls due 20 ms after the start, mostly before the
    // desktop has exposed the window: the window would stay blank for half a second. It waits
    // for the first paint instead; the device link's order and its 20 ms delay stay as they are.
    if (painted_ || !window() || !window()->isVisible() || window()->isMinimized())
        return false;
    const std::uint64_t waited = UiLoop().now() - startedAt_;
    if (waited >= kFirstPaintWaitMs)
        return false;
    downloadHeld_ = true;
    UiLoop().setTimer(hwnd(), device::kTimerDownload, std::uint32_t(kFirstPaintWaitMs - waited));
    return true;
}

// ---- MainWindowPort ----

void CQuorvikDlg::HideMainWindow() {
    // The tray is the way back to a hidden window.
    showTray();
    if (window())
        window()->showCommand(SW_HIDE);
}

void CQuorvikDlg::ShowMainWindowNormal() {
    if (window())
        window()->showCommand(SW_SHOWNORMAL);
    noteChange();
}

void CQuorvikDlg::MinimiseMainWindow() {
    if (window())
        window()->showCommand(SW_MINIMIZE);
    noteChange();
}

void CQuorvikDlg::CloseOpenWindows() {
    ui::CloseOpenWindows();
}

void CQuorvikDlg::QuitProgram() {
    if (observer_.mouseGone)
        observer_.mouseGone();
    UiLoop().postQuit();
}

void CQuorvikDlg::RefreshMainWindow() {
    RefreshAllPages();
}

void CQuorvikDlg::ShowWriteProgress(int textIndex, std::size_t written, std::size_t total) {
    if (!progress_)
        progress_ = std::make_unique<CProgressBarDlg>(textIndex, hwnd());
    progress_->ShowProgress(written, total);
}

void CQuorvikDlg::EndWriteProgress() {
    if (progress_)
        progress_->Finish();
}

void CQuorvikDlg::ShowAttention(int textIndex) {
    showWarning(model::LanguageText(textIndex));
}

void CQuorvikDlg::ShowNoAccess(const std::string& path) {
    showWarning(rules::WithValue(model::LanguageText(kTextNoAccess), model::ToU16(path)));
}

void CQuorvikDlg::showWarning(const std::u16string& text) {
    // Modeless and on top: the user may look at the window behind it.
    warning_ = std::make_unique<CAttentionDlg>(text, hwnd());
    warning_->Create();
    // On top before it is shown: set afterwards, the flag would unmap and map the window again.
    warning_->window()->setTopmost(true);
    warning_->window()->showCommand(SW_SHOWNORMAL);
}

CAttentionDlg* CQuorvikDlg::OpenWarning() const {
    return warning_ && warning_->IsOpen() ? warning_.get() : nullptr;
}

void CQuorvikDlg::ShowSaveFailure(const model::SaveFailure& failure) {
    if (core_)
        core_->ScheduleSave();
    if (failure.repeated)
        return;
    saveFailures_.push_back(failure);
    ShowFileNotice({});
}

void CQuorvikDlg::ShowFileNotice(std::u16string text) {
    if (!text.empty())
        notices_.push_back(std::move(text));
    // Gathered until the loop comes back: one save of six files makes one message.
    if (!noticePosted_ && hwnd()) {
        noticePosted_ = true;
        UiLoop().post(hwnd(), kMsgShowFileNotice, 0, 0);
    }
}

void CQuorvikDlg::showFileNotices() {
    noticePosted_ = false;
    std::u16string text;
    for (const std::u16string& notice : notices_)
        text += (text.empty() ? u"" : u"\n\n") + notice;
    if (!saveFailures_.empty())
        text += (text.empty() ? u"" : u"\n\n") + SaveFailureMessage(saveFailures_);
    notices_.clear();
    saveFailures_.clear();
    if (text.empty())
        return;
    // A message still open is replaced by one that says it again with the news.
    if (CAttentionDlg* open = OpenFileNotice())
        text = open->Message() + u"\n\n" + text;
    fileNotice_ = std::make_unique<CAttentionDlg>(text, hwnd());
    fileNotice_->Create();
    fileNotice_->window()->setTopmost(true);
    fileNotice_->window()->showCommand(SW_SHOWNORMAL);
}

CAttentionDlg* CQuorvikDlg::OpenFileNotice() const {
    return fileNotice_ && fileNotice_->IsOpen() ? fileNotice_.get() : nullptr;
}

bool CQuorvikDlg::ConfirmFactoryReset() {
    return CFirmwareResetDlg::Confirm(hwnd());
}

void CQuorvikDlg::UpdateSensorControls(std::uint8_t classFlag, std::uint16_t) {
    column_.SetLiftOffActive(classFlag == 1);
    for (CPage* page : pages_)
        page->OnSensorChanged(core_->Tables());
    RefreshAllPages();
}

void CQuorvikDlg::ShowMouseConnection() {
    const bool connected = core_ && core_->Connection().HasTarget();
    auto* absent = FindControl(kMouseAbsentText);
    if (!absent || absent->isShown() == !connected)
        return;
    absent->SetShown(!connected);
    if (auto* battery = FindControl(kBattery))
        battery->SetShown(connected);
    if (auto* text = FindControl(kBatteryText))
        text->SetShown(connected);
    InvalidateAll();
    noteChange();
}

void CQuorvikDlg::ShowBattery(int level, int chargeState, int animationPhase) {
    const bool connected = core_ && core_->Connection().HasTarget();
    if (auto* battery = FindControlAs<CBattery>(kBattery))
        battery->SetStatus(level, chargeState, animationPhase);
    if (auto* text = FindControl(kBatteryText)) {
        text->SetText(model::DecimalText(level) + u"%");
        text->SetShown(connected && chargeState != device::kChargeCharging);
        InvalidateControl(text);
    }
    showTrayBattery(level, chargeState);
    noteChange();
}

void CQuorvikDlg::showTrayBattery(int level, int chargeState) {
    if (!tray_)
        return;
    trayLevel_ = level;
    trayChargeState_ = chargeState;
    trayBatteryTold_ = true;
    refreshTrayTip();
    // Until the mouse has told its status (and while it is not online) the level is no news.
    const bool known = core_->LastStatusReport() && core_->Online();
    if (!known || !lowBattery_.Update(level, chargeState))
        return;
    const std::u16string title = model::LanguageText(kTextLowBatteryTitle);
    const std::u16string text = rules::WithValue(model::LanguageText(kTextLowBattery), model::DecimalText(level));
    if (services_.notify)
        services_.notify(title, text);
    else
        tray_->ShowMessage(QString::fromStdU16String(title), QString::fromStdU16String(text));
}

void CQuorvikDlg::refreshTrayTip() {
    if (!tray_)
        return;
    // The level is told by the battery display's tick, not by the status read before it.
    const bool known = trayBatteryTold_ && core_ && core_->LastStatusReport() && core_->Online();
    const rules::BatteryWords words{model::LanguageText(kTextTipLevel), model::LanguageText(kTextTipCharging),
                                    model::LanguageText(kTextTipFull)};
    std::u16string tip = known ? rules::BatteryTip(words, trayLevel_, trayChargeState_) : std::u16string(kTrayTip);
    // The profile in use, also when the application in use chose it.
    const std::u16string& name = CurrentRecord().PairValue(model::kPairProfileName);
    tip += u'\n';
    tip += rules::WithValue(model::LanguageText(kTextTipProfile), name);
    const QString text = QString::fromStdU16String(tip);
    if (text != tray_->Tip())
        tray_->SetTip(text);
}

void CQuorvikDlg::ShowProfileSwitched() {
    osd_->ShowProfile(model::LanguageText(kTextOsdProfile), CurrentRecord().PairValue(model::kPairProfileName), hwnd());
}

void CQuorvikDlg::ShowOnScreenDisplay(const device::OsdTexts& texts) {
    osd_->Show(texts, hwnd());
    if (observer_.onScreenDisplay)
        observer_.onScreenDisplay(texts);
}

// ---- PageHost ----

model::ProfileRecord& CQuorvikDlg::CurrentRecord() {
    return model::Profile(model::CurrentSlot());
}

void CQuorvikDlg::MarkGroup(device::SettingGroup group) {
    core_->MarkGroup(group);
    noteChange();
}

void CQuorvikDlg::MarkGroupWithoutDownload(device::SettingGroup group) {
    core_->Download().Mark(group);
}

void CQuorvikDlg::StartDownloadTimer() {
    UiLoop().setTimer(hwnd(), device::kTimerDownload, device::kDownloadDelayMs);
}

void CQuorvikDlg::SaveSettingsSoon() {
    core_->SaveSoon();
}

void CQuorvikDlg::DownloadNow() {
    core_->RunDownload();
}

void CQuorvikDlg::RefreshAllPages() {
    const model::ProfileRecord& record = CurrentRecord();
    for (CPage* page : pages_)
        page->Refresh(record);
    InvalidateAll();
    refreshTrayTip();
    noteChange();
}

void CQuorvikDlg::CollectPageValues() {
    model::ProfileRecord& record = CurrentRecord();
    for (CPage* page : pages_)
        page->Collect(record);
}

void CQuorvikDlg::RelayoutPages() {
    column_.Layout();
}

void CQuorvikDlg::SetTimer(unsigned id, std::uint32_t periodMs) {
    UiLoop().setTimer(hwnd(), id, periodMs);
}

void CQuorvikDlg::KillTimer(unsigned id) {
    UiLoop().killTimer(hwnd(), id);
}

int CQuorvikDlg::ShowMessage(int textIndex) {
    CAttentionDlg message(model::LanguageText(textIndex), hwnd());
    return message.DoModal();
}

int CQuorvikDlg::FocusBand(const Rect& rect) const {
    if (rect.bottom <= Scaled(layout::kTitleBarHeight))
        return 3;
    if (rect.left < Scaled(layout::kMouseLeft))
        return 0;
    if (rect.left < Scaled(layout::kColumnLeft))
        return 1;
    return 2;
}

} // namespace quorvik::ui

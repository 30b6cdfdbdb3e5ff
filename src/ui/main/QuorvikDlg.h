// The main window: a skinned dialog covered with the controls of every page. It owns the device
// link, the pages and the window's timers, and routes every message: the device link first, then
// the window's own commands, then the page that owns the sending control, then the dialog base.
//
// It is a modal dialog whose loop is the program's main loop: DoModal returns when the user exits
// from the tray, when the last form of the mouse is unplugged, or when an exit is requested
// (signal, end of session, a later start with --quit).
#pragma once

#include "device/DeviceCore.h"
#include "device/MainWindowPort.h"
#include "model/FileProblems.h"
#include "platform/HidBus.h"
#include "ui/main/AppRulesPort.h"
#include "ui/main/MainIds.h"
#include "ui/main/Page.h"
#include "ui/main/PageColumn.h"
#include "ui/main/PageHost.h"
#include "ui/rules/TrayBattery.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DlgBase.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvik::platform {
class TrayIcon;
}

namespace quorvik::ui {

class COsdDisplay;
class CProgressBarDlg;
class CButtonSelectors;
class CPowerControls;
class CProfileArea;

// Opens the program's documentation in the desktop's browser; false when it cannot.
bool OpenDocumentation();

class CQuorvikDlg : public CDlgBase, public device::MainWindowPort, public PageHost {
public:
    static constexpr int kTemplate = 102;

    // What the window reaches outside itself; each has a working default and tests replace them.
    struct Services {
        // Starts the desktop's mouse settings; false when no tool for it is installed.
        std::function<bool()> openMouseSettings;
        // Opens the program's documentation; false when it cannot.
        std::function<bool()> openDocumentation;
        // Runs the macro manager modally over the window.
        std::function<void(WindowHandle parent)> runMacroManager;
        // Whether to put an icon in the notification area. The program always does: a tray that is
        // not up yet (a panel that starts after the program at login) takes the icon when it comes.
        bool trayIcon = true;
        // Shows a desktop notification; empty: through the tray icon, where the desktop shows them.
        std::function<void(const std::u16string& title, const std::u16string& text)> notify;
        // Full-screen size of the screen the window opens on, for its size and place, and where
        // that area's top-left corner is on the desktop.
        int screenWidth = 0;
        int screenHeight = 0;
        int screenLeft = 0;
        int screenTop = 0;
    };
    static Services DefaultServices();

    CQuorvikDlg(platform::HidBus& bus, Services services);
    ~CQuorvikDlg() override;

    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    // The exit of the tray menu: every open dialog gets WM_CLOSE, then the main window ends.
    void Exit();
    // From the start of Exit() on: what the start put off is not begun any more.
    bool Exiting() const { return exiting_; }
    // Saves pending edits at once (the desktop session is ending).
    void SavePendingNow() {
        if (core_)
            core_->SavePendingNow();
    }
    // An exit asked from outside (a signal, the session's end, `quorvik --quit`): what is pending
    // is saved at once, since a SIGKILL may follow before the loop gets to it, then the tray's
    // exit is posted.
    void RequestExit();

    // What the program's other doors (the command socket, the session bus) follow of the window.
    struct Observer {
        std::function<void(const device::OsdTexts&)> onScreenDisplay;
        std::function<void()> mouseGone;
        std::function<void()> changed; // something the window shows may have changed
    };
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    device::DeviceCore& Core() { return *core_; }
    CPageColumn& Column() { return column_; }
    CPage* PageFor(int controlId) const;
    // Called once after the first paint (for the start-up measurement).
    void SetFirstPaintHook(std::function<void()> hook) { firstPaint_ = std::move(hook); }
    // How long a download that falls due before the window's first paint waits for it, counted
    // from the window's start; a window the desktop never exposes gets its download then.
    static constexpr std::uint32_t kFirstPaintWaitMs = 1000;

    // ---- MainWindowPort: what the device link shows ----
    void HideMainWindow() override;
    void ShowMainWindowNormal() override;
    void MinimiseMainWindow() override;
    void CloseOpenWindows() override;
    void QuitProgram() override;
    void RefreshMainWindow() override;
    void ShowWriteProgress(int textIndex, std::size_t written, std::size_t total) override;
    void EndWriteProgress() override;
    void ShowAttention(int textIndex) override;
    void ShowNoAccess(const std::string& path) override;
    bool ConfirmFactoryReset() override;
    void UpdateSensorControls(std::uint8_t classFlag, std::uint16_t stepCount) override;
    void ShowBattery(int level, int chargeState, int animationPhase) override;
    void ShowOnScreenDisplay(const device::OsdTexts& texts) override;
    // The on-screen display names the profile just made current for the application in use.
    void ShowProfileSwitched();

    // ---- PageHost: what the pages use ----
    CDlgBase& Window() override { return *this; }
    model::ProfileRecord& CurrentRecord() override;
    const device::SensorTables& Sensor() const override { return core_->Tables(); }
    void MarkGroup(device::SettingGroup group) override;
    void MarkGroupWithoutDownload(device::SettingGroup group) override;
    void StartDownloadTimer() override;
    void DownloadNow() override;
    void SaveSettingsSoon() override;
    void RefreshAllPages() override;
    void CollectPageValues() override;
    void RelayoutPages() override;
    void SetTimer(unsigned id, std::uint32_t periodMs) override;
    void KillTimer(unsigned id) override;
    int ShowMessage(int textIndex) override;

    // Where the Applications dialog reports its changes (null: it edits model::Rules() only).
    void SetAppRulesPort(AppRulesPort* port) { appRulesPort_ = port; }
    AppRulesPort* ApplicationRulesPort() override { return appRulesPort_; }

    // The write-progress window, for tests; null until a download first wrote.
    CProgressBarDlg* WriteProgress() const { return progress_.get(); }
    // The modeless warning shown last (no-mouse), for tests; null when none is open.
    CAttentionDlg* OpenWarning() const;

    // A save of a settings file failed: the user is told with the next file message (the
    // failures of one moment make one), and the settings are saved again 10 s later. Repeated
    // failures (same file, same kind) are not told again.
    void ShowSaveFailure(const model::SaveFailure& failure);
    // The battery while a form of the mouse is plugged in, else "Mouse not connected" in its place.
    void ShowMouseConnection();
    // A message about the program's files, shown with the next file message.
    void ShowFileNotice(std::u16string text);
    // The file message open now, modeless and on top beside the no-mouse warning; null when none.
    CAttentionDlg* OpenFileNotice() const;
    COsdDisplay& Osd() { return *osd_; }
    // The icon in the notification area; null without one.
    platform::TrayIcon* Tray() const { return tray_.get(); }

protected:
    bool OnInitDialog() override;
    void CreateControls(const Rect& client) override;
    void DrawBackground(QPainter& p, const Rect& client) override;
    // Enter and Escape never end the main window; closing it only hides it.
    void OnOK() override {}
    void OnCancel() override;
    bool ListsInOpenWindows() const override { return false; }
    bool DrawsWhileMinimised() const override;
    // The window shows itself while it starts (and may start minimised or hidden).
    void ShowForModal() override {}
    // Tab goes down the left column, then the middle, then the settings column, and last to the
    // title bar's buttons.
    int FocusBand(const Rect& rect) const override;
    // Escape closes the window's popups only; the window itself stays.
    int CancelControlId() const override { return 0; }

private:
    // The tray icon's tip while the battery is not known.
    static constexpr char16_t kTrayTip[] = u"Gaming Mouse";

    bool handleOwnMessage(unsigned message, WPARAM wParam, LPARAM lParam);
    void onTimer(unsigned id);
    void showTray();
    void onMacroManager();
    void onApplyProfile();
    void onTrayNotify(WPARAM iconId, LPARAM event);
    void placeWindow();
    void createOutsideControls();
    void onDestroy();
    void showWarning(const std::u16string& text);
    void showFileNotices();
    void showTrayBattery(int level, int chargeState);
    // The tray's tip: the battery as last told, and the profile in use.
    void refreshTrayTip();
    bool holdDownloadForFirstPaint();

    platform::HidBus& bus_;
    Services services_;
    std::unique_ptr<device::DeviceCore> core_;
    CPageColumn column_;
    std::unique_ptr<CPowerControls> power_;
    std::unique_ptr<CButtonSelectors> buttons_;
    std::unique_ptr<CProfileArea> profiles_;
    std::unique_ptr<COsdDisplay> osd_;
    std::unique_ptr<platform::TrayIcon> tray_;
    std::unique_ptr<CAttentionDlg> warning_;
    std::unique_ptr<CProgressBarDlg> progress_; // made at the first write, then shown again
    std::unique_ptr<CAttentionDlg> fileNotice_;
    std::vector<model::SaveFailure> saveFailures_; // not told yet
    std::vector<std::u16string> notices_;          // not shown yet
    bool noticePosted_ = false;
    rules::LowBatteryNotice lowBattery_;
    int trayLevel_ = 0;
    int trayChargeState_ = 0;
    bool trayBatteryTold_ = false;
    std::vector<CPage*> pages_; // every page, for refresh, collect and timers
    SkinImage panel_;
    std::function<void()> firstPaint_;
    Observer observer_;
    AppRulesPort* appRulesPort_ = nullptr;
    void noteChange() {
        if (observer_.changed)
            observer_.changed();
    }
    bool painted_ = false;
    bool exiting_ = false;
    std::uint64_t startedAt_ = 0; // loop time of OnInitDialog
    bool downloadHeld_ = false;   // timer 30 fell due before the first paint
};

} // namespace quorvik::ui

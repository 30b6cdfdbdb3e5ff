// The device link's state and behaviour as the main window owns it, without any drawing: the
// connection to the mouse, the settings download with its shadows, the status poll and battery,
// the window-open rules, level changes made on the mouse, the no-mouse warning and the factory
// reset. The main window (and the command-line tool) forward their messages to HandleMessage and
// implement MainWindowPort for everything visible.
#pragma once

#include "device/DeviceConnection.h"
#include "device/DeviceHost.h"
#include "device/MainWindowPort.h"
#include "device/SensorTables.h"
#include "device/SettingsDownload.h"
#include "model/SettingsSave.h"
#include "platform/EventLoop.h"
#include "platform/HidBus.h"
#include "platform/Messages.h"
#include "platform/Worker.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace quorvik::device {

// Main-window timers the device link uses.
inline constexpr unsigned kTimerDownload = 30;    // 20 ms after an edit, one-shot
inline constexpr unsigned kTimerKeepHidden = 40;  // 100 ms after the window shows while not open for use
inline constexpr unsigned kTimerDelayedSave = 70; // 10 s after the last download, one-shot
inline constexpr unsigned kTimerNoMouse = 80;     // 2 s after start-up, one-shot
inline constexpr unsigned kTimerStatusPoll = 110; // 1 s, periodic
inline constexpr std::uint32_t kDownloadDelayMs = 20;
inline constexpr std::uint32_t kKeepHiddenPeriodMs = 100;
inline constexpr std::uint32_t kDelayedSaveMs = 10000;
// A save that keeps failing is tried again after 10 s, then twice as long each time, up to this.
inline constexpr std::uint32_t kLongestSaveRetryMs = 5 * 60 * 1000;
inline constexpr std::uint32_t kNoMouseDelayMs = 2000;
inline constexpr std::uint32_t kStatusPollPeriodMs = 1000;
// How long the program's end waits for a download on its way to the mouse.
inline constexpr std::uint32_t kExitWaitMs = 2000;

// Main-window messages the device link handles.
inline constexpr unsigned kMsgOnScreenDisplay = 0x42B; // wParam 1
inline constexpr unsigned kMsgFactoryReset = 0x7FD;    // lParam 2
inline constexpr unsigned kMsgOpenRequest = 0xBB7;
// Posted by the save worker when a save of the settings is done.
inline constexpr unsigned kMsgSettingsSaved = platform::WM_USER + 0x101;

// Language texts the device link shows.
inline constexpr int kTextWriting = 146;
inline constexpr int kTextNoMouse = 155;
inline constexpr int kTextMouseOffline = 156;

// The status is read when the tick counter has passed this many one-second ticks.
inline constexpr int kStatusPollTicks = 20;
inline constexpr int kTickAfterDeviceChange = 19;

// Battery level of a full charge; a level above it shows as 0.
inline constexpr int kBatteryFull = 100;

class DeviceCore : private DeviceHost {
public:
    DeviceCore(platform::HidBus& bus, platform::EventLoop& loop, platform::WindowHandle mainWindow,
               MainWindowPort& window);
    ~DeviceCore() override;

    // The device part of the main window's start-up, after the settings model has been loaded:
    // sensor tables, window-open state from NeedPassword (1 minimises the window), device
    // notifications, shadow priming, the first scan with its status read, timers 40 and 80.
    void Start();

    // Messages of the main window that belong to the device link; false for any other.
    bool HandleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam);

    // A page changed settings of `group`: the download runs 20 ms later.
    void MarkGroup(SettingGroup group);
    // The download, at once (timer 30, and the main window's apply commands). It goes out report
    // by report, paced by the loop, and returns at once: the window stays live meanwhile. Asked
    // for while one runs, it follows 20 ms after that one ended.
    void RunDownload();
    // A download is on its way to the mouse (or waits for its turn).
    bool DownloadRunning() const { return downloadActive_; }
    // Anything is on its way to the mouse: a download, a status read or a reset.
    bool Busy() const { return downloadActive_ || connection_->Queue().Busy(); }
    // Lets the loop run until nothing is on its way to the mouse, at most `maxMs`; what is still
    // not written then is abandoned (it stays pending). False when it had to abandon something.
    bool FinishWrites(std::uint32_t maxMs);
    void PrimeShadows();
    // After the macro manager closed: the next download refreshes the buttons' macro copies (the
    // one after the download running or waiting now, which the closing itself started).
    void RequestMacroRefresh();

    // Tray double-click, tray menu, a second instance: bring the window forward or ask the mouse.
    void OpenRequest();
    // The factory-reset button (after its confirmation). False, with the no-mouse message and
    // nothing changed, when the reset did not reach the mouse. A reset asked for during a download
    // waits for it (and returns true then; a failure is still told when its turn comes).
    // `done` hears whether the mouse took it, once it was tried (not when it was abandoned).
    bool FactoryReset(std::function<void(bool taken)> done = {});
    // WM_DESTROY of the main window: the pending save, then the handles are closed.
    void Shutdown();
    // The delayed save at once, when one is pending (the desktop session is ending).
    void SavePendingNow();
    // The settings are saved 10 s from now (and at the end): a save made elsewhere failed.
    void ScheduleSave();
    // The settings are saved now, off the main thread (the profile area's changes, a sensor
    // change, a factory reset); the outcome is noted when it is done.
    void SaveSoon();
    // A save is being written by the worker.
    bool SaveInFlight() const { return savesInFlight_ > 0; }
    // Waits until the worker wrote every save given to it, and notes their outcomes.
    void FinishSaves();
    // Told after each save of the settings has landed (whatever its outcome).
    void SetSavedHook(std::function<void()> hook) { savedHook_ = std::move(hook); }

    // Applied on the main thread for each level-change report (bytes 3 and 4).
    void ApplyLevelChange(std::uint8_t interval, std::uint8_t level);
    // The three texts of the on-screen display for the current profile and device level.
    OsdTexts OnScreenDisplayTexts() const;

    // State, for the main window and for tests.
    bool WindowOpen() const { return windowOpen_; }
    bool Online() const { return online_; }
    bool OpenedByDevice() const { return openedByDevice_; }
    // The window was opened by an open request while no form of the mouse was plugged in.
    bool OpenedByUser() const { return openedByUser_; }
    int BatteryLevel() const { return battery_; }
    // The level as the battery display shows it: a byte above 100 is 0.
    int ShownBatteryLevel() const { return battery_ > kBatteryFull ? 0 : battery_; }
    int ChargeState() const { return chargeState_; }
    int TickCounter() const { return tickCounter_; }
    int DeviceLevel() const { return deviceLevel_; }
    bool SavePending() const { return savePending_; }
    // The last status response read (any tag), for tools that show it as it is.
    const std::optional<Report>& LastStatusReport() const { return lastStatus_; }
    // How many status responses were read so far: a caller that asked for one sees whether its
    // read brought a new one.
    std::uint64_t StatusAnswers() const { return statusAnswers_; }
    // Forces the window-open state (a program started with the window already open for use).
    void SetWindowOpen(bool open);
    // The main window was shown (or came back from minimised): while it is not open for use it
    // is hidden again 100 ms later. A reaction, not a periodic check: a hidden program does not
    // wake up for it.
    void WindowShown();

    DeviceConnection& Connection() { return *connection_; }
    SettingsDownload& Download() { return download_; }
    const SensorTables& Tables() const { return tables_; }
    SensorTables& Tables() { return tables_; }

private:
    // DeviceHost: what the connection asks of the window.
    void SetStatusTickCounter(int value) override { tickCounter_ = value; }
    void StartStatusTimer() override;
    void ScheduleDownloadAfterScan() override;
    void RefreshMainWindow() override { window_.RefreshMainWindow(); }
    void HandleStatusResponse(const Report& response) override;
    void ClearWindowOpenState() override { SetWindowOpen(false); }
    void HideMainWindow() override { window_.HideMainWindow(); }
    void CloseOpenWindows() override { window_.CloseOpenWindows(); }
    void QuitProgram() override;

    void onTimer(unsigned id);
    void downloadStarted();
    void downloadWrote(std::size_t written, std::size_t total);
    void downloadEnded(bool completed);
    std::optional<std::uint32_t> factoryResetStep(int turn, std::optional<bool>& result,
                                                  const std::function<void(bool)>& done);
    void statusPollTick();
    void showBattery();
    void noMouseWarning();
    enum class SaveWay { InBackground, Now };
    void saveNow(SaveWay way);
    void retrySave();
    void takeSaveResults();
    void applySensor(std::uint16_t sensor);

    platform::EventLoop& loop_;
    platform::WindowHandle mainWindow_;
    MainWindowPort& window_;
    SensorTables tables_;
    std::unique_ptr<DeviceConnection> connection_;
    SettingsDownload download_;

    bool windowOpen_ = false;
    bool online_ = false;
    bool openedByDevice_ = false;
    bool openedByUser_ = false;
    int battery_ = 10;
    int chargeState_ = 0;
    int tickCounter_ = 0;
    int batteryPhase_ = 0;
    std::uint8_t sensorCode_ = 0;
    int deviceLevel_ = 2;
    bool savePending_ = false;
    std::optional<Report> lastStatus_;
    std::uint64_t statusAnswers_ = 0;
    std::function<void()> savedHook_;
    bool downloadActive_ = false;
    bool rerunWanted_ = false;       // a download was asked for while one ran
    bool progressShown_ = false;     // the running download shows the progress window
    bool progressAllowed_ = false;   // the running download may show it (not after a scan)
    bool macroRefreshAfter_ = false; // asked for while a download was on its way
    // Level changes the mouse announced while a download ran: applied once it ended, in order.
    std::vector<std::pair<std::uint8_t, std::uint8_t>> deferredLevels_;
    // Saves written by the worker, and their outcomes until the main thread notes them.
    int savesInFlight_ = 0;
    std::uint32_t retryMs_ = kDelayedSaveMs; // until the next try of a save that failed
    std::mutex savedMutex_;
    std::deque<model::SnapshotWritten> saved_;
    platform::Worker saver_; // last: it ends (after its queued saves) before what they use
};

} // namespace quorvik::device

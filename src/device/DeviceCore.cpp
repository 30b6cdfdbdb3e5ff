#include "device/DeviceCore.h"

#include "macro/MacroFiles.h"

#include "macro/MacroLibrary.h"
#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "model/SettingsLoad.h"
#include "model/SettingsSave.h"
#include "model/Text.h"
#include "platform/Messages.h"

#include <algorithm>
#include <bit>
#include <memory>

namespace quorvik::device {

namespace {

// Rate code of a report interval the mouse announces: 8 ms → 125 Hz … anything else → 1000 Hz.
std::uint8_t rateCodeForInterval(std::uint8_t interval) {
    switch (interval) {
    case 8:
        return 0;
    case 4:
        return 1;
    case 2:
        return 2;
    default:
        return 3;
    }
}

// The rate's name as the mouse's own report sets it (the rate buttons of the DPI page write
// "HZ"; a change made on the mouse writes "Hz").
const char16_t* rateNameForCode(int code) {
    static constexpr const char16_t* kNames[] = {u"125Hz", u"250Hz", u"500Hz", u"1000Hz"};
    return code >= 0 && code < 3 ? kNames[code] : kNames[3];
}

// Level-change reports count levels from 1 among the enabled levels, of which there are at most
// eight; anything else comes from a confused device.
constexpr std::uint8_t kMaxReportedLevel = 8;

constexpr int kBatteryPhaseStep = 25;

} // namespace

DeviceCore::DeviceCore(platform::HidBus& bus, platform::EventLoop& loop, platform::WindowHandle mainWindow,
                       MainWindowPort& window)
    : loop_(loop), mainWindow_(mainWindow), window_(window),
      connection_(std::make_unique<DeviceConnection>(bus, loop, mainWindow, static_cast<DeviceHost&>(*this))),
      download_(DownloadPorts{[this](const Report& r) { return connection_->WriteCommand(r); },
                              [this] { return connection_->HasTarget(); }, connection_->Sequence()},
                tables_) {}

DeviceCore::~DeviceCore() {
    loop_.killTimer(mainWindow_, kTimerDownload);
    loop_.killTimer(mainWindow_, kTimerKeepHidden);
    loop_.killTimer(mainWindow_, kTimerDelayedSave);
    loop_.killTimer(mainWindow_, kTimerNoMouse);
    loop_.killTimer(mainWindow_, kTimerStatusPoll);
}

void DeviceCore::Start() {
    tables_.Rebuild(model::SensorIdentifier());
    long needPassword = model::Config().NeedPassword();
    if (needPassword == 1)
        window_.MinimiseMainWindow();
    windowOpen_ = needPassword == 0;
    online_ = windowOpen_;

    connection_->RegisterNotifications();
    PrimeShadows();
    connection_->Scan();
    if (connection_->AnyDevice() && connection_->TakeQueryOnArrival())
        connection_->ReadStatus([this] { window_.RefreshMainWindow(); });
    // The window was shown (or minimised) while it started: hidden within 100 ms when not open.
    WindowShown();
    loop_.setTimer(mainWindow_, kTimerNoMouse, kNoMouseDelayMs);
}

bool DeviceCore::HandleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) {
    switch (message) {
    case platform::WM_TIMER:
        switch (wParam) {
        case kTimerDownload:
        case kTimerKeepHidden:
        case kTimerDelayedSave:
        case kTimerNoMouse:
        case kTimerStatusPoll:
            onTimer(static_cast<unsigned>(wParam));
            return true;
        default:
            return false;
        }
    case platform::WM_DEVICECHANGE:
        connection_->OnDeviceChange(wParam);
        return true;
    case platform::WM_SHOWWINDOW:
        if (wParam)
            WindowShown();
        return false; // the window's own handling goes on
    case kLevelChangeMessage:
        ApplyLevelChange(static_cast<std::uint8_t>(wParam), static_cast<std::uint8_t>(lParam));
        return true;
    case kMsgOnScreenDisplay:
        if (wParam == 1)
            window_.ShowOnScreenDisplay(OnScreenDisplayTexts());
        return true;
    case kMsgFactoryReset:
        if (lParam != 2)
            return true;
        // No question that cannot be carried out: without a mouse, the no-mouse message at once.
        if (!connection_->HasTarget())
            window_.ShowAttention(kTextNoMouse);
        else if (window_.ConfirmFactoryReset())
            FactoryReset();
        return true;
    case kMsgOpenRequest:
        OpenRequest();
        return true;
    case kMsgSettingsSaved:
        takeSaveResults();
        return true;
    case platform::WM_DESTROY:
        Shutdown();
        return false; // the window's own destruction goes on
    default:
        return false;
    }
}

void DeviceCore::onTimer(unsigned id) {
    switch (id) {
    case kTimerDownload:
        loop_.killTimer(mainWindow_, kTimerDownload);
        RunDownload();
        break;
    case kTimerKeepHidden:
        loop_.killTimer(mainWindow_, kTimerKeepHidden);
        if (!windowOpen_)
            window_.HideMainWindow();
        break;
    case kTimerDelayedSave:
        saveNow(SaveWay::InBackground);
        break;
    case kTimerNoMouse:
        loop_.killTimer(mainWindow_, kTimerNoMouse);
        noMouseWarning();
        break;
    case kTimerStatusPoll:
        statusPollTick();
        break;
    default:
        break;
    }
}

void DeviceCore::MarkGroup(SettingGroup group) {
    download_.Mark(group);
    loop_.setTimer(mainWindow_, kTimerDownload, kDownloadDelayMs);
}

void DeviceCore::ScheduleDownloadAfterScan() {
    download_.MarkAfterScan();
    loop_.setTimer(mainWindow_, kTimerDownload, kDownloadDelayMs);
}

void DeviceCore::StartStatusTimer() {
    loop_.setTimer(mainWindow_, kTimerStatusPoll, kStatusPollPeriodMs);
}

void DeviceCore::RunDownload() {
    // Nothing reaches the mouse while the window is hidden in the tray; the marks stay for later.
    if (!windowOpen_)
        return;
    if (downloadActive_) {
        rerunWanted_ = true;
        return;
    }
    downloadActive_ = true;
    DownloadJob::Events events;
    events.started = [this](const DownloadPlan&) { downloadStarted(); };
    events.wrote = [this](std::size_t written, std::size_t total) { downloadWrote(written, total); };
    events.ended = [this](bool completed) { downloadEnded(completed); };
    connection_->Queue().Push(std::make_unique<DownloadJob>(
        download_, [this] { return download_.Plan(model::Profile(model::CurrentSlot()), macro::TheMacroLibrary()); },
        std::move(events)));
}

void DeviceCore::downloadStarted() {
    // The download right after a scan shows no progress; the flag is for that one download.
    progressAllowed_ = !download_.SuppressProgress();
    download_.ClearSuppressProgress();
    progressShown_ = false;
    ScheduleSave();
}

void DeviceCore::downloadWrote(std::size_t written, std::size_t total) {
    if (!progressAllowed_)
        return;
    if (!progressShown_) {
        progressShown_ = true;
        tickCounter_ = 0;
    }
    window_.ShowWriteProgress(kTextWriting, written, total);
}

void DeviceCore::SetWindowOpen(bool open) {
    windowOpen_ = open;
    if (!open)
        WindowShown(); // a window that shows must go
}

void DeviceCore::WindowShown() {
    if (!windowOpen_ && !loop_.hasTimer(mainWindow_, kTimerKeepHidden))
        loop_.setTimer(mainWindow_, kTimerKeepHidden, kKeepHiddenPeriodMs);
}

void DeviceCore::RequestMacroRefresh() {
    if (downloadActive_)
        macroRefreshAfter_ = true;
    else
        download_.RequestMacroRefresh();
}

void DeviceCore::downloadEnded(bool completed) {
    downloadActive_ = false;
    if (std::exchange(macroRefreshAfter_, false))
        download_.RequestMacroRefresh();
    if (std::exchange(progressShown_, false))
        window_.EndWriteProgress();
    // Ten seconds count from the end of the last download.
    ScheduleSave();
    window_.RefreshMainWindow();
    for (const auto& [interval, level] : std::exchange(deferredLevels_, {}))
        ApplyLevelChange(interval, level);
    // Edits made while it ran go out in a download of their own, the usual 20 ms later. An abandoned
    // download leaves that to whatever ended it (a scan schedules its own).
    if (std::exchange(rerunWanted_, false) && completed)
        loop_.setTimer(mainWindow_, kTimerDownload, kDownloadDelayMs);
}

bool DeviceCore::FinishWrites(std::uint32_t maxMs) {
    if (!Busy())
        return true;
    const std::uint64_t deadline = loop_.now() + maxMs;
    loop_.runUntil([&] { return !Busy() || loop_.now() >= deadline; });
    if (!Busy())
        return true;
    connection_->Queue().AbandonAll();
    return false;
}

void DeviceCore::PrimeShadows() {
    download_.Prime(model::Profile(model::CurrentSlot()), macro::TheMacroLibrary());
}

void DeviceCore::saveNow(SaveWay way) {
    loop_.killTimer(mainWindow_, kTimerDelayedSave);
    savePending_ = false;
    // A library whose last save failed goes with the settings until it saves again.
    bool saved = true;
    if (model::SaveFailing(macro::MacroLibraryFilePath()))
        saved = macro::SaveMacroLibraryFile();
    if (way == SaveWay::InBackground) {
        // The flushes of six files take their time on a slow disk: the worker writes a copy of
        // the settings taken now, and the outcome comes back as a message.
        auto snapshot = std::make_shared<model::SettingsSnapshot>(model::TakeSettingsSnapshot());
        ++savesInFlight_;
        saver_.Run([this, snapshot] {
            model::SnapshotWritten written = model::WriteSettingsSnapshot(*snapshot);
            {
                std::lock_guard lock(savedMutex_);
                saved_.push_back(std::move(written));
            }
            loop_.post(mainWindow_, kMsgSettingsSaved);
        });
    } else {
        // Nothing may overtake a save under way: an older copy renamed into place after this one
        // would win.
        saver_.Drain();
        takeSaveResults();
        saved = model::SaveConfiguration() && saved;
        saved = model::SaveAllProfiles() && saved;
        if (savedHook_)
            savedHook_();
    }
    if (!saved)
        retrySave();
    else if (way == SaveWay::Now)
        retryMs_ = kDelayedSaveMs;
}

void DeviceCore::retrySave() {
    // A save that failed (the user was told) keeps the edits in memory: it is tried again later,
    // at the next edit and at the end. A file that stays unwritable (made read-only on purpose)
    // is tried less and less often, up to every five minutes, rather than every 10 s for ever.
    savePending_ = true;
    loop_.setTimer(mainWindow_, kTimerDelayedSave, retryMs_);
    retryMs_ = std::min(retryMs_ * 2, kLongestSaveRetryMs);
}

void DeviceCore::takeSaveResults() {
    std::deque<model::SnapshotWritten> results;
    {
        std::lock_guard lock(savedMutex_);
        results.swap(saved_);
    }
    for (const model::SnapshotWritten& written : results) {
        --savesInFlight_;
        model::NoteSnapshotWritten(written);
        if (written.AllSaved())
            retryMs_ = kDelayedSaveMs;
        else if (!savePending_)
            retrySave();
    }
    if (!results.empty() && savedHook_)
        savedHook_();
}

void DeviceCore::FinishSaves() {
    saver_.Drain();
    takeSaveResults();
}

void DeviceCore::ScheduleSave() {
    savePending_ = true;
    loop_.setTimer(mainWindow_, kTimerDelayedSave, kDelayedSaveMs);
}

void DeviceCore::SaveSoon() {
    saveNow(SaveWay::InBackground);
}

void DeviceCore::SavePendingNow() {
    if (savePending_)
        saveNow(SaveWay::Now);
}

void DeviceCore::Shutdown() {
    // The window is going: what did not go out by now stays pending (its exit waited for it).
    connection_->Queue().AbandonAll();
    if (savePending_)
        saveNow(SaveWay::Now);
    FinishSaves();
    connection_->Close();
}

void DeviceCore::QuitProgram() {
    // The program ends with the last form of the mouse; what was edited must not go with it.
    if (savePending_)
        saveNow(SaveWay::Now);
    window_.QuitProgram();
}

void DeviceCore::OpenRequest() {
    if (windowOpen_ && online_) {
        window_.ShowMainWindowNormal();
    } else if (!connection_->HasTarget()) {
        // Asked for by the user with no form of the mouse plugged in: the window opens anyway and
        // shows the mouse as not connected; its edits wait for the download after the scan that
        // finds the mouse. The warning of the start says nothing the window does not.
        openedByUser_ = true;
        windowOpen_ = true;
        loop_.killTimer(mainWindow_, kTimerNoMouse);
        window_.ShowMainWindowNormal();
    } else {
        connection_->ReadStatus();
    }
}

void DeviceCore::HandleStatusResponse(const Report& response) {
    auto status = ParseStatusResponse(response);
    if (!status)
        return;
    lastStatus_ = response;
    ++statusAnswers_;
    if (status->tagMatches) {
        online_ = status->online;
        if (!windowOpen_ && online_) {
            openedByDevice_ = true;
            windowOpen_ = true;
            window_.ShowMainWindowNormal();
        } else if (windowOpen_ && !online_ && openedByDevice_) {
            openedByDevice_ = false;
            window_.MinimiseMainWindow();
        }
    }

    sensorCode_ = status->sensorCode;
    // Only a sensor the mouse really changed to resets the DPI settings. A code outside the table
    // says nothing about the sensor: taken as a change, it reset the user's DPI levels of all five
    // profiles at every status read.
    if (status->sensorId && *status->sensorId != model::SensorIdentifier())
        applySensor(*status->sensorId);

    battery_ = status->battery;
    if (status->chargeState == kChargeCharging) {
        chargeState_ = kChargeCharging;
    } else if (status->chargeState == kChargeFull) {
        chargeState_ = kChargeFull;
        battery_ = kBatteryFull;
    } else {
        chargeState_ = kChargeNone;
    }
}

void DeviceCore::applySensor(std::uint16_t sensor) {
    model::ApplySensorChange(sensor, model::SensorSave::ByCaller);
    SaveSoon();
    tables_.Rebuild(sensor);
    window_.UpdateSensorControls(tables_.ClassFlag(), tables_.StepCount());
}

void DeviceCore::statusPollTick() {
    if (tickCounter_ < kStatusPollTicks) {
        ++tickCounter_;
        showBattery();
        return;
    }
    tickCounter_ = 0;
    // A present form whose reader ended (a failed read) gets a fresh scan, which restarts it.
    for (Form form : kForms) {
        if (connection_->IsPresent(form) && !connection_->IsReaderRunning(form)) {
            connection_->Scan();
            tickCounter_ = kTickAfterDeviceChange;
        }
    }
    if (!windowOpen_)
        return;
    // The gauge of this tick shows what the read brings.
    connection_->ReadStatus([this] { showBattery(); });
}

void DeviceCore::showBattery() {
    if (!windowOpen_)
        return;
    battery_ = ShownBatteryLevel();
    batteryPhase_ += kBatteryPhaseStep;
    if (batteryPhase_ > kBatteryFull)
        batteryPhase_ = kBatteryPhaseStep;
    window_.ShowBattery(battery_, chargeState_, batteryPhase_);
}

void DeviceCore::noMouseWarning() {
    if (connection_->HasFeatureHandle(Form::Wired))
        return;
    const bool receiver = connection_->HasFeatureHandle(Form::Receiver);
    if (receiver && online_)
        return;
    // A node of the mouse that is there but may not be opened says more than "no mouse": with the
    // receiver open, only a wired mouse that cannot be opened does (it is plugged in, not off).
    if (const OpenFailure* denied =
            connection_->FirstAccessFailure(receiver ? std::optional(Form::Wired) : std::nullopt)) {
        window_.ShowNoAccess(denied->path);
        return;
    }
    window_.ShowAttention(receiver ? kTextMouseOffline : kTextNoMouse);
}

void DeviceCore::ApplyLevelChange(std::uint8_t interval, std::uint8_t level) {
    if (level == 0 || level > kMaxReportedLevel)
        return; // a level of 0 would be stored as 255 and index past the level table
    if (downloadActive_) {
        // Its shadows are being written: the mouse's own change is taken in once it is done, as
        // it always came after the download.
        deferredLevels_.emplace_back(interval, level);
        return;
    }
    auto& profile = model::Profile(model::CurrentSlot());
    deviceLevel_ = level - 1;
    profile.CurrentDPILevelValue = static_cast<std::uint8_t>(level - 1);
    std::uint8_t code = rateCodeForInterval(interval);
    profile.PollingRateValue = {code, 0, 0};
    profile.PollingRateName = rateNameForCode(code);
    loop_.post(mainWindow_, kMsgOnScreenDisplay, 1, 0);
    window_.RefreshMainWindow();
    // The mouse holds these values already; the next download must not send them back.
    PrimeShadows();
}

OsdTexts DeviceCore::OnScreenDisplayTexts() const {
    const auto& profile = model::Profile(model::CurrentSlot());
    unsigned mask = profile.DPIOffOnFlagValue;
    int slot = 0;
    if (deviceLevel_ >= 0 && deviceLevel_ < std::popcount(mask)) {
        int seen = 0;
        for (int bit = 0; bit < model::kDpiLevelCount; ++bit) {
            if (!(mask & (1u << bit)))
                continue;
            if (seen++ == deviceLevel_) {
                slot = bit;
                break;
            }
        }
    }
    OsdTexts texts;
    texts.title = u"DPI-" + model::DecimalText(slot + 1);
    texts.value = model::DecimalText(tables_.Dpi(profile.XYSetting[slot > 7 ? 0 : slot]));
    texts.rate = rateNameForCode(profile.PollingRateValue[0]);
    return texts;
}

bool DeviceCore::FactoryReset(std::function<void(bool)> done) {
    // Without a mouse to take the reset the profile stays as it is: resetting it (and the shadows)
    // here would leave a mouse plugged in later with settings the window no longer shows.
    if (!connection_->HasTarget()) {
        window_.ShowAttention(kTextNoMouse);
        if (done)
            done(false);
        return false;
    }
    auto result = std::make_shared<std::optional<bool>>();
    connection_->Queue().Push(std::make_unique<FunctionJob>(
        [this, result, done = std::move(done)](int turn) { return factoryResetStep(turn, *result, done); }));
    return result->value_or(true);
}

std::optional<std::uint32_t> DeviceCore::factoryResetStep(int turn, std::optional<bool>& result,
                                                          const std::function<void(bool)>& done) {
    if (turn > 0) {
        if (done)
            done(true); // its pause is over: the mouse is ready for what follows
        return std::nullopt;
    }
    result = connection_->FactoryReset();
    if (!*result) {
        window_.ShowAttention(kTextNoMouse);
        if (done)
            done(false);
        return std::nullopt;
    }
    int slot = model::CurrentSlot();
    auto& profile = model::Profile(slot);
    std::u16string name = profile.PairValue(model::kPairProfileName);
    profile.ResetToFactory(static_cast<unsigned>(slot));
    profile.SetPairValue(model::kPairProfileName, name);
    SaveSoon();
    // The mouse now holds its factory settings, which equal the reset record.
    PrimeShadows();
    window_.RefreshMainWindow();
    tickCounter_ = 0;
    window_.ShowWriteProgress(kTextWriting, 1, 1);
    window_.EndWriteProgress();
    return kReportPacingMs;
}

} // namespace quorvik::device

// The commands that talk to the mouse: status, apply, watch and reset.
#include "CommandRunImpl.h"

#include "CtlFiles.h"

#include "device/CommandReports.h"
#include "device/SettingsDownload.h"
#include "macro/MacroLibrary.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"

#include <sstream>

namespace quorvik::ctl {

using device::Form;
using device::Report;

namespace {

// What each command report sets, for the progress lines of "apply".
constexpr std::pair<std::uint8_t, const char*> kCommandNames[] = {
    {device::kCmdButton, "button"},
    {device::kCmdDpiLevels, "DPI levels"},
    {device::kCmdDpiColours, "DPI level colours"},
    {device::kCmdReportRate, "report rate"},
    {device::kCmdLighting, "lighting"},
    {device::kCmdLiftOff, "lift-off distance"},
    {device::kCmdDebounce, "key debounce"},
    {device::kCmdPowerSaving, "power saving"},
    {device::kCmdMotionWakeup, "motion wake-up"},
    {device::kCmdMacroChunk, "macro chunk"},
    {device::kCmdFactoryReset, "factory reset"},
};

const char* commandName(std::uint8_t code) {
    for (const auto& [c, name] : kCommandNames)
        if (c == code)
            return name;
    return "command";
}

} // namespace

void CommandRun::Impl::Status() {
    device::DeviceCore& core = host_.Core();
    if (int code = Connect()) {
        Finish(code);
        return;
    }
    const std::uint64_t before = core.StatusAnswers();
    core.Connection().ReadStatus(Guarded([this, before] { StatusRead(before); }));
}

void CommandRun::Impl::StatusRead(std::uint64_t answersBefore) {
    device::DeviceCore& core = host_.Core();
    const auto& raw = core.LastStatusReport();
    const std::optional<Form> target = core.Connection().Target();
    if (!raw || core.StatusAnswers() == answersBefore || !target) {
        Err("quorvikctl: the mouse did not answer the status request\n");
        Finish(target == Form::Receiver ? kExitMouseOffline : kExitFailure);
        return;
    }
    auto status = device::ParseStatusResponse(*raw);
    std::string tag(raw->begin() + device::kOffStatusTag, raw->begin() + device::kOffStatusTag + 4);
    for (char& c : tag)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = '?';
    const char* charge = core.ChargeState() == device::kChargeCharging ? "charging"
                         : core.ChargeState() == device::kChargeFull   ? "full"
                                                                       : "not charging";
    const bool online = status->tagMatches && status->online;
    std::ostringstream out;
    if (options_.json) {
        out << "{\"form\": " << JsonString(device::FormName(*target)) << ", \"model\": " << JsonString(tag)
            << ", \"sensor\": " << JsonString(Hex4(model::SensorIdentifier()))
            << ", \"battery\": " << core.ShownBatteryLevel() << ", \"charge\": " << JsonString(charge)
            << ", \"online\": " << (online ? "true" : "false") << "}\n";
    } else {
        out << "form:     " << device::FormName(*target) << "\n"
            << "model:    " << tag << (status->tagMatches ? "" : " (not the expected model)") << "\n"
            << "sensor:   " << Hex4(model::SensorIdentifier()) << "\n"
            << "battery:  " << core.ShownBatteryLevel() << "%\n"
            << "charge:   " << charge << "\n"
            << "online:   " << (online ? "yes" : "no") << "\n";
    }
    Out(out.str());
    if (!online && *target == Form::Receiver) {
        Err("quorvikctl: the receiver is plugged in but the mouse is not online\n");
        Finish(kExitMouseOffline);
        return;
    }
    Finish(kExitOk);
}

void CommandRun::Impl::Apply() {
    std::ostringstream err;
    if (!loadProfile(options_, err, profile_)) {
        Err(err.str());
        Finish(kExitBadProfile);
        return;
    }
    device::DeviceCore& core = host_.Core();
    if (int code = Connect()) {
        Finish(code);
        return;
    }
    total_ = PlanReports(profile_, core.Tables()).size();
    applying_ = true;
    auto& download = core.Download();
    device::DownloadJob::Events events;
    // Watched only while its own reports go out: the program's other downloads are not counted.
    events.started = [this, alive = std::weak_ptr<bool>(alive_), &download](const device::DownloadPlan&) {
        if (alive.expired() || !*alive.lock())
            return;
        observing_ = true;
        download.SetWriteObserver([this](const Report& report, bool written) {
            ++written_;
            if (!written)
                ++failed_;
            Err("[" + std::to_string(written_) + "/" + std::to_string(total_) + "] " +
                commandName(report[device::kOffCommand]) + (written ? "" : " FAILED") + "\n");
        });
    };
    events.ended = [this, alive = std::weak_ptr<bool>(alive_)](bool completed) {
        if (alive.expired() || !*alive.lock())
            return;
        Applied(completed);
    };
    // Paced on the loop as every download is: a report, then the mouse's pause. Planned when its
    // turn comes, so that a download before it does not take the whole write for itself.
    core.Connection().Queue().Push(std::make_unique<device::DownloadJob>(
        download,
        [this, &download] {
            download.ForceNextRun();
            return download.Plan(profile_, macro::TheMacroLibrary());
        },
        std::move(events)));
}

void CommandRun::Impl::Applied(bool completed) {
    applying_ = false;
    if (observing_) {
        host_.Core().Download().SetWriteObserver(nullptr);
        observing_ = false;
    }
    if (!completed)
        failed_ += total_ > written_ ? total_ - written_ : 0;
    if (failed_) {
        Err("quorvikctl: the mouse did not take " + std::to_string(failed_) + " of " + std::to_string(total_) +
            " reports\n");
        Finish(kExitFailure);
        return;
    }
    const std::optional<Form> target = host_.Core().Connection().Target();
    Err(std::string("Profile written to the ") + (target ? FormLabel(*target) : "mouse") + " (" +
        std::to_string(total_) + " reports).\n");
    Finish(kExitOk);
}

void CommandRun::Impl::Watch() {
    device::DeviceCore& core = host_.Core();
    if (!host_.Resident()) {
        // The tool only listens: with the window closed, the downloads that scans schedule write nothing.
        core.SetWindowOpen(false);
        core.PrimeShadows();
    }
    if (int code = Connect()) {
        Finish(code);
        return;
    }
    Err(std::string("Watching the ") + FormLabel(*core.Connection().Target()) +
        " for DPI level and report rate changes" +
        (options_.watchCount || options_.watchSeconds ? "" : "; Ctrl+C ends") + ".\n");
    watching_ = true;
    if (options_.watchSeconds)
        host_.Loop().setTimer(handle_, kTimerWatchEnd, static_cast<std::uint32_t>(*options_.watchSeconds) * 1000);
}

void CommandRun::Impl::Reset() {
    if (int code = Connect()) {
        Finish(code);
        return;
    }
    if (options_.yes) {
        Confirmed();
        return;
    }
    // Asked of the one who typed the command; the window does not ask again.
    output_.Ask("Reset the mouse to its factory settings, and the current profile \"" +
                    model::ToUtf8(model::Profile(model::CurrentSlot()).PairValue(model::kPairProfileName)) +
                    "\" with it (its name is kept)? [y/N] ",
                [this, alive = std::weak_ptr<bool>(alive_)](const std::string& answer) {
                    if (alive.expired() || !*alive.lock() || done_)
                        return;
                    if (answer != "y" && answer != "Y" && answer != "yes") {
                        Err("Cancelled; nothing was changed.\n");
                        Finish(kExitCancelled);
                        return;
                    }
                    Confirmed();
                });
}

void CommandRun::Impl::Confirmed() {
    host_.Core().FactoryReset([this, alive = std::weak_ptr<bool>(alive_)](bool taken) {
        if (alive.expired() || !*alive.lock() || done_)
            return;
        if (!taken) {
            Err("quorvikctl: the mouse did not take the reset; nothing was changed\n");
            Finish(kExitFailure);
            return;
        }
        Err("The mouse was reset to its factory settings.\n");
        Finish(kExitOk);
    });
}

} // namespace quorvik::ctl

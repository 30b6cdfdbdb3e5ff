#include "CtlRunner.h"

#include "CtlFiles.h"

#include "device/CommandReports.h"
#include "device/DeviceCore.h"
#include "device/SettingsDownload.h"
#include "macro/MacroLibrary.h"
#include "model/ProfileFile.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "platform/Messages.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quorvik::ctl {

namespace {

using device::Form;
using device::Report;

constexpr unsigned kTimerWatchEnd = 1;  // --seconds ran out
constexpr unsigned kTimerInterrupt = 2; // looks at the Ctrl+C flag
constexpr std::uint32_t kInterruptCheckMs = 100;

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

const char* formLabel(Form form) {
    return form == Form::Wired ? "wired mouse" : "receiver";
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
    return text;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// The main window of the tool: no screen, so what the device link would show is printed or
// dropped, and the end of the mouse ends the loop.
class CtlWindow : public platform::MessageHandler, public device::MainWindowPort {
public:
    CtlWindow(CtlContext& context, const CtlOptions& options)
        : context_(context), options_(options), handle_(context.loop.registerWindow(this)) {}
    ~CtlWindow() override { context_.loop.unregisterWindow(handle_); }

    platform::WindowHandle handle() const { return handle_; }
    void setCore(device::DeviceCore* core) { core_ = core; }
    int displays() const { return displays_; }
    bool mouseGone() const { return mouseGone_; }

    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (message == platform::WM_TIMER && wParam == kTimerWatchEnd) {
            context_.loop.postQuit();
            return 0;
        }
        if (message == platform::WM_TIMER && wParam == kTimerInterrupt) {
            if (context_.interrupted && context_.interrupted->load())
                context_.loop.postQuit();
            return 0;
        }
        if (core_)
            core_->HandleMessage(message, wParam, lParam);
        return 0;
    }

    void HideMainWindow() override {}
    void ShowMainWindowNormal() override {}
    void MinimiseMainWindow() override {}
    void CloseOpenWindows() override {}
    void QuitProgram() override {
        mouseGone_ = true;
        context_.loop.postQuit();
    }
    void RefreshMainWindow() override {}
    void ShowWriteProgress(int, std::size_t, std::size_t) override {}
    void EndWriteProgress() override {}
    void ShowAttention(int) override {}
    void ShowNoAccess(const std::string&) override {} // the commands say it themselves
    bool ConfirmFactoryReset() override { return true; }
    void UpdateSensorControls(std::uint8_t, std::uint16_t stepCount) override {
        context_.err << "The mouse reports another sensor (" << hex4(model::SensorIdentifier()) << ", " << stepCount
                     << " DPI steps): the DPI levels of all five profiles were reset.\n";
    }
    void ShowBattery(int, int, int) override {}
    void ShowOnScreenDisplay(const device::OsdTexts& texts) override {
        ++displays_;
        context_.out << model::ToUtf8(texts.title) << "  " << model::ToUtf8(texts.value) << " DPI  "
                     << model::ToUtf8(texts.rate) << std::endl;
        if (options_.watchCount && displays_ >= *options_.watchCount)
            context_.loop.postQuit();
    }

private:
    CtlContext& context_;
    const CtlOptions& options_;
    platform::WindowHandle handle_;
    device::DeviceCore* core_ = nullptr;
    int displays_ = 0;
    bool mouseGone_ = false;
};

// A node of the mouse that is there but that this user may not open.
struct DeniedNode {
    Form form;
    std::string path;
    int error;
};

// Says which nodes of the mouse the user may not open and how to grant the access.
void explainNoAccess(const std::vector<DeniedNode>& denied, std::ostream& err) {
    for (const DeniedNode& node : denied)
        err << "quorvikctl: the " << formLabel(node.form) << " is plugged in, but this user may not open " << node.path
            << " (" << std::strerror(node.error) << ")\n";
    err << "To give the logged-in user access, install the udev rule 70-quorvik.rules that comes with quorvik\n"
           "(for example into /etc/udev/rules.d/), then unplug and replug the mouse, or reload the rules:\n"
           "  sudo udevadm control --reload && sudo udevadm trigger\n";
}

std::vector<DeniedNode> deniedNodes(const device::DeviceConnection& link) {
    std::vector<DeniedNode> denied;
    for (const device::OpenFailure& failure : link.OpenFailures())
        if (device::IsAccessError(failure.error))
            denied.push_back({failure.form, failure.path, failure.error});
    return denied;
}

int listCommand(const CtlOptions& options, CtlContext& context) {
    struct Found {
        std::string form, role, path;
    };
    std::vector<Found> found;
    std::vector<DeniedNode> denied;
    auto formOf = [](const platform::HidAttributes& attributes) -> std::optional<Form> {
        if (attributes.vendorId != device::kVendorId)
            return std::nullopt;
        for (Form f : device::kForms)
            if (attributes.productId == device::ProductIdOf(f))
                return f;
        return std::nullopt;
    };
    for (int i = 0; i < device::kProbeCount; ++i) {
        auto path = context.bus.interfacePath(i);
        if (!path)
            break;
        int error = 0;
        auto handle = context.bus.open(*path, &error);
        platform::HidAttributes attributes;
        if (!handle) {
            // Listed by the system with the mouse's ids, but not ours to open.
            if (device::IsAccessError(error) && context.bus.describe(*path, attributes))
                if (const auto form = formOf(attributes)) {
                    denied.push_back({*form, *path, error});
                    found.push_back({device::FormName(*form), "no-access", *path});
                }
            continue;
        }
        std::vector<platform::HidCaps> collections;
        if (!handle->attributes(attributes) || !handle->collections(collections))
            continue;
        const auto f = formOf(attributes);
        if (!f)
            continue;
        const std::string form = device::FormName(*f);
        const auto roles = device::RolesOf(collections);
        std::string role = roles.input && roles.feature ? "input+feature"
                           : roles.input                ? "input"
                           : roles.feature              ? "feature"
                                                        : "other";
        found.push_back({form, role, *path});
    }
    if (options.json) {
        context.out << "[";
        for (std::size_t i = 0; i < found.size(); ++i)
            context.out << (i ? ", " : "") << "{\"form\": " << jsonString(found[i].form)
                        << ", \"role\": " << jsonString(found[i].role) << ", \"path\": " << jsonString(found[i].path)
                        << "}";
        context.out << "]\n";
    } else {
        for (const auto& f : found)
            context.out << f.form << "\t" << f.role << "\t" << f.path << "\n";
    }
    if (!denied.empty())
        explainNoAccess(denied, context.err);
    if (found.empty()) {
        context.err << "quorvikctl: no mouse found\n";
        return kExitNoMouse;
    }
    // Only nodes that cannot be opened: there is a mouse, but nothing can be done with it.
    return found.size() == denied.size() ? kExitNoMouse : kExitOk;
}

// Scans for the mouse; prints why not and returns the exit code when it is not there.
int connect(device::DeviceCore& core, CtlContext& context) {
    core.Connection().Scan();
    const std::vector<DeniedNode> denied = deniedNodes(core.Connection());
    if (!core.Connection().HasTarget()) {
        // A mouse the user may not open is no missing mouse: say which node and what to do. The
        // exit code stays the one of no mouse: nothing can be sent to it.
        if (!denied.empty()) {
            explainNoAccess(denied, context.err);
            return kExitNoMouse;
        }
        context.err << "quorvikctl: no mouse found (neither the wired mouse nor the receiver is plugged in"
                    << (core.Connection().AnyDevice() ? ", or it cannot be opened for writing" : "") << ")\n";
        return kExitNoMouse;
    }
    // The commands still reach the mouse; a node it cannot open (its level-change reports, or
    // the other form) is worth knowing about.
    if (!denied.empty())
        explainNoAccess(denied, context.err);
    return kExitOk;
}

int statusCommand(const CtlOptions& options, CtlContext& context, device::DeviceCore& core) {
    if (int code = connect(core, context))
        return code;
    core.Connection().ReadStatus();
    context.loop.runUntil([&] { return !core.Busy(); });
    const auto& raw = core.LastStatusReport();
    if (!raw) {
        context.err << "quorvikctl: the mouse did not answer the status request\n";
        return core.Connection().Target() == Form::Receiver ? kExitMouseOffline : kExitFailure;
    }
    auto status = device::ParseStatusResponse(*raw);
    std::string tag(raw->begin() + device::kOffStatusTag, raw->begin() + device::kOffStatusTag + 4);
    for (char& c : tag)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            c = '?';
    const char* charge = core.ChargeState() == device::kChargeCharging ? "charging"
                         : core.ChargeState() == device::kChargeFull   ? "full"
                                                                       : "not charging";
    Form target = *core.Connection().Target();
    bool online = status->tagMatches && status->online;
    if (options.json) {
        context.out << "{\"form\": " << jsonString(device::FormName(target)) << ", \"model\": " << jsonString(tag)
                    << ", \"sensor\": " << jsonString(hex4(model::SensorIdentifier()))
                    << ", \"battery\": " << core.ShownBatteryLevel() << ", \"charge\": " << jsonString(charge)
                    << ", \"online\": " << (online ? "true" : "false") << "}\n";
    } else {
        context.out << "form:     " << device::FormName(target) << "\n"
                    << "model:    " << tag << (status->tagMatches ? "" : " (not the expected model)") << "\n"
                    << "sensor:   " << hex4(model::SensorIdentifier()) << "\n"
                    << "battery:  " << core.ShownBatteryLevel() << "%\n"
                    << "charge:   " << charge << "\n"
                    << "online:   " << (online ? "yes" : "no") << "\n";
    }
    if (!online && target == Form::Receiver) {
        context.err << "quorvikctl: the receiver is plugged in but the mouse is not online\n";
        return kExitMouseOffline;
    }
    return kExitOk;
}

// Every report a whole-profile download writes, in order, with sequence numbers from 1.
std::vector<Report> planReports(model::ProfileRecord profile, const device::SensorTables& tables) {
    std::vector<Report> reports;
    device::SequenceNumber sequence;
    device::SettingsDownload download({[&](const Report& r) {
                                           reports.push_back(r);
                                           return true;
                                       },
                                       [] { return true; }, sequence},
                                      tables);
    download.ForceNextRun();
    device::DownloadPlan plan = download.Plan(profile, macro::TheMacroLibrary());
    for (const device::DownloadStep& step : plan.steps)
        if (step.report)
            download.Write(plan, step);
    return reports;
}

int reportsCommand(const CtlOptions& options, CtlContext& context) {
    model::ProfileRecord profile;
    if (!loadProfile(options, context, profile))
        return kExitBadProfile;
    device::SensorTables tables;
    // A sensor asked for must have tables; the configured one may be any (the default sensor's
    // tables then encode the codes, as the program does).
    if (!tables.Rebuild(options.sensor.value_or(model::SensorIdentifier())) && options.sensor) {
        context.err << "quorvikctl: no DPI table for sensor " << hex4(*options.sensor) << "\n";
        return kExitBadArguments;
    }
    for (const Report& report : planReports(profile, tables))
        context.out << HexLine(report.data(), report.size()) << "\n";
    return kExitOk;
}

int applyCommand(const CtlOptions& options, CtlContext& context, device::DeviceCore& core) {
    model::ProfileRecord profile;
    if (!loadProfile(options, context, profile))
        return kExitBadProfile;
    core.Tables().Rebuild(model::SensorIdentifier());
    if (int code = connect(core, context))
        return code;
    std::size_t total = planReports(profile, core.Tables()).size();
    std::size_t done = 0, failed = 0;
    auto& download = core.Download();
    download.SetWriteObserver([&](const Report& report, bool written) {
        ++done;
        if (!written)
            ++failed;
        context.err << "[" << done << "/" << total << "] " << commandName(report[device::kOffCommand])
                    << (written ? "" : " FAILED") << "\n";
    });
    download.ForceNextRun();
    // Paced on the loop as the program paces it: a report, then the mouse's pause.
    bool ended = false;
    device::DownloadJob::Events events;
    events.ended = [&](bool) { ended = true; };
    core.Connection().Queue().Push(std::make_unique<device::DownloadJob>(
        download, [&] { return download.Plan(profile, macro::TheMacroLibrary()); }, std::move(events)));
    context.loop.runUntil([&] { return ended; });
    download.SetWriteObserver(nullptr);
    if (!ended) {
        // The loop was ended (the mouse went away): what was not tried did not reach it either.
        core.Connection().Queue().AbandonAll();
        failed += total > done ? total - done : 0;
    }
    if (failed) {
        context.err << "quorvikctl: the mouse did not take " << failed << " of " << total << " reports\n";
        return kExitFailure;
    }
    context.err << "Profile written to the " << formLabel(*core.Connection().Target()) << " (" << total
                << " reports).\n";
    return kExitOk;
}

int watchCommand(const CtlOptions& options, CtlContext& context, device::DeviceCore& core, CtlWindow& window) {
    core.Tables().Rebuild(model::SensorIdentifier());
    // The tool only listens: with the window closed, the downloads that scans schedule write nothing.
    core.SetWindowOpen(false);
    core.PrimeShadows();
    if (int code = connect(core, context))
        return code;
    context.err << "Watching the " << formLabel(*core.Connection().Target()) << " for DPI level and report rate changes"
                << (options.watchCount || options.watchSeconds ? "" : "; Ctrl+C ends") << ".\n";
    if (options.watchSeconds)
        context.loop.setTimer(window.handle(), kTimerWatchEnd,
                              static_cast<std::uint32_t>(*options.watchSeconds) * 1000);
    if (context.interrupted)
        context.loop.setTimer(window.handle(), kTimerInterrupt, kInterruptCheckMs);
    if (context.onWatching)
        context.onWatching();
    context.loop.run();
    context.loop.killTimer(window.handle(), kTimerWatchEnd);
    context.loop.killTimer(window.handle(), kTimerInterrupt);
    if (window.mouseGone()) {
        context.err << "quorvikctl: the mouse was unplugged\n";
        return kExitNoMouse;
    }
    return kExitOk;
}

int resetCommand(const CtlOptions& options, CtlContext& context, device::DeviceCore& core) {
    core.Tables().Rebuild(model::SensorIdentifier());
    if (int code = connect(core, context))
        return code;
    if (!options.yes) {
        context.err << "Reset the mouse to its factory settings, and the current profile \""
                    << model::ToUtf8(model::Profile(model::CurrentSlot()).PairValue(model::kPairProfileName))
                    << "\" with it (its name is kept)? [y/N] " << std::flush;
        std::string answer;
        std::getline(context.in, answer);
        if (answer != "y" && answer != "Y" && answer != "yes") {
            context.err << "Cancelled; nothing was changed.\n";
            return kExitCancelled;
        }
    }
    if (!core.FactoryReset()) {
        context.err << "quorvikctl: the mouse did not take the reset; nothing was changed\n";
        return kExitFailure;
    }
    context.err << "The mouse was reset to its factory settings.\n";
    return kExitOk;
}

int runCommand(const CtlOptions& options, CtlContext& context);
} // namespace

std::string HexLine(const std::uint8_t* bytes, std::size_t count) {
    std::string line;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        line += pair;
    }
    return line;
}

int RunCommand(const CtlOptions& options, CtlContext& context) {
    SaveFailureReport saves(context.err);
    const int code = runCommand(options, context);
    return code == kExitOk && saves.Any() ? kExitFailure : code;
}

namespace {
int runCommand(const CtlOptions& options, CtlContext& context) {
    switch (options.command) {
    case Command::Help:
        context.out << CtlHelpText();
        return kExitOk;
    case Command::List:
        return listCommand(options, context);
    case Command::Reports:
        return reportsCommand(options, context);
    default:
        break;
    }
    CtlWindow window(context, options);
    device::DeviceCore core(context.bus, context.loop, window.handle(), window);
    window.setCore(&core);
    core.Connection().RegisterNotifications();
    int code = kExitOk;
    switch (options.command) {
    case Command::Status:
        code = statusCommand(options, context, core);
        break;
    case Command::Apply:
        code = applyCommand(options, context, core);
        break;
    case Command::Watch:
        code = watchCommand(options, context, core, window);
        break;
    case Command::Reset:
        code = resetCommand(options, context, core);
        break;
    default:
        break;
    }
    // A save the command made (a reset saves its profile) is done and told before the tool ends.
    core.FinishSaves();
    context.bus.unregisterNotifications();
    core.Connection().Close();
    window.setCore(nullptr);
    return code;
}
} // namespace

} // namespace quorvik::ctl

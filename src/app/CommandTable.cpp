#include "CommandTable.h"

#include "CommandRunImpl.h"
#include "CtlFiles.h"

#include "device/CommandReports.h"
#include "device/SettingsDownload.h"
#include "macro/MacroLibrary.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "platform/Messages.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <utility>

namespace quorvik::ctl {

using device::Form;
using device::Report;

namespace {

// A node of the mouse that is there but that this user may not open.
struct DeniedNode {
    Form form;
    std::string path;
    int error;
};

// Says which nodes of the mouse the user may not open and how to grant the access.
std::string noAccessText(const std::vector<DeniedNode>& denied) {
    std::ostringstream err;
    for (const DeniedNode& node : denied)
        err << "quorvikctl: the " << FormLabel(node.form) << " is plugged in, but this user may not open " << node.path
            << " (" << std::strerror(node.error) << ")\n";
    err << "To give the logged-in user access, install the udev rule 70-quorvik.rules that comes with quorvik\n"
           "(for example into /etc/udev/rules.d/), then unplug and replug the mouse, or reload the rules:\n"
           "  sudo udevadm control --reload && sudo udevadm trigger\n";
    return err.str();
}

std::vector<DeniedNode> deniedNodes(const device::DeviceConnection& link) {
    std::vector<DeniedNode> denied;
    for (const device::OpenFailure& failure : link.OpenFailures())
        if (device::IsAccessError(failure.error))
            denied.push_back({failure.form, failure.path, failure.error});
    return denied;
}

} // namespace

// Every report a whole-profile download writes, in order, with sequence numbers from 1.
std::vector<Report> PlanReports(model::ProfileRecord profile, const device::SensorTables& tables) {
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

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
    return text;
}

const char* FormLabel(Form form) {
    return form == Form::Wired ? "wired mouse" : "receiver";
}

std::string JsonString(const std::string& text) {
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

std::string HexLine(const std::uint8_t* bytes, std::size_t count) {
    std::string line;
    char pair[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        line += pair;
    }
    return line;
}

// ---- the run ----

CommandRun::Impl::Impl(const CtlOptions& options, CommandHost& host, CommandOutput& output,
                       std::function<void(int)> finished)
    : options_(options), host_(host), output_(output), finished_(std::move(finished)),
      handle_(host.Loop().registerWindow(this)) {
    host_.AddWatcher(this);
}

CommandRun::Impl::~Impl() {
    *alive_ = false;
    if (observing_)
        host_.Core().Download().SetWriteObserver(nullptr);
    host_.RemoveWatcher(this);
    host_.Loop().unregisterWindow(handle_);
}

std::function<void()> CommandRun::Impl::Guarded(std::function<void()> step) {
    return [alive = std::weak_ptr<bool>(alive_), step = std::move(step)] {
        if (const auto live = alive.lock(); live && *live)
            step();
    };
}

void CommandRun::Impl::Finish(int code) {
    if (done_)
        return;
    done_ = true;
    host_.Loop().killTimer(handle_, kTimerPoll);
    host_.Loop().killTimer(handle_, kTimerWatchEnd);
    if (observing_) {
        host_.Core().Download().SetWriteObserver(nullptr);
        observing_ = false;
    }
    if (cancelled_)
        return;
    // The running program's virtual mouse keeps its trace; the tool's own is written by the tool.
    if (host_.Resident() && !options_.traceFile.empty()) {
        std::string error;
        if (!host_.WriteTrace(options_.traceFile, error)) {
            Err("quorvikctl: " + error + "\n");
            if (code == kExitOk)
                code = kExitFailure;
        }
    }
    if (finished_)
        finished_(code);
}

void CommandRun::Impl::WaitUntil(std::function<bool()> ready, std::function<void()> then) {
    waitReady_ = std::move(ready);
    waitThen_ = std::move(then);
    if (waitReady_()) {
        auto next = std::exchange(waitThen_, {});
        waitReady_ = {};
        next();
        return;
    }
    host_.Loop().setTimer(handle_, kTimerPoll, kPollMs);
}

platform::LRESULT CommandRun::Impl::handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM) {
    if (message != platform::WM_TIMER)
        return 0;
    if (wParam == kTimerWatchEnd) {
        Finish(kExitOk);
    } else if (wParam == kTimerPoll && waitReady_ && waitReady_()) {
        host_.Loop().killTimer(handle_, kTimerPoll);
        auto next = std::exchange(waitThen_, {});
        waitReady_ = {};
        next();
    }
    return 0;
}

void CommandRun::Impl::OnScreenDisplay(const device::OsdTexts& texts) {
    if (!watching_ || done_)
        return;
    ++displays_;
    Out(model::ToUtf8(texts.title) + "  " + model::ToUtf8(texts.value) + " DPI  " + model::ToUtf8(texts.rate) + "\n");
    if (options_.watchCount && displays_ >= *options_.watchCount)
        Finish(kExitOk);
}

void CommandRun::Impl::MouseGone() {
    if (done_)
        return;
    if (watching_) {
        Err("quorvikctl: the mouse was unplugged\n");
        Finish(kExitNoMouse);
        return;
    }
    if (applying_) {
        // What was not tried did not reach the mouse either.
        host_.Core().Connection().Queue().AbandonAll();
        failed_ += total_ > written_ ? total_ - written_ : 0;
        Err("quorvikctl: the mouse did not take " + std::to_string(failed_) + " of " + std::to_string(total_) +
            " reports\n");
        Finish(kExitFailure);
        return;
    }
    Err("quorvikctl: the mouse was unplugged\n");
    Finish(kExitNoMouse);
}

int CommandRun::Impl::Connect() {
    device::DeviceConnection& link = host_.Core().Connection();
    // The running program scans as the mouse comes and goes; the tool scans for its command.
    if (!host_.Resident())
        link.Scan();
    const std::vector<DeniedNode> denied = deniedNodes(link);
    if (!link.HasTarget()) {
        // A mouse the user may not open is no missing mouse: say which node and what to do. The
        // exit code stays the one of no mouse: nothing can be sent to it.
        if (!denied.empty()) {
            Err(noAccessText(denied));
            return kExitNoMouse;
        }
        Err(std::string("quorvikctl: no mouse found (neither the wired mouse nor the receiver is plugged in") +
            (link.AnyDevice() ? ", or it cannot be opened for writing" : "") + ")\n");
        return kExitNoMouse;
    }
    // The commands still reach the mouse; a node it cannot open (its level-change reports, or
    // the other form) is worth knowing about. The running program has said so in its window.
    if (!denied.empty() && !host_.Resident())
        Err(noAccessText(denied));
    return kExitOk;
}

void CommandRun::Impl::Start() {
    // The tool's own device link starts with the configured sensor's tables, as the program's does.
    if (!host_.Resident())
        host_.Core().Tables().Rebuild(model::SensorIdentifier());
    // A trace that cannot be written is refused before the command touches the mouse.
    if (std::string why; host_.Resident() && !options_.traceFile.empty() && !host_.CanTrace(why)) {
        Err("quorvikctl: " + why + "\n");
        Finish(kExitBadArguments);
        return;
    }
    switch (options_.command) {
    case Command::Help:
        Out(CtlHelpText());
        Finish(kExitOk);
        return;
    case Command::List:
        Finish(List());
        return;
    case Command::Reports:
        Finish(Reports());
        return;
    case Command::Status:
        Status();
        return;
    case Command::Apply:
        Apply();
        return;
    case Command::Watch:
        Watch();
        return;
    case Command::Reset:
        Reset();
        return;
    case Command::ProfileList:
        Finish(ProfileList());
        return;
    case Command::ProfileSelect:
        ProfileSelect();
        return;
    case Command::Dpi:
        Dpi();
        return;
    case Command::Show:
        Finish(host_.ShowWindow() ? kExitOk : kExitFailure);
        return;
    case Command::AppList:
        Finish(AppList());
        return;
    case Command::AppAdd:
        AppAdd();
        return;
    case Command::AppRemove:
        AppRemove();
        return;
    case Command::AppAuto:
        AppAuto();
        return;
    }
}

int CommandRun::Impl::List() {
    struct Found {
        std::string form, role, path;
    };
    std::vector<Found> found;
    std::vector<DeniedNode> denied;
    platform::HidBus& bus = host_.Bus();
    auto formOf = [](const platform::HidAttributes& attributes) -> std::optional<Form> {
        if (attributes.vendorId != device::kVendorId)
            return std::nullopt;
        for (Form f : device::kForms)
            if (attributes.productId == device::ProductIdOf(f))
                return f;
        return std::nullopt;
    };
    for (int i = 0; i < device::kProbeCount; ++i) {
        auto path = bus.interfacePath(i);
        if (!path)
            break;
        int error = 0;
        auto handle = bus.open(*path, &error);
        platform::HidAttributes attributes;
        if (!handle) {
            // Listed by the system with the mouse's ids, but not ours to open.
            if (device::IsAccessError(error) && bus.describe(*path, attributes))
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
        const auto roles = device::RolesOf(collections);
        std::string role = roles.input && roles.feature ? "input+feature"
                           : roles.input                ? "input"
                           : roles.feature              ? "feature"
                                                        : "other";
        found.push_back({device::FormName(*f), role, *path});
    }
    std::ostringstream out;
    if (options_.json) {
        out << "[";
        for (std::size_t i = 0; i < found.size(); ++i)
            out << (i ? ", " : "") << "{\"form\": " << JsonString(found[i].form)
                << ", \"role\": " << JsonString(found[i].role) << ", \"path\": " << JsonString(found[i].path) << "}";
        out << "]\n";
    } else {
        for (const auto& f : found)
            out << f.form << "\t" << f.role << "\t" << f.path << "\n";
    }
    Out(out.str());
    if (!denied.empty())
        Err(noAccessText(denied));
    if (found.empty()) {
        Err("quorvikctl: no mouse found\n");
        return kExitNoMouse;
    }
    // Only nodes that cannot be opened: there is a mouse, but nothing can be done with it.
    return found.size() == denied.size() ? kExitNoMouse : kExitOk;
}

int CommandRun::Impl::Reports() {
    model::ProfileRecord profile;
    std::ostringstream err;
    if (!loadProfile(options_, err, profile)) {
        Err(err.str());
        return kExitBadProfile;
    }
    device::SensorTables tables;
    // A sensor asked for must have tables; the configured one may be any (the default sensor's
    // tables then encode the codes, as the program does).
    if (!tables.Rebuild(options_.sensor.value_or(model::SensorIdentifier())) && options_.sensor) {
        Err("quorvikctl: no DPI table for sensor " + Hex4(*options_.sensor) + "\n");
        return kExitBadArguments;
    }
    std::string out;
    for (const Report& report : PlanReports(profile, tables))
        out += HexLine(report.data(), report.size()) + "\n";
    Out(out);
    return kExitOk;
}

// ---- the handle ----

CommandRun::CommandRun(const CtlOptions& options, CommandHost& host, CommandOutput& output,
                       std::function<void(int)> finished)
    : impl_(std::make_unique<Impl>(options, host, output, std::move(finished))) {}

CommandRun::~CommandRun() = default;

void CommandRun::Start() {
    impl_->Start();
}

void CommandRun::Cancel() {
    impl_->Cancel();
}

void CommandRun::Interrupt() {
    impl_->Interrupt();
}

bool CommandRun::Done() const {
    return impl_->Done();
}

} // namespace quorvik::ctl

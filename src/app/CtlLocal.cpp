// The command table in the tool's own process, when no program runs for its data folder: the
// tool opens the mouse for the length of one command.
#include "CommandTable.h"

#include "CommandRunImpl.h"

#include "model/AppRules.h"

#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "platform/Messages.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace quorvik::ctl {

namespace {

constexpr unsigned kTimerInterrupt = 1; // looks at the Ctrl+C flag
constexpr std::uint32_t kInterruptCheckMs = 100;

class StreamOutput : public CommandOutput {
public:
    explicit StreamOutput(CtlContext& context) : context_(context) {}
    void Out(const std::string& text) override { context_.out << text << std::flush; }
    void Err(const std::string& text) override { context_.err << text << std::flush; }
    void Ask(const std::string& question, std::function<void(const std::string&)> answer) override {
        context_.err << question << std::flush;
        std::string line;
        std::getline(context_.in, line);
        answer(line);
    }

private:
    CtlContext& context_;
};

// The main window of the tool: no screen, so what the device link would show is printed or
// dropped, and the end of the mouse is told to the command.
class LocalHost : public CommandHost, public platform::MessageHandler, public device::MainWindowPort {
public:
    explicit LocalHost(CtlContext& context)
        : context_(context), handle_(context.loop.registerWindow(this)),
          core_(context.bus, context.loop, handle_, *this) {}
    ~LocalHost() override { context_.loop.unregisterWindow(handle_); }

    platform::WindowHandle handle() const { return handle_; }

    // ---- CommandHost ----
    platform::EventLoop& Loop() override { return context_.loop; }
    platform::HidBus& Bus() override { return context_.bus; }
    device::DeviceCore& Core() override { return core_; }
    bool Resident() const override { return false; }
    bool DownloadPending() override { return core_.Busy() || context_.loop.hasTimer(handle_, device::kTimerDownload); }
    void SelectProfile(int slot) override {
        beforeEdit();
        model::SetCurrentSlot(slot);
        model::Config().SetCurrentProfile(slot);
        // Not primed again: the download writes every difference between the old slot and the new one.
        core_.MarkGroup(device::SettingGroup::Buttons);
        core_.MarkGroup(device::SettingGroup::SensorLighting);
    }
    void SetDpiLevel(int level) override {
        beforeEdit();
        model::ProfileRecord& record = model::Profile(model::CurrentSlot());
        int n = 0;
        for (int k = 0; k < level; ++k)
            n += (record.DPIOffOnFlagValue >> k) & 1;
        record.CurrentDPILevelValue = static_cast<std::uint8_t>(n);
        core_.MarkGroup(device::SettingGroup::SensorLighting);
    }
    bool ShowWindow() override {
        std::string error;
        if (context_.startProgram && context_.startProgram(error))
            return true;
        context_.err << "quorvikctl: " << (error.empty() ? "there is no program to open the window of" : error) << "\n";
        return false;
    }
    bool WriteTrace(const std::string&, std::string&) override { return true; } // the tool writes its own
    void AddWatcher(CommandWatcher* watcher) override { watchers_.push_back(watcher); }
    void RemoveWatcher(CommandWatcher* watcher) override { std::erase(watchers_, watcher); }
    void AppRulesChanged(std::function<void(const model::FileProblem&)> saved) override {
        // No program follows the rules now: the file is all there is, written before the tool ends.
        model::FileProblem problem;
        model::Rules().Write(model::AppRulesFilePath(), &problem);
        saved(problem);
    }

    // ---- the window's messages ----
    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (message == platform::WM_TIMER && wParam == kTimerInterrupt) {
            if (context_.interrupted && context_.interrupted->load() && run_)
                run_->Interrupt();
            return 0;
        }
        core_.HandleMessage(message, wParam, lParam);
        return 0;
    }
    void setRun(CommandRun* run) { run_ = run; }

    // ---- MainWindowPort ----
    void HideMainWindow() override {}
    void ShowMainWindowNormal() override {}
    void MinimiseMainWindow() override {}
    void CloseOpenWindows() override {}
    void QuitProgram() override {
        for (CommandWatcher* watcher : std::vector(watchers_))
            watcher->MouseGone();
    }
    void RefreshMainWindow() override {}
    void ShowWriteProgress(int, std::size_t, std::size_t) override {}
    void EndWriteProgress() override {}
    void ShowAttention(int) override {}
    void ShowNoAccess(const std::string&) override {} // the commands say it themselves
    bool ConfirmFactoryReset() override { return true; }
    void UpdateSensorControls(std::uint8_t, std::uint16_t stepCount) override {
        context_.err << "The mouse reports another sensor (" << Hex4(model::SensorIdentifier()) << ", " << stepCount
                     << " DPI steps): the DPI levels of all five profiles were reset.\n";
    }
    void ShowBattery(int, int, int) override {}
    void ShowOnScreenDisplay(const device::OsdTexts& texts) override {
        for (CommandWatcher* watcher : std::vector(watchers_))
            watcher->OnScreenDisplay(texts);
    }

private:
    // The tool assumes the mouse holds the current profile, as the program does at its start, so
    // that an edit writes only what it changes; and it writes with the window "open".
    void beforeEdit() {
        core_.SetWindowOpen(true);
        core_.PrimeShadows();
    }

    CtlContext& context_;
    platform::WindowHandle handle_;
    device::DeviceCore core_;
    std::vector<CommandWatcher*> watchers_;
    CommandRun* run_ = nullptr;
};

int runCommand(const CtlOptions& options, CtlContext& context) {
    LocalHost host(context);
    StreamOutput output(context);
    host.Core().Connection().RegisterNotifications();
    int code = kExitOk;
    bool finished = false;
    CommandRun run(options, host, output, [&](int result) {
        code = result;
        finished = true;
    });
    host.setRun(&run);
    if (context.interrupted)
        context.loop.setTimer(host.handle(), kTimerInterrupt, kInterruptCheckMs);
    run.Start();
    if (!finished && options.command == Command::Watch && context.onWatching)
        context.onWatching();
    if (!finished && !context.loop.runUntil([&] { return finished; }))
        run.Cancel(); // the loop was ended from outside
    context.loop.killTimer(host.handle(), kTimerInterrupt);
    host.setRun(nullptr);
    // A save the command made (a reset saves its profile) is done and told before the tool ends.
    host.Core().FinishSaves();
    context.bus.unregisterNotifications();
    host.Core().Connection().Close();
    return code;
}

} // namespace

int RunCommand(const CtlOptions& options, CtlContext& context) {
    SaveFailureReport saves(context.err);
    const int code = runCommand(options, context);
    return code == kExitOk && saves.Any() ? kExitFailure : code;
}

} // namespace quorvik::ctl

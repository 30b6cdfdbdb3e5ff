// The running program as the owner the command table works on: its window's device link, its
// loop and its mouse. Commands from quorvikctl and from the session bus go through it, and what
// they change shows in the window as a click there would.
#pragma once

#include "CommandTable.h"

#include <functional>
#include <vector>

namespace quorvik::emulator {
class VirtualMouse;
}
namespace quorvik::ui {
class CQuorvikDlg;
}

namespace quorvik::app {

class ProgramHost : public ctl::CommandHost {
public:
    ProgramHost(ui::CQuorvikDlg& window, platform::HidBus& bus, emulator::VirtualMouse* mouse);
    ~ProgramHost() override;

    platform::EventLoop& Loop() override;
    platform::HidBus& Bus() override { return bus_; }
    device::DeviceCore& Core() override;
    bool Resident() const override { return true; }
    bool DownloadPending() override;
    void SelectProfile(int slot) override;
    void SetDpiLevel(int level) override;
    bool ShowWindow() override;
    bool WriteTrace(const std::string& path, std::string& error) override;
    bool CanTrace(std::string& why) const override;
    void AddWatcher(ctl::CommandWatcher* watcher) override;
    void RemoveWatcher(ctl::CommandWatcher* watcher) override;
    void AppRulesChanged(std::function<void(const model::FileProblem&)> saved) override;

    // Who saves and follows the rules in the program (set at start).
    using AppRulesHandler = std::function<void(std::function<void(const model::FileProblem&)> saved)>;
    void SetAppRulesHandler(AppRulesHandler handler) { appRules_ = std::move(handler); }

    // Told after each change the window shows (for the session bus's properties), and after each
    // change of the application rules by a command.
    void SetChangeListener(std::function<void()> listener) { changed_ = std::move(listener); }
    // Tells the listener of a change it would not hear of otherwise: the rules changed in the
    // window's Applications dialog.
    void NotifyChanged() {
        if (changed_)
            changed_();
    }
    // The explicit open request of "show" and of the session bus.
    void SetShowHandler(std::function<void()> handler) { show_ = std::move(handler); }

private:
    ui::CQuorvikDlg& window_;
    platform::HidBus& bus_;
    emulator::VirtualMouse* mouse_;
    std::vector<ctl::CommandWatcher*> watchers_;
    std::function<void()> changed_;
    std::function<void()> show_;
    AppRulesHandler appRules_;
};

} // namespace quorvik::app

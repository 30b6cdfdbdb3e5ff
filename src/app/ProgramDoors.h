// The running program's doors for others: quorvikctl's command sessions over the private socket,
// and the service on the desktop session's bus. Both go through one command host, so a command
// does the same whichever door it came in by.
#pragma once

#include "app/ProgramHost.h"
#include "platform/AppWatch.h"
#include "ui/main/AppRulesPort.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

namespace quorvik::platform {
class SingleInstance;
}

namespace quorvik::app {

class CommandSession;
class BusService;
class OutsideChanges;
class AppSwitcher;

class ProgramDoors : public ui::AppRulesPort {
public:
    ProgramDoors(ui::CQuorvikDlg& window, platform::HidBus& bus, emulator::VirtualMouse* mouse,
                 platform::SingleInstance& instance);
    ~ProgramDoors() override;

    ProgramHost& Host() { return host_; }
    // The window's explicit open request (a second start, "show", the bus's ShowWindow).
    void SetShowHandler(std::function<void()> handler) { host_.SetShowHandler(std::move(handler)); }
    // Once the window is on the screen, or at the latest a second after the start: the watch on
    // the settings files, the session bus and the profiles that follow the application start;
    // the commands of the private socket are served from the start.
    void Start();
    // Before the window goes: the sessions still open end, and the bus name is given up.
    void Close();

    // The profiles that follow the application in use (null once closed).
    AppSwitcher* Switcher() { return switcher_.get(); }

    // ---- ui::AppRulesPort: the window's Applications dialog ----
    void AppRulesChanged() override;
    std::vector<ui::OpenApplication> OpenApplications() override;

private:
    class Switching;
    void rulesChanged(std::function<void(const model::FileProblem&)> saved);

    ProgramHost host_;
    platform::SingleInstance& instance_;
    std::vector<QPointer<CommandSession>> sessions_;
    std::unique_ptr<BusService> bus_;
    std::unique_ptr<OutsideChanges> outside_;
    std::unique_ptr<platform::ProcessWatcher> processes_;
    std::unique_ptr<platform::FocusWatcher> focus_;
    std::unique_ptr<Switching> switching_;
    std::unique_ptr<AppSwitcher> switcher_;
    bool rulesNotCopied_ = false; // the rules file is damaged and no copy of it could be kept
    bool started_ = false;
    ui::CQuorvikDlg& window_;
};

} // namespace quorvik::app

// The running program's doors for others: quorvikctl's command sessions over the private socket,
// and the service on the desktop session's bus. Both go through one command host, so a command
// does the same whichever door it came in by.
#pragma once

#include "app/ProgramHost.h"

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

class ProgramDoors {
public:
    ProgramDoors(ui::CQuorvikDlg& window, platform::HidBus& bus, emulator::VirtualMouse* mouse,
                 platform::SingleInstance& instance);
    ~ProgramDoors();

    ProgramHost& Host() { return host_; }
    // The window's explicit open request (a second start, "show", the bus's ShowWindow).
    void SetShowHandler(std::function<void()> handler) { host_.SetShowHandler(std::move(handler)); }
    // Before the window goes: the sessions still open end, and the bus name is given up.
    void Close();

private:
    ProgramHost host_;
    platform::SingleInstance& instance_;
    std::vector<QPointer<CommandSession>> sessions_;
    std::unique_ptr<BusService> bus_;
    std::unique_ptr<OutsideChanges> outside_;
    ui::CQuorvikDlg& window_;
    QObject anchor_; // ends the bus's queued start with the doors
};

} // namespace quorvik::app

#include "app/ProgramDoors.h"

#include "app/BusService.h"
#include "app/CommandSession.h"
#include "app/OutsideChanges.h"
#include "platform/qt/SingleInstance.h"

#include "ui/main/QuorvikDlg.h"
#include <QTimer>

namespace quorvik::app {

ProgramDoors::ProgramDoors(ui::CQuorvikDlg& window, platform::HidBus& bus, emulator::VirtualMouse* mouse,
                           platform::SingleInstance& instance)
    : host_(window, bus, mouse), instance_(instance), window_(window) {
    instance_.SetSessionHandler([this](QLocalSocket* socket) {
        std::erase_if(sessions_, [](const QPointer<CommandSession>& session) { return session.isNull(); });
        sessions_.emplace_back(new CommandSession(socket, host_));
    });
    // Only where a session bus is, and only for the first program on it; neither is a fault. Once
    // the window has started (the loop runs after its initialisation), as its device link is there.
    QTimer::singleShot(0, &anchor_, [this, &window] {
        // Files changed by other programs, told apart from the window's own saves.
        outside_ = std::make_unique<OutsideChanges>(window);
        window.Core().SetSavedHook([this] { outside_->OwnSaveDone(); });
        bus_ = std::make_unique<BusService>(host_, [&window] { window.RequestExit(); });
        if (!bus_->Publish())
            bus_.reset();
        else
            host_.SetChangeListener([this] { bus_->CheckChanges(); });
    });
}

ProgramDoors::~ProgramDoors() {
    Close();
}

void ProgramDoors::Close() {
    instance_.SetSessionHandler({});
    for (const QPointer<CommandSession>& session : sessions_)
        delete session.data();
    sessions_.clear();
    host_.SetChangeListener({});
    bus_.reset();
    if (outside_) {
        window_.Core().SetSavedHook({});
        outside_.reset();
    }
}

} // namespace quorvik::app

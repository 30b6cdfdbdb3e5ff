#include "app/ProgramHost.h"

#include "emulator/VirtualMouse.h"
#include "model/ProfileRecord.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/MainIds.h"
#include "ui/main/QuorvikDlg.h"
#include "ui/skin/ControlBase.h"

#include <algorithm>

namespace quorvik::app {

ProgramHost::ProgramHost(ui::CQuorvikDlg& window, platform::HidBus& bus, emulator::VirtualMouse* mouse)
    : window_(window), bus_(bus), mouse_(mouse) {
    ui::CQuorvikDlg::Observer observer;
    observer.onScreenDisplay = [this](const device::OsdTexts& texts) {
        for (ctl::CommandWatcher* watcher : std::vector(watchers_))
            watcher->OnScreenDisplay(texts);
    };
    observer.mouseGone = [this] {
        for (ctl::CommandWatcher* watcher : std::vector(watchers_))
            watcher->MouseGone();
    };
    observer.changed = [this] {
        if (changed_)
            changed_();
    };
    window_.SetObserver(std::move(observer));
}

ProgramHost::~ProgramHost() {
    window_.SetObserver({});
}

platform::EventLoop& ProgramHost::Loop() {
    return platform::UiLoop();
}

device::DeviceCore& ProgramHost::Core() {
    return window_.Core();
}

bool ProgramHost::DownloadPending() {
    return window_.Core().Busy() || Loop().hasTimer(window_.hwnd(), device::kTimerDownload);
}

void ProgramHost::SelectProfile(int slot) {
    // The message the slot's tab sends when it is clicked.
    Loop().send(window_.hwnd(), unsigned(ui::main_ids::kFirstSlotTab + slot), 0, ui::kCodeClick);
}

void ProgramHost::SetDpiLevel(int level) {
    model::ProfileRecord& record = window_.CurrentRecord();
    int n = 0;
    for (int k = 0; k < level; ++k)
        n += (record.DPIOffOnFlagValue >> k) & 1;
    // The pages keep the current level too: they take it from the record before anything collects.
    record.CurrentDPILevelValue = static_cast<std::uint8_t>(n);
    window_.RefreshAllPages();
    window_.MarkGroup(device::SettingGroup::SensorLighting);
}

bool ProgramHost::ShowWindow() {
    if (show_)
        show_();
    else
        Loop().post(window_.hwnd(), device::kMsgOpenRequest, 0, 0);
    return true;
}

bool ProgramHost::WriteTrace(const std::string& path, std::string& error) {
    if (!mouse_) {
        error = "--trace records what the virtual mouse receives, and the running quorvik uses the real mouse";
        return false;
    }
    if (!mouse_->writeTrace(path)) {
        error = "cannot write the trace to " + path;
        return false;
    }
    return true;
}

void ProgramHost::AddWatcher(ctl::CommandWatcher* watcher) {
    watchers_.push_back(watcher);
}

void ProgramHost::RemoveWatcher(ctl::CommandWatcher* watcher) {
    std::erase(watchers_, watcher);
}

} // namespace quorvik::app

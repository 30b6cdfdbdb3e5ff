#include "app/ProgramHost.h"

#include "emulator/VirtualMouse.h"
#include "model/AppRules.h"
#include "model/ProfileRecord.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/MainIds.h"
#include "ui/main/QuorvikDlg.h"
#include "ui/skin/ControlBase.h"

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // Saved as an edit is, also while the window is hidden and no download runs to arm the save.
    window_.Core().ScheduleSave();
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
    window_.Core().ScheduleSave();
}

bool ProgramHost::ShowWindow() {
    if (show_)
        show_();
    else
        Loop().post(window_.hwnd(), device::kMsgOpenRequest, 0, 0);
    return true;
}

bool ProgramHost::CanTrace(std::string& why) const {
    why = mouse_ ? "" : "--trace records what the virtual mouse receives, and the running quorvik uses the real mouse";
    return mouse_ != nullptr;
}

bool ProgramHost::WriteTrace(const std::string& path, std::string& error) {
    if (!CanTrace(error))
        return false;
    // The path comes from a client: only a regular file (or a new one) is written, never through a
    // link, and a pipe or a device cannot hold the window.
    struct stat named {};
    if (::lstat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        error = "cannot write the trace to " + path + ": not a regular file";
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        error = "cannot write the trace to " + path +
                (fd < 0 ? std::string(": ") + std::strerror(errno) : ": not a regular file");
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const std::string text = mouse_->traceText();
    bool written = ::ftruncate(fd, 0) == 0;
    for (std::size_t at = 0; written && at < text.size();) {
        const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        at += n > 0 ? std::size_t(n) : 0;
    }
    written = ::close(fd) == 0 && written;
    if (!written)
        error = "cannot write the trace to " + path;
    return written;
}

void ProgramHost::AddWatcher(ctl::CommandWatcher* watcher) {
    watchers_.push_back(watcher);
}

void ProgramHost::AppRulesChanged(std::function<void(const model::FileProblem&)> saved) {
    // The rules in memory are the ones followed from now on, whatever their save says.
    NotifyChanged();
    if (appRules_) {
        appRules_(std::move(saved));
        return;
    }
    model::FileProblem problem;
    model::Rules().Write(model::AppRulesFilePath(), &problem);
    saved(problem);
}

void ProgramHost::RemoveWatcher(ctl::CommandWatcher* watcher) {
    std::erase(watchers_, watcher);
}

} // namespace quorvik::app

#include "app/ProgramDoors.h"

#include "app/AppSwitcher.h"
#include "app/BusService.h"
#include "app/CommandSession.h"
#include "app/OutsideChanges.h"
#include "model/AppRules.h"
#include "model/LanguageTable.h"
#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/linux/ProcessTable.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/UiLoop.h"
#include "platform/qt/X11FocusWatcher.h"

#include "ui/main/AppRulesDlg.h"
#include "ui/main/QuorvikDlg.h"
#include "ui/rules/TrayBattery.h"
#include "ui/skin/OpenWindowTable.h"
#include <QGuiApplication>

#include <cstdlib>
#include <unistd.h>

namespace quorvik::app {

// The window as the switching sees it.
class ProgramDoors::Switching : public SwitchHost {
public:
    Switching(ProgramHost& host, ui::CQuorvikDlg& window) : host_(host), window_(window) {}
    // Any dialog of ours: the modal ones, and the messages and notices that stay open beside the
    // window (the on-screen display and the write progress are not dialogs of that kind).
    bool Busy() override {
        return QGuiApplication::modalWindow() != nullptr || ui::OpenWindowCount() > 0 || host_.DownloadPending();
    }
    void SwitchTo(int slot) override {
        host_.SelectProfile(slot);
        window_.ShowProfileSwitched();
    }

private:
    ProgramHost& host_;
    ui::CQuorvikDlg& window_;
};

ProgramDoors::ProgramDoors(ui::CQuorvikDlg& window, platform::HidBus& bus, emulator::VirtualMouse* mouse,
                           platform::SingleInstance& instance)
    : host_(window, bus, mouse), instance_(instance), window_(window) {
    // The rules are read before any command may ask for them; a damaged file is kept aside, and
    // the user told once.
    model::FileProblem rulesProblem;
    if (!model::LoadAppRules(&rulesProblem)) {
        rulesNotCopied_ = rulesProblem.fault == model::FileFault::NotCopied;
        // Kept aside, or (no copy could be made) left as it is and never saved over.
        constexpr int kTextRulesUnreadable = 482;
        constexpr int kTextRulesNotCopied = 483;
        window.ShowFileNotice(
            ui::rules::WithValue(model::LanguageText(rulesNotCopied_ ? kTextRulesNotCopied : kTextRulesUnreadable),
                                 model::ToU16(model::AppRulesFilePath())));
    }
    processes_ = std::make_unique<platform::ProcessTable>();
    focus_ = std::make_unique<platform::X11FocusWatcher>();
    switching_ = std::make_unique<Switching>(host_, window);
    switcher_ =
        std::make_unique<AppSwitcher>(platform::UiLoop(), *switching_, focus_.get(), *processes_, int(::getpid()));
    window.SetAppRulesPort(this);
    host_.SetAppRulesHandler([this](std::function<void(const model::FileProblem&)> saved) {
        rulesChanged(std::move(saved));
        // A command changed them: an open Applications dialog shows it.
        if (ui::CAppRulesDlg* shown = ui::CAppRulesDlg::Shown())
            shown->Reload();
    });
    host_.SetChangeListener([this] {
        if (switcher_)
            switcher_->WindowChanged();
        if (bus_)
            bus_->CheckChanges();
    });
    instance_.SetSessionHandler([this](platform::LocalConnection* connection) {
        std::erase_if(sessions_, [](const QPointer<CommandSession>& session) { return session.isNull(); });
        sessions_.emplace_back(new CommandSession(connection, host_));
    });
}

void ProgramDoors::Start() {
    if (std::exchange(started_, true))
        return;
    // Files changed by other programs, told apart from the window's own saves.
    outside_ = std::make_unique<OutsideChanges>(window_);
    window_.Core().SetSavedHook([this] { outside_->OwnSaveDone(); });
    // Only where a session bus is, and only for the first program on it; neither is a fault.
    if (BusService::SessionBusMayExist(std::getenv("DBUS_SESSION_BUS_ADDRESS"))) {
        bus_ = std::make_unique<BusService>(host_, [this] { window_.RequestExit(); });
        if (!bus_->Publish())
            bus_.reset();
    }
    if (switcher_)
        switcher_->Follow();
}

ProgramDoors::~ProgramDoors() {
    Close();
}

void ProgramDoors::Close() {
    started_ = true; // no start after the end
    instance_.SetSessionHandler({});
    for (const QPointer<CommandSession>& session : sessions_)
        delete session.data();
    sessions_.clear();
    host_.SetChangeListener({});
    host_.SetAppRulesHandler({});
    window_.SetAppRulesPort(nullptr);
    switcher_.reset();
    bus_.reset();
    if (outside_) {
        window_.Core().SetSavedHook({});
        outside_.reset();
    }
}

void ProgramDoors::rulesChanged(std::function<void(const model::FileProblem&)> saved) {
    // A damaged file of which no copy could be kept is the user's only copy: not saved over.
    if (rulesNotCopied_ && !model::KeepUnreadableCopy(model::AppRulesFilePath())) {
        const model::FileProblem problem{model::FileFault::NotCopied};
        model::NoteSettingsSave(model::AppRulesFilePath(), problem);
        if (saved)
            saved(problem);
        if (switcher_)
            switcher_->Follow(); // followed all the same, for as long as the program runs
        if (bus_)
            bus_->CheckChanges();
        return;
    }
    rulesNotCopied_ = false;
    if (switcher_) {
        switcher_->RulesChanged(std::move(saved));
    } else if (saved) {
        model::FileProblem problem;
        model::Rules().Write(model::AppRulesFilePath(), &problem);
        saved(problem);
    }
    if (bus_)
        bus_->CheckChanges();
}

void ProgramDoors::AppRulesChanged() {
    rulesChanged({});
}

std::vector<ui::OpenApplication> ProgramDoors::OpenApplications() {
    std::vector<ui::OpenApplication> apps;
    if (!focus_)
        return apps;
    const int own = int(::getpid());
    for (const platform::AppIdentity& window : focus_->OpenApplications()) {
        if (window.pid == own)
            continue;
        // A rule for it names its program where the window tells which, else its class.
        std::string name;
        if (window.pid > 0)
            if (std::optional<platform::AppIdentity> process = processes_->Process(window.pid))
                name = process->names.front();
        if (name.empty() && !window.names.empty())
            name = window.names.back();
        if (name.empty())
            continue;
        const std::u16string name16 = model::ToU16(name);
        if (std::any_of(apps.begin(), apps.end(), [&](const ui::OpenApplication& app) { return app.name == name16; }))
            continue;
        apps.push_back({name16, model::ToU16(window.title)});
    }
    return apps;
}

} // namespace quorvik::app

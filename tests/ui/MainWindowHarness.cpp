#include "MainWindowHarness.h"

#include "app/StartupLoad.h"
#include "macro/MacroLibrary.h"
#include "model/ConfigPairs.h"
#include "model/Text.h"
#include "ui/skin/OpenWindowTable.h"

namespace quorvik::test {

void MainWindowTest::SetUp() {
    UiTest::SetUp();
    macro::TheMacroLibrary().Clear();
    macro::TheMacroLibrary().SetNextMacroIndex(1);
    model::SetCurrentSlot(0);
    services_.screenWidth = 1920;
    services_.screenHeight = 1080;
    services_.trayIcon = false;
    services_.openMouseSettings = [this] {
        ++mouseSettingsRuns_;
        return mouseSettingsFound_;
    };
    services_.openDocumentation = [] { return true; };
    services_.runMacroManager = [this](platform::WindowHandle parent) { macroManagerRuns_.push_back(int(parent)); };
    mouse_ = std::make_unique<emulator::VirtualMouse>(bus_, loop);
}

void MainWindowTest::TearDown() {
    loop.SetPendingWork(nullptr);
    window_.reset();
    mouse_.reset();
    ui::CloseOpenWindows();
    loop.runUntilIdle();
}

void MainWindowTest::start(const std::string& needPassword, std::initializer_list<device::Form> forms) {
    app::LoadSettingsModel({QV_BIN_DIR "/", dir_.str()});
    model::Config().SetValue(model::kCfgNeedPassword, model::ToU16(needPassword));
    for (device::Form form : forms)
        mouse_->plug(form);
    loop.runUntilIdle();
    window_ = std::make_unique<ui::CQuorvikDlg>(bus_, services_);
    // What the window sends to the mouse goes out within the step of the test that caused it, as
    // when the window waited for the mouse; tests that look inside a download unset this.
    loop.SetPendingWork(
        [this] { return window_ && window_->hwnd() && (window_->Core().Busy() || window_->Core().SaveInFlight()); },
        [this] { return window_ && window_->hwnd() && window_->Core().SaveInFlight(); });
    window_->Create();
    if (afterCreate_)
        afterCreate_();
    if (paintAtStart_)
        paintWindow();
    // The download the first scan scheduled.
    loop.advance(device::kDownloadDelayMs);
    takeReports();
}

void MainWindowTest::paintWindow() {
    window_->window()->grab();
}

std::u16string MainWindowTest::warningText() {
    ui::CAttentionDlg* warning = window_->OpenWarning();
    return warning ? warning->FindControl(ui::CAttentionDlg::kMessageId)->text() : std::u16string();
}

void MainWindowTest::clickControl(int id) {
    ui::CControlBase* control = window_->FindControl(id);
    ASSERT_NE(control, nullptr) << id;
    const ui::Rect& r = control->rect();
    click(*window_, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::vector<device::Report> MainWindowTest::takeReports() {
    auto trace = mouse_->trace();
    std::vector<device::Report> out;
    for (std::size_t i = traceSeen_; i < trace.size(); ++i)
        out.push_back(trace[i].bytes);
    traceSeen_ = trace.size();
    return out;
}

std::vector<std::uint8_t> MainWindowTest::takeCodes() {
    std::vector<std::uint8_t> codes;
    for (const auto& report : takeReports())
        if (report[device::kOffCommand] != device::kCmdReadStatus)
            codes.push_back(report[device::kOffCommand]);
    return codes;
}

void MainWindowTest::post(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) {
    loop.post(window_->hwnd(), message, wParam, lParam);
    loop.runUntilIdle();
}

} // namespace quorvik::test

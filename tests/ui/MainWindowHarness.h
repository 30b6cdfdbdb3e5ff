// The real main window on the offscreen platform and the virtual clock, with the virtual mouse on
// a simulated bus and the settings model loaded from a fresh data folder.
#pragma once

#include "UiTestSupport.h"

#include "device/CommandReports.h"
#include "emulator/VirtualMouse.h"
#include "platform/SimulatedHidBus.h"
#include "support/TestSupport.h"
#include "ui/main/QuorvikDlg.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvik::test {

class MainWindowTest : public UiTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the settings with `needPassword`, plugs `forms` and opens the window as the program's
    // start does (without its loop: the test moves the clock). The window paints once before the
    // clock moves, as the desktop has it do, unless `paintAtStart_` was cleared.
    void start(const std::string& needPassword, std::initializer_list<device::Form> forms);
    // Paints the window once, as an expose from the desktop does.
    void paintWindow();

    ui::CQuorvikDlg& dlg() { return *window_; }
    device::DeviceCore& core() { return window_->Core(); }
    model::ProfileRecord& profile() { return model::Profile(model::CurrentSlot()); }
    platform::NativeWindow* native() { return window_->window(); }
    bool shownNormally() { return native() && native()->isVisible() && !native()->isMinimized(); }
    // The text of the warning the window shows, or nothing when none is open.
    std::u16string warningText();

    // A click at the centre of control `id` of the main window.
    void clickControl(int id);
    // Codes (byte 2) of the command reports the mouse received since the last call, status
    // requests left out.
    std::vector<std::uint8_t> takeCodes();
    std::vector<device::Report> takeReports();
    // Posts `message` to the window and lets the loop deliver it.
    void post(unsigned message, platform::WPARAM wParam = 0, platform::LPARAM lParam = 0);

    ui::CQuorvikDlg::Services services_;
    std::vector<int> macroManagerRuns_;
    int mouseSettingsRuns_ = 0;
    bool mouseSettingsFound_ = true;
    TempDir dir_;
    platform::SimulatedHidBus bus_;
    std::unique_ptr<emulator::VirtualMouse> mouse_;
    std::unique_ptr<ui::CQuorvikDlg> window_;
    std::size_t traceSeen_ = 0;
    bool paintAtStart_ = true;
    // Runs right after the window is created, before the test's clock moves.
    std::function<void()> afterCreate_;
};

} // namespace quorvik::test

#include "device/DeviceCoreHarness.h"

#include "app/StartupLoad.h"
#include "model/Text.h"

#include <algorithm>

namespace quorvik::test {

int RecordingWindow::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

DeviceCoreHarness::DeviceCoreHarness(const std::string& needPassword) {
    // Process-wide tables start empty for every test.
    macro::TheMacroLibrary().Clear();
    macro::TheMacroLibrary().SetNextMacroIndex(1);
    model::SetCurrentSlot(0);
    app::LoadSettingsModel({QV_BIN_DIR "/", dir.str()});
    model::Config().SetValue(model::kCfgNeedPassword, model::ToU16(needPassword));
    mouse = std::make_unique<emulator::VirtualMouse>(bus, loop);
    hwnd = loop.registerWindow(this);
    core = std::make_unique<device::DeviceCore>(bus, loop, hwnd, window);
    // A download, status read or reset the test started runs to its end within the step that
    // started it; tests that look inside one unset this.
    loop.SetPendingWork([this] { return core && (core->Busy() || core->SaveInFlight()); },
                        [this] { return core && core->SaveInFlight(); });
}

DeviceCoreHarness::~DeviceCoreHarness() {
    loop.SetPendingWork(nullptr);
    core.reset();
    mouse.reset(); // unplugging ends the reader threads
    loop.unregisterWindow(hwnd);
}

platform::LRESULT DeviceCoreHarness::handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (core)
        core->HandleMessage(message, wParam, lParam);
    return 0;
}

void DeviceCoreHarness::start(std::initializer_list<device::Form> forms) {
    for (device::Form form : forms)
        mouse->plug(form);
    loop.runUntilIdle(); // the arrivals come before the program registers: nothing to do
    core->Start();
    loop.advance(device::kDownloadDelayMs);
}

std::vector<device::Report> DeviceCoreHarness::takeReports() {
    auto trace = mouse->trace();
    std::vector<device::Report> out;
    for (std::size_t i = traceSeen; i < trace.size(); ++i)
        out.push_back(trace[i].bytes);
    traceSeen = trace.size();
    return out;
}

std::vector<std::uint8_t> DeviceCoreHarness::takeCodes(bool withStatus) {
    std::vector<std::uint8_t> codes;
    for (const auto& report : takeReports())
        if (report[device::kOffCommand] != device::kCmdReadStatus || withStatus)
            codes.push_back(report[device::kOffCommand]);
    return codes;
}

} // namespace quorvik::test

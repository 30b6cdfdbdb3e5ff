// A main window without a screen, a virtual mouse on a simulated bus, the settings model loaded
// from a fresh data folder, and the virtual clock: the device link end to end.
#pragma once

#include "device/DeviceCore.h"
#include "emulator/VirtualMouse.h"
#include "macro/MacroLibrary.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace quorvik::test {

// Records what the device link shows.
class RecordingWindow : public device::MainWindowPort {
public:
    void HideMainWindow() override { calls.push_back("hide"); }
    void ShowMainWindowNormal() override { calls.push_back("show"); }
    void MinimiseMainWindow() override { calls.push_back("minimise"); }
    void CloseOpenWindows() override { calls.push_back("close-windows"); }
    void QuitProgram() override { calls.push_back("quit"); }
    void RefreshMainWindow() override { ++refreshes; }
    // One entry per download that showed the progress window; its last counts in progressCounts.
    void ShowWriteProgress(int textIndex, std::size_t written, std::size_t total) override {
        if (!progressOpen)
            progress.push_back(textIndex);
        progressOpen = true;
        progressCounts = {written, total};
    }
    void EndWriteProgress() override { progressOpen = false; }
    void ShowAttention(int textIndex) override { attentions.push_back(textIndex); }
    void ShowNoAccess(const std::string& path) override { noAccess.push_back(path); }
    bool ConfirmFactoryReset() override {
        calls.push_back("confirm-reset");
        return confirmReset;
    }
    void UpdateSensorControls(std::uint8_t classFlag, std::uint16_t stepCount) override {
        sensorUpdates.push_back({classFlag, stepCount});
    }
    void ShowBattery(int level, int chargeState, int phase) override { battery.push_back({level, chargeState, phase}); }
    void ShowOnScreenDisplay(const device::OsdTexts& texts) override { osd.push_back(texts); }

    int count(const std::string& call) const;

    std::vector<std::string> calls;
    int refreshes = 0;
    std::vector<int> progress;
    bool progressOpen = false;
    std::pair<std::size_t, std::size_t> progressCounts{};
    std::vector<int> attentions;
    std::vector<std::string> noAccess;
    std::vector<std::pair<int, int>> sensorUpdates;
    struct Battery {
        int level, charge, phase;
    };
    std::vector<Battery> battery;
    std::vector<device::OsdTexts> osd;
    bool confirmReset = true;
};

class DeviceCoreHarness : public platform::MessageHandler {
public:
    // Loads the settings model into a fresh data folder; `needPassword` goes into the
    // configuration before the core starts ("0": the window starts open).
    explicit DeviceCoreHarness(const std::string& needPassword = "0");
    ~DeviceCoreHarness() override;

    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override;

    // Plugs the forms, then starts the core (the program's start-up order) and lets the
    // download the first scan scheduled run.
    void start(std::initializer_list<device::Form> forms);
    // Delivers posted messages and lets `ms` pass.
    void advance(std::uint64_t ms) { loop.advance(ms); }

    model::ProfileRecord& profile() { return model::Profile(model::CurrentSlot()); }
    // Command reports the mouse received since the last call (or since start-up).
    std::vector<device::Report> takeReports();
    // Codes (byte 2) of the reports received since the last call; status requests (which every
    // scan that finds the mouse may make) only when asked for.
    std::vector<std::uint8_t> takeCodes(bool withStatus = false);

    TempDir dir;
    platform::VirtualClockLoop loop;
    platform::SimulatedHidBus bus;
    std::unique_ptr<emulator::VirtualMouse> mouse;
    RecordingWindow window;
    platform::WindowHandle hwnd = 0;
    std::unique_ptr<device::DeviceCore> core;
    std::size_t traceSeen = 0;
};

} // namespace quorvik::test

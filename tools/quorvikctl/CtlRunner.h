// The commands of quorvikctl, run against any HID bus and event loop: the real ones in the tool,
// the simulated bus with the virtual mouse and the virtual clock in tests.
#pragma once

#include "CtlOptions.h"

#include "model/FileProblems.h"
#include "platform/EventLoop.h"
#include "platform/HidBus.h"

#include <atomic>
#include <functional>
#include <iosfwd>

namespace quorvik::ctl {

struct CtlContext {
    platform::EventLoop& loop;
    platform::HidBus& bus;
    std::ostream& out;
    std::ostream& err;
    std::istream& in; // answers to the confirmation of "reset"
    // Set from a signal handler: "watch" ends at the next check.
    const std::atomic<bool>* interrupted = nullptr;
    // Called once "watch" listens to the mouse (tests press the virtual mouse's buttons here).
    std::function<void()> onWatching;
};

// Runs the command of `options`; the settings model must already be loaded. Returns the exit code
// (kExitFailure, unless the command failed otherwise, when a settings file could not be saved).
int RunCommand(const CtlOptions& options, CtlContext& context);

// While it lives, every failed save of a settings file counts, and each file is named on `err`
// with the reason (once for each kind of fault).
class SaveFailureReport {
public:
    explicit SaveFailureReport(std::ostream& err);
    ~SaveFailureReport();
    SaveFailureReport(const SaveFailureReport&) = delete;
    SaveFailureReport& operator=(const SaveFailureReport&) = delete;
    bool Any() const { return failed_; }

private:
    model::SaveFailureHandler previous_;
    bool failed_ = false;
};

// A command report as 33 upper-case hex byte pairs separated by spaces.
std::string HexLine(const std::uint8_t* bytes, std::size_t count);

} // namespace quorvik::ctl

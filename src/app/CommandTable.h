// The commands of the mouse's owner: status, apply, reset, watch, the profiles, the DPI level, the
// window and the application rules. One table serves them wherever they come from: quorvikctl on its own (its process
// then owns the mouse for the command's length), or the running program, reached over its private
// socket or the session bus. A command never waits on the loop it runs on: it starts its work and
// ends through `finished`, so the program's window stays live while one runs.
#pragma once

#include "CtlOptions.h"

#include "device/DeviceCore.h"
#include "model/FileProblems.h"
#include "platform/EventLoop.h"
#include "platform/HidBus.h"

#include <atomic>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace quorvik::ctl {

// Where a command's words go (standard output and standard error of the tool) and where the answer
// to its question comes from.
class CommandOutput {
public:
    virtual ~CommandOutput() = default;
    virtual void Out(const std::string& text) = 0;
    virtual void Err(const std::string& text) = 0;
    // The line typed in answer to `question` (empty when nobody can answer); may come later.
    virtual void Ask(const std::string& question, std::function<void(const std::string& answer)> answer) = 0;
};

// What a running command hears from the mouse's owner.
class CommandWatcher {
public:
    virtual ~CommandWatcher() = default;
    // A DPI level or report rate change made on the mouse, as the on-screen display shows it.
    virtual void OnScreenDisplay(const device::OsdTexts& texts) = 0;
    // The last form of the mouse was unplugged.
    virtual void MouseGone() = 0;
};

// The process that owns the mouse and the settings while a command runs.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual platform::EventLoop& Loop() = 0;
    virtual platform::HidBus& Bus() = 0;
    virtual device::DeviceCore& Core() = 0;
    // The running program: its mouse is connected already and its window shows what changes.
    virtual bool Resident() const = 0;
    // A download is due or on its way (an edit's download starts 20 ms after it).
    virtual bool DownloadPending() = 0;
    // The tab of `slot` was clicked (a visible slot).
    virtual void SelectProfile(int slot) = 0;
    // Level `level` (0 … 7, one that is on) of the current profile becomes current; the download
    // follows as after an edit.
    virtual void SetDpiLevel(int level) = 0;
    // Opens the window; false when there is none to open.
    virtual bool ShowWindow() = 0;
    // Writes what the virtual mouse received to `path`; false with `error` set otherwise.
    virtual bool WriteTrace(const std::string& path, std::string& error) = 0;
    // Whether there is a virtual mouse whose trace WriteTrace can write; `why` says why not.
    virtual bool CanTrace(std::string& why) const {
        why.clear();
        return true;
    }
    virtual void AddWatcher(CommandWatcher* watcher) = 0;
    virtual void RemoveWatcher(CommandWatcher* watcher) = 0;
    // The application rules (model::Rules()) were changed by a command: the owner saves them and
    // follows them from now on. `saved` is called once, at once or later, with what went wrong
    // (nothing: the rules file holds them).
    virtual void AppRulesChanged(std::function<void(const model::FileProblem& problem)> saved) = 0;
};

// One command on its way. `finished` is called once with the exit code (never from Start itself
// when the command has work to wait for, and never after Cancel).
class CommandRun {
public:
    CommandRun(const CtlOptions& options, CommandHost& host, CommandOutput& output, std::function<void(int)> finished);
    ~CommandRun();
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    void Start();
    // The asker went away (or pressed Ctrl+C): nothing more is told; what went to the mouse stays.
    void Cancel();
    // Ctrl+C: a watch ends as its time would end it.
    void Interrupt();
    bool Done() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// The tool on its own: the streams of the terminal, any HID bus and event loop (the real ones, or
// the simulated bus with the virtual mouse and the virtual clock in tests).
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
    // Opens the window when no program runs ("show"); empty: there is none to open.
    std::function<bool(std::string& error)> startProgram;
};

// Runs the command of `options` in this process; the settings model must already be loaded.
// Returns the exit code (kExitFailure, unless the command failed otherwise, when a settings file
// could not be saved).
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

// Text in a JSON string, quotes included.
std::string JsonString(const std::string& text);

} // namespace quorvik::ctl

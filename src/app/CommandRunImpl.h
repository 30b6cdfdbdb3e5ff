// The state of one command on its way: what it waits for, and what it has told so far. Shared by
// the files of the command table only.
#pragma once

#include "CommandTable.h"

#include "model/AppRules.h"
#include "model/ProfileRecord.h"
#include "platform/EventLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvik::ctl {

std::string Hex4(unsigned value);
// Every report a whole-profile download writes, in order, with sequence numbers from 1.
std::vector<device::Report> PlanReports(model::ProfileRecord profile, const device::SensorTables& tables);
const char* FormLabel(device::Form form);

class CommandRun::Impl : public platform::MessageHandler, public CommandWatcher {
public:
    Impl(const CtlOptions& options, CommandHost& host, CommandOutput& output, std::function<void(int)> finished);
    ~Impl() override;

    void Start();
    void Cancel() {
        cancelled_ = true;
        Finish(kExitCancelled);
    }
    void Interrupt() {
        if (watching_)
            Finish(kExitOk);
    }
    bool Done() const { return done_; }

    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override;
    void OnScreenDisplay(const device::OsdTexts& texts) override;
    void MouseGone() override;

private:
    static constexpr unsigned kTimerPoll = 1;     // looks whether what it waits for is there
    static constexpr unsigned kTimerWatchEnd = 2; // --seconds ran out
    static constexpr std::uint32_t kPollMs = 10;

    void Out(const std::string& text) {
        if (!cancelled_)
            output_.Out(text);
    }
    void Err(const std::string& text) {
        if (!cancelled_)
            output_.Err(text);
    }
    void Finish(int code);
    // `step` only while this run lives.
    std::function<void()> Guarded(std::function<void()> step);
    // Runs `then` once `ready` holds, looking every few milliseconds.
    void WaitUntil(std::function<bool()> ready, std::function<void()> then);
    int Connect();

    int List();
    int Reports();
    void Status();
    void StatusRead(std::uint64_t answersBefore);
    void Apply();
    void Applied(bool completed);
    void Watch();
    void Reset();
    void Confirmed();
    int ProfileList();
    void ProfileSelect();
    void Dpi();
    int DpiShow();
    // After a change that goes to the mouse with the next download: waits for it, then ends.
    void AfterEdit(const std::string& done);
    // The application rules: the tool on its own reads them from their file first (false: the
    // command cannot go on).
    bool LoadRules();
    int AppList();
    void AppAdd();
    void AppRemove();
    void AppAuto();
    // After a change of model::Rules() from `before`: the owner saves it, then the run ends with
    // `done` on standard error, or with the reason the save failed.
    void SaveRules(const model::AppRules& before, const std::string& done);

    CtlOptions options_;
    CommandHost& host_;
    CommandOutput& output_;
    std::function<void(int)> finished_;
    platform::WindowHandle handle_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool done_ = false;
    bool cancelled_ = false;
    std::function<bool()> waitReady_;
    std::function<void()> waitThen_;

    // watch
    bool watching_ = false;
    int displays_ = 0;
    // apply, and the downloads of select and dpi
    model::ProfileRecord profile_;
    bool applying_ = false;
    bool observing_ = false;
    std::size_t total_ = 0, written_ = 0, failed_ = 0;
};

} // namespace quorvik::ctl

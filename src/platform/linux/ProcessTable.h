// The running processes of this user as /proc tells them. A scan lists /proc and reads only the
// processes it has not seen before, so following them every few seconds costs next to nothing.
#pragma once

#include "platform/AppWatch.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvik::platform {

// The names a rule may use for a process, from its executable's path and its arguments: the
// executable's file name, or for an interpreter (python, perl, java, …) and for a Windows program
// loader (wine) the file name of the program it runs first; then the name it was started under.
std::vector<std::string> ProcessNames(std::string_view exePath, const std::vector<std::string>& args);

class ProcessTable : public ProcessWatcher {
public:
    // `root` stands for "/proc" in tests.
    explicit ProcessTable(std::string root = "/proc");
    ProcessTable(std::string root, unsigned uid);

    // This user's processes now, by process id.
    std::vector<AppIdentity> Running() override;
    QuickSight QuickLook(std::vector<AppIdentity>& running) override;
    // One process; nothing when it is gone, another user's, or a kernel thread.
    std::optional<AppIdentity> Read(int pid) const;
    std::optional<AppIdentity> Process(int pid) override { return Read(pid); }

    // A new process is read again at this many scans after its first: a launcher or a script
    // often replaces itself with the program it starts within its first seconds.
    static constexpr int kRereads = 3;

private:
    std::string lastProcessId() const;
    void listAll();
    void checkKnown();
    std::vector<AppIdentity> listed() const;

    struct Known {
        std::optional<AppIdentity> app;
        int rereads = 0;
        bool seen = false;
    };
    std::string root_;
    unsigned uid_;
    bool scanned_ = false;
    std::string lastPid_; // as /proc/loadavg told it at the last look
    std::unordered_map<int, Known> known_;
};

} // namespace quorvik::platform

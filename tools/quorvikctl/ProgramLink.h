// quorvikctl's way to the running program: the program that holds a data folder's lock is its
// only owner while it runs, so the tool hands its command over instead of opening the mouse or
// writing the files itself.
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorvik::ctl {

struct RunningProgram {
    enum class State {
        None,      // no program holds the data folder: the tool works on its own
        Reachable, // socketPath is the program's own
        Silent,    // a program holds it but cannot be reached (no socket, or it does not answer)
    };
    State state = State::None;
    std::string socketPath;
};

// Looks at `dataFolder`'s lock ("config/quorvik.lock"), without creating anything there.
RunningProgram FindRunningProgram(const std::string& dataFolder);

// Sends the command (its arguments as the program parses them) and prints what the program
// answers until it ends the session; a question is asked on `err` and answered from `in`. Ctrl+C
// (`interrupted`) is passed on. Returns the program's exit code, or -1 with `error` set when the
// program could not be reached or went away before it answered in full.
int RunInProgram(const std::string& socketPath, const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err, std::istream& in, const std::atomic<bool>* interrupted, std::string& error);

} // namespace quorvik::ctl

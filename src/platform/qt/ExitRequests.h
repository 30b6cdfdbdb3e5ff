// Requests to end the program from outside it, turned into one call on the GUI thread.
//
// SIGTERM, SIGINT and SIGHUP (the session ending, `kill`, Ctrl+C in a terminal) and the desktop
// session manager's end-of-session request all call the same callback, so that the program takes
// its normal exit path (pending save, device handles closed, tray icon removed) instead of dying
// with ten seconds of edits unsaved. The signal handler only writes a byte to a pipe, which is
// async-signal-safe; a socket notifier on the GUI thread reads it and makes the call.
//
// Signals that arrive before the GUI thread has read the pipe form one request: one call. Should
// the main loop end without any request (something quit the application directly), the
// application's aboutToQuit makes one last call. The reason tells the callback what it may do:
// after a signal the loop runs on, so posting the exit command is enough; at the session end the
// session manager wants pending data saved before the callback returns; once the loop has ended
// nothing posted is delivered, so the work must be done at once. The callback may also run after
// the program's own exit path has already run (a tray exit ends the loop, which emits
// aboutToQuit): it must then do nothing.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quorvik::platform {

enum class ExitReason {
    Signal,     // SIGTERM, SIGINT or SIGHUP
    SessionEnd, // the desktop session manager asks the program to save and end
    LoopEnded,  // the application's main loop ended without an earlier request
};

class ExitRequests : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one object at a time. Needs the Q(Gui)Application.
    explicit ExitRequests(std::function<void(ExitReason)> onExit);
    // Puts back the signal dispositions found at construction.
    ~ExitRequests() override;

    // Calls made so far (tests).
    int requestCount() const { return requests_; }

private:
    void readSignals();
    void deliver(ExitReason reason);

    std::function<void(ExitReason)> onExit_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    int requests_ = 0;
};

} // namespace quorvik::platform

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
// application's aboutToQuit makes one last call; by then no loop runs, so the callback must do
// its work at once rather than post it. The callback may run after the program's own exit path
// has already run (a tray exit ends the loop, which emits aboutToQuit): it must then do nothing.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quorvik::platform {

class ExitRequests : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; at most one object at a time. Needs the Q(Gui)Application.
    explicit ExitRequests(std::function<void()> onExit);
    // Puts back the signal dispositions found at construction.
    ~ExitRequests() override;

    // Calls made so far (tests).
    int requestCount() const { return requests_; }

private:
    void readSignals();
    void deliver();

    std::function<void()> onExit_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    int requests_ = 0;
};

} // namespace quorvik::platform

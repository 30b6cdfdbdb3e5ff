// The process's message loop and clock.
//
// Windows are message handlers addressed by a small integer handle. `send` calls a handler at
// once; `post` queues a message (safe from any thread). Window timers are keyed by (window, id):
// setting an existing id restarts it, a timer keeps firing until its handler kills it, and no
// timer fires while the main thread is inside a blocking `sleep` (they fire after it).
//
// Two clocks implement this interface: the real one (driven by Qt's loop in the GUI, or by
// `run` in headless tools) and a virtual one for tests, where time only moves when told to.
#pragma once

#include <cstdint>
#include <functional>

namespace quorvik::platform {

using WindowHandle = std::uintptr_t; // 0 is "no window"
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    virtual LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) = 0;
};

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Milliseconds on this loop's clock since an arbitrary start.
    virtual std::uint64_t now() const = 0;
    // How much earlier than its period a timer may fire, in ms: a clock that counts whole
    // milliseconds of a finer one may be up to one short. Waits that are minimums (the mouse's
    // pause between two reports) add it.
    virtual std::uint32_t timerGranularityMs() const { return 0; }

    // Handles are never reused within a process, so a stale handle can never reach a new window.
    virtual WindowHandle registerWindow(MessageHandler* handler) = 0;
    // Drops the window's timers and its queued messages.
    virtual void unregisterWindow(WindowHandle window) = 0;
    virtual bool isWindow(WindowHandle window) const = 0;

    // Calls the handler synchronously; returns 0 for an unknown window.
    virtual LRESULT send(WindowHandle window, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0) = 0;
    // Queues the message; callable from any thread. Messages from one thread arrive in order.
    virtual void post(WindowHandle window, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0) = 0;
    // Ends the innermost `run` / `runUntil` loop that is waiting for it (the WM_QUIT of this loop).
    virtual void postQuit() = 0;

    // Starts (or restarts) timer `id` of `window`; it delivers WM_TIMER with wParam = id every
    // `periodMs` until killed.
    virtual void setTimer(WindowHandle window, unsigned id, std::uint32_t periodMs) = 0;
    virtual void killTimer(WindowHandle window, unsigned id) = 0;
    virtual bool hasTimer(WindowHandle window, unsigned id) const = 0;

    // A blocking wait of the main thread (device pacing). Messages and timers are not dispatched
    // during it; timers that fall due meanwhile fire after it.
    virtual void sleep(std::uint32_t ms) = 0;

    // Dispatches messages and timers until `done()` returns true or a quit is posted (a nested
    // modal loop). Returns false when it ended by a quit. The quit is left pending for outer loops.
    virtual bool runUntil(const std::function<bool()>& done) = 0;

    // Runs until a quit is posted (the program's main loop when no GUI drives it).
    void run() {
        runUntil([] { return false; });
    }
    virtual bool quitRequested() const = 0;

    // Dispatches every message and timer that is due now; returns how many were dispatched.
    virtual int processDue() = 0;
};

} // namespace quorvik::platform

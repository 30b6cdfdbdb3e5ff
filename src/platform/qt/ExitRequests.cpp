#include "platform/qt/ExitRequests.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace quorvik::platform {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// Read by the signal handler: a lock-free atomic is safe to read there.
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void onExitSignal(int signal) {
    const int savedErrno = errno;
    const int fd = g_writeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        // A full pipe already holds an unread request; losing this byte loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

ExitRequests::ExitRequests(std::function<void(ExitReason)> onExit) : onExit_(std::move(onExit)) {
    if (g_writeFd.load() >= 0) {
        std::fputs("quorvik: exit requests installed twice\n", stderr);
        std::abort();
    }
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without a pipe the signals keep their default action: the program still ends on them,
        // only without its exit path. The session end and aboutToQuit below still work.
        pipe_[0] = pipe_[1] = -1;
    } else {
        g_writeFd.store(pipe_[1]);
        notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &ExitRequests::readSignals);
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            struct sigaction action {};
            action.sa_handler = onExitSignal;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART; // reader threads' blocking reads go on undisturbed
            ::sigaction(kSignals[i], &action, &g_previous[i]);
        }
    }

    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // The session manager expects the work done before the signal returns.
        connect(
            gui, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { deliver(ExitReason::SessionEnd); }, Qt::DirectConnection);
    }
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (requests_ == 0)
                deliver(ExitReason::LoopEnded);
        });
    }
}

ExitRequests::~ExitRequests() {
    if (pipe_[1] >= 0) {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_writeFd.store(-1);
        notifier_.reset();
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
}

void ExitRequests::readSignals() {
    unsigned char bytes[64];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(pipe_[0], bytes, sizeof bytes);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // empty (EAGAIN) or closed
    }
    if (any)
        deliver(ExitReason::Signal);
}

void ExitRequests::deliver(ExitReason reason) {
    ++requests_;
    if (onExit_)
        onExit_(reason);
}

} // namespace quorvik::platform

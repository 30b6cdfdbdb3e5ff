#include "platform/qt/LocalSocket.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvik::platform {

namespace {

// What one read takes at most, and how many reads one wake-up makes: a peer that writes without
// pause cannot hold the GUI thread (the notifier calls again on the loop's next turn).
constexpr qsizetype kReadChunk = 16 * 1024;
constexpr int kReadsPerWakeUp = 4;
// How long a listener that ran out of descriptors waits before it accepts again.
constexpr int kAcceptPauseMs = 100;
// How long a start waits between tries at a listener whose queue is full.
constexpr int kBusyRetryMs = 10;
// The listener's queue: starts and commands that arrive together.
constexpr int kListenBacklog = 50;

bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.isEmpty() || std::size_t(bytes.size()) >= sizeof address.sun_path)
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    return true;
}

void closeDescriptor(int fd) {
    if (fd >= 0)
        ::close(fd);
}

// Milliseconds left until `deadline`, for poll(): never negative.
int remainingMs(const QDeadlineTimer& deadline) {
    return int(std::max<qint64>(0, deadline.remainingTime()));
}

// Waits until `what` is ready, at most until `deadline` (a signal does not end the wait).
bool waitFor(pollfd& what, const QDeadlineTimer& deadline) {
    for (;;) {
        if (deadline.hasExpired())
            return false;
        const int n = ::poll(&what, 1, remainingMs(deadline));
        if (n > 0)
            return true;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

// ---- LocalConnection ----

LocalConnection::LocalConnection(int fd, QObject* parent) : QObject(parent), fd_(fd) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    readable_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(readable_.get(), &QSocketNotifier::activated, this, [this] { readSome(); });
    writable_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
    writable_->setEnabled(false);
    QObject::connect(writable_.get(), &QSocketNotifier::activated, this, [this] { writeSome(); });
}

LocalConnection::~LocalConnection() {
    readable_.reset();
    writable_.reset();
    closeDescriptor(fd_);
}

QByteArray LocalConnection::Read(qsizetype most) {
    QByteArray taken = input_.left(most);
    input_.remove(0, taken.size());
    return taken;
}

QByteArray LocalConnection::ReadAll() {
    return std::exchange(input_, {});
}

void LocalConnection::Write(const char* data, qsizetype size) {
    if (!IsConnected() || size <= 0)
        return;
    output_.append(data, size);
    writeSome();
}

void LocalConnection::Close() {
    if (!IsConnected())
        return;
    closing_ = true;
    if (output_.isEmpty())
        endLater();
}

void LocalConnection::Abort() {
    if (fd_ < 0)
        return;
    output_.clear();
    endLater();
}

void LocalConnection::readSome() {
    if (fd_ < 0)
        return;
    bool gotBytes = false;
    bool over = false;
    for (int reads = 0; reads < kReadsPerWakeUp;) {
        char buffer[kReadChunk];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n > 0) {
            input_.append(buffer, qsizetype(n));
            gotBytes = true;
            ++reads;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        over = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    // The bytes are told while the connection still stands (an answer to them can still go
    // out), then the end. The handler may end the connection itself, or ask for its deletion:
    // nothing of ours follows it but the end it leaves to tell.
    if (gotBytes && readyRead_)
        readyRead_();
    if (over) {
        writeSome(); // what the handler answered, as far as the peer still takes it
        end();
        tellEnd();
    }
}

void LocalConnection::writeSome() {
    if (fd_ < 0)
        return;
    while (!output_.isEmpty()) {
        const ssize_t n = ::send(fd_, output_.constData(), std::size_t(output_.size()), MSG_NOSIGNAL);
        if (n > 0) {
            output_.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writable_->setEnabled(true);
            return;
        }
        // The peer has gone: what waited cannot be sent.
        output_.clear();
        endLater();
        return;
    }
    writable_->setEnabled(false);
    if (closing_)
        endLater();
}

void LocalConnection::end() {
    if (fd_ < 0)
        return;
    // Often called from a notifier's own signal: they go once the loop has left them.
    readable_->setEnabled(false);
    writable_->setEnabled(false);
    readable_.release()->deleteLater();
    writable_.release()->deleteLater();
    ::shutdown(fd_, SHUT_RDWR);
    closeDescriptor(fd_);
    fd_ = -1;
}

void LocalConnection::endLater() {
    end();
    // Told from the loop, not from within the caller's call.
    QMetaObject::invokeMethod(
        this, [this] { tellEnd(); }, Qt::QueuedConnection);
}

void LocalConnection::tellEnd() {
    if (std::exchange(endTold_, true))
        return;
    if (ended_)
        ended_();
}

// ---- LocalListener ----

LocalListener::~LocalListener() {
    Close();
}

bool LocalListener::Listen(const QString& path) {
    Close();
    sockaddr_un address{};
    if (!addressOf(path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    // This user's only (the folder is private too).
    ::chmod(address.sun_path, S_IRUSR | S_IWUSR);
    if (::listen(fd, kListenBacklog) != 0) {
        ::unlink(address.sun_path);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { acceptAll(); });
    return true;
}

void LocalListener::Close() {
    if (fd_ < 0)
        return;
    notifier_.reset();
    ::close(fd_);
    fd_ = -1;
    ::unlink(QFile::encodeName(path_).constData());
    path_.clear();
}

void LocalListener::acceptAll() {
    while (fd_ >= 0) {
        const int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The connection stays queued and the socket readable: without a pause the loop
                // would come straight back here until a descriptor is free.
                notifier_->setEnabled(false);
                QTimer::singleShot(kAcceptPauseMs, notifier_.get(), [this] { notifier_->setEnabled(true); });
            }
            return; // EAGAIN: the queue is empty
        }
        if (accept_)
            accept_(client);
        else
            ::close(client);
    }
}

// ---- blocking helpers ----

LocalConnect ConnectLocal(const QString& path, int timeoutMs, int& fd) {
    fd = -1;
    sockaddr_un address{};
    if (!addressOf(path, address))
        return LocalConnect::Failed;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (s < 0)
            return LocalConnect::Failed;
        if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            fd = s;
            return LocalConnect::Connected;
        }
        const int error = errno;
        ::close(s);
        switch (error) {
        case ENOENT:
            return LocalConnect::NoSocket;
        case ECONNREFUSED:
        case ENOTSOCK:
            return LocalConnect::Refused;
        case EACCES:
        case EPERM:
            return LocalConnect::AccessDenied;
        case EAGAIN:
        case EINTR:
            // A full queue: the listener is alive, tried again until the bound.
            if (deadline.hasExpired())
                return LocalConnect::Busy;
            ::poll(nullptr, 0, std::min(kBusyRetryMs, remainingMs(deadline)));
            break;
        default:
            return LocalConnect::Failed;
        }
    }
}

bool ExchangeLocal(int fd, const QByteArray& bytes, char& reply, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += qsizetype(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd out{fd, POLLOUT, 0};
            if (!waitFor(out, deadline))
                return false;
            continue;
        }
        return false;
    }
    for (;;) {
        const ssize_t n = ::recv(fd, &reply, 1, MSG_DONTWAIT);
        if (n == 1)
            return true;
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return false;
        pollfd in{fd, POLLIN, 0};
        if (!waitFor(in, deadline))
            return false;
    }
}

bool PeerIsSameUser(int fd) {
    ucred cred{};
    socklen_t length = sizeof cred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0)
        return false;
    return cred.uid == ::getuid();
}

} // namespace quorvik::platform

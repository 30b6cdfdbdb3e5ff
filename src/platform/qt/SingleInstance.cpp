#include "platform/qt/SingleInstance.h"

#include "platform/qt/LocalSocket.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik::platform {

namespace {

// 'Q' 'V' 'I' '1' then the request code; the tag keeps a stray client from being taken for a start.
constexpr std::array<char, 4> kRequestTag{'Q', 'V', 'I', '1'};
constexpr int kRequestCodeOffset = 4;
constexpr int kRequestSize = 5;
constexpr char kAck = 0x06;

// A sockaddr_un path holds 107 bytes and the terminating zero.
constexpr int kMaxSocketPathBytes = 107;

constexpr const char* kDataFolderLockName = "quorvik.lock";

// How often a later start looks again for a primary that is starting.
constexpr unsigned long kStartingPollMs = 20;

// The holder of a data folder's lock writes its socket path into it, padded with zero bytes to
// this length: the file is never truncated (it may be a name another user chose), so the padding
// covers whatever a longer path left there before.
constexpr int kHolderRecordBytes = kMaxSocketPathBytes + 1;

// The socket path the holder of a data folder's lock wrote into it; empty when it is not one.
QString readHolder(int fd) {
    char bytes[kHolderRecordBytes + 1];
    const ssize_t n = ::pread(fd, bytes, sizeof bytes, 0);
    if (n <= 0)
        return {};
    // Up to the first zero byte; earlier versions wrote the path alone, in a truncated file.
    const auto length = static_cast<ssize_t>(::strnlen(bytes, static_cast<std::size_t>(n)));
    if (length == 0 || length > kMaxSocketPathBytes)
        return {};
    return QFile::decodeName(QByteArray(bytes, static_cast<int>(length)));
}

// Opens a lock file of ours: never through a link, and only a regular file of this user's, so
// that a name another user planted cannot lead the program to lock, or write into, their file.
int openLockFile(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether another process holds the lock at `path` (a primary starting or running).
bool lockHeldByOther(const QString& path) {
    if (path.isEmpty())
        return false;
    const int fd = openLockFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// A folder only this user can reach: a folder (not a link), owned by the effective user, that
// nobody else may write to; made (0700) when missing.
bool privateFolder(const QString& folder, bool create) {
    const QByteArray path = QFile::encodeName(folder);
    if (create && QDir().mkpath(QFileInfo(folder).path()))
        ::mkdir(path.constData(), 0700); // an existing one is checked like a new one
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

QByteArray requestMessage(SingleInstance::Request request) {
    QByteArray message(kRequestTag.data(), static_cast<int>(kRequestTag.size()));
    message.append(static_cast<char>(request));
    return message;
}

bool parseRequest(const QByteArray& message, SingleInstance::Request& request) {
    if (message.size() != kRequestSize || !message.startsWith(QByteArray(kRequestTag.data(), kRequestTag.size())))
        return false;
    const auto code = static_cast<unsigned char>(message[kRequestCodeOffset]);
    if (code != static_cast<unsigned char>(SingleInstance::Request::Open) &&
        code != static_cast<unsigned char>(SingleInstance::Request::Quit) &&
        code != static_cast<unsigned char>(SingleInstance::Request::Command))
        return false;
    request = static_cast<SingleInstance::Request>(code);
    return true;
}

bool fitsAnAddress(const QString& path) {
    return QFile::encodeName(path).size() <= kMaxSocketPathBytes;
}

// The socket in the default folder; empty when it has none or the path would not fit a socket
// address (the data folder's config/ is then tried, once it is known).
QString socketPathFor(const QString& guardName) {
    const QString folder = SingleInstance::DefaultSocketFolder();
    if (folder.isEmpty())
        return {};
    const QString path = SingleInstance::SocketPath(guardName, folder, ::geteuid());
    return fitsAnAddress(path) ? path : QString();
}

} // namespace

SingleInstance::SingleInstance(const QString& guardName) : guardName_(guardName), path_(socketPathFor(guardName)) {}

SingleInstance::SingleInstance(SocketAt socket) : path_(std::move(socket.path)) {}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->Close(); // removes the socket file
    if (lockFd_ >= 0)
        ::close(lockFd_);
    if (folderLockFd_ >= 0)
        ::close(folderLockFd_);
}

void SingleInstance::GuardDataFolder(const QString& configFolder) {
    folderLockPath_ = QDir(configFolder).filePath(QString::fromLatin1(kDataFolderLockName));
    // Without a private socket folder the socket lives beside the lock, in the user's own data.
    if (path_.isEmpty() && !guardName_.isEmpty()) {
        QDir().mkpath(configFolder);
        const QString beside = SocketPath(guardName_, configFolder, ::geteuid());
        if (privateFolder(configFolder, false) && fitsAnAddress(beside))
            path_ = beside;
    }
}

bool SingleInstance::claimDataFolder() {
    if (folderLockPath_.isEmpty() || folderLockFd_ >= 0)
        return true;
    QDir().mkpath(QFileInfo(folderLockPath_).path());
    const int fd = openLockFile(folderLockPath_, O_RDWR | O_CREAT);
    if (fd < 0)
        return true; // a data folder we may not write to: nothing to guard (and nothing saved)
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const QString holder = readHolder(fd);
        ::close(fd);
        if (!holder.isEmpty())
            path_ = holder;
        return false;
    }
    // Only the holder writes, and only while it holds the lock: what a reader finds is current.
    QByteArray own = QFile::encodeName(path_);
    own.append(QByteArray(kHolderRecordBytes - std::min<int>(int(own.size()), kHolderRecordBytes), '\0'));
    const bool written = ::pwrite(fd, own.constData(), static_cast<std::size_t>(own.size()), 0) == own.size();
    // Unwritten, the lock still guards the folder; a later start only cannot reach this program.
    static_cast<void>(written);
    folderLockFd_ = fd;
    return true;
}

QString SingleInstance::dataFolderHolder() const {
    if (folderLockPath_.isEmpty() || folderLockFd_ >= 0)
        return {};
    const int fd = openLockFile(folderLockPath_, O_RDONLY);
    if (fd < 0)
        return {};
    // A lock we can take means nobody holds the folder: what the file says is a dead program's.
    const QString holder = ::flock(fd, LOCK_SH | LOCK_NB) != 0 ? readHolder(fd) : QString();
    ::close(fd);
    return holder;
}

QString SingleInstance::SocketPath(const QString& guardName, const QString& folder, unsigned uid) {
    QString name;
    for (QChar c : guardName)
        name.append(c.isLetterOrNumber() && c.unicode() < 0x80 ? c : QChar('-'));
    QString base = folder;
    while (base.size() > 1 && base.endsWith('/'))
        base.chop(1);
    return base + "/quorvik-" + name + "-" + QString::number(uid);
}

QString SingleInstance::DefaultSocketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && privateFolder(runtime, false))
        return runtime;
    // Never a shared folder such as /tmp, where another user could take the name first: the
    // user's own cache folder.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache)) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty() || !QDir::isAbsolutePath(home))
            return {};
        cache = home + "/.cache";
    }
    const QString folder = QDir::cleanPath(cache + "/quorvik");
    return privateFolder(folder, true) ? folder : QString();
}

bool SingleInstance::TryBecomePrimary() {
    if (server_)
        return true;
    if (path_.isEmpty()) // no private folder for a socket: the data folder's lock still guards
        return claimDataFolder();

    int probe = -1;
    switch (ConnectLocal(path_, timeoutMs_, probe)) {
    case LocalConnect::Connected: {
        const bool ours = PeerIsSameUser(probe);
        ::close(probe);
        // Another user's live socket at our path (the folders are private, so only root could have
        // put it there) is not ours to talk to or remove: the program then runs without a socket
        // rather than not at all.
        return !ours && claimDataFolder();
    }
    case LocalConnect::NoSocket: // no socket file
    case LocalConnect::Refused:  // a file nobody listens on: a killed instance's
        break;
    case LocalConnect::AccessDenied:
        return claimDataFolder(); // a socket we may not use is not ours to remove either
    case LocalConnect::Busy:
    case LocalConnect::Failed:
        // Alive but not accepting in time (its queue is full), or not to be reached: a hung
        // instance keeps its socket, and this start ends.
        return false;
    }

    // Nobody answered. Two starts at the same moment would both get here: the lock decides, and the
    // primary holds it for its whole life (the kernel drops it when the process dies, so it never
    // goes stale). Without a lock file (folder not writable) the program runs unguarded.
    lockFd_ = openLockFile(path_ + ".lock", O_RDWR | O_CREAT);
    if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        return false; // another start won the race and is about to listen
    }
    // A program started with another socket folder may already use the data folder.
    if (!claimDataFolder()) {
        if (lockFd_ >= 0)
            ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }

    // Only now, with no one answering and the lock held, is a socket file at the path a leftover
    // of a killed instance; removing it earlier could delete a live instance's socket.
    ::unlink(QFile::encodeName(path_).constData());
    server_ = std::make_unique<LocalListener>();
    server_->SetAcceptHandler([this](int fd) { acceptConnection(fd); });
    server_->Listen(path_);
    return true;
}

bool SingleInstance::IsListening() const {
    return server_ && server_->IsListening();
}

bool SingleInstance::SendToPrimary(Request request) {
    // A primary that holds its lock but does not listen yet is starting (two starts at one
    // moment): it is given the bound to start listening.
    const QDeadlineTimer deadline(timeoutMs_);
    for (;;) {
        if (!path_.isEmpty() && sendTo(path_, request))
            return true;
        const QString holder = dataFolderHolder();
        if (!holder.isEmpty() && holder != path_ && sendTo(holder, request))
            return true;
        const bool starting = lockHeldByOther(path_.isEmpty() ? QString() : path_ + ".lock") ||
                              (!holder.isEmpty() && lockHeldByOther(holder + ".lock")) ||
                              lockHeldByOther(folderLockPath_);
        if (!starting || deadline.hasExpired())
            return false;
        QThread::msleep(kStartingPollMs);
    }
}

bool SingleInstance::sendTo(const QString& path, Request request) const {
    int fd = -1;
    if (ConnectLocal(path, timeoutMs_, fd) != LocalConnect::Connected)
        return false;
    char reply = 0;
    const bool acknowledged =
        PeerIsSameUser(fd) && ExchangeLocal(fd, requestMessage(request), reply, timeoutMs_) && reply == kAck;
    ::close(fd);
    return acknowledged;
}

void SingleInstance::acceptConnection(int fd) {
    if (!PeerIsSameUser(fd)) {
        ::close(fd);
        return;
    }
    auto* connection = new LocalConnection(fd, this);
    connection->SetEndHandler([connection] { connection->deleteLater(); });
    connection->SetReadyReadHandler([this, connection] { readRequest(connection); });
    // A peer that connects and stays silent (a probing start, a hung one) is dropped in time.
    auto* silence = new QTimer(connection);
    silence->setObjectName(QStringLiteral("quorvik-silent-peer"));
    silence->setSingleShot(true);
    connect(silence, &QTimer::timeout, connection, [connection] { connection->Abort(); });
    silence->start(timeoutMs_);
}

void SingleInstance::readRequest(LocalConnection* connection) {
    if (!connection->IsConnected() || connection->BytesAvailable() < kRequestSize)
        return;
    Request request{};
    if (!parseRequest(connection->Read(kRequestSize), request)) {
        connection->Abort();
        return;
    }
    if (request == Request::Command) {
        if (!sessionHandler_) {
            connection->Abort();
            return;
        }
        // From here the session's own: no bound on silence (a watch listens for long), no more
        // requests read here.
        if (auto* silence = connection->findChild<QTimer*>(QStringLiteral("quorvik-silent-peer")))
            silence->stop();
        connection->SetReadyReadHandler({});
        connection->Write(&kAck, 1);
        sessionHandler_(connection);
        return;
    }
    // Acknowledge before handling, so the sender is released even if the handler takes a while.
    connection->Write(&kAck, 1);
    connection->Close();
    if (handler_)
        handler_(request);
}

} // namespace quorvik::platform

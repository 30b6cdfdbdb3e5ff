// Local (AF_UNIX stream) sockets on the GUI thread's event loop: the program's private socket,
// made from the system calls and Qt's socket notifiers.
//
// A LocalConnection never blocks: what it is given to write waits in its buffer until the socket
// takes it, and what arrives is kept until read. Its owner hears of new bytes and of the end of
// the connection through callbacks, called on the GUI thread, never from within a call of the
// owner's (a read, a write or a close).
//
// The blocking helpers at the end are for a start that talks to the running program before any
// loop runs; each of their waits is bounded.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <functional>
#include <memory>

namespace quorvik::platform {

class LocalConnection : public QObject {
public:
    // Takes the connected, non-blocking descriptor `fd`.
    explicit LocalConnection(int fd, QObject* parent = nullptr);
    ~LocalConnection() override;
    LocalConnection(const LocalConnection&) = delete;
    LocalConnection& operator=(const LocalConnection&) = delete;

    // New bytes can be read; the connection has ended (the peer closed it, or it failed). The
    // end is told once, after the bytes that came before it were told.
    void SetReadyReadHandler(std::function<void()> handler) { readyRead_ = std::move(handler); }
    void SetEndHandler(std::function<void()> handler) { ended_ = std::move(handler); }

    bool IsConnected() const { return fd_ >= 0 && !closing_; }
    int Descriptor() const { return fd_; }

    qsizetype BytesAvailable() const { return input_.size(); }
    QByteArray Read(qsizetype most);
    QByteArray ReadAll();

    // Queued behind what waits already; sent as fast as the peer takes it.
    void Write(const char* data, qsizetype size);
    void Write(const QByteArray& bytes) { Write(bytes.constData(), bytes.size()); }
    // Ends the connection once everything written has gone out.
    void Close();
    // Ends it now; what was not yet sent is dropped.
    void Abort();

private:
    void readSome();
    void writeSome();
    void end();
    // Ends the connection now and tells its end once the loop runs.
    void endLater();
    void tellEnd();

    int fd_;
    QByteArray input_;
    QByteArray output_;
    bool closing_ = false;
    bool endTold_ = false;
    std::unique_ptr<QSocketNotifier> readable_;
    std::unique_ptr<QSocketNotifier> writable_;
    std::function<void()> readyRead_;
    std::function<void()> ended_;
};

class LocalListener {
public:
    LocalListener() = default;
    ~LocalListener();
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Listens at `path` (no file may be there), reachable by this user only; false when the
    // socket could not be made.
    bool Listen(const QString& path);
    bool IsListening() const { return fd_ >= 0; }
    // Stops listening and removes the socket file.
    void Close();
    // Each accepted connection's descriptor (non-blocking); the handler owns it.
    void SetAcceptHandler(std::function<void(int fd)> handler) { accept_ = std::move(handler); }

private:
    void acceptAll();

    int fd_ = -1;
    QString path_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int)> accept_;
};

// What a blocking connection attempt found.
enum class LocalConnect {
    Connected,
    NoSocket,     // no file at the path
    Refused,      // a file nobody listens on (a killed program's socket), or not a socket
    AccessDenied, // a socket this user may not use
    Busy,         // the listener did not accept in time (its queue stayed full)
    Failed,       // any other failure (a path too long for an address, no descriptors left)
};

// Connects to the socket at `path`, waiting at most `timeoutMs` for room in its queue. The
// descriptor (non-blocking, close-on-exec; the caller closes it) is stored in `fd` when connected.
LocalConnect ConnectLocal(const QString& path, int timeoutMs, int& fd);
// Writes all of `bytes` and reads one byte back, within `timeoutMs` in all; false when the peer
// did not take the bytes or answer in time.
bool ExchangeLocal(int fd, const QByteArray& bytes, char& reply, int timeoutMs);
// Whether the process at the other end of a connected descriptor runs as this user.
bool PeerIsSameUser(int fd);

} // namespace quorvik::platform

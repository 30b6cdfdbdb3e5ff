// One running program per user session.
//
// The first instance listens on a local socket whose path is derived from the guard name and the
// user id, in the user's runtime folder ($XDG_RUNTIME_DIR, else the temp folder). A later start
// connects to it and sends a request (open the window, or quit); the running instance answers
// every well-formed request with one acknowledgement byte, so the sender knows it arrived.
//
// Wire format, one request per connection:
//   sender → primary: 'Q' 'V' 'I' '1' code     (code: 1 open, 2 quit, 3 command session)
//   primary → sender: 0x06                      (received)
// A command session goes on over the same connection after the acknowledgement; the session
// handler owns it from there (the bound on a silent peer no longer applies).
//
// Every wait is bounded (2 s by default), so a hung instance never blocks a start. The primary
// also holds an advisory lock on a file beside the socket, so two starts at the same moment cannot
// both become primary; the kernel drops the lock with the process. Both sides check
// the peer's credentials: a socket served by another user is never trusted, and requests from
// another user are never obeyed.
//
// The socket folder depends on the environment a program was started in (a start from cron or
// over ssh has no XDG_RUNTIME_DIR), so two programs could miss each other and both use one data
// folder. So the primary also holds a lock on "quorvik.lock" in the data folder's config/, with
// its socket path written in it; a start that finds that lock held is that program's client.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace quorvik::platform {

class LocalConnection;
class LocalListener;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Request : unsigned char { Open = 1, Quit = 2, Command = 3 };

    // The socket of this user for `guardName`, in DefaultSocketFolder() (the temp folder when that
    // path would be too long for a socket address).
    explicit SingleInstance(const QString& guardName);
    // A socket at an explicit path (tests give each run its own folder).
    struct SocketAt {
        QString path;
    };
    explicit SingleInstance(SocketAt socket);
    ~SingleInstance() override;

    // The socket path for a guard name, a folder and a user id: the guard's letters and digits (others
    // become '-') and the user id, so two users on one machine never meet.
    static QString SocketPath(const QString& guardName, const QString& folder, unsigned uid);
    // $XDG_RUNTIME_DIR when it names an existing folder, else the temp folder.
    static QString DefaultSocketFolder();

    QString socketPath() const { return path_; }

    // The config/ folder of the data folder this start will use (created when missing). Call before
    // TryBecomePrimary and SendToPrimary.
    void GuardDataFolder(const QString& configFolder);

    // True when no other instance of this user answers: a socket left behind by a killed instance
    // is removed and this instance starts listening. False when one answers, or when one holds the
    // socket but does not accept in time (a hung instance is still alive: its socket stays).
    // True, but without listening, when the socket at the path is served by another user.
    // False also when another program holds the guarded data folder: socketPath() is then that
    // program's socket (as it wrote it), so SendToPrimary reaches it.
    bool TryBecomePrimary();
    // After TryBecomePrimary returned true: whether later starts can reach this instance (false when
    // the socket could not be created, e.g. the folder is not writable, or another user holds the
    // path; the program runs anyway).
    bool IsListening() const;

    // Sends one request to the running instance; true when it acknowledged receipt in time. When
    // nobody answers at socketPath(), the program holding the guarded data folder is asked.
    bool SendToPrimary(Request request);

    // Called on this object's thread (the GUI thread) for each request a later start sends.
    void SetRequestHandler(std::function<void(Request)> handler) { handler_ = std::move(handler); }
    // Takes each command session's connection (acknowledged, from a process of this user); the
    // connection is deleted when it ends, unless the handler took its end handler over (it then
    // deletes it). Without a handler command sessions are refused.
    void SetSessionHandler(std::function<void(LocalConnection*)> handler) { sessionHandler_ = std::move(handler); }

    // The bound for each wait (connect, write, reply; and how long the primary keeps a silent peer).
    void SetTimeoutMs(int ms) { timeoutMs_ = ms; }

private:
    void acceptConnection(int fd);
    void readRequest(LocalConnection* connection);
    bool sendTo(const QString& path, Request request) const;
    // Takes the data folder's lock for this instance; false, with path_ set to the holder's
    // socket, when another program holds it. True without a lock when there is none to take.
    bool claimDataFolder();
    // The socket path written by the program holding the data folder's lock; empty when none does.
    QString dataFolderHolder() const;

    QString guardName_; // empty for a socket at an explicit path
    QString path_;
    int timeoutMs_ = 2000;
    // Held by the primary for its whole life: settles two starts racing for the socket.
    int lockFd_ = -1;
    QString folderLockPath_;
    // Held by the primary for its whole life: the data folder is this program's.
    int folderLockFd_ = -1;
    std::unique_ptr<LocalListener> server_;
    std::function<void(Request)> handler_;
    std::function<void(LocalConnection*)> sessionHandler_;
};

} // namespace quorvik::platform

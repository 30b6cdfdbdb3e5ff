// One instance per user: a later start reaches the running one, leftovers of a killed instance
// never stop a start, and a hung or foreign peer never blocks or steers one.
#include "ShellTestSupport.h"

#include "platform/qt/SingleInstance.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvik::platform {
namespace {

using Request = SingleInstance::Request;
using test::WaitUntil;

constexpr const char* kGuard = "20210610 Mouse 33XX";

sockaddr_un addressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return address;
}

// A listening socket at `path` made without Qt, as another program (or a killed instance) leaves it.
int rawListener(const QString& path, int backlog = 4) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = addressOf(path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd, backlog), 0);
    return fd;
}

// A client socket connected (or queued) at `path`; -1 when the connection was refused at once.
int rawClient(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const sockaddr_un address = addressOf(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Runs `work` on a thread of its own (a later start is a blocking client) while this thread
// serves events, as the running instance's GUI thread does.
void RunAsLaterStart(const std::function<void()>& work) {
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    ASSERT_TRUE(WaitUntil([&] { return thread->isFinished(); }));
    thread->wait();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    QString folder() const { return QString::fromStdString(dir_.path().string()); }
    // This user's socket for the guard, in the test's own folder.
    QString path() const { return SingleInstance::SocketPath(kGuard, folder(), ::getuid()); }
    SingleInstance::SocketAt at() const { return {path()}; }
    test::TempDir dir_;
};

TEST_F(SingleInstanceTest, SocketPathIsPerUserInTheRuntimeFolder) {
    EXPECT_EQ(SingleInstance::SocketPath(kGuard, "/run/user/1000/", 1000),
              "/run/user/1000/quorvik-20210610-Mouse-33XX-1000");
    EXPECT_NE(SingleInstance::SocketPath(kGuard, "/tmp", 1000), SingleInstance::SocketPath(kGuard, "/tmp", 1001));

    // The program's own constructor uses the runtime folder (the fallbacks without one:
    // SingleInstanceFoldersTest).
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder()));
    EXPECT_EQ(SingleInstance::DefaultSocketFolder(), folder());
    EXPECT_EQ(SingleInstance(kGuard).socketPath(), path());
    qputenv("XDG_RUNTIME_DIR", saved);
}

TEST_F(SingleInstanceTest, ALaterStartIsNotPrimaryAndItsRequestsReachTheFirst) {
    SingleInstance first(at());
    std::vector<Request> received;
    std::vector<bool> onGuiThread;
    first.SetRequestHandler([&](Request r) {
        received.push_back(r);
        onGuiThread.push_back(QThread::currentThread() == QCoreApplication::instance()->thread());
    });
    ASSERT_TRUE(first.TryBecomePrimary());
    EXPECT_TRUE(first.IsListening());
    EXPECT_TRUE(first.TryBecomePrimary()) << "asking again changes nothing";

    bool secondPrimary = true, openAcked = false, quitAcked = false;
    RunAsLaterStart([&] {
        SingleInstance second(at());
        secondPrimary = second.TryBecomePrimary();
        openAcked = second.SendToPrimary(Request::Open);
        quitAcked = second.SendToPrimary(Request::Quit);
    });
    EXPECT_FALSE(secondPrimary);
    EXPECT_TRUE(openAcked);
    EXPECT_TRUE(quitAcked);
    EXPECT_EQ(received, (std::vector<Request>{Request::Open, Request::Quit}));
    EXPECT_EQ(onGuiThread, (std::vector<bool>{true, true}));
    EXPECT_TRUE(first.IsListening()) << "the probe of the later start must not disturb the server";
}

TEST_F(SingleInstanceTest, LeftoversOfAKilledInstanceNeverBlockANewPrimary) {
    for (bool asSocket : {true, false}) {
        SCOPED_TRACE(asSocket ? "socket nobody listens on" : "plain file at the socket path");
        if (asSocket) {
            ::close(rawListener(path())); // the file stays, as after a kill
        } else {
            QFile file(path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QFileInfo::exists(path()));

        SingleInstance primary(at());
        int opens = 0;
        primary.SetRequestHandler([&](Request r) { opens += r == Request::Open; });
        ASSERT_TRUE(primary.TryBecomePrimary());
        EXPECT_TRUE(primary.IsListening());
        bool acked = false;
        RunAsLaterStart([&] { acked = SingleInstance(at()).SendToPrimary(Request::Open); });
        EXPECT_TRUE(acked);
        EXPECT_EQ(opens, 1);
    }
    EXPECT_FALSE(QFileInfo::exists(path())) << "the primary removes its socket when it ends";
}

TEST_F(SingleInstanceTest, OfTwoStartsAtTheSameMomentOnlyTheLockHolderBecomesPrimary) {
    // The other start has taken the lock and is about to listen: nothing answers yet.
    const QByteArray lockPath = QFile::encodeName(path() + ".lock");
    const int other = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    SingleInstance late(at());
    EXPECT_FALSE(late.TryBecomePrimary());
    EXPECT_FALSE(late.IsListening());
    ::close(other); // the other start died before listening: the lock goes with it
    EXPECT_TRUE(late.TryBecomePrimary());
    EXPECT_TRUE(late.IsListening());
}

// Started from cron or over ssh (no XDG_RUNTIME_DIR), a program looks for its socket in another
// folder: the data folder it shares with the running one still leads it there.
TEST_F(SingleInstanceTest, AStartOnTheSameDataFolderIsAClientWhereverItsSocketIs) {
    test::TempDir otherFolder;
    const QString elsewhere =
        SingleInstance::SocketPath(kGuard, QString::fromStdString(otherFolder.path().string()), ::getuid());
    const QString config = folder() + "/data/config"; // made by the first start
    auto first = std::make_unique<SingleInstance>(at());
    first->GuardDataFolder(config);
    std::vector<Request> received;
    first->SetRequestHandler([&](Request r) { received.push_back(r); });
    ASSERT_TRUE(first->TryBecomePrimary());
    ASSERT_TRUE(first->IsListening());

    bool secondPrimary = true, opened = false, quitSent = false;
    QString secondPath;
    RunAsLaterStart([&] {
        SingleInstance second(SingleInstance::SocketAt{elsewhere});
        second.GuardDataFolder(config);
        secondPrimary = second.TryBecomePrimary();
        secondPath = second.socketPath();
        opened = second.SendToPrimary(Request::Open);
        // `quorvik --quit` from there never tries to become primary.
        SingleInstance quit(SingleInstance::SocketAt{elsewhere});
        quit.GuardDataFolder(config);
        quitSent = quit.SendToPrimary(Request::Quit);
    });
    EXPECT_FALSE(secondPrimary);
    EXPECT_EQ(secondPath, path()) << "the first one's socket, as it wrote it into the lock";
    EXPECT_TRUE(opened);
    EXPECT_TRUE(quitSent);
    EXPECT_EQ(received, (std::vector<Request>{Request::Open, Request::Quit}));
    EXPECT_FALSE(QFileInfo::exists(elsewhere)) << "the second start never listened";

    // The first one ends: the data folder is free for a start from anywhere.
    first.reset();
    SingleInstance next(SingleInstance::SocketAt{elsewhere});
    next.GuardDataFolder(config);
    EXPECT_TRUE(next.TryBecomePrimary());
    EXPECT_TRUE(next.IsListening());
    EXPECT_EQ(next.socketPath(), elsewhere);
}

TEST_F(SingleInstanceTest, AHolderOfTheDataFolderThatCannotBeReachedIsNoSecondPrimary) {
    const QString config = folder() + "/config";
    ASSERT_TRUE(QDir().mkpath(config));
    // Holds the lock and names a socket nobody listens on.
    const QByteArray lockPath = QFile::encodeName(config + "/quorvik.lock");
    const int holder = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const QByteArray gone = QFile::encodeName(folder() + "/gone");
    ASSERT_EQ(::write(holder, gone.constData(), std::size_t(gone.size())), gone.size());

    SingleInstance start(at());
    start.SetTimeoutMs(300); // it waits this long for the holder to listen
    start.GuardDataFolder(config);
    EXPECT_FALSE(start.TryBecomePrimary());
    EXPECT_FALSE(start.IsListening());
    EXPECT_FALSE(start.SendToPrimary(Request::Open));
    ::close(holder);
}

TEST_F(SingleInstanceTest, QuitWithNoneRunningFailsAtOnce) {
    SingleInstance alone(at());
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(alone.SendToPrimary(Request::Quit));
    EXPECT_FALSE(alone.SendToPrimary(Request::Open));
    EXPECT_LT(timer.elapsed(), 500);
}

TEST_F(SingleInstanceTest, AHungInstanceKeepsItsSocketAndDoesNotBlockALaterStart) {
    for (bool queueFull : {false, true}) {
        SCOPED_TRACE(queueFull ? "its connection queue is full" : "it accepts but never answers");
        // Listens, never accepts, never answers. With a queue of one taken by another client, a
        // connect cannot even complete.
        const int hung = rawListener(path(), queueFull ? 0 : 4);
        const int queued = queueFull ? rawClient(path()) : -1;
        ASSERT_TRUE(!queueFull || queued >= 0);
        SingleInstance later(at());
        later.SetTimeoutMs(200);
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(later.TryBecomePrimary());
        EXPECT_FALSE(later.SendToPrimary(Request::Open));
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_TRUE(QFileInfo::exists(path())) << "a live instance's socket must never be removed";
        if (queued >= 0)
            ::close(queued);
        ::close(hung);
        QFile::remove(path());
    }
}

TEST_F(SingleInstanceTest, MalformedOrSilentPeersAreDroppedWithoutARequest) {
    SingleInstance primary(at());
    primary.SetTimeoutMs(200);
    int requests = 0;
    primary.SetRequestHandler([&](Request) { ++requests; });
    ASSERT_TRUE(primary.TryBecomePrimary());

    for (const QByteArray& sent : {QByteArray("QVI1\x09", 5), QByteArray("HELLO"), QByteArray()}) {
        const int fd = rawClient(primary.socketPath());
        ASSERT_GE(fd, 0);
        if (!sent.isEmpty()) {
            ASSERT_EQ(::write(fd, sent.constData(), static_cast<std::size_t>(sent.size())), sent.size());
        }
        // The primary closes the connection without acknowledging: the read sees the end, no 0x06.
        char reply = 0;
        ssize_t got = -1;
        ASSERT_TRUE(WaitUntil([&] {
            got = ::recv(fd, &reply, 1, MSG_DONTWAIT);
            return got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        }));
        EXPECT_EQ(got, 0) << "reply byte " << int(reply);
        ::close(fd);
    }
    EXPECT_EQ(requests, 0);
    EXPECT_TRUE(primary.IsListening());
}

// The same between two processes, as the program meets its own second start.
class SingleInstanceProcessTest : public SingleInstanceTest {
protected:
    void startPeer(QProcess& peer, const QStringList& prefix = {}) {
        QStringList args = prefix;
        args << QCoreApplication::applicationFilePath() << "--peer-primary" << path();
        const QString program = args.takeFirst();
        peer.start(program, args);
        ASSERT_TRUE(peer.waitForStarted(5000));
        ASSERT_TRUE(peer.waitForReadyRead(10000));
    }
    static QString line(QProcess& peer) {
        if (!peer.canReadLine())
            peer.waitForReadyRead(5000);
        return QString::fromUtf8(peer.readLine()).trimmed();
    }
};

TEST_F(SingleInstanceProcessTest, ASecondProcessOpensAndQuitsTheFirst) {
    QProcess peer;
    startPeer(peer);
    ASSERT_EQ(line(peer), "primary");

    SingleInstance second(at());
    EXPECT_FALSE(second.TryBecomePrimary());
    EXPECT_TRUE(second.SendToPrimary(Request::Open));
    EXPECT_EQ(line(peer), "open");
    EXPECT_TRUE(second.SendToPrimary(Request::Quit));
    EXPECT_EQ(line(peer), "quit");
    ASSERT_TRUE(peer.waitForFinished(5000));
    EXPECT_EQ(peer.exitCode(), 0);
    EXPECT_FALSE(second.SendToPrimary(Request::Quit)) << "none runs any more";
}

TEST_F(SingleInstanceProcessTest, AKilledPrimaryIsReplacedAndServesTheNextStart) {
    QProcess peer;
    startPeer(peer);
    ASSERT_EQ(line(peer), "primary");
    peer.kill(); // SIGKILL: no clean-up, the socket file stays
    ASSERT_TRUE(peer.waitForFinished(5000));
    ASSERT_TRUE(QFileInfo::exists(path()));

    SingleInstance next(at());
    int opens = 0;
    next.SetRequestHandler([&](Request r) { opens += r == Request::Open; });
    ASSERT_TRUE(next.TryBecomePrimary());

    QProcess later;
    later.start(QCoreApplication::applicationFilePath(), {"--peer-send", path(), "open"});
    ASSERT_TRUE(WaitUntil([&] { return later.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(later.exitCode(), 0);
    EXPECT_EQ(opens, 1);
}

TEST_F(SingleInstanceProcessTest, AKilledProgramLeavesItsDataFolderFree) {
    const QString config = folder() + "/config";
    QProcess peer;
    peer.start(QCoreApplication::applicationFilePath(), {"--peer-primary", path(), config});
    ASSERT_TRUE(peer.waitForStarted(5000));
    ASSERT_EQ(line(peer), "primary");

    test::TempDir otherFolder;
    const QString elsewhere =
        SingleInstance::SocketPath(kGuard, QString::fromStdString(otherFolder.path().string()), ::getuid());
    {
        SingleInstance second(SingleInstance::SocketAt{elsewhere});
        second.GuardDataFolder(config);
        EXPECT_FALSE(second.TryBecomePrimary());
        EXPECT_TRUE(second.SendToPrimary(Request::Open));
        EXPECT_EQ(line(peer), "open");
    }
    peer.kill(); // SIGKILL: the kernel drops the lock with the process
    ASSERT_TRUE(peer.waitForFinished(5000));
    SingleInstance next(SingleInstance::SocketAt{elsewhere});
    next.GuardDataFolder(config);
    EXPECT_TRUE(next.TryBecomePrimary());
    EXPECT_TRUE(next.IsListening());
}

TEST_F(SingleInstanceProcessTest, AnotherUsersInstanceIsNeitherTrustedNorReplaced) {
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (::geteuid() != 0 || setpriv.isEmpty())
        GTEST_SKIP() << "needs root and setpriv to run a peer as another user";
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::all);
    const QStringList asNobody{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};

    // The other user's instance at our path, as a squatter in a shared temp folder would sit.
    QProcess peer;
    startPeer(peer, asNobody);
    const QString first = line(peer);
    if (first != "primary")
        GTEST_SKIP() << "peer as another user could not listen: " << first.toStdString();

    SingleInstance me(at());
    EXPECT_TRUE(me.TryBecomePrimary()) << "runs, unguarded";
    EXPECT_FALSE(me.IsListening());
    EXPECT_FALSE(me.SendToPrimary(Request::Open)) << "a foreign instance is never talked to";

    // The peer's own user ends it; it never heard our open.
    QProcess quit;
    quit.start(setpriv,
               asNobody.mid(1) << QCoreApplication::applicationFilePath() << "--peer-send" << path() << "quit");
    ASSERT_TRUE(quit.waitForFinished(10000));
    EXPECT_EQ(quit.exitCode(), 0);
    EXPECT_EQ(line(peer), "quit");
    peer.waitForFinished(5000);
}

} // namespace
} // namespace quorvik::platform

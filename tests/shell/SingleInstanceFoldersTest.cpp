// Where the single instance keeps its socket when the session gives no runtime folder (always a
// folder of the user's own, never a shared one another user could take first), the lock files it
// never follows or truncates, and starts that race a primary still starting.
#include "ShellTestSupport.h"

#include "platform/qt/SingleInstance.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik::platform {
namespace {

using Request = SingleInstance::Request;
using test::WaitUntil;

constexpr const char* kFoldersGuard = "20210610 Mouse 33XX";

// Sets the environment variables a test names and puts the old values back.
class Environment {
public:
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name.constData());
            else
                qputenv(name.constData(), value);
        }
    }
    void set(const char* name, const QString& value) {
        remember(name);
        qputenv(name, QFile::encodeName(value));
    }
    void unset(const char* name) {
        remember(name);
        qunsetenv(name);
    }

private:
    void remember(const char* name) {
        for (const auto& entry : saved_)
            if (entry.first == name)
                return;
        saved_.push_back({name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray()});
    }
    std::vector<std::pair<QByteArray, QByteArray>> saved_;
};

class SingleInstanceFoldersTest : public ::testing::Test {
protected:
    QString folder() const { return QString::fromStdString(dir_.path().string()); }
    test::TempDir dir_;
    Environment env_;
};

TEST_F(SingleInstanceFoldersTest, WithoutARuntimeFolderTheSocketIsInThePrivateCacheFolder) {
    env_.unset("XDG_RUNTIME_DIR");
    env_.set("XDG_CACHE_HOME", folder() + "/cache");
    const QString cache = folder() + "/cache/quorvik";
    EXPECT_EQ(SingleInstance::DefaultSocketFolder(), cache);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(cache).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(SingleInstance(kFoldersGuard).socketPath(),
              SingleInstance::SocketPath(kFoldersGuard, cache, ::geteuid()));

    // No cache folder set: the one under HOME.
    env_.unset("XDG_CACHE_HOME");
    env_.set("HOME", folder() + "/home");
    EXPECT_EQ(SingleInstance::DefaultSocketFolder(), folder() + "/home/.cache/quorvik");

    // A runtime folder others may write to is no private one.
    env_.set("XDG_RUNTIME_DIR", folder() + "/shared");
    ASSERT_TRUE(QDir().mkpath(folder() + "/shared"));
    ASSERT_EQ(::chmod(QFile::encodeName(folder() + "/shared").constData(), 01777), 0);
    EXPECT_EQ(SingleInstance::DefaultSocketFolder(), folder() + "/home/.cache/quorvik");
}

// Another user's squatted names in the shared temp folder (a socket, a held lock) are never
// looked at: the program becomes primary in its own folder, a later start reaches it.
TEST_F(SingleInstanceFoldersTest, NamesTakenInTheTempFolderStopNothing) {
    env_.unset("XDG_RUNTIME_DIR");
    env_.set("XDG_CACHE_HOME", folder() + "/cache");
    const QString squatted = SingleInstance::SocketPath(kFoldersGuard, QDir::tempPath(), ::geteuid());
    const int lock = ::open(QFile::encodeName(squatted + ".lock").constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    SingleInstance first(kFoldersGuard);
    int opens = 0;
    first.SetRequestHandler([&](Request r) { opens += r == Request::Open; });
    ASSERT_TRUE(first.TryBecomePrimary());
    EXPECT_TRUE(first.IsListening());
    EXPECT_EQ(first.socketPath(), SingleInstance::SocketPath(kFoldersGuard, folder() + "/cache/quorvik", ::geteuid()));
    bool delivered = false;
    std::unique_ptr<QThread> later(QThread::create([&] {
        SingleInstance second(kFoldersGuard);
        delivered = !second.TryBecomePrimary() && second.SendToPrimary(Request::Open);
    }));
    later->start();
    ASSERT_TRUE(WaitUntil([&] { return later->isFinished(); }));
    EXPECT_TRUE(delivered);
    EXPECT_EQ(opens, 1);
    ::close(lock);
    ::unlink(QFile::encodeName(squatted + ".lock").constData());
}

// With no private folder at all for a socket, the socket goes beside the data folder's lock.
TEST_F(SingleInstanceFoldersTest, WithNoPrivateFolderTheSocketIsInTheDataFolder) {
    env_.unset("XDG_RUNTIME_DIR");
    env_.set("XDG_CACHE_HOME", folder() + "/" + QString(120, 'c')); // too deep for a socket address
    const QString config = folder() + "/data/config";
    SingleInstance first(kFoldersGuard);
    first.GuardDataFolder(config);
    EXPECT_EQ(first.socketPath(), SingleInstance::SocketPath(kFoldersGuard, config, ::geteuid()));
    ASSERT_TRUE(first.TryBecomePrimary());
    EXPECT_TRUE(first.IsListening());
}

// The lock is opened without following a link and never truncated: a link to another file
// leaves that file as it was (the folder itself is the user's own; another user's is refused
// before this, by the data-folder check).
TEST_F(SingleInstanceFoldersTest, TheDataFolderLockNeverWritesThroughALink) {
    const QString config = folder() + "/config";
    ASSERT_TRUE(QDir().mkpath(config));
    const std::string precious = (dir_.path() / "precious").string();
    test::writeBytes(precious, {'k', 'e', 'e', 'p'});
    std::filesystem::create_symlink(precious, dir_.path() / "config/quorvik.lock");
    SingleInstance start(SingleInstance::SocketAt{SingleInstance::SocketPath(kFoldersGuard, folder(), ::geteuid())});
    start.GuardDataFolder(config);
    EXPECT_TRUE(start.TryBecomePrimary()) << "runs, without the folder's guard";
    EXPECT_EQ(test::readBytes(precious), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
}

// A later start that finds the primary's lock held while nothing listens yet waits for it to
// listen, then delivers its request.
TEST_F(SingleInstanceFoldersTest, AStartRacingAPrimaryThatIsStillStartingReachesIt) {
    const QString path = SingleInstance::SocketPath(kFoldersGuard, folder(), ::geteuid());
    const QByteArray lockPath = QFile::encodeName(path + ".lock");
    int starting = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(starting, LOCK_EX | LOCK_NB), 0);

    std::unique_ptr<SingleInstance> primary;
    int opens = 0;
    QTimer::singleShot(300, [&] {
        ::close(starting); // the starting primary: it takes the lock for good and listens
        primary = std::make_unique<SingleInstance>(SingleInstance::SocketAt{path});
        primary->SetRequestHandler([&](Request r) { opens += r == Request::Open; });
        ASSERT_TRUE(primary->TryBecomePrimary());
    });
    bool wasPrimary = true, delivered = false;
    std::unique_ptr<QThread> later(QThread::create([&] {
        SingleInstance second(SingleInstance::SocketAt{path});
        wasPrimary = second.TryBecomePrimary();
        delivered = second.SendToPrimary(Request::Open);
    }));
    later->start();
    ASSERT_TRUE(WaitUntil([&] { return later->isFinished(); }));
    EXPECT_FALSE(wasPrimary);
    EXPECT_TRUE(delivered);
    EXPECT_EQ(opens, 1);
}

// Many starts at the same moment, as separate processes: one becomes primary, every other one
// delivers its open request and exits 0.
TEST_F(SingleInstanceFoldersTest, OfManyStartsAtOnceOneIsPrimaryAndTheRestReachIt) {
    constexpr int kStarts = 12;
    const QString path = SingleInstance::SocketPath(kFoldersGuard, folder(), ::geteuid());
    const QString config = folder() + "/config";
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.push_back(std::make_unique<QProcess>());
        starts.back()->start(QCoreApplication::applicationFilePath(), {"--peer-start", path, config});
    }
    int primaries = 0, delivered = 0;
    QProcess* primary = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            int ended = 0;
            for (auto& p : starts)
                ended += p->state() == QProcess::NotRunning;
            return ended == kStarts - 1;
        },
        30000));
    for (auto& p : starts) {
        if (p->state() != QProcess::NotRunning) {
            primary = p.get();
            ++primaries;
        } else if (p->exitCode() == 0) {
            ++delivered;
        }
    }
    EXPECT_EQ(primaries, 1);
    EXPECT_EQ(delivered, kStarts - 1);
    ASSERT_NE(primary, nullptr);
    QProcess quit;
    quit.start(QCoreApplication::applicationFilePath(), {"--peer-send", path, "quit"});
    ASSERT_TRUE(WaitUntil(
        [&] { return primary->state() == QProcess::NotRunning && quit.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(quit.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(primary->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.count("open"), kStarts - 1);
}

} // namespace
} // namespace quorvik::platform

// The program's own local sockets: what a slow or vanishing peer does to a connection, and what a
// start learns from a connection attempt.
#include "platform/qt/LocalSocket.h"
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <memory>

using namespace quorvik::platform;
using quorvik::test::WaitUntil;

namespace {

class LocalSocketTest : public ::testing::Test {
protected:
    QString path(const char* name = "socket") const { return dir_.filePath(QString::fromLatin1(name)); }
    // A connected pair: the listener's side as a LocalConnection, the client's as a raw descriptor.
    std::unique_ptr<LocalConnection> accepted(LocalListener& listener, int& client) {
        int taken = -1;
        listener.SetAcceptHandler([&](int fd) { taken = fd; });
        EXPECT_EQ(ConnectLocal(path(), 1000, client), LocalConnect::Connected);
        EXPECT_TRUE(WaitUntil([&] { return taken >= 0; }));
        listener.SetAcceptHandler({});
        return std::make_unique<LocalConnection>(taken);
    }
    QTemporaryDir dir_;
};

TEST_F(LocalSocketTest, AReplyLargerThanTheSocketTakesArrivesWholeBeforeTheEnd) {
    LocalListener listener;
    ASSERT_TRUE(listener.Listen(path()));
    int client = -1;
    auto connection = accepted(listener, client);
    int ends = 0;
    connection->SetEndHandler([&] { ++ends; });

    // Far more than a socket buffer holds: most of it waits until the reader takes it.
    QByteArray reply(4 << 20, '\0');
    for (qsizetype i = 0; i < reply.size(); ++i)
        reply[i] = char(i * 7);
    connection->Write(reply);
    connection->Close();
    EXPECT_EQ(ends, 0) << "the end is told from the loop, once the bytes are out";

    QByteArray got;
    ASSERT_TRUE(WaitUntil(
        [&] {
            char buffer[65536];
            const ssize_t n = ::recv(client, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0)
                got.append(buffer, qsizetype(n));
            return n == 0;
        },
        20000));
    EXPECT_EQ(got, reply);
    ASSERT_TRUE(WaitUntil([&] { return ends > 0; }));
    EXPECT_EQ(ends, 1);
    ::close(client);
}

TEST_F(LocalSocketTest, ThePeersLastBytesAreReadBeforeItsEndAndAVanishedPeerEndsAWrite) {
    LocalListener listener;
    ASSERT_TRUE(listener.Listen(path()));
    int client = -1;
    auto connection = accepted(listener, client);
    QByteArray read;
    QByteArray readWhenEnded;
    int ends = 0;
    connection->SetReadyReadHandler([&] { read += connection->ReadAll(); });
    connection->SetEndHandler([&] {
        readWhenEnded = read;
        ++ends;
    });
    ASSERT_EQ(::send(client, "QVI1\x03", 5, 0), 5);
    ::close(client);
    ASSERT_TRUE(WaitUntil([&] { return ends > 0; }));
    EXPECT_EQ(readWhenEnded, QByteArray("QVI1\x03", 5));
    EXPECT_FALSE(connection->IsConnected());
    connection->Write("late", 4); // nothing to write to: dropped, no second end
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);

    // A peer that goes while a large write waits: the write ends the connection, told once.
    auto second = accepted(listener, client);
    int secondEnds = 0;
    second->SetEndHandler([&] { ++secondEnds; });
    second->Write(QByteArray(4 << 20, 'x'));
    ::close(client);
    ASSERT_TRUE(WaitUntil([&] { return secondEnds > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(secondEnds, 1);
    EXPECT_FALSE(second->IsConnected());
}

TEST_F(LocalSocketTest, AConnectionAttemptTellsWhatIsAtThePath) {
    int fd = -1;
    EXPECT_EQ(ConnectLocal(path(), 200, fd), LocalConnect::NoSocket);

    // A socket file left by a program that has gone, and a file that is no socket.
    {
        LocalListener gone;
        ASSERT_TRUE(gone.Listen(path("stale")));
        const int raw = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(raw, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray stale = path("stale-raw").toLocal8Bit();
        std::memcpy(address.sun_path, stale.constData(), std::size_t(stale.size()));
        ASSERT_EQ(::bind(raw, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(raw); // bound, never listened on: what a killed program leaves
    }
    EXPECT_FALSE(QFile::exists(path("stale"))) << "a listener that closes removes its socket file";
    EXPECT_EQ(ConnectLocal(path("stale-raw"), 200, fd), LocalConnect::Refused);
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(ConnectLocal(path("plain"), 200, fd), LocalConnect::Refused);
    EXPECT_EQ(ConnectLocal(QString(200, QChar('x')), 200, fd), LocalConnect::Failed) << "too long for an address";

    LocalListener listener;
    ASSERT_TRUE(listener.Listen(path()));
    EXPECT_FALSE(LocalListener().Listen(path())) << "a second listener at a path in use";
    ASSERT_EQ(ConnectLocal(path(), 200, fd), LocalConnect::Connected);
    EXPECT_TRUE(PeerIsSameUser(fd));
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
}

} // namespace

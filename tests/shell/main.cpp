// The application-shell tests run on Qt's offscreen platform. The binary doubles as the peer
// process of the single-instance tests:
//   test_shell --peer-primary SOCKET [CONFIG]
//                                      becomes primary at the socket path (guarding the data
//                                      folder's CONFIG folder when given), prints "primary" (or
//                                      "secondary" and exits 1), then one line per request ("open",
//                                      "quit"); exits 0 after a quit, 3 after 20 s without one
//   test_shell --peer-send SOCKET open|quit
//                                      a later start: exits 0 when the request was received
//   test_shell --peer-start SOCKET CONFIG
//                                      a start as the program makes it: primary as above, or
//                                      else it sends an open request and exits 0 when received
#include "platform/qt/SingleInstance.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using quorvik::platform::SingleInstance;

namespace {

// Serves the requests of later starts as the program does, one line each.
int servePrimary(SingleInstance& instance) {
    instance.SetRequestHandler([](SingleInstance::Request request) {
        std::puts(request == SingleInstance::Request::Open ? "open" : "quit");
        std::fflush(stdout);
        if (request == SingleInstance::Request::Quit)
            QCoreApplication::exit(0);
    });
    QTimer::singleShot(20000, [] { QCoreApplication::exit(3); });
    std::puts(instance.IsListening() ? "primary" : "primary-unguarded");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

int runPeerPrimary(const char* path, const char* config) {
    SingleInstance instance(SingleInstance::SocketAt{QString::fromLocal8Bit(path)});
    if (config)
        instance.GuardDataFolder(QString::fromLocal8Bit(config));
    if (!instance.TryBecomePrimary()) {
        std::puts("secondary");
        return 1;
    }
    return servePrimary(instance);
}

int runPeerStart(const char* path, const char* config) {
    SingleInstance instance(SingleInstance::SocketAt{QString::fromLocal8Bit(path)});
    instance.GuardDataFolder(QString::fromLocal8Bit(config));
    if (!instance.TryBecomePrimary())
        return instance.SendToPrimary(SingleInstance::Request::Open) ? 0 : 1;
    return servePrimary(instance);
}

int runPeerSend(const char* path, const char* what) {
    SingleInstance instance(SingleInstance::SocketAt{QString::fromLocal8Bit(path)});
    const auto request = std::strcmp(what, "quit") == 0 ? SingleInstance::Request::Quit : SingleInstance::Request::Open;
    return instance.SendToPrimary(request) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--peer-primary") == 0)
        return runPeerPrimary(argv[2], argc == 4 ? argv[3] : nullptr);
    if (argc == 4 && std::strcmp(argv[1], "--peer-start") == 0)
        return runPeerStart(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--peer-send") == 0)
        return runPeerSend(argv[2], argv[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

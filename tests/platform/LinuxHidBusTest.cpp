// What can be checked of the hidraw backend on a machine without the mouse.
#include "platform/linux/LinuxHidBus.h"

#include "platform/VirtualClockLoop.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace quorvik::platform;

TEST(LinuxHidBus, EnumerationEndsAndForeignPathsDoNotOpen) {
    LinuxHidBus bus;
    int count = 0;
    while (bus.interfacePath(count))
        ++count;
    EXPECT_LT(count, 1000);
    EXPECT_FALSE(bus.interfacePath(-1));
    EXPECT_FALSE(bus.interfacePath(count));
    EXPECT_EQ(bus.open("/dev/null"), nullptr); // not a hidraw node: no report descriptor
    EXPECT_EQ(bus.open("/nonexistent/hidraw99"), nullptr);
}

TEST(LinuxHidBus, OpenFailuresKeepTheirCause) {
    LinuxHidBus bus;
    int error = 0;
    EXPECT_EQ(bus.open("/nonexistent/hidraw99", &error), nullptr);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(bus.open("/dev/null", &error), nullptr);
    EXPECT_EQ(error, ENOTTY) << "it opens, but has no report descriptor";
    HidAttributes attributes;
    EXPECT_FALSE(bus.describe("/dev/null", attributes)) << "no HID parent";
    EXPECT_FALSE(bus.describe("/nonexistent/hidraw99", attributes));
}

// A node the user may not open is told apart from one that is not there. Root opens any file, so
// as root the open runs in a child that has dropped to the unprivileged user first.
TEST(LinuxHidBus, PermissionDeniedOnOpenIsReportedAsSuch) {
    quorvik::test::TempDir dir;
    const std::string node = (dir.path() / "hidraw7").string();
    const int fd = ::open(node.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(node.c_str(), 0000), 0); // no access for anyone but root

    auto openError = [&] {
        LinuxHidBus bus;
        int error = 0;
        return bus.open(node, &error) ? 0 : error;
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(openError(), EACCES);
        return;
    }
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(255);
        ::_exit(openError() & 0xFF);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 255) << "could not drop privileges";
    EXPECT_EQ(WEXITSTATUS(status), EACCES);
}

TEST(LinuxHidBus, MonitorStartsAndStops) {
    VirtualClockLoop loop;
    LinuxHidBus bus;
    // Containers may refuse the udev netlink socket; either way start and stop must be clean.
    const bool started = bus.registerNotifications(loop, 1);
    bus.unregisterNotifications();
    bus.unregisterNotifications();
    if (started) {
        EXPECT_TRUE(bus.registerNotifications(loop, 1)); // and it can be started again
    }
}

TEST(LinuxHidBus, HidIdProperty) {
    HidAttributes a;
    ASSERT_TRUE(ParseHidId("0003:0000248A:00005B2E", a));
    EXPECT_EQ(a.vendorId, 0x248A);
    EXPECT_EQ(a.productId, 0x5B2E);
    ASSERT_TRUE(ParseHidId("0005:0000248a:00005b2f", a));
    EXPECT_EQ(a.productId, 0x5B2F);
    for (const char* bad : {"", "0003:248A", "0003:0000248A:00005B2E:1", "0003:0001248A:00005B2E", "0003:x:5B2E",
                            "0003:0000248A:000005B2E"})
        EXPECT_FALSE(ParseHidId(bad, a)) << bad;
}

TEST(LinuxHidBus, NodesInNumberOrder) {
    std::vector<std::string> nodes = {"/dev/hidraw10", "/dev/hidraw2", "/dev/hidraw0", "/dev/hidraw1"};
    std::sort(nodes.begin(), nodes.end(), HidrawNodeBefore);
    EXPECT_EQ(nodes, (std::vector<std::string>{"/dev/hidraw0", "/dev/hidraw1", "/dev/hidraw2", "/dev/hidraw10"}));
}

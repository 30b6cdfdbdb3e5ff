// What can be checked of the hidraw backend on a machine without the mouse.
#include "platform/linux/LinuxHidBus.h"

#include "platform/VirtualClockLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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

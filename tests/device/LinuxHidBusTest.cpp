// What can be checked of the hidraw backend on a machine without the mouse.
#include "platform/linux/LinuxHidBus.h"

#include "platform/VirtualClockLoop.h"

#include <gtest/gtest.h>

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

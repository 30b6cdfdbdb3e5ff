// The HID bus on Linux: hidraw nodes found through libudev, report lengths from each node's
// report descriptor, feature reports and input reads through the hidraw character device, and a
// udev monitor thread for hot-plug. Access to the nodes is granted by packaging/70-quorvik.rules.
#pragma once

#include "platform/HidBus.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quorvik::platform {

// HID_ID as udev gives it for a HID device: "bus:vendor:product" in hexadecimal
// ("0003:0000248A:00005B2E"). False for anything else.
bool ParseHidId(std::string_view text, HidAttributes& out);
// Device-node order: by the number at the end ("/dev/hidraw2" before "/dev/hidraw10").
bool HidrawNodeBefore(const std::string& a, const std::string& b);

class LinuxHidBus : public HidBus {
public:
    LinuxHidBus();
    ~LinuxHidBus() override;

    // Hidraw nodes in device-node order ("/dev/hidraw0", "/dev/hidraw1", ...), enumerated afresh
    // on every call so an index always reflects the machine as it is now.
    std::optional<std::string> interfacePath(int index) override;
    using HidBus::open;
    // The errno of open(2) or of the report-descriptor ioctls when they fail.
    std::unique_ptr<HidDevice> open(const std::string& path, int* error) override;
    // From udev (HID_ID of the node's HID parent), which needs no access to the node itself.
    bool describe(const std::string& path, HidAttributes& out) override;

    // Starts a monitor thread that posts WM_DEVICECHANGE for every hidraw node added or removed.
    bool registerNotifications(EventLoop& loop, WindowHandle window) override;
    // Stops and joins the monitor thread.
    void unregisterNotifications() override;

private:
    struct Monitor;
    std::mutex monitorMutex_;
    std::unique_ptr<Monitor> monitor_;
};

} // namespace quorvik::platform

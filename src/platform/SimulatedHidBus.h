// A HID bus held in memory: devices are plugged and unplugged by the program itself (the virtual
// mouse, tests, demos) and are enumerated, opened and read exactly like real interfaces, with the
// report lengths taken from their report descriptors.
#pragma once

#include "platform/HidBus.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace quorvik::platform {

// The device side of one interface: what its firmware does with feature reports. Called on the
// thread that makes the request, never with a lock of the bus held.
class SimulatedFeatureHandler {
public:
    virtual ~SimulatedFeatureHandler() = default;
    virtual bool onSetFeature(std::span<const std::uint8_t> report) = 0;
    // report[0] names the report asked for; fill the rest.
    virtual bool onGetFeature(std::span<std::uint8_t> report) = 0;
};

struct SimulatedInterface {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::vector<std::uint8_t> reportDescriptor;
    // Null: every feature request on this interface fails, as on an interface without features.
    std::shared_ptr<SimulatedFeatureHandler> features;
};

class SimulatedHidBus : public HidBus {
public:
    SimulatedHidBus();
    ~SimulatedHidBus() override;

    // Adds a device with its interfaces behind every device already plugged and announces the
    // arrival. Returns the device's id (never reused).
    int plug(std::vector<SimulatedInterface> interfaces);
    // Removes the device: its interfaces leave the enumeration, reads blocked on them fail, later
    // requests on open handles fail, and the removal is announced. False for an unknown id.
    bool unplug(int deviceId);
    bool isPlugged(int deviceId) const;

    // Delivers an input report on interface `interfaceIndex` of a device to every handle open on
    // that interface (a report nobody is reading is lost, as on hidraw). False when the device is
    // not plugged or has no such interface.
    bool sendInput(int deviceId, std::size_t interfaceIndex, std::span<const std::uint8_t> report);

    // Handles now open on one interface, and successful opens since the bus was made (tests).
    int openHandleCount(int deviceId, std::size_t interfaceIndex) const;
    int totalOpens() const;

    // From now on opens of `path` fail with `error` (an errno value, EACCES for a node the user
    // may not open); 0 lets them succeed again. The interface is still listed and described.
    void setOpenError(const std::string& path, int error);

    using HidBus::open;
    std::optional<std::string> interfacePath(int index) override;
    std::unique_ptr<HidDevice> open(const std::string& path, int* error) override;
    bool describe(const std::string& path, HidAttributes& out) override;
    bool registerNotifications(EventLoop& loop, WindowHandle window) override;
    void unregisterNotifications() override;

    struct Node; // one plugged interface; shared with the handles opened on it

private:
    struct Device {
        int id = 0;
        std::vector<std::shared_ptr<Node>> interfaces;
    };

    void announce(unsigned event);
    std::shared_ptr<Node> findNode(const std::string& path) const; // with mutex_ held

    mutable std::mutex mutex_;
    std::vector<Device> devices_; // plug order = enumeration order
    int nextDeviceId_ = 1;
    int nextNodeNumber_ = 0;
    int totalOpens_ = 0;
    std::map<std::string, int> openErrors_;
    EventLoop* loop_ = nullptr;
    WindowHandle window_ = 0;
};

} // namespace quorvik::platform

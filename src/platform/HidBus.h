// The HID interfaces of the machine, as the device link sees them.
//
// Wire rules, once for every backend: a report buffer starts with its report id in byte 0, so a
// device report of 32 data bytes travels as 33 bytes; a device that uses no report ids still gets
// a byte 0 (0x00) in every buffer. Report lengths are counted the same way: the longest report of
// a kind in bytes plus one for the id byte, even when the device has no report ids.
//
// Calls come from the main thread (enumerate, open, features, notifications) and from reader
// threads (read on a handle they opened themselves). A handle is used by one thread at a time.
//
// Failures keep their cause as an errno value (EACCES: the user may not open the interface;
// ENOENT or ENODEV: it is gone; EIO, EPIPE: the device refused a report), so that a mouse the
// user may not open can be told apart from no mouse at all.
#pragma once

#include "platform/EventLoop.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvik::platform {

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// Report byte lengths including the report id byte; 0 when the interface has no report of a kind.
struct HidCaps {
    std::uint16_t inputReportByteLength = 0;
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;
};

// One open HID interface. Closing is destruction; a blocked `readInput` on another thread must
// not outlive the object it reads through, so readers own their handle.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    virtual bool attributes(HidAttributes& out) = 0;
    // Lengths over the whole interface: what it reads and writes.
    virtual bool capabilities(HidCaps& out) = 0;
    // Lengths of each top-level collection of its report descriptor, in descriptor order. Some
    // HID stacks show every collection as an interface of its own; hidraw gives one interface
    // that carries them all, and each may give it a role.
    virtual bool collections(std::vector<HidCaps>& out) = 0;

    // report[0] is the report id; the whole span is sent.
    virtual bool setFeature(std::span<const std::uint8_t> report) = 0;
    // report[0] names the report to fetch; on success the span holds the device's answer.
    virtual bool getFeature(std::span<std::uint8_t> report) = 0;

    // Blocks until the device sends an input report; returns the number of bytes stored (report
    // id first), or nothing once the interface is gone (unplugged) or the read fails.
    virtual std::optional<std::size_t> readInput(std::span<std::uint8_t> buffer) = 0;

    // errno of the last call on this handle that failed; 0 while none has.
    virtual int lastError() const = 0;
};

class HidBus {
public:
    virtual ~HidBus() = default;

    // Device path of the HID interface at enumeration index `index`, or nothing past the end.
    // The order is stable while nothing is plugged or unplugged.
    virtual std::optional<std::string> interfacePath(int index) = 0;

    // Opens the interface for reading and writing; nothing when it is gone or not accessible,
    // with the errno of the failure in `error` when it is given.
    virtual std::unique_ptr<HidDevice> open(const std::string& path, int* error) = 0;
    std::unique_ptr<HidDevice> open(const std::string& path) { return open(path, nullptr); }

    // Vendor and product of the interface at `path` as the system lists it, without opening it:
    // an interface the user may not open is still recognised. False when it is not known.
    virtual bool describe(const std::string& path, HidAttributes& out) = 0;

    // From now on every arrival and removal of a HID interface posts WM_DEVICECHANGE to `window`
    // through `loop`, with wParam DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE (lParam 0).
    // Returns false when the notification source could not be set up.
    virtual bool registerNotifications(EventLoop& loop, WindowHandle window) = 0;
    // Stops posting; safe to call when not registered.
    virtual void unregisterNotifications() = 0;
};

} // namespace quorvik::platform

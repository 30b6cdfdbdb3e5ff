// The virtual mouse: the device side of the command protocol, plugged into a simulated HID bus as
// the wired mouse and/or the receiver. It checks and applies every command report as the firmware
// does, keeps what a real mouse holds, answers the status request, sends level-change reports when
// its DPI or rate button is pressed, and records every report it receives.
//
// Each form is one USB device with five interfaces, enumerated in this order:
//   0 boot mouse (input 5)                 3 vendor, 64-byte reports (input 65, feature 65)
//   1 keyboard + consumer (input 9)        4 vendor notifications (input 33, feature 33)
//   2 vendor commands (input 9, feature 33)
// Commands are accepted on interfaces 2 and 4; level-change reports come from interface 4.
//
// With the combined layout each form has three interfaces instead: 0 boot mouse, 1 keyboard +
// consumer, 2 both vendor collections in one interface (input 33, feature 33, see
// VendorCombinedDescriptor); commands and level-change reports both use interface 2.
//
// Thread-safety: the test (main) thread writes features and plugs and unplugs while reader threads
// block in reads; all state sits behind one mutex, and unplugging wakes blocked readers (their read
// fails, as on real hardware).
#pragma once

#include "device/CommandReports.h"
#include "device/DeviceConnection.h"
#include "platform/EventLoop.h"
#include "platform/SimulatedHidBus.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quorvik::emulator {

using device::Form;
using device::Report;

inline constexpr std::size_t kInterfacesPerForm = 5;
inline constexpr std::size_t kCommandInterface = 2;
inline constexpr std::size_t kNotifyInterface = 4;

// How the vendor collections are spread over the USB interfaces of a form.
enum class InterfaceLayout {
    Separate, // notifications and commands in interfaces of their own (interfaces 2 and 4)
    Combined, // both collections in interface 2
};
inline constexpr std::size_t kCombinedInterfacesPerForm = 3;
inline constexpr std::size_t kCombinedVendorInterface = 2;
inline constexpr std::size_t kMacroSlots = 16; // slot numbers 0..15 of the chunk's slot byte

// One device macro slot, reassembled from its chunks.
struct MacroSlot {
    std::vector<std::uint8_t> data; // the chunks' data bytes in order (chunk length - 1 each)
    unsigned chunksReceived = 0;
    std::uint8_t announcedChunks = 0; // low nibble of the chunk byte (wraps beyond 15)
    bool lastChunkFull = false;
};

// What the mouse holds; compare against what a profile should produce.
struct MouseState {
    std::array<std::array<std::uint8_t, 3>, 7> buttons{}; // by device position
    std::uint8_t levelMask = 0x3F;
    std::uint8_t enabledLevels = 6; // low nibble of the DPI command's first byte
    std::uint8_t currentLevel = 1;  // active DPI level, from 1 among the enabled levels
    std::array<std::uint16_t, 6> dpiRegisters{};
    std::array<std::array<std::uint8_t, 3>, 8> levelColours{}; // red, green, blue
    std::uint8_t reportInterval = 1;                           // ms
    // Lighting command as received: payload length and payload bytes 7 .. 6 + length.
    std::uint8_t lightingLength = 2;
    std::vector<std::uint8_t> lightingPayload{0, 0x11};
    std::uint8_t liftOff = 2;
    std::uint8_t debounceMs = 4;
    std::uint8_t powerDownTime = 0;
    std::uint8_t moveLightingMode = 0;
    std::uint8_t motionWakeup = 0;
    std::array<MacroSlot, kMacroSlots> macros{};

    std::uint8_t lightingEffect() const { return lightingPayload.empty() ? 0 : lightingPayload[0]; }
    friend bool operator==(const MouseState&, const MouseState&);
};

// A mouse as it leaves the factory, where the window shows it: the factory profile's DPI level 2
// of the six and 2 ms (500 Hz). A default MouseState starts at level 1 and 1 ms, which protocol
// tests count from; the program's virtual mouse starts with this one, so that its panel and the
// window agree before anything was written.
MouseState FactoryFreshState();

// What the mouse answers to the status request.
struct StatusSettings {
    std::array<std::uint8_t, 4> modelTag = device::kModelTag;
    std::uint8_t sensorCode = 0x25;
    std::uint8_t battery = 80;
    std::uint8_t chargeState = 0;
    bool online = true;
    bool answered = true; // false: answers with payload length 0 ("not answered yet")
};

struct TraceEntry {
    std::uint64_t ms = 0; // the loop's clock when the report arrived
    Form form = Form::Wired;
    Report bytes{};
};

class VirtualMouse {
public:
    VirtualMouse(platform::SimulatedHidBus& bus, platform::EventLoop& loop,
                 InterfaceLayout layout = InterfaceLayout::Separate);
    // Unplugs every plugged form.
    ~VirtualMouse();
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    // Plugging posts the arrival, unplugging the removal (through the bus). Plugging a plugged form
    // or unplugging an unplugged one does nothing and returns false.
    bool plug(Form form);
    bool unplug(Form form);
    bool isPlugged(Form form) const;

    // The mouse's buttons: move to the next enabled DPI level, or the next report interval
    // (8 → 4 → 2 → 1 → 8 ms), and announce it on `form`'s notification interface. False, and
    // nothing changes, when the form is not plugged or the mouse is switched off (not online).
    bool pressDpiButton(Form form);
    bool pressRateButton(Form form);
    // Sends any input report on `form`'s notification interface (tests of the reader's filter).
    bool sendInputReport(Form form, const Report& report);

    MouseState state() const;
    void setState(const MouseState& state);
    // What a factory reset restores (default: a default-constructed MouseState).
    void setFactoryState(const MouseState& state);
    unsigned factoryResetCount() const;

    StatusSettings status() const;
    void setStatus(const StatusSettings& status);

    // Reports refused (bad id, marker, length, code or values); they change nothing.
    unsigned rejectedCount() const;

    std::vector<TraceEntry> trace() const;
    // Only the entries from index `from` on (none when `from` is at or past the end), and the
    // count: a viewer that polls reads what is new without copying the whole trace.
    std::vector<TraceEntry> trace(std::size_t from) const;
    std::size_t traceSize() const;
    void clearTrace();
    // Called after every report the mouse receives through the bus (on the writing thread), so a
    // viewer need not poll.
    void setReportObserver(std::function<void()> observer);
    // One line per report: "<ms> <form> <66 hex digits>".
    std::string traceText() const;
    bool writeTrace(const std::string& path) const;

    // Applies one command report as the firmware would; false when it is refused. Exposed so the
    // protocol can be exercised without a bus (fuzzing).
    bool handleCommand(Form form, std::span<const std::uint8_t> report);

    struct Core; // state shared with the bus's interface handlers

private:
    platform::SimulatedHidBus& bus_;
    InterfaceLayout layout_;
    std::shared_ptr<Core> core_;
};

// A HID device of another maker: a boot mouse and a vendor interface with 33-byte input and
// feature reports (vendor 0x046D, product 0xC077). The scan must not mistake it for the mouse.
std::vector<platform::SimulatedInterface> UnrelatedDeviceInterfaces();

} // namespace quorvik::emulator

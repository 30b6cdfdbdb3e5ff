// Finding the mouse among the HID interfaces, keeping its feature handles open, running one reader
// thread per form, and following arrivals and removals.
//
// The mouse comes in two forms that may be plugged in together: the wired mouse and the wireless
// receiver. Each exposes several HID interfaces; per form we need the feature interface (commands
// are written there) and the input interface (the mouse's level-change reports come from there).
// Roles are told apart by report length alone, per top-level collection of an interface's report
// descriptor: a collection whose input reports are 33 bytes makes its interface the input
// interface, otherwise one whose feature reports are 33 bytes the feature interface. A hidraw node
// carries every collection of its USB interface, so one node may fill both roles; the reader and
// the feature handle then open the same node.
//
// Threads: everything here runs on the main thread except the reader threads. A reader owns its
// own handle and shares only its form's reader state (running flag, input index and path) through
// a shared_ptr, so it never touches freed memory even when it outlives this object. Level-change
// reports reach the main window as posted messages (kLevelChangeMessage), in arrival order.
#pragma once

#include "device/CommandReports.h"
#include "device/DeviceHost.h"
#include "device/WireQueue.h"
#include "platform/EventLoop.h"
#include "platform/HidBus.h"
#include "platform/Messages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorvik::device {

enum class Form { Wired = 0, Receiver = 1 };
inline constexpr std::array<Form, 2> kForms = {Form::Wired, Form::Receiver};

inline constexpr std::uint16_t kVendorId = 0x248A;
inline constexpr std::uint16_t kWiredProductId = 0x5B2E;
inline constexpr std::uint16_t kReceiverProductId = 0x5B2F;
std::uint16_t ProductIdOf(Form form);
const char* FormName(Form form); // "wired", "receiver"

// Interfaces probed per scan.
inline constexpr int kProbeCount = 150;
// The length, in bytes with the report id, that marks the mouse's two interfaces.
inline constexpr std::uint16_t kRoleReportLength = 33;

// The roles the collections of one interface give it.
struct InterfaceRoles {
    bool input = false;
    bool feature = false;
};
InterfaceRoles RolesOf(std::span<const platform::HidCaps> collections);

// Posted to the main window for each level-change report: wParam = byte 3 (report interval in
// ms), lParam = byte 4 (DPI level, from 1 among the enabled levels).
inline constexpr unsigned kLevelChangeMessage = platform::WM_USER + 0x100;

// Pause between a status request and reading its answer.
inline constexpr std::uint32_t kStatusReadDelayMs = 10;

// A HID interface of the mouse that a scan found but could not open, and why: a node the user
// may not open (EACCES) is a mouse that is there, not a missing one.
struct OpenFailure {
    Form form = Form::Wired;
    int index = -1;   // enumeration index
    std::string path; // "/dev/hidraw3"
    int error = 0;    // errno of the open
};

// errno values of an open that mean the user may not open the node (it is there).
bool IsAccessError(int error);

class DeviceConnection {
public:
    DeviceConnection(platform::HidBus& bus, platform::EventLoop& loop, platform::WindowHandle mainWindow,
                     DeviceHost& host);
    // Closes the feature handles and detaches running readers from the loop: they end on their
    // own when their device goes away and post nothing more.
    ~DeviceConnection();
    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    // Start-up: sets query on arrival and asks the bus for arrival / removal messages to the main
    // window. False when the bus cannot deliver them (the program still works with what it finds).
    bool RegisterNotifications();

    // Probes the interfaces, records the forms found, starts their readers, opens or closes their
    // feature handles, and tells the host to start the status timer and schedule a download. What
    // was on its way to the mouse is abandoned first: its handles may be about to close.
    void Scan();

    // WM_DEVICECHANGE of the main window (wParam = event).
    void OnDeviceChange(platform::WPARAM event);

    // WM_DESTROY: closes both feature handles.
    void Close();

    // Where commands go: the wired mouse when its feature handle is open, else the receiver.
    std::optional<Form> Target() const;
    bool HasTarget() const { return Target().has_value(); }
    // Writes one command report to the target; false when there is none or the write failed.
    bool WriteCommand(const Report& report);
    // errno of the last feature report (command or status) that did not reach the mouse since the
    // last one that did: ENODEV when there was no target; 0 after a success.
    int LastFeatureError() const { return lastFeatureError_; }

    // Status request and read, up to two attempts, the second only when the first got an empty
    // answer (payload length 0). A non-empty answer goes to the host's status handler, then
    // `after` runs. It waits its turn on the wire (behind a running download) and its pause for
    // the answer is a timer: the call returns at once. A read asked for while one waits for its
    // turn joins it.
    void ReadStatus(std::function<void()> after = {});
    bool StatusReadPending() const { return statusRead_ != nullptr; }
    // Writes the factory-reset command to the target; nothing is read back.
    bool FactoryReset();

    // The running sequence number of this link: builders take their byte 4 from here.
    SequenceNumber& Sequence() { return sequence_; }
    // Every exchange with the mouse, one at a time and paced (downloads, status reads, resets).
    WireQueue& Queue() { return queue_; }
    const WireQueue& Queue() const { return queue_; }

    class StatusRead; // the job of one status read

    // State, for the host and for tests.
    bool IsPresent(Form form) const;
    bool AnyDevice() const { return anyDevice_; }
    bool HasFeatureHandle(Form form) const;
    bool IsReaderRunning(Form form) const;
    bool QueryOnArrival() const { return queryOnArrival_; }
    // Start-up: true once when query on arrival was set, which it clears (the caller then reads
    // the status for the newly found device).
    bool TakeQueryOnArrival() { return std::exchange(queryOnArrival_, false); }
    std::string FeaturePath(Form form) const;
    std::string InputPath(Form form) const;
    // Interfaces of the mouse that the last scan could not open (probe, feature handle or reader),
    // one entry per path, in the order met. Empty when every interface of the mouse opened.
    const std::vector<OpenFailure>& OpenFailures() const { return openFailures_; }
    // The first of them that the user was not allowed to open, of `form` or of any form; null
    // when there is none.
    const OpenFailure* FirstAccessFailure(std::optional<Form> form = std::nullopt) const;

    // Waits on the wall clock (at most `maxRealMs`) until no reader of `form` runs; false on time
    // out. For tests and orderly shutdown of tools; the program itself never waits for readers.
    bool WaitForReaderEnd(Form form, std::uint64_t maxRealMs = 5000) const;

    struct ReaderState; // shared between the main thread and one form's reader

private:
    struct FormState {
        bool present = false;
        int featureIndex = -1;
        std::string featurePath;
        std::unique_ptr<platform::HidDevice> feature;
        std::shared_ptr<ReaderState> reader;
    };

    FormState& state(Form form) { return forms_[static_cast<std::size_t>(form)]; }
    const FormState& state(Form form) const { return forms_[static_cast<std::size_t>(form)]; }

    void probe(int index);
    void openFeature(Form form);
    void startReader(Form form);
    // Opens the interface at `index` and checks it belongs to `form`; null otherwise.
    std::unique_ptr<platform::HidDevice> openAt(int index, Form form, std::string* path = nullptr);
    platform::HidDevice* targetHandle();
    void noteOpenFailure(Form form, int index, const std::string& path, int error);
    // Notes the outcome of a feature request on `device`; returns `ok`.
    bool noteFeature(platform::HidDevice* device, bool ok);

    platform::HidBus& bus_;
    platform::EventLoop& loop_;
    platform::WindowHandle window_;
    DeviceHost& host_;
    std::array<FormState, 2> forms_;
    bool anyDevice_ = false;
    bool queryOnArrival_ = true;
    SequenceNumber sequence_;
    std::vector<OpenFailure> openFailures_;
    int lastFeatureError_ = 0;
    StatusRead* statusRead_ = nullptr; // the status read that waits for its turn or its answer
    WireQueue queue_;                  // after what its jobs may use, so it goes first
};

} // namespace quorvik::device

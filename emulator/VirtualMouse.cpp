#include "emulator/VirtualMouse.h"

#include <functional>

#include "emulator/Descriptors.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <utility>

namespace quorvik::emulator {

using namespace device;

bool operator==(const MouseState& a, const MouseState& b) {
    auto slotsEqual = [](const MacroSlot& x, const MacroSlot& y) {
        return x.data == y.data && x.chunksReceived == y.chunksReceived && x.announcedChunks == y.announcedChunks &&
               x.lastChunkFull == y.lastChunkFull;
    };
    return a.buttons == b.buttons && a.levelMask == b.levelMask && a.enabledLevels == b.enabledLevels &&
           a.currentLevel == b.currentLevel && a.dpiRegisters == b.dpiRegisters && a.levelColours == b.levelColours &&
           a.reportInterval == b.reportInterval && a.lightingLength == b.lightingLength &&
           a.lightingPayload == b.lightingPayload && a.liftOff == b.liftOff && a.debounceMs == b.debounceMs &&
           a.powerDownTime == b.powerDownTime && a.moveLightingMode == b.moveLightingMode &&
           a.motionWakeup == b.motionWakeup &&
           std::equal(a.macros.begin(), a.macros.end(), b.macros.begin(), slotsEqual);
}

MouseState FactoryFreshState() {
    MouseState state;
    state.currentLevel = 2;
    state.reportInterval = 2;
    return state;
}

struct VirtualMouse::Core {
    mutable std::mutex mutex;
    platform::EventLoop* loop = nullptr; // null once the VirtualMouse is gone
    MouseState state;
    MouseState factory;
    StatusSettings status;
    unsigned factoryResets = 0;
    unsigned rejected = 0;
    std::vector<TraceEntry> trace;
    std::array<int, 2> deviceIds{0, 0}; // bus device id per form, 0 = unplugged
    // What the next get-feature returns: the answer to the last command received.
    std::uint8_t lastCommand = 0;
    std::uint8_t lastSequence = 0;
    bool lastAccepted = false;
    std::function<void()> onReport; // called after each report, outside the lock

    // Everything below runs with `mutex` held.
    bool apply(std::span<const std::uint8_t> r);
    bool applyLighting(std::span<const std::uint8_t> r);
    bool applyMacroChunk(std::span<const std::uint8_t> r);
    void answer(std::span<std::uint8_t> out) const;
    bool record(Form form, std::span<const std::uint8_t> report);
};

namespace {

constexpr std::uint8_t kRejectedStatus = 0x01;

bool IsInterval(std::uint8_t ms) {
    return ms == 1 || ms == 2 || ms == 4 || ms == 8;
}

class FeatureEndpoint : public platform::SimulatedFeatureHandler {
public:
    FeatureEndpoint(std::shared_ptr<VirtualMouse::Core> core, Form form) : core_(std::move(core)), form_(form) {}

    bool onSetFeature(std::span<const std::uint8_t> report) override {
        std::function<void()> notify;
        bool accepted;
        {
            std::lock_guard lock(core_->mutex);
            accepted = core_->record(form_, report);
            notify = core_->onReport;
        }
        if (notify)
            notify();
        return accepted;
    }
    bool onGetFeature(std::span<std::uint8_t> report) override {
        if (report.size() != kReportLength || report[0] != kCommandReportId)
            return false;
        std::lock_guard lock(core_->mutex);
        core_->answer(report);
        return true;
    }

private:
    std::shared_ptr<VirtualMouse::Core> core_;
    Form form_;
};

} // namespace

bool VirtualMouse::Core::record(Form form, std::span<const std::uint8_t> report) {
    TraceEntry entry;
    entry.ms = loop ? loop->now() : 0;
    entry.form = form;
    std::copy_n(report.begin(), std::min(report.size(), kReportLength), entry.bytes.begin());
    trace.push_back(entry);

    const bool accepted = apply(report);
    if (!accepted)
        ++rejected;
    lastAccepted = accepted;
    lastCommand = report.size() > kOffCommand ? report[kOffCommand] : 0;
    lastSequence = report.size() > kOffSequence ? report[kOffSequence] : 0;
    return accepted;
}

bool VirtualMouse::Core::apply(std::span<const std::uint8_t> r) {
    if (r.size() != kReportLength || r[kOffReportId] != kCommandReportId || r[kOffMarker] != kCommandMarker ||
        r[kOffStatus] != 0x00)
        return false;
    const std::uint8_t code = r[kOffCommand];
    const std::uint8_t length = r[kOffLength];
    if (code == kCmdMacroChunk)
        return applyMacroChunk(r);
    if (code == kCmdReadStatus)
        return length == kLenReadStatus && r[kOffChunk] == 0x00;
    if (r[kOffChunk] != kSingleChunk)
        return false;

    switch (code) {
    case kCmdButton:
        if (length != kLenButton || r[7] >= state.buttons.size())
            return false;
        state.buttons[r[7]] = {r[8], r[9], r[10]};
        return true;
    case kCmdDpiLevels:
        // The level count must agree with the mask it describes.
        if (length != kLenDpiLevels || (r[7] & 0x0F) != std::popcount(r[8]))
            return false;
        state.enabledLevels = r[7] & 0x0F;
        state.currentLevel = r[7] >> 4;
        state.levelMask = r[8];
        for (std::size_t k = 0; k < state.dpiRegisters.size(); ++k)
            state.dpiRegisters[k] = static_cast<std::uint16_t>(r[9 + 2 * k] | (r[10 + 2 * k] << 8));
        return true;
    case kCmdDpiColours:
        if (length != kLenDpiColours)
            return false;
        for (std::size_t k = 0; k < state.levelColours.size(); ++k)
            state.levelColours[k] = {r[7 + 3 * k], r[8 + 3 * k], r[9 + 3 * k]};
        return true;
    case kCmdReportRate:
        if (length != kLenReportRate || !IsInterval(r[7]))
            return false;
        state.reportInterval = r[7];
        return true;
    case kCmdLighting:
        return applyLighting(r);
    case kCmdLiftOff:
        if (length != kLenLiftOff || (r[7] != 1 && r[7] != 2))
            return false;
        state.liftOff = r[7];
        return true;
    case kCmdDebounce:
        if (length != kLenDebounce)
            return false;
        state.debounceMs = r[7];
        return true;
    case kCmdPowerSaving:
        if (length != kLenPowerSaving)
            return false;
        state.powerDownTime = r[7];
        state.moveLightingMode = r[8];
        return true;
    case kCmdMotionWakeup:
        if (length != kLenMotionWakeup)
            return false;
        state.motionWakeup = r[7];
        return true;
    case kCmdFactoryReset:
        if (length != kLenFactoryReset || r[7] != kFactoryResetPayload)
            return false;
        state = factory;
        ++factoryResets;
        return true;
    default:
        return false;
    }
}

bool VirtualMouse::Core::applyLighting(std::span<const std::uint8_t> r) {
    const std::uint8_t effect = r[7];
    const std::uint8_t length = r[kOffLength];
    if (effect >= 10)
        return false; // the mouse has ten effects
    std::uint8_t expected = LightingLengthForEffect(effect);
    if (effect == 2) {
        if (r[9] > 7)
            return false;
        expected = static_cast<std::uint8_t>(3 + 3 * r[9]);
    }
    if (length != expected)
        return false;
    state.lightingLength = length;
    state.lightingPayload.assign(r.begin() + kOffPayload, r.begin() + kOffPayload + length);
    return true;
}

bool VirtualMouse::Core::applyMacroChunk(std::span<const std::uint8_t> r) {
    const std::uint8_t length = r[kOffLength];
    const std::uint8_t slot = r[kOffMacroSlot];
    if (length < 1 || length > kMacroChunkData + 1 || slot == 0 || slot >= kMacroSlots)
        return false;
    const unsigned index = r[kOffChunk] >> 4;
    const std::uint8_t count = r[kOffChunk] & 0x0F;
    MacroSlot& m = state.macros[slot];
    // A chunk continues the macro in progress when it is the next one (index nibbles wrap after
    // 15) and the previous chunk was full; otherwise only chunk 0 may start a new macro.
    const bool continues =
        m.chunksReceived > 0 && m.lastChunkFull && (m.chunksReceived & 0x0F) == index && m.announcedChunks == count;
    if (!continues) {
        if (index != 0)
            return false;
        m = MacroSlot{};
        m.announcedChunks = count;
    }
    m.data.insert(m.data.end(), r.begin() + kOffMacroData, r.begin() + kOffMacroData + (length - 1));
    ++m.chunksReceived;
    m.lastChunkFull = length == kMacroChunkData + 1;
    return true;
}

void VirtualMouse::Core::answer(std::span<std::uint8_t> out) const {
    std::fill(out.begin() + 1, out.end(), 0);
    out[kOffMarker] = kCommandMarker;
    out[kOffCommand] = lastCommand;
    out[kOffSequence] = lastSequence;
    if (!lastAccepted) {
        out[kOffStatus] = kRejectedStatus;
        return;
    }
    if (lastCommand != kCmdReadStatus)
        return; // a plain acknowledgement, no payload
    if (!status.answered)
        return;             // payload length 0: the mouse has nothing to say yet
    out[kOffLength] = 0x0F; // bytes 7..21
    std::copy(status.modelTag.begin(), status.modelTag.end(), out.begin() + kOffStatusTag);
    out[kOffStatusSensor] = status.sensorCode;
    out[kOffStatusBattery] = status.battery;
    out[kOffStatusCharge] = status.chargeState;
    out[kOffStatusOnline] = status.online ? 1 : 0;
}

VirtualMouse::VirtualMouse(platform::SimulatedHidBus& bus, platform::EventLoop& loop, InterfaceLayout layout)
    : bus_(bus), layout_(layout), core_(std::make_shared<Core>()) {
    core_->loop = &loop;
}

VirtualMouse::~VirtualMouse() {
    for (Form form : device::kForms)
        unplug(form);
    std::lock_guard lock(core_->mutex);
    core_->loop = nullptr;
}

bool VirtualMouse::plug(Form form) {
    {
        std::lock_guard lock(core_->mutex);
        if (core_->deviceIds[static_cast<std::size_t>(form)] != 0)
            return false;
    }
    auto endpoint = std::make_shared<FeatureEndpoint>(core_, form);
    const std::uint16_t product = ProductIdOf(form);
    std::vector<platform::SimulatedInterface> interfaces = {
        {kVendorId, product, BootMouseDescriptor(), nullptr},
        {kVendorId, product, KeyboardWithIdsDescriptor(), nullptr},
    };
    if (layout_ == InterfaceLayout::Combined) {
        interfaces.push_back({kVendorId, product, VendorCombinedDescriptor(), endpoint});
    } else {
        interfaces.push_back({kVendorId, product, VendorFeatureDescriptor(), endpoint});
        interfaces.push_back({kVendorId, product, VendorWideDescriptor(), nullptr});
        interfaces.push_back({kVendorId, product, VendorInputDescriptor(), endpoint});
    }
    // The arrival is only posted, so the id is stored before anyone handles it.
    const int id = bus_.plug(std::move(interfaces));
    std::lock_guard lock(core_->mutex);
    core_->deviceIds[static_cast<std::size_t>(form)] = id;
    return true;
}

bool VirtualMouse::unplug(Form form) {
    int id = 0;
    {
        std::lock_guard lock(core_->mutex);
        id = std::exchange(core_->deviceIds[static_cast<std::size_t>(form)], 0);
    }
    return id != 0 && bus_.unplug(id);
}

bool VirtualMouse::isPlugged(Form form) const {
    std::lock_guard lock(core_->mutex);
    return core_->deviceIds[static_cast<std::size_t>(form)] != 0;
}

bool VirtualMouse::sendInputReport(Form form, const Report& report) {
    int id = 0;
    {
        std::lock_guard lock(core_->mutex);
        id = core_->deviceIds[static_cast<std::size_t>(form)];
    }
    const std::size_t notify = layout_ == InterfaceLayout::Combined ? kCombinedVendorInterface : kNotifyInterface;
    return id != 0 && bus_.sendInput(id, notify, report);
}

bool VirtualMouse::pressDpiButton(Form form) {
    Report report{};
    {
        std::lock_guard lock(core_->mutex);
        // A mouse that is switched off has no buttons to press: the receiver hears nothing.
        if (core_->deviceIds[static_cast<std::size_t>(form)] == 0 || !core_->status.online)
            return false;
        // The mouse holds six levels and steps through the enabled ones, back to the first after the last.
        const int enabled = std::max(1, std::popcount(static_cast<unsigned>(core_->state.levelMask & 0x3F)));
        auto& level = core_->state.currentLevel;
        level = static_cast<std::uint8_t>(level >= enabled || level == 0 ? 1 : level + 1);
        report = {kLevelChangeReportId, kLevelChangeKind, 0, core_->state.reportInterval, level};
    }
    return sendInputReport(form, report);
}

bool VirtualMouse::pressRateButton(Form form) {
    Report report{};
    {
        std::lock_guard lock(core_->mutex);
        // A mouse that is switched off has no buttons to press: the receiver hears nothing.
        if (core_->deviceIds[static_cast<std::size_t>(form)] == 0 || !core_->status.online)
            return false;
        auto& interval = core_->state.reportInterval;
        interval = static_cast<std::uint8_t>(interval == 1 ? 8 : interval == 8 ? 4 : interval == 4 ? 2 : 1);
        report = {kLevelChangeReportId, kLevelChangeKind, 0, interval, core_->state.currentLevel};
    }
    return sendInputReport(form, report);
}

MouseState VirtualMouse::state() const {
    std::lock_guard lock(core_->mutex);
    return core_->state;
}

void VirtualMouse::setState(const MouseState& state) {
    std::lock_guard lock(core_->mutex);
    core_->state = state;
}

void VirtualMouse::setFactoryState(const MouseState& state) {
    std::lock_guard lock(core_->mutex);
    core_->factory = state;
}

unsigned VirtualMouse::factoryResetCount() const {
    std::lock_guard lock(core_->mutex);
    return core_->factoryResets;
}

StatusSettings VirtualMouse::status() const {
    std::lock_guard lock(core_->mutex);
    return core_->status;
}

void VirtualMouse::setStatus(const StatusSettings& status) {
    std::lock_guard lock(core_->mutex);
    core_->status = status;
}

unsigned VirtualMouse::rejectedCount() const {
    std::lock_guard lock(core_->mutex);
    return core_->rejected;
}

std::vector<TraceEntry> VirtualMouse::trace() const {
    std::lock_guard lock(core_->mutex);
    return core_->trace;
}

std::vector<TraceEntry> VirtualMouse::trace(std::size_t from) const {
    std::lock_guard lock(core_->mutex);
    if (from >= core_->trace.size())
        return {};
    return {core_->trace.begin() + std::ptrdiff_t(from), core_->trace.end()};
}

std::size_t VirtualMouse::traceSize() const {
    std::lock_guard lock(core_->mutex);
    return core_->trace.size();
}

void VirtualMouse::clearTrace() {
    std::lock_guard lock(core_->mutex);
    core_->trace.clear();
}

std::string VirtualMouse::traceText() const {
    std::string text;
    for (const TraceEntry& entry : trace()) {
        text += std::to_string(entry.ms) + ' ' + FormName(entry.form) + ' ';
        char hex[3];
        for (std::uint8_t byte : entry.bytes) {
            std::snprintf(hex, sizeof hex, "%02X", byte);
            text += hex;
        }
        text += '\n';
    }
    return text;
}

bool VirtualMouse::writeTrace(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out << traceText();
    return static_cast<bool>(out.flush());
}

void VirtualMouse::setReportObserver(std::function<void()> observer) {
    std::lock_guard lock(core_->mutex);
    core_->onReport = std::move(observer);
}

bool VirtualMouse::handleCommand(Form form, std::span<const std::uint8_t> report) {
    std::lock_guard lock(core_->mutex);
    return core_->record(form, report);
}

std::vector<platform::SimulatedInterface> UnrelatedDeviceInterfaces() {
    constexpr std::uint16_t kOtherVendor = 0x046D;
    constexpr std::uint16_t kOtherProduct = 0xC077;
    return {
        {kOtherVendor, kOtherProduct, BootMouseDescriptor(), nullptr},
        {kOtherVendor, kOtherProduct, VendorInputDescriptor(), nullptr},
    };
}

} // namespace quorvik::emulator

#include "platform/SimulatedHidBus.h"

#include "platform/HidDescriptor.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <map>

namespace quorvik::platform {

// Everything a handle needs outlives the bus entry: a reader blocked on an unplugged interface
// still holds the node, wakes up, sees `gone` and fails.
struct SimulatedHidBus::Node {
    std::string path;
    HidAttributes attributes;
    HidCaps caps;
    std::vector<HidCaps> collections;
    std::shared_ptr<SimulatedFeatureHandler> features;

    std::mutex mutex;
    std::condition_variable changed;
    bool gone = false;
    int nextHandle = 0;
    std::map<int, std::deque<std::vector<std::uint8_t>>> queues; // one per open handle
};

namespace {

class SimulatedDevice : public HidDevice {
public:
    explicit SimulatedDevice(std::shared_ptr<SimulatedHidBus::Node> node) : node_(std::move(node)) {
        std::lock_guard lock(node_->mutex);
        handle_ = node_->nextHandle++;
        node_->queues[handle_];
    }
    ~SimulatedDevice() override {
        std::lock_guard lock(node_->mutex);
        node_->queues.erase(handle_);
    }

    bool attributes(HidAttributes& out) override {
        if (failedGone())
            return false;
        out = node_->attributes;
        return true;
    }
    bool capabilities(HidCaps& out) override {
        if (failedGone())
            return false;
        out = node_->caps;
        return true;
    }
    bool collections(std::vector<HidCaps>& out) override {
        if (failedGone())
            return false;
        out = node_->collections;
        return true;
    }
    bool setFeature(std::span<const std::uint8_t> report) override {
        if (failedGone())
            return false;
        // An interface without features, or a report the firmware refuses: the device stalls.
        if (report.empty() || !node_->features || !node_->features->onSetFeature(report))
            return fail(report.empty() ? EINVAL : EPIPE);
        return true;
    }
    bool getFeature(std::span<std::uint8_t> report) override {
        if (failedGone())
            return false;
        if (report.empty() || !node_->features || !node_->features->onGetFeature(report))
            return fail(report.empty() ? EINVAL : EPIPE);
        return true;
    }
    std::optional<std::size_t> readInput(std::span<std::uint8_t> buffer) override {
        std::unique_lock lock(node_->mutex);
        auto& queue = node_->queues[handle_];
        node_->changed.wait(lock, [&] { return node_->gone || !queue.empty(); });
        // Reports that arrived before the unplug are still read; then the read fails.
        if (queue.empty()) {
            lastError_ = ENODEV;
            return std::nullopt;
        }
        const std::vector<std::uint8_t> report = std::move(queue.front());
        queue.pop_front();
        const std::size_t n = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), n, buffer.begin());
        return n;
    }

    int lastError() const override { return lastError_; }

private:
    bool fail(int error) {
        lastError_ = error;
        return false;
    }
    // True (and the error noted) once the device is unplugged.
    bool failedGone() {
        std::lock_guard lock(node_->mutex);
        if (node_->gone)
            lastError_ = ENODEV;
        return node_->gone;
    }

    std::shared_ptr<SimulatedHidBus::Node> node_;
    int handle_ = 0;
    int lastError_ = 0;
};

} // namespace

SimulatedHidBus::SimulatedHidBus() = default;

SimulatedHidBus::~SimulatedHidBus() {
    // Handles that outlive the bus see their interfaces gone instead of blocking for ever.
    std::lock_guard lock(mutex_);
    for (auto& device : devices_) {
        for (auto& node : device.interfaces) {
            std::lock_guard nodeLock(node->mutex);
            node->gone = true;
            node->changed.notify_all();
        }
    }
}

int SimulatedHidBus::plug(std::vector<SimulatedInterface> interfaces) {
    int id = 0;
    {
        std::lock_guard lock(mutex_);
        Device device;
        device.id = id = nextDeviceId_++;
        for (auto& iface : interfaces) {
            auto node = std::make_shared<Node>();
            node->path = "sim:hidraw" + std::to_string(nextNodeNumber_++);
            node->attributes = {iface.vendorId, iface.productId};
            auto info = ParseReportDescriptor(iface.reportDescriptor);
            node->caps = info.caps;
            node->collections = std::move(info.collections);
            node->features = std::move(iface.features);
            device.interfaces.push_back(std::move(node));
        }
        devices_.push_back(std::move(device));
    }
    announce(DBT_DEVICEARRIVAL);
    return id;
}

bool SimulatedHidBus::unplug(int deviceId) {
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(devices_.begin(), devices_.end(), [&](const Device& d) { return d.id == deviceId; });
        if (it == devices_.end())
            return false;
        for (auto& node : it->interfaces) {
            std::lock_guard nodeLock(node->mutex);
            node->gone = true;
            node->changed.notify_all();
        }
        devices_.erase(it);
    }
    announce(DBT_DEVICEREMOVECOMPLETE);
    return true;
}

bool SimulatedHidBus::isPlugged(int deviceId) const {
    std::lock_guard lock(mutex_);
    return std::any_of(devices_.begin(), devices_.end(), [&](const Device& d) { return d.id == deviceId; });
}

bool SimulatedHidBus::sendInput(int deviceId, std::size_t interfaceIndex, std::span<const std::uint8_t> report) {
    std::shared_ptr<Node> node;
    {
        std::lock_guard lock(mutex_);
        for (auto& device : devices_)
            if (device.id == deviceId && interfaceIndex < device.interfaces.size())
                node = device.interfaces[interfaceIndex];
    }
    if (!node)
        return false;
    std::lock_guard nodeLock(node->mutex);
    if (node->gone)
        return false;
    for (auto& [handle, queue] : node->queues)
        queue.emplace_back(report.begin(), report.end());
    node->changed.notify_all();
    return true;
}

int SimulatedHidBus::openHandleCount(int deviceId, std::size_t interfaceIndex) const {
    std::lock_guard lock(mutex_);
    for (const auto& device : devices_) {
        if (device.id == deviceId && interfaceIndex < device.interfaces.size()) {
            std::lock_guard nodeLock(device.interfaces[interfaceIndex]->mutex);
            return static_cast<int>(device.interfaces[interfaceIndex]->queues.size());
        }
    }
    return 0;
}

int SimulatedHidBus::totalOpens() const {
    std::lock_guard lock(mutex_);
    return totalOpens_;
}

std::optional<std::string> SimulatedHidBus::interfacePath(int index) {
    if (index < 0)
        return std::nullopt;
    std::lock_guard lock(mutex_);
    std::size_t remaining = static_cast<std::size_t>(index);
    for (const auto& device : devices_) {
        if (remaining < device.interfaces.size())
            return device.interfaces[remaining]->path;
        remaining -= device.interfaces.size();
    }
    return std::nullopt;
}

void SimulatedHidBus::setOpenError(const std::string& path, int error) {
    std::lock_guard lock(mutex_);
    if (error == 0)
        openErrors_.erase(path);
    else
        openErrors_[path] = error;
}

std::shared_ptr<SimulatedHidBus::Node> SimulatedHidBus::findNode(const std::string& path) const {
    for (const auto& device : devices_)
        for (const auto& node : device.interfaces)
            if (node->path == path)
                return node;
    return nullptr;
}

std::unique_ptr<HidDevice> SimulatedHidBus::open(const std::string& path, int* error) {
    std::lock_guard lock(mutex_);
    const auto node = findNode(path);
    const auto refused = openErrors_.find(path);
    const int cause = !node ? ENOENT : refused != openErrors_.end() ? refused->second : 0;
    if (error)
        *error = cause;
    if (cause != 0)
        return nullptr;
    ++totalOpens_;
    return std::make_unique<SimulatedDevice>(node);
}

bool SimulatedHidBus::describe(const std::string& path, HidAttributes& out) {
    std::lock_guard lock(mutex_);
    const auto node = findNode(path);
    if (!node)
        return false;
    out = node->attributes;
    return true;
}

bool SimulatedHidBus::registerNotifications(EventLoop& loop, WindowHandle window) {
    std::lock_guard lock(mutex_);
    loop_ = &loop;
    window_ = window;
    return true;
}

void SimulatedHidBus::unregisterNotifications() {
    std::lock_guard lock(mutex_);
    loop_ = nullptr;
    window_ = 0;
}

void SimulatedHidBus::announce(unsigned event) {
    std::lock_guard lock(mutex_);
    if (loop_)
        loop_->post(window_, WM_DEVICECHANGE, event, 0);
}

} // namespace quorvik::platform

// The only file that includes the kernel's hidraw interface and libudev.
#include "platform/linux/LinuxHidBus.h"

#include "platform/HidDescriptor.h"
#include "platform/Messages.h"

#include <libudev.h>
#include <linux/hidraw.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvik::platform {
namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <class T> using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// Sorted by the number in "hidrawN" so the order does not depend on udev's database order.
std::vector<std::string> HidrawNodes() {
    std::vector<std::string> nodes;
    UdevPtr<udev> context(udev_new());
    if (!context)
        return nodes;
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate)
        return nodes;
    udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw");
    udev_enumerate_scan_devices(enumerate.get());
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device)
            continue;
        if (const char* node = udev_device_get_devnode(device.get()))
            nodes.emplace_back(node);
    }
    std::sort(nodes.begin(), nodes.end(), HidrawNodeBefore);
    return nodes;
}

// Vendor and product from the HID parent's HID_ID ("0003:0000248A:00005B2E") of the character
// device `st` describes.
bool IdsFromUdev(const struct stat& st, HidAttributes& out) {
    if (!S_ISCHR(st.st_mode))
        return false;
    UdevPtr<udev> context(udev_new());
    if (!context)
        return false;
    UdevPtr<udev_device> node(udev_device_new_from_devnum(context.get(), 'c', st.st_rdev));
    if (!node)
        return false;
    // The parent belongs to the node and is freed with it.
    udev_device* parent = udev_device_get_parent_with_subsystem_devtype(node.get(), "hid", nullptr);
    const char* id = parent ? udev_device_get_property_value(parent, "HID_ID") : nullptr;
    return id && ParseHidId(id, out);
}

class HidrawDevice : public HidDevice {
public:
    HidrawDevice(int fd, const HidDescriptorInfo& info) : fd_(fd), info_(info) {}
    ~HidrawDevice() override { ::close(fd_); }

    bool attributes(HidAttributes& out) override {
        struct stat st {};
        if (fstat(fd_, &st) == 0 && IdsFromUdev(st, out))
            return true;
        hidraw_devinfo raw{};
        if (ioctl(fd_, HIDIOCGRAWINFO, &raw) < 0)
            return failed();
        out.vendorId = static_cast<std::uint16_t>(raw.vendor);
        out.productId = static_cast<std::uint16_t>(raw.product);
        return true;
    }
    bool capabilities(HidCaps& out) override {
        out = info_.caps;
        return true;
    }
    bool collections(std::vector<HidCaps>& out) override {
        out = info_.collections;
        return true;
    }
    bool setFeature(std::span<const std::uint8_t> report) override {
        if (report.empty())
            return failed(EINVAL);
        std::vector<std::uint8_t> buffer(report.begin(), report.end()); // the ioctl takes a writable buffer
        return ioctl(fd_, HIDIOCSFEATURE(buffer.size()), buffer.data()) >= 0 || failed();
    }
    bool getFeature(std::span<std::uint8_t> report) override {
        if (report.empty())
            return failed(EINVAL);
        return ioctl(fd_, HIDIOCGFEATURE(report.size()), report.data()) >= 0 || failed();
    }
    std::optional<std::size_t> readInput(std::span<std::uint8_t> buffer) override {
        if (buffer.empty()) {
            failed(EINVAL);
            return std::nullopt;
        }
        // hidraw gives reports of devices without report ids without the id byte; put the 0x00 back.
        const std::size_t skip = info_.usesReportIds ? 0 : 1;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer.data() + skip, buffer.size() - skip);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                failed(n < 0 ? errno : ENODEV); // EIO or ENODEV once the node is gone
                return std::nullopt;
            }
            if (skip)
                buffer[0] = 0;
            return static_cast<std::size_t>(n) + skip;
        }
    }
    int lastError() const override { return lastError_; }

private:
    // Notes the cause (errno of the call that just failed, unless given) and returns false.
    bool failed(int error = errno) {
        lastError_ = error;
        return false;
    }

    int fd_;
    HidDescriptorInfo info_;
    int lastError_ = 0;
};

} // namespace

bool ParseHidId(std::string_view text, HidAttributes& out) {
    // Three hexadecimal fields; vendor and product are 32-bit wide in the text but 16-bit in USB.
    std::array<unsigned long, 3> fields{};
    std::size_t pos = 0;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::size_t start = pos;
        unsigned long value = 0;
        while (pos < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos])) && pos - start < 8) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
            value = value * 16 + static_cast<unsigned long>(c <= '9' ? c - '0' : c - 'a' + 10);
            ++pos;
        }
        if (pos == start)
            return false;
        fields[f] = value;
        if (f + 1 < fields.size()) {
            if (pos >= text.size() || text[pos] != ':')
                return false;
            ++pos;
        }
    }
    if (pos != text.size() || fields[1] > 0xFFFF || fields[2] > 0xFFFF)
        return false;
    out.vendorId = static_cast<std::uint16_t>(fields[1]);
    out.productId = static_cast<std::uint16_t>(fields[2]);
    return true;
}

bool HidrawNodeBefore(const std::string& a, const std::string& b) {
    auto number = [](const std::string& path) {
        const std::size_t digits = path.find_last_not_of("0123456789") + 1;
        unsigned long n = 0;
        for (std::size_t i = digits; i < path.size() && n < 100000000ul; ++i)
            n = n * 10 + static_cast<unsigned long>(path[i] - '0');
        return n;
    };
    const auto na = number(a), nb = number(b);
    return na != nb ? na < nb : a < b;
}

struct LinuxHidBus::Monitor {
    EventLoop* loop = nullptr;
    WindowHandle window = 0;
    UdevPtr<udev> context;
    UdevPtr<udev_monitor> monitor;
    int stopFd = -1;
    std::thread thread;

    void run() {
        const int monitorFd = udev_monitor_get_fd(monitor.get());
        for (;;) {
            pollfd fds[2] = {{monitorFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents)
                return;
            if (!(fds[0].revents & POLLIN))
                continue;
            UdevPtr<udev_device> device(udev_monitor_receive_device(monitor.get()));
            if (!device)
                continue;
            const char* action = udev_device_get_action(device.get());
            if (!action)
                continue;
            if (std::strcmp(action, "add") == 0)
                loop->post(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
            else if (std::strcmp(action, "remove") == 0)
                loop->post(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
        }
    }
};

LinuxHidBus::LinuxHidBus() = default;

LinuxHidBus::~LinuxHidBus() {
    unregisterNotifications();
}

std::optional<std::string> LinuxHidBus::interfacePath(int index) {
    if (index < 0)
        return std::nullopt;
    const auto nodes = HidrawNodes();
    if (static_cast<std::size_t>(index) >= nodes.size())
        return std::nullopt;
    return nodes[static_cast<std::size_t>(index)];
}

std::unique_ptr<HidDevice> LinuxHidBus::open(const std::string& path, int* error) {
    auto fail = [&](int cause) -> std::unique_ptr<HidDevice> {
        if (error)
            *error = cause;
        return nullptr;
    };
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    auto closeAndFail = [&](int cause) {
        ::close(fd);
        return fail(cause);
    };
    int size = 0;
    hidraw_report_descriptor descriptor{};
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0)
        return closeAndFail(errno); // ENOTTY: not a hidraw node
    if (size < 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return closeAndFail(EINVAL);
    descriptor.size = static_cast<std::uint32_t>(size);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0)
        return closeAndFail(errno);
    if (error)
        *error = 0;
    const auto info = ParseReportDescriptor(std::span<const std::uint8_t>(descriptor.value, descriptor.size));
    return std::make_unique<HidrawDevice>(fd, info);
}

bool LinuxHidBus::describe(const std::string& path, HidAttributes& out) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && IdsFromUdev(st, out);
}

bool LinuxHidBus::registerNotifications(EventLoop& loop, WindowHandle window) {
    unregisterNotifications();
    auto monitor = std::make_unique<Monitor>();
    monitor->loop = &loop;
    monitor->window = window;
    monitor->context.reset(udev_new());
    if (!monitor->context)
        return false;
    monitor->monitor.reset(udev_monitor_new_from_netlink(monitor->context.get(), "udev"));
    if (!monitor->monitor)
        return false;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor->monitor.get(), "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor->monitor.get()) < 0)
        return false;
    monitor->stopFd = eventfd(0, EFD_CLOEXEC);
    if (monitor->stopFd < 0)
        return false;
    Monitor* raw = monitor.get();
    monitor->thread = std::thread([raw] { raw->run(); });
    std::lock_guard lock(monitorMutex_);
    monitor_ = std::move(monitor);
    return true;
}

void LinuxHidBus::unregisterNotifications() {
    std::unique_ptr<Monitor> monitor;
    {
        std::lock_guard lock(monitorMutex_);
        monitor = std::move(monitor_);
    }
    if (!monitor)
        return;
    const std::uint64_t one = 1;
    if (::write(monitor->stopFd, &one, sizeof one) < 0) {
        // The thread cannot be woken; it still ends with the process, so do not wait for it.
        monitor->thread.detach();
        (void)monitor.release();
        return;
    }
    monitor->thread.join();
    ::close(monitor->stopFd);
}

} // namespace quorvik::platform

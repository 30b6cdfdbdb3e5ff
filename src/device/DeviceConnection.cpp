#include "device/DeviceConnection.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvik::device {

using platform::HidAttributes;
using platform::HidCaps;
using platform::HidDevice;

struct DeviceConnection::ReaderState {
    std::atomic_flag running; // set from a reader's start to its end; clear initially
    mutable std::mutex mutex;
    mutable std::condition_variable ended;
    // Guarded by `mutex`: the scan records the input interface, the reader forgets it when it ends.
    int inputIndex = -1;
    std::string inputPath;
    platform::EventLoop* loop = nullptr; // null once the connection is gone: post nothing more
    platform::WindowHandle window = 0;
};

namespace {

std::optional<Form> FormOf(const HidAttributes& a) {
    if (a.vendorId != kVendorId)
        return std::nullopt;
    for (Form form : kForms)
        if (a.productId == ProductIdOf(form))
            return form;
    return std::nullopt;
}

void EndReader(DeviceConnection::ReaderState& state, const std::string& path) {
    {
        std::lock_guard lock(state.mutex);
        // A scan may already have recorded a newer interface; only forget the one this reader used.
        if (state.inputPath == path)
            state.inputPath.clear();
        state.running.clear();
    }
    state.ended.notify_all();
}

void RunReader(std::shared_ptr<DeviceConnection::ReaderState> state, std::unique_ptr<HidDevice> device,
               std::string path, std::size_t length) {
    std::vector<std::uint8_t> buffer(length, 0xFF);
    buffer[0] = kLevelChangeReportId;
    // The only way out is a failed read: the device went away.
    while (const auto n = device->readInput(buffer)) {
        const auto change = ParseLevelChange(std::span<const std::uint8_t>(buffer.data(), *n));
        if (!change)
            continue; // any other input report is dropped
        std::lock_guard lock(state->mutex);
        if (state->loop)
            state->loop->post(state->window, kLevelChangeMessage, change->interval, change->level);
    }
    device.reset();
    EndReader(*state, path);
}

} // namespace

InterfaceRoles RolesOf(std::span<const HidCaps> collections) {
    InterfaceRoles roles;
    for (const HidCaps& caps : collections) {
        // Input is tested first: a collection with 33-byte input and feature reports is an input one.
        if (caps.inputReportByteLength == kRoleReportLength)
            roles.input = true;
        else if (caps.featureReportByteLength == kRoleReportLength)
            roles.feature = true;
    }
    return roles;
}

std::uint16_t ProductIdOf(Form form) {
    return form == Form::Wired ? kWiredProductId : kReceiverProductId;
}

const char* FormName(Form form) {
    return form == Form::Wired ? "wired" : "receiver";
}

DeviceConnection::DeviceConnection(platform::HidBus& bus, platform::EventLoop& loop, platform::WindowHandle mainWindow,
                                   DeviceHost& host)
    : bus_(bus), loop_(loop), window_(mainWindow), host_(host), queue_(loop) {
    for (auto& form : forms_) {
        form.reader = std::make_shared<ReaderState>();
        form.reader->loop = &loop_;
        form.reader->window = window_;
    }
}

DeviceConnection::~DeviceConnection() {
    for (auto& form : forms_) {
        std::lock_guard lock(form.reader->mutex);
        form.reader->loop = nullptr;
    }
}

bool DeviceConnection::RegisterNotifications() {
    queryOnArrival_ = true;
    return bus_.registerNotifications(loop_, window_);
}

std::unique_ptr<HidDevice> DeviceConnection::openAt(int index, Form form, std::string* pathOut) {
    if (index < 0)
        return nullptr;
    const auto path = bus_.interfacePath(index);
    if (!path)
        return nullptr;
    int error = 0;
    auto device = bus_.open(*path, &error);
    if (!device) {
        HidAttributes listed;
        if (bus_.describe(*path, listed) && FormOf(listed) == form)
            noteOpenFailure(form, index, *path, error);
        return nullptr;
    }
    HidAttributes attributes;
    if (!device->attributes(attributes) || FormOf(attributes) != form)
        return nullptr;
    if (pathOut)
        *pathOut = *path;
    return device;
}

void DeviceConnection::probe(int index) {
    const auto path = bus_.interfacePath(index);
    if (!path)
        return;
    int error = 0;
    const auto device = bus_.open(*path, &error);
    if (!device) {
        // Still skipped, but a node of the mouse that cannot be opened is remembered with its cause.
        HidAttributes listed;
        if (bus_.describe(*path, listed))
            if (const auto form = FormOf(listed))
                noteOpenFailure(*form, index, *path, error);
        return;
    }
    HidAttributes attributes;
    std::vector<HidCaps> collections;
    if (!device->attributes(attributes) || !device->collections(collections))
        return; // an interface we cannot ask is skipped silently
    const auto form = FormOf(attributes);
    if (!form)
        return;
    FormState& st = state(*form);
    const InterfaceRoles roles = RolesOf(collections);
    if (roles.input) {
        std::lock_guard lock(st.reader->mutex);
        if (st.reader->inputPath.empty()) {
            st.reader->inputIndex = index;
            st.reader->inputPath = *path;
        }
    }
    if (roles.feature) {
        // The lowest index wins and stays recorded until the form is found absent.
        if (st.featurePath.empty()) {
            st.featureIndex = index;
            st.featurePath = *path;
            st.present = true;
        } else if (st.featurePath == *path) {
            st.present = true;
        }
    }
}

bool IsAccessError(int error) {
    return error == EACCES || error == EPERM;
}

const OpenFailure* DeviceConnection::FirstAccessFailure(std::optional<Form> form) const {
    for (const OpenFailure& failure : openFailures_)
        if (IsAccessError(failure.error) && (!form || failure.form == *form))
            return &failure;
    return nullptr;
}

void DeviceConnection::noteOpenFailure(Form form, int index, const std::string& path, int error) {
    for (const OpenFailure& known : openFailures_)
        if (known.path == path)
            return;
    openFailures_.push_back({form, index, path, error});
}

void DeviceConnection::Scan() {
    queue_.AbandonAll();
    anyDevice_ = false;
    openFailures_.clear();
    for (auto& form : forms_)
        form.present = false;
    for (int i = 0; i < kProbeCount; ++i)
        probe(i);
    for (Form form : kForms)
        anyDevice_ = anyDevice_ || state(form).present;

    for (Form form : kForms) {
        FormState& st = state(form);
        if (st.present) {
            startReader(form);
            if (!st.feature)
                openFeature(form);
        } else {
            st.feature.reset();
            st.featurePath.clear();
        }
    }
    if (anyDevice_)
        host_.StartStatusTimer();
    // Settings changed while no mouse was there still wait in the shadows; this download sends them.
    host_.ScheduleDownloadAfterScan();
}

void DeviceConnection::openFeature(Form form) {
    FormState& st = state(form);
    st.feature.reset();
    auto device = openAt(st.featureIndex, form);
    if (!device)
        return; // the next scan that finds the form present tries again
    HidCaps caps;
    device->capabilities(caps); // part of opening a form; the lengths are fixed, so not examined
    st.feature = std::move(device);
}

void DeviceConnection::startReader(Form form) {
    const std::shared_ptr<ReaderState> reader = state(form).reader;
    // Every scan that finds the form asks for a reader; only the first while none runs gets one.
    if (reader->running.test_and_set())
        return;
    int index = -1;
    {
        std::lock_guard lock(reader->mutex);
        index = reader->inputIndex;
        if (reader->inputPath.empty())
            index = -1; // no input interface recorded
    }
    std::string path;
    auto device = openAt(index, form, &path);
    HidCaps caps;
    if (!device || !device->capabilities(caps) || caps.inputReportByteLength == 0) {
        std::string recorded;
        {
            std::lock_guard lock(reader->mutex);
            recorded = reader->inputPath;
        }
        EndReader(*reader, recorded);
        return;
    }
    std::thread(RunReader, reader, std::move(device), std::move(path), std::size_t(caps.inputReportByteLength))
        .detach();
}

void DeviceConnection::OnDeviceChange(platform::WPARAM event) {
    if (event == platform::DBT_DEVICEARRIVAL) {
        // Something else arrived while both forms are here: nothing to look for.
        if (IsPresent(Form::Wired) && IsPresent(Form::Receiver))
            return;
        Scan();
        host_.SetStatusTickCounter(19);
        if (anyDevice_ && queryOnArrival_) {
            queryOnArrival_ = false;
            // Both refreshes follow the answer, which comes after the mouse's pause.
            ReadStatus([this] {
                host_.RefreshMainWindow();
                host_.RefreshMainWindow();
            });
        } else {
            host_.RefreshMainWindow();
        }
    } else if (event == platform::DBT_DEVICEREMOVECOMPLETE) {
        if (!IsPresent(Form::Wired) && !IsPresent(Form::Receiver))
            return;
        Scan();
        host_.SetStatusTickCounter(19);
        if (!anyDevice_) {
            // The last form of the mouse went away: the program ends with it.
            queryOnArrival_ = true;
            host_.ClearWindowOpenState();
            host_.HideMainWindow();
            host_.CloseOpenWindows();
            host_.QuitProgram();
        }
    }
}

void DeviceConnection::Close() {
    for (auto& form : forms_)
        form.feature.reset();
}

std::optional<Form> DeviceConnection::Target() const {
    if (state(Form::Wired).feature)
        return Form::Wired;
    if (state(Form::Receiver).feature)
        return Form::Receiver;
    return std::nullopt;
}

HidDevice* DeviceConnection::targetHandle() {
    const auto target = Target();
    return target ? state(*target).feature.get() : nullptr;
}

bool DeviceConnection::noteFeature(HidDevice* device, bool ok) {
    lastFeatureError_ = ok ? 0 : device ? device->lastError() : ENODEV;
    return ok;
}

bool DeviceConnection::WriteCommand(const Report& report) {
    HidDevice* device = targetHandle();
    return noteFeature(device, device && device->setFeature(report));
}

class DeviceConnection::StatusRead : public WireJob {
public:
    explicit StatusRead(DeviceConnection& link) : link_(link) {}
    ~StatusRead() override {
        if (link_.statusRead_ == this)
            link_.statusRead_ = nullptr;
    }

    void Also(std::function<void()> after) {
        if (after)
            after_.push_back(std::move(after));
    }

    std::optional<std::uint32_t> Step() override {
        HidDevice* device = link_.targetHandle();
        if (!device)
            return std::nullopt;
        if (!asked_) {
            if (!link_.noteFeature(device, device->setFeature(BuildStatusRequest(link_.sequence_.Take()))))
                return std::nullopt;
            asked_ = true;
            return kStatusReadDelayMs;
        }
        asked_ = false;
        Report response;
        response.fill(0xFF);
        response[kOffReportId] = kCommandReportId;
        if (!link_.noteFeature(device, device->getFeature(response)))
            return std::nullopt;
        if (response[kOffLength] != 0) {
            link_.host_.HandleStatusResponse(response);
            return std::nullopt;
        }
        // Payload length 0: the mouse has not answered yet; ask once more.
        return ++attempts_ < 2 ? std::optional<std::uint32_t>(0) : std::nullopt;
    }

    // What was to follow the read follows it whether the mouse answered or not.
    void Finished() override { done(); }
    void Abandon() override { done(); }

    void done() {
        if (link_.statusRead_ == this)
            link_.statusRead_ = nullptr;
        for (auto& after : std::exchange(after_, {}))
            after();
    }

private:
    DeviceConnection& link_;
    std::vector<std::function<void()>> after_;
    bool asked_ = false;
    int attempts_ = 0;
};

void DeviceConnection::ReadStatus(std::function<void()> after) {
    if (statusRead_ && !queue_.IsRunning(statusRead_)) {
        statusRead_->Also(std::move(after));
        return;
    }
    auto job = std::make_unique<StatusRead>(*this);
    job->Also(std::move(after));
    statusRead_ = job.get();
    queue_.Push(std::move(job));
}

bool DeviceConnection::FactoryReset() {
    if (!HasTarget())
        return false;
    return WriteCommand(BuildFactoryResetReport(sequence_.Take()));
}

bool DeviceConnection::IsPresent(Form form) const {
    return state(form).present;
}

bool DeviceConnection::HasFeatureHandle(Form form) const {
    return state(form).feature != nullptr;
}

bool DeviceConnection::IsReaderRunning(Form form) const {
    return state(form).reader->running.test();
}

std::string DeviceConnection::FeaturePath(Form form) const {
    return state(form).featurePath;
}

std::string DeviceConnection::InputPath(Form form) const {
    const auto& reader = *state(form).reader;
    std::lock_guard lock(reader.mutex);
    return reader.inputPath;
}

bool DeviceConnection::WaitForReaderEnd(Form form, std::uint64_t maxRealMs) const {
    const auto& reader = *state(form).reader;
    std::unique_lock lock(reader.mutex);
    return reader.ended.wait_for(lock, std::chrono::milliseconds(maxRealMs), [&] { return !reader.running.test(); });
}

} // namespace quorvik::device

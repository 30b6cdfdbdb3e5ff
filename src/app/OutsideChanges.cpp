#include "app/OutsideChanges.h"

#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/ProfileFile.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/QuorvikDlg.h"
#include "ui/skin/FileMessages.h"

#include <QDir>
#include <QFileInfo>

#include <fstream>
#include <functional>

#include <fcntl.h>
#include <iterator>
#include <set>
#include <unistd.h>

namespace quorvik::app {

namespace {

constexpr unsigned kTimerSettle = 1;
// Beyond any settings file: a file this large is not read to compare (it is no settings file).
constexpr std::uintmax_t kLargestCompared = 1u << 20;
// "%1 was changed by another program while the window had changes not yet saved: …"
constexpr int kTextChangedOutside = 443;

std::string bytesOf(const std::string& path, bool& present) {
    std::error_code ec;
    present = std::filesystem::is_regular_file(path, ec);
    if (!present || std::filesystem::file_size(path, ec) > kLargestCompared)
        return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The other program's version beside the file: never through a link someone left at that name.
bool writeBeside(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool whole = done == bytes.size();
    return ::close(fd) == 0 && whole;
}

// The five slot files and the configuration, as the configuration names them now.
std::vector<std::string> settingsFiles() {
    std::vector<std::string> files{model::ConfigFilePath()};
    for (int slot = 0; slot < model::kProfileSlotCount; ++slot)
        files.push_back(model::Config().ProfileSlotPath(slot));
    return files;
}

} // namespace

OutsideChanges::OutsideChanges(ui::CQuorvikDlg& window)
    : window_(window), handle_(platform::UiLoop().registerWindow(this)) {
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { noticed(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { noticed(); });
    rememberFiles();
    for (int slot = 0; slot < model::kProfileSlotCount; ++slot)
        knownProfiles_[std::size_t(slot)] = model::Profile(slot);
    knownConfig_ = model::Config();
    rememberSettings();
    watchFiles();
}

void OutsideChanges::rememberSettings() {
    // What the files hold now, which is what was last read or saved: a save that failed, or one
    // that wrote a copy older than the window's records, leaves the edits since then pending. A
    // file that cannot be read keeps what was known of it.
    const std::vector<std::string> files = settingsFiles();
    model::ConfigPairs config = model::Config();
    if (config.Read(files[0]))
        knownConfig_ = config;
    for (int slot = 0; slot < model::kProfileSlotCount; ++slot) {
        model::ProfileRecord read;
        const std::string& file = files[std::size_t(slot) + 1];
        if (!file.empty() && model::ReadProfileRecord(read, file))
            knownProfiles_[std::size_t(slot)] = read;
    }
}

OutsideChanges::~OutsideChanges() {
    platform::UiLoop().unregisterWindow(handle_);
}

void OutsideChanges::watchFiles() {
    // A save that renames a new file over the old one ends the old file's watch: the folders are
    // watched too, and each file is watched again whenever it is there.
    QStringList paths;
    for (const std::string& file : settingsFiles()) {
        if (file.empty())
            continue;
        const QString path = QString::fromStdString(file);
        if (QFileInfo::exists(path))
            paths << path;
        paths << QFileInfo(path).absolutePath();
    }
    paths.removeDuplicates();
    const QStringList watched = watcher_.files() + watcher_.directories();
    QStringList missing;
    for (const QString& path : paths)
        if (!watched.contains(path))
            missing << path;
    if (!missing.isEmpty())
        watcher_.addPaths(missing);
}

OutsideChanges::FileMark OutsideChanges::markOf(const std::string& bytes) {
    return {bytes.size(), std::hash<std::string>{}(bytes)};
}

void OutsideChanges::rememberFiles() {
    known_.clear();
    for (const std::string& file : settingsFiles()) {
        bool present = false;
        const std::string bytes = bytesOf(file, present);
        if (present)
            known_[file] = markOf(bytes);
    }
}

std::map<std::string, std::string> OutsideChanges::readAll() {
    std::map<std::string, std::string> contents;
    for (const std::string& file : settingsFiles()) {
        bool present = false;
        std::string bytes = bytesOf(file, present);
        if (present)
            contents[file] = std::move(bytes);
    }
    return contents;
}

void OutsideChanges::noticed() {
    platform::UiLoop().setTimer(handle_, kTimerSettle, kSettleMs);
}

void OutsideChanges::OwnSaveDone() {
    rememberFiles();
    rememberSettings();
    watchFiles();
}

platform::LRESULT OutsideChanges::handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM) {
    if (message == platform::WM_TIMER && wParam == kTimerSettle) {
        platform::UiLoop().killTimer(handle_, kTimerSettle);
        Check();
    }
    return 0;
}

void OutsideChanges::Check() {
    device::DeviceCore& core = window_.Core();
    // A save of ours on its way is looked at once it has landed.
    if (core.SaveInFlight()) {
        noticed();
        return;
    }
    watchFiles();
    std::vector<std::string> keptBeside;
    const std::map<std::string, std::string> now = readAll();
    for (const auto& [file, bytes] : now) {
        const auto known = known_.find(file);
        if (known != known_.end() && known->second == markOf(bytes))
            continue;
        const bool isConfig = file == model::ConfigFilePath();
        int slot = -1;
        for (int s = 0; s < model::kProfileSlotCount && !isConfig; ++s)
            if (model::Config().ProfileSlotPath(s) == file)
                slot = s;
        // What the window holds anyway (a save of ours made elsewhere) is no change.
        bool same = false;
        if (isConfig) {
            model::ConfigPairs read = model::Config();
            same = read.Read(file) && read.pairs == model::Config().pairs;
        } else if (slot >= 0) {
            model::ProfileRecord read;
            same = model::ReadProfileRecord(read, file) && read == model::Profile(slot);
        }
        if (same) {
            known_[file] = markOf(bytes);
            continue;
        }
        // An edit of the window not saved yet: the record is no longer what was last saved or read.
        const bool editsPending = isConfig    ? model::Config().pairs != knownConfig_.pairs
                                  : slot >= 0 ? !(model::Profile(slot) == knownProfiles_[std::size_t(slot)])
                                              : false;
        if (editsPending) {
            // The window's edits win; the other version is not lost.
            const std::string beside = file + kKeptSuffix;
            if (writeBeside(beside, bytes))
                keptBeside.push_back(beside);
            known_[file] = markOf(bytes);
        } else if (isConfig) {
            takeConfiguration(file);
        } else if (slot >= 0) {
            takeProfile(slot, file);
        }
    }
    if (!keptBeside.empty())
        window_.ShowFileNotice(ui::WithValues(
            model::LanguageText(kTextChangedOutside),
            {model::ToU16(keptBeside.front().substr(0, keptBeside.front().size() - std::string(kKeptSuffix).size())),
             model::ToU16(keptBeside.front())}));
}

void OutsideChanges::takeProfile(int slot, const std::string& path) {
    model::ProfileRecord read;
    // A file caught half written (or not a profile at all) is left for its next change: the
    // window keeps what it has, and nothing is replaced by factory values.
    if (!model::ReadProfileRecord(read, path))
        return;
    bool present = false;
    known_[path] = markOf(bytesOf(path, present));
    model::Profile(slot) = read;
    knownProfiles_[std::size_t(slot)] = read;
    window_.RefreshAllPages();
    if (slot == model::CurrentSlot()) {
        // The shadows say what the mouse holds: only what differs goes out.
        window_.MarkGroup(device::SettingGroup::Buttons);
        window_.MarkGroup(device::SettingGroup::SensorLighting);
        window_.MarkGroup(device::SettingGroup::Power);
    }
}

void OutsideChanges::takeConfiguration(const std::string& path) {
    model::ConfigPairs read = model::Config();
    if (!read.Read(path))
        return;
    bool present = false;
    known_[path] = markOf(bytesOf(path, present));
    // The sensor is the mouse's, told by its status: the file's word on it does not change it.
    read.SetValue(model::kCfgSensor, model::Config().Value(model::kCfgSensor));
    read.SetValue(model::kCfgPreST, model::Config().Value(model::kCfgPreST));
    const int before = model::CurrentSlot();
    model::Config() = read;
    knownConfig_ = read;
    const int slot = model::Config().CurrentProfileSlot();
    if (slot != before)
        model::SetCurrentSlot(slot);
    window_.RefreshAllPages();
    if (slot != before) {
        window_.MarkGroup(device::SettingGroup::Buttons);
        window_.MarkGroup(device::SettingGroup::SensorLighting);
        window_.MarkGroup(device::SettingGroup::Power);
    }
    watchFiles();
}

} // namespace quorvik::app

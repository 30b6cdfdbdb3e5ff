#include "platform/linux/ProcessTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik::platform {

namespace {

// More of a command line than any program's name needs.
constexpr std::size_t kCommandLineMax = 4096;
constexpr std::size_t kStatMax = 1024;
// The start time is field 22 of /proc/PID/stat: the 20th after the closing parenthesis of the
// name, which may itself hold spaces and parentheses.
constexpr int kStartTimeField = 20;

std::string baseName(std::string_view path) {
    // A Windows program's path uses back slashes.
    const std::size_t slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// "python3.11" → "python", "lua5.4" → "lua".
std::string withoutVersion(std::string name) {
    while (!name.empty() && (std::isdigit(static_cast<unsigned char>(name.back())) || name.back() == '.'))
        name.pop_back();
    return name;
}

bool isInterpreter(const std::string& exe) {
    static constexpr std::array<std::string_view, 19> kInterpreters{
        "python", "pypy", "perl", "ruby",   "node", "nodejs", "java",  "mono", "bash",  "sh",
        "dash",   "zsh",  "lua",  "luajit", "php",  "gjs",    "tclsh", "wish", "dotnet"};
    const std::string name = withoutVersion(lowered(exe));
    return std::find(kInterpreters.begin(), kInterpreters.end(), name) != kInterpreters.end();
}

bool isWindowsLoader(const std::string& exe) {
    const std::string name = lowered(exe);
    return name.rfind("wine", 0) == 0 || name == "proton";
}

// The program an interpreter runs: the first argument that is no option, or the value of the
// options that name it ("-m module", "-jar file"). Options that take a value skip it.
std::string interpretedProgram(const std::vector<std::string>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-m" || arg == "-jar")
            return i + 1 < args.size() ? args[i + 1] : std::string();
        if (arg == "-c" || arg == "-e")
            return {}; // code on the command line: the interpreter is the program
        if (arg == "-cp" || arg == "-classpath" || arg == "-W" || arg == "-X" || arg == "-I")
            ++i;
        else if (arg.empty() || arg[0] != '-')
            return arg;
    }
    return {};
}

// A Windows program under its loader names itself (its Windows path) first; where the loader's
// own name is there, the program is the first argument after it.
std::string loadedProgram(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg.empty() || arg[0] == '-')
            continue;
        if (!isWindowsLoader(baseName(arg)))
            return arg;
    }
    return {};
}

std::string readSmall(const std::string& path, std::size_t max) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string text(max, '\0');
    std::size_t at = 0;
    while (at < max) {
        const ssize_t n = ::read(fd, text.data() + at, max - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        at += std::size_t(n);
    }
    ::close(fd);
    text.resize(at);
    return text;
}

std::uint64_t startTime(const std::string& stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::size_t at = close + 1;
    // `at` is at the space before the first field; each step moves it to the space before the next.
    for (int field = 1; field < kStartTimeField && at < stat.size(); ++field) {
        at = stat.find(' ', at + 1);
        if (at == std::string::npos)
            return 0;
    }
    return std::strtoull(stat.c_str() + at, nullptr, 10);
}

int pidOf(const char* name) {
    int pid = 0;
    for (const char* c = name; *c; ++c) {
        if (*c < '0' || *c > '9' || pid > 100000000)
            return 0;
        pid = pid * 10 + (*c - '0');
    }
    return pid;
}

} // namespace

std::vector<std::string> ProcessNames(std::string_view exePath, const std::vector<std::string>& args) {
    std::string exe = baseName(exePath);
    // A program whose file was replaced (an update) keeps running under the old file's name.
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.size() > kDeleted.size() && exe.compare(exe.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
        exe.resize(exe.size() - kDeleted.size());
    std::vector<std::string> names;
    if (isInterpreter(exe))
        AddName(names, baseName(interpretedProgram(args)));
    else if (isWindowsLoader(exe))
        AddName(names, baseName(loadedProgram(args)));
    AddName(names, exe);
    if (!args.empty())
        AddName(names, baseName(args[0]));
    return names;
}

ProcessTable::ProcessTable(std::string root) : ProcessTable(std::move(root), ::getuid()) {}

ProcessTable::ProcessTable(std::string root, unsigned uid) : root_(std::move(root)), uid_(uid) {}

std::optional<AppIdentity> ProcessTable::Read(int pid) const {
    const std::string folder = root_ + "/" + std::to_string(pid);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || st.st_uid != uid_)
        return std::nullopt;
    std::string exe(PATH_MAX, '\0');
    const ssize_t length = ::readlink((folder + "/exe").c_str(), exe.data(), exe.size());
    const std::string line = readSmall(folder + "/cmdline", kCommandLineMax);
    if (length <= 0 && line.empty())
        return std::nullopt; // a kernel thread, or gone
    exe.resize(length > 0 ? std::size_t(length) : 0);
    std::vector<std::string> args;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find('\0', at), line.size());
        args.emplace_back(line, at, end - at);
        at = end + 1;
    }
    AppIdentity app;
    app.names = ProcessNames(exe, args);
    if (app.names.empty())
        return std::nullopt;
    app.pid = pid;
    app.started = startTime(readSmall(folder + "/stat", kStatMax));
    return app;
}

std::string ProcessTable::lastProcessId() const {
    // "0.00 0.01 0.05 1/123 4567": the last field is the process id handed out last.
    std::string text = readSmall(root_ + "/loadavg", kStatMax);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    const std::size_t space = text.rfind(' ');
    return space == std::string::npos ? std::string() : text.substr(space + 1);
}

void ProcessTable::listAll() {
    DIR* dir = ::opendir(root_.c_str());
    if (!dir)
        return;
    for (auto& [pid, known] : known_)
        known.seen = false;
    while (const dirent* entry = ::readdir(dir)) {
        const int pid = pidOf(entry->d_name);
        if (pid <= 0)
            continue;
        auto [it, added] = known_.try_emplace(pid);
        Known& known = it->second;
        known.seen = true;
        if (added) {
            known.app = Read(pid);
            // What ran before the first scan has long settled.
            known.rereads = scanned_ ? kRereads : 0;
        } else if (known.rereads > 0) {
            --known.rereads;
            known.app = Read(pid);
        }
    }
    ::closedir(dir);
    std::erase_if(known_, [](const auto& entry) { return !entry.second.seen; });
}

void ProcessTable::checkKnown() {
    for (auto it = known_.begin(); it != known_.end();) {
        Known& known = it->second;
        // Only this user's processes matter; the others wait for the next full listing.
        if (known.app && ::kill(it->first, 0) != 0 && errno == ESRCH) {
            it = known_.erase(it);
            continue;
        }
        if (known.app && known.rereads > 0) {
            --known.rereads;
            known.app = Read(it->first);
        }
        ++it;
    }
}

std::vector<AppIdentity> ProcessTable::listed() const {
    std::vector<AppIdentity> running;
    for (const auto& [pid, known] : known_)
        if (known.app)
            running.push_back(*known.app);
    std::sort(running.begin(), running.end(), [](const AppIdentity& a, const AppIdentity& b) { return a.pid < b.pid; });
    return running;
}

std::vector<AppIdentity> ProcessTable::Running() {
    // Listing /proc is most of a look's cost. While no process id was handed out since the last
    // look, no process can have started: only the ends are looked for, one signal test each.
    const std::string last = lastProcessId();
    if (scanned_ && !last.empty() && last == lastPid_)
        checkKnown();
    else
        listAll();
    lastPid_ = last;
    scanned_ = true;
    return listed();
}

QuickSight ProcessTable::QuickLook(std::vector<AppIdentity>& running) {
    // Only the signal tests of the known processes: no file of a process is read, so no process
    // stuck in the kernel can hold the caller.
    const std::string last = lastProcessId();
    if (!scanned_ || last.empty() || last != lastPid_)
        return QuickSight::NeedsListing;
    for (const auto& [pid, known] : known_)
        if (known.app && known.rereads > 0)
            return QuickSight::NeedsListing; // a young process is read again
    const std::size_t before = known_.size();
    checkKnown();
    running = listed();
    return known_.size() == before ? QuickSight::Unchanged : QuickSight::OnlyEnds;
}

} // namespace quorvik::platform

#include "ProgramLink.h"

#include "CommandWire.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <istream>
#include <ostream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quorvik::ctl {

namespace {

// As the program writes it: the socket path, padded with zero bytes to the record's length.
constexpr std::size_t kHolderRecordBytes = 108;
constexpr std::uint8_t kRequestCommand = 3;
constexpr char kAck = 0x06;
// How long a program that holds the folder but does not listen yet (it is starting) is waited for,
// and how long the acknowledgement may take.
constexpr int kStartingWaitMs = 2000;
constexpr int kStartingPollMs = 20;
constexpr int kInterruptCheckMs = 100;

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool peerIsSameUser(int fd) {
    ucred cred{};
    socklen_t length = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == ::getuid();
}

int connectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

RunningProgram FindRunningProgram(const std::string& dataFolder) {
    RunningProgram found;
    const std::string lockPath = dataFolder + "/config/quorvik.lock";
    Fd lock{::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    if (lock.fd < 0)
        return found;
    struct stat st {};
    if (::fstat(lock.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return found;
    // A lock this process can take is nobody's: what the file says is a program's that ended.
    if (::flock(lock.fd, LOCK_SH | LOCK_NB) == 0 || errno != EWOULDBLOCK)
        return found;
    char record[kHolderRecordBytes + 1] = {};
    const ssize_t n = ::pread(lock.fd, record, kHolderRecordBytes, 0);
    const std::size_t length = n > 0 ? ::strnlen(record, static_cast<std::size_t>(n)) : 0;
    found.state = RunningProgram::State::Silent;
    if (length > 0 && length < kHolderRecordBytes) {
        found.state = RunningProgram::State::Reachable;
        found.socketPath.assign(record, length);
    }
    return found;
}

int RunInProgram(const std::string& socketPath, const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err, std::istream& in, const std::atomic<bool>* interrupted, std::string& error) {
    // A program that is starting holds the folder a moment before it listens. The tool waits for
    // it here, in its own process: it has nothing else to do until the program answers.
    Fd socket;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartingWaitMs);
    while ((socket.fd = connectTo(socketPath)) < 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(kStartingPollMs));
    if (socket.fd < 0) {
        error = "the running quorvik does not answer at " + socketPath;
        return -1;
    }
    // Only a program of this user is told anything, or believed.
    if (!peerIsSameUser(socket.fd)) {
        error = "the socket " + socketPath + " belongs to another user";
        return -1;
    }
    const std::string request{'Q', 'V', 'I', '1', static_cast<char>(kRequestCommand)};
    if (!writeAll(socket.fd, request + wire::EncodeArgs(args))) {
        error = "cannot send the command to the running quorvik";
        return -1;
    }

    wire::FrameReader reader;
    bool acknowledged = false;
    bool interruptSent = false;
    char buffer[4096];
    for (;;) {
        pollfd watched{socket.fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, acknowledged ? kInterruptCheckMs : kStartingWaitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            if (!acknowledged) {
                error = "the running quorvik does not take commands (is it an older version?)";
                return -1;
            }
            if (interrupted && interrupted->load() && !interruptSent) {
                interruptSent = writeAll(socket.fd, wire::Encode(wire::kInterrupt, {}));
                if (!interruptSent)
                    return 130;
            }
            continue;
        }
        const ssize_t n = ::recv(socket.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = acknowledged ? "the running quorvik ended before the command did"
                                 : "the running quorvik does not take commands (is it an older version?)";
            return -1;
        }
        std::size_t offset = 0;
        if (!acknowledged) {
            if (buffer[0] != kAck) {
                error = "the running quorvik refused the command";
                return -1;
            }
            acknowledged = true;
            offset = 1;
        }
        reader.Append(buffer + offset, static_cast<std::size_t>(n) - offset);
        while (auto frame = reader.Next()) {
            switch (frame->kind) {
            case wire::kOut:
                out << frame->payload << std::flush;
                break;
            case wire::kErr:
                err << frame->payload << std::flush;
                break;
            case wire::kQuestion: {
                err << frame->payload << std::flush;
                std::string answer;
                std::getline(in, answer);
                if (!writeAll(socket.fd, wire::Encode(wire::kAnswer, answer))) {
                    error = "the running quorvik ended before the command did";
                    return -1;
                }
                break;
            }
            case wire::kExit:
                return frame->payload.empty() ? 1 : static_cast<unsigned char>(frame->payload[0]);
            default:
                break; // a later program's frame this tool does not know
            }
        }
        if (reader.Broken()) {
            error = "the running quorvik sent what this quorvikctl cannot read";
            return -1;
        }
    }
}

} // namespace quorvik::ctl

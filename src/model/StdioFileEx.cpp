#include "model/StdioFileEx.h"

#include "model/FileSystemOps.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik::model {

namespace {
constexpr char16_t kLineFeed = u'\n';
constexpr unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
// A file up to this size (every profile and configuration) is read whole by its first read; a
// larger one (a big macro library) in pieces of about this size, through a buffer that stays in the
// processor's caches and grows only for a line longer than that. Reading a large library whole
// costs more: the fresh pages of a buffer that size are slower to fill than the parsing is.
constexpr std::size_t kWholeReadBytes = 120 * 1024;
// The least room asked of the system by one read.
constexpr std::size_t kLeastReadUnits = 32 * 1024;

// Index of the first line feed among units [from, to) of `units`, or `to`.
std::size_t findLineFeed(const char16_t* units, std::size_t from, std::size_t to) {
    if constexpr (std::endian::native == std::endian::little) {
        // A line feed is the bytes 0A 00 on a unit boundary; memchr finds candidate bytes fast.
        const char* bytes = reinterpret_cast<const char*>(units);
        const char* end = bytes + 2 * to;
        for (const char* p = bytes + 2 * from; (p = static_cast<const char*>(std::memchr(p, 0x0A, end - p))); ++p) {
            if ((p - bytes) % 2 == 0 && p[1] == 0)
                return std::size_t(p - bytes) / 2;
        }
        return to;
    } else {
        const char16_t* hit = std::find(units + from, units + to, kLineFeed);
        return std::size_t(hit - units);
    }
}
} // namespace

using namespace fileops;

CStdioFileEx::~CStdioFileEx() {
    if (IsOpen())
        Close();
}

bool CStdioFileEx::OpenForRead(const std::string& path) {
    return OpenExisting(path, "r+b");
}

bool CStdioFileEx::OpenForReadOnly(const std::string& path) {
    return OpenExisting(path, "rb");
}

bool CStdioFileEx::OpenExisting(const std::string& path, const char* mode) {
    if (IsOpen())
        Close();
    writing_ = false;
    failed_ = false;
    problem_ = {};
    begin_ = end_ = scanned_ = 0;
    oddByte_ = -1;
    bomSkipped_ = false;
    ended_ = false;
    fetched_ = 0;
    const bool readWrite = mode[1] == '+';
    // Only a regular file is read: a pipe would block the open (or every read) for ever, a device
    // such as /dev/zero never ends, and opening some devices does something by itself. Looked at
    // before the open, so that no device is opened at all, and checked again on the file opened
    // (it may have been swapped meanwhile); opened without blocking, so a pipe cannot hang it.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
        problem_ = {FileFault::NotAFile};
        return false;
    }
    // Read through the descriptor itself (no stdio stream); O_NONBLOCK stays, as it changes
    // nothing for a regular file.
    const int fd = ::open(path.c_str(), (readWrite ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem_ = ProblemFromErrno(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        problem_ = ProblemFromErrno(errno);
    else if (!S_ISREG(st.st_mode))
        problem_ = {FileFault::NotAFile};
    else if (readLimit_ && std::uint64_t(st.st_size) > readLimit_)
        problem_ = {FileFault::TooLarge, 0, readLimit_};
    if (problem_) {
        ::close(fd);
        return false;
    }
    // Room for the whole file (and the end-of-file read) at once, within a bound.
    const std::uint64_t wanted = std::min<std::uint64_t>(std::uint64_t(st.st_size), kWholeReadBytes) / 2 + 2;
    reserveUnits(std::max<std::size_t>(std::size_t(wanted), kLeastReadUnits));
    readFd_ = fd;
    return true;
}

bool CStdioFileEx::OpenForWrite(const std::string& path) {
    if (IsOpen())
        Close();
    problem_ = {};
    const std::string target = replacedPath(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // The rename would succeed over a file the user made read-only; writing it in place would not.
    if (exists && !S_ISREG(old.st_mode)) {
        problem_ = {FileFault::NotAFile};
        return false;
    }
    if (exists && !userMay(target, W_OK)) {
        problem_ = ProblemFromErrno(errno);
        return false;
    }
    std::string temp;
    const int fd = createTemp(target, exists ? &old : nullptr, temp);
    if (fd < 0) {
        problem_ = ProblemFromErrno(errno);
        return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        problem_ = ProblemFromErrno(errno);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    writing_ = true;
    failed_ = false;
    target_ = target;
    tempPath_ = temp;
    return true;
}

void CStdioFileEx::noteWriteError() {
    if (!failed_)
        problem_ = ProblemFromErrno(errno ? errno : EIO);
    failed_ = true;
}

bool CStdioFileEx::WriteString(std::u16string_view text) {
    if (!file_ || !writing_)
        return false;
    if (failed_)
        return false;
    if (std::ftell(file_) == 0 && std::fwrite(kByteOrderMark, 1, 2, file_) != 2)
        noteWriteError();
    if (text.empty())
        return !failed_;
    if constexpr (std::endian::native == std::endian::little) {
        // The code units in memory already are the file's bytes, low byte first.
        if (std::fwrite(text.data(), sizeof(char16_t), text.size(), file_) != text.size())
            noteWriteError();
    } else {
        std::string bytes(text.size() * 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            noteWriteError();
    }
    return !failed_;
}

void CStdioFileEx::reserveUnits(std::size_t units) {
    if (units <= capacity_)
        return;
    std::unique_ptr<char16_t[]> bigger(new char16_t[units]);
    if (end_ > 0)
        std::memcpy(bigger.get(), units_.get(), end_ * sizeof(char16_t));
    units_ = std::move(bigger);
    capacity_ = units;
}

bool CStdioFileEx::FillUnits() {
    if (ended_)
        return false;
    // The unread units move to the front; the buffer grows only when one line fills it.
    if (begin_ > 0) {
        std::memmove(units_.get(), units_.get() + begin_, (end_ - begin_) * sizeof(char16_t));
        end_ -= begin_;
        scanned_ -= begin_;
        begin_ = 0;
    }
    if (capacity_ - end_ < kLeastReadUnits)
        reserveUnits(std::max(capacity_ * 2, end_ + kLeastReadUnits));
    char* into = reinterpret_cast<char*>(units_.get() + end_);
    std::size_t held = 0;
    if (oddByte_ >= 0) {
        into[0] = static_cast<char>(oddByte_);
        held = 1;
    }
    std::size_t wanted = (capacity_ - end_) * sizeof(char16_t) - held;
    if (readLimit_)
        wanted = std::size_t(std::min<std::uint64_t>(wanted, readLimit_ - fetched_));
    const int fd = readFd_;
    ssize_t got = 0;
    if (wanted > 0) {
        while ((got = ::read(fd, into + held, wanted)) < 0 && errno == EINTR) {
        }
    } else {
        // At the bound: a file that grew past it after it was opened ends there.
        char probe;
        while ((got = ::read(fd, &probe, 1)) < 0 && errno == EINTR) {
        }
        if (got > 0 && !problem_)
            problem_ = {FileFault::TooLarge, 0, readLimit_};
        got = 0;
    }
    if (got < 0 && !problem_)
        problem_ = ProblemFromErrno(errno);
    if (got <= 0) {
        ended_ = true; // half a code unit at the very end is not text
        return false;
    }
    fetched_ += std::uint64_t(got);
    // A regular file reads short only at its end: no second call to learn that it has ended.
    if (std::size_t(got) < wanted)
        ended_ = true;
    const std::size_t bytes = held + std::size_t(got);
    const std::size_t units = bytes / 2;
    oddByte_ = bytes % 2 ? static_cast<unsigned char>(into[bytes - 1]) : -1;
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t u = 0; u < units; ++u) {
            const auto* b = reinterpret_cast<const unsigned char*>(into + 2 * u);
            units_[end_ + u] = static_cast<char16_t>(b[0] | (b[1] << 8));
        }
    }
    end_ += units;
    return true;
}

bool CStdioFileEx::ReadLine(std::u16string_view& line) {
    line = {};
    if (readFd_ < 0)
        return false;
    if (!bomSkipped_) {
        // The byte-order mark: the first code unit, skipped whatever it holds.
        while (end_ == begin_ && FillUnits()) {
        }
        if (end_ == begin_)
            return false;
        ++begin_;
        scanned_ = begin_;
        bomSkipped_ = true;
    }
    for (;;) {
        const std::size_t feed = findLineFeed(units_.get(), scanned_, end_);
        if (feed < end_) {
            line = std::u16string_view(units_.get() + begin_, feed + 1 - begin_);
            begin_ = scanned_ = feed + 1;
            break;
        }
        scanned_ = end_;
        if (!FillUnits()) {
            if (begin_ == end_)
                return false;
            line = std::u16string_view(units_.get() + begin_, end_ - begin_);
            begin_ = scanned_ = end_;
            break;
        }
    }
    if (line.size() >= 2 && line.back() == kLineFeed)
        line.remove_suffix(1);
    return true;
}

bool CStdioFileEx::ReadString(std::u16string& text) {
    std::u16string_view line;
    const bool read = ReadLine(line);
    text.assign(line);
    return read;
}

bool CStdioFileEx::Close() {
    if (readFd_ >= 0) {
        ::close(readFd_);
        readFd_ = -1;
        units_.reset();
        capacity_ = 0;
        return true;
    }
    if (!file_)
        return false;
    bool ok = !failed_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    // Renamed while still open, so the lock covers the file until it has its final name; the data
    // is already on disk, so closing afterwards cannot lose any of it.
    ok = ok && std::rename(tempPath_.c_str(), target_.c_str()) == 0;
    if (!ok && !failed_)
        noteWriteError();
    std::fclose(file_);
    file_ = nullptr;
    if (ok)
        syncFolder(target_);
    else
        ::unlink(tempPath_.c_str());
    writing_ = false;
    return ok;
}

bool WriteWholeFile(const std::string& path, std::u16string_view text, FileProblem* problem) {
    CStdioFileEx file;
    bool written = file.OpenForWrite(path);
    if (written) {
        file.WriteString(text); // a failed write makes Close() fail, keeping the old file
        written = file.Close();
    }
    if (!written && problem)
        *problem = file.Problem();
    return written;
}

} // namespace quorvik::model

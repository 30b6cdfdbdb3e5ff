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
// Lines are read in chunks of this many code units, so lines of any length come back whole.
constexpr std::size_t kReadChunkUnits = 128;
constexpr char16_t kLineFeed = u'\n';
constexpr unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
// Bytes fetched from the stream at a time while reading.
constexpr std::size_t kReadBufferBytes = 64 * 1024;
} // namespace

using namespace fileops;

CStdioFileEx::~CStdioFileEx() {
    if (file_)
        Close();
}

bool CStdioFileEx::OpenForRead(const std::string& path) {
    return OpenExisting(path, "r+b");
}

bool CStdioFileEx::OpenForReadOnly(const std::string& path) {
    return OpenExisting(path, "rb");
}

bool CStdioFileEx::OpenExisting(const std::string& path, const char* mode) {
    if (file_)
        Close();
    writing_ = false;
    failed_ = false;
    problem_ = {};
    bufferBegin_ = bufferEnd_ = 0;
    readPos_ = 0;
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
    const int flags = ::fcntl(fd, F_GETFL);
    if (!problem_ && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0))
        problem_ = ProblemFromErrno(errno);
    if (!problem_) {
        file_ = ::fdopen(fd, mode);
        if (!file_)
            problem_ = ProblemFromErrno(errno);
    }
    if (!file_)
        ::close(fd);
    return file_ != nullptr;
}

bool CStdioFileEx::OpenForWrite(const std::string& path) {
    if (file_)
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

std::size_t CStdioFileEx::FillReadBuffer() {
    std::size_t available = bufferEnd_ - bufferBegin_;
    if (available >= 2)
        return available;
    if (readBuffer_.size() != kReadBufferBytes)
        readBuffer_.resize(kReadBufferBytes);
    // A single leftover byte (half a code unit) moves to the front and waits for its partner.
    if (available == 1)
        readBuffer_[0] = readBuffer_[bufferBegin_];
    bufferBegin_ = 0;
    std::size_t wanted = kReadBufferBytes - available;
    if (readLimit_)
        wanted = std::size_t(std::min<std::uint64_t>(wanted, readLimit_ - fetched_));
    const std::size_t got = wanted ? std::fread(readBuffer_.data() + available, 1, wanted, file_) : 0;
    fetched_ += got;
    if (got < wanted && std::ferror(file_) && !problem_)
        problem_ = ProblemFromErrno(errno ? errno : EIO);
    // A file that grew past the bound after it was opened ends there.
    if (readLimit_ && fetched_ == readLimit_ && !problem_ && std::fgetc(file_) != EOF)
        problem_ = {FileFault::TooLarge, 0, readLimit_};
    bufferEnd_ = available + got;
    return bufferEnd_;
}

bool CStdioFileEx::ReadString(std::u16string& text) {
    text.clear();
    if (!file_ || writing_)
        return false;
    if (readPos_ == 0) {
        // The byte-order mark: two bytes skipped whatever they hold.
        std::size_t skip = std::min<std::size_t>(FillReadBuffer(), 2);
        bufferBegin_ += skip;
        readPos_ += static_cast<long long>(skip);
        if (skip != 2)
            return false;
    }
    bool lineEnded = false;
    while (!lineEnded) {
        std::size_t chunk = 0;
        while (chunk < kReadChunkUnits && !lineEnded) {
            if (FillReadBuffer() < 2) {
                // Half a code unit at the very end is not text; it is consumed all the same.
                readPos_ += static_cast<long long>(bufferEnd_ - bufferBegin_);
                bufferBegin_ = bufferEnd_;
                break;
            }
            const char* bytes = readBuffer_.data() + bufferBegin_;
            const std::size_t units = std::min((bufferEnd_ - bufferBegin_) / 2, kReadChunkUnits - chunk);
            // Find the first line feed on a unit boundary: a 0x0A byte at an even offset followed
            // by 0x00.
            std::size_t taken = units;
            for (const char* p = bytes; (p = static_cast<const char*>(std::memchr(p, 0x0A, bytes + 2 * units - p)));
                 ++p) {
                if ((p - bytes) % 2 == 0 && p[1] == 0) {
                    taken = std::size_t(p - bytes) / 2 + 1;
                    lineEnded = true;
                    break;
                }
            }
            const std::size_t oldSize = text.size();
            text.resize(oldSize + taken);
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(text.data() + oldSize, bytes, 2 * taken);
            } else {
                for (std::size_t u = 0; u < taken; ++u)
                    text[oldSize + u] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * u]) |
                                                              (static_cast<unsigned char>(bytes[2 * u + 1]) << 8));
            }
            bufferBegin_ += 2 * taken;
            readPos_ += static_cast<long long>(2 * taken);
            chunk += taken;
        }
        if (chunk < kReadChunkUnits && !lineEnded)
            break; // end of file
    }
    if (text.size() >= 2 && text.back() == kLineFeed)
        text.pop_back();
    return !text.empty();
}

bool CStdioFileEx::Close() {
    if (!file_)
        return false;
    if (!writing_) {
        std::fclose(file_);
        file_ = nullptr;
        return true;
    }
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

} // namespace quorvik::model

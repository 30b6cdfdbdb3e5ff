#include "model/StdioFileEx.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/file.h>
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
// mkstemp's random part: six letters or digits.
constexpr std::size_t kTempRandomChars = 6;
// A new settings file is readable by everyone and writable by its owner.
constexpr mode_t kNewFileMode = 0644;
// Tries at a free temporary name before a save gives up.
constexpr int kTempNameAttempts = 8;
// A temporary file that nothing may hold a lock on (one still being created, or one of an earlier
// build, which never locked) is a leftover only when it has not been written for this long.
constexpr std::time_t kUnlockedLeftoverAgeSeconds = 60;

// The file a save of `path` replaces: a symbolic link is followed, as a write through it would be,
// so the link stays a link. A dangling link is replaced like a missing file.
std::string replacedPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return path;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Access as the running user sees it (the effective ids: a program started by root writes as root).
bool userMay(const std::string& path, int mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

// A rename is only durable once the folder itself is flushed.
void syncFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Renames `from` to `to` unless `to` exists. A file system without the no-replace rename gets a
// hard link instead, which fails on an existing name too, and one without hard links a check
// followed by a plain rename.
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

// Creates the temporary file beside `target`. It is locked while the save runs, so that the
// leftover cleanup of another process starting meanwhile leaves it alone; and it is locked before
// it takes the temporary name: it is created under the creation name, locked, then renamed, so
// the cleanup never finds an unlocked live file under the name it removes. The new file takes the
// old file's mode (and, where allowed, its owner), as a write in place would keep them.
int createTemp(const std::string& target, const struct stat* old, std::string& tempPath) {
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kTempNameAttempts; ++attempt) {
        std::string creating = target;
        creating.append(kSaveCreateInfix).append(kTempRandomChars, 'X');
        const int created = ::mkostemp(creating.data(), O_CLOEXEC);
        if (created < 0)
            return -1;
        ::flock(created, LOCK_EX);
        tempPath = target;
        tempPath.append(kSaveTempInfix).append(creating, creating.size() - kTempRandomChars, kTempRandomChars);
        if (renameNoReplace(creating, tempPath)) {
            fd = created;
            break;
        }
        const int error = errno;
        ::close(created);
        ::unlink(creating.c_str());
        if (error != EEXIST) // only a name taken by a leftover is worth another try
            return -1;
    }
    if (fd < 0)
        return -1;
    if (old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
        ::fchown(fd, old->st_uid, old->st_gid) != 0) {
        // Only root may hand a file to another user; the mode below still carries over.
    }
    ::fchmod(fd, old ? (old->st_mode & 0777) : kNewFileMode);
    return fd;
}

// Writes the bytes of `sourceFd` to `target` the way every save goes: temporary file, flushed,
// renamed, folder flushed.
bool replaceWithCopy(int sourceFd, const struct stat& sourceStat, const std::string& target) {
    std::string temp;
    const int fd = createTemp(target, &sourceStat, temp);
    if (fd < 0)
        return false;
    bool ok = true;
    char buffer[kReadBufferBytes / 4];
    for (;;) {
        const ssize_t got = ::read(sourceFd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = ::write(fd, buffer + done, std::size_t(got - done));
            if (put < 0 && errno != EINTR)
                ok = false;
            else if (put > 0)
                done += put;
        }
        if (!ok)
            break;
    }
    ok = ok && ::fsync(fd) == 0 && std::rename(temp.c_str(), target.c_str()) == 0;
    ::close(fd);
    if (ok)
        syncFolder(target);
    else
        ::unlink(temp.c_str());
    return ok;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}

bool isTempRandomPart(std::string_view text) {
    return text.size() == kTempRandomChars &&
           std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || isUpper(c) || isLower(c); });
}

// Six characters a person would choose: a number, a word in one case, or a capitalised word.
bool looksChosenByHand(std::string_view text) {
    auto all = [](std::string_view t, bool (*is)(char)) { return std::all_of(t.begin(), t.end(), is); };
    return all(text, isDigit) || all(text, isLower) || all(text, isUpper) ||
           (isUpper(text.front()) && all(text.substr(1), isLower));
}

// Removes `full` when it is a regular file that no save holds locked and, for `minAgeSeconds`
// above 0, that has not been written for that long. True when it was removed.
bool removeIfDead(const std::string& full, std::time_t minAgeSeconds) {
    const int fd = ::open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool removed = false;
    // A file's age is a wall-clock matter: the file system stamps the time it was last written.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        (minAgeSeconds <= 0 || std::time(nullptr) - st.st_mtime >= minAgeSeconds) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink(full.c_str()) == 0;
    ::close(fd);
    return removed;
}

// The targets' folders, each with the names of the targets in it.
using NamesByFolder = std::map<std::string, std::set<std::string, std::less<>>>;
NamesByFolder targetNames(const std::vector<std::string>& targets, bool withCopies) {
    NamesByFolder namesByFolder;
    for (const std::string& t : targets) {
        if (t.empty())
            continue;
        const std::string target = replacedPath(t);
        const std::string name = target.substr(target.rfind('/') + 1);
        auto& names = namesByFolder[folderOf(target)];
        names.insert(name);
        if (withCopies) {
            for (std::string_view suffix : {kUnreadableSuffix, kReplacedSuffix, kBeforeImportSuffix})
                names.insert(name + std::string(suffix));
        }
    }
    return namesByFolder;
}
} // namespace

bool MayReplaceFile(const std::string& path) {
    if (path.empty())
        return false;
    const std::string target = replacedPath(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || !userMay(target, W_OK)))
        return false;
    return userMay(folderOf(target), W_OK | X_OK);
}

CopyAside KeepCopyAside(const std::string& path, std::string_view suffix) {
    if (path.empty())
        return CopyAside::Failed;
    const std::string source = replacedPath(path);
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0)
        return errno == ENOENT ? CopyAside::NoFile : CopyAside::Failed;
    const std::string copy = source + std::string(suffix);
    if (!S_ISREG(st.st_mode) || !MayReplaceFile(path) || !MayReplaceFile(copy))
        return CopyAside::Failed;
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return CopyAside::Failed;
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && replaceWithCopy(fd, st, copy);
    ::close(fd);
    return ok ? CopyAside::Kept : CopyAside::Failed;
}

bool KeepUnreadableCopy(const std::string& path) {
    return KeepCopyAside(path, kUnreadableSuffix) == CopyAside::Kept;
}

int RemoveSaveLeftovers(const std::vector<std::string>& targets) {
    namespace fs = std::filesystem;
    int removed = 0;
    for (const auto& [folder, names] : targetNames(targets, true)) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            const std::string_view view = name;
            if (view.size() <= kTempRandomChars || !isTempRandomPart(view.substr(view.size() - kTempRandomChars)))
                continue;
            const std::string_view head = view.substr(0, view.size() - kTempRandomChars);
            // A save holds the lock on its file for as long as it has the temporary name; under
            // the creation name it may not be locked yet, for a moment.
            std::time_t minAge = -1;
            if (head.ends_with(kSaveTempInfix) && names.contains(head.substr(0, head.size() - kSaveTempInfix.size())))
                minAge = 0;
            else if (head.ends_with(kSaveCreateInfix) &&
                     names.contains(head.substr(0, head.size() - kSaveCreateInfix.size())))
                minAge = kUnlockedLeftoverAgeSeconds;
            if (minAge >= 0 && removeIfDead(entry.path().string(), minAge))
                ++removed;
        }
    }
    return removed;
}

int RemoveEarlierSaveLeftovers(const std::vector<std::string>& targets) {
    namespace fs = std::filesystem;
    int removed = 0;
    for (const auto& [folder, names] : targetNames(targets, false)) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            const std::string_view view = name;
            if (view.size() <= kTempRandomChars + 1)
                continue;
            const std::string_view random = view.substr(view.size() - kTempRandomChars);
            const std::string_view head = view.substr(0, view.size() - kTempRandomChars - 1);
            if (view[head.size()] != '.' || !names.contains(head) || !isTempRandomPart(random) ||
                looksChosenByHand(random))
                continue;
            if (removeIfDead(entry.path().string(), kUnlockedLeftoverAgeSeconds))
                ++removed;
        }
    }
    return removed;
}

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
    file_ = std::fopen(path.c_str(), mode);
    writing_ = false;
    failed_ = false;
    bufferBegin_ = bufferEnd_ = 0;
    readPos_ = 0;
    return file_ != nullptr;
}

bool CStdioFileEx::OpenForWrite(const std::string& path) {
    if (file_)
        Close();
    const std::string target = replacedPath(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // The rename would succeed over a file the user made read-only; writing it in place would not.
    if (exists && (!S_ISREG(old.st_mode) || !userMay(target, W_OK)))
        return false;
    std::string temp;
    const int fd = createTemp(target, exists ? &old : nullptr, temp);
    if (fd < 0)
        return false;
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
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

bool CStdioFileEx::WriteString(std::u16string_view text) {
    if (!file_ || !writing_)
        return false;
    if (failed_)
        return false;
    if (std::ftell(file_) == 0 && std::fwrite(kByteOrderMark, 1, 2, file_) != 2)
        failed_ = true;
    if (text.empty())
        return !failed_;
    if constexpr (std::endian::native == std::endian::little) {
        // The code units in memory already are the file's bytes, low byte first.
        if (std::fwrite(text.data(), sizeof(char16_t), text.size(), file_) != text.size())
            failed_ = true;
    } else {
        std::string bytes(text.size() * 2, '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            failed_ = true;
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
    bufferEnd_ = available + std::fread(readBuffer_.data() + available, 1, kReadBufferBytes - available, file_);
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

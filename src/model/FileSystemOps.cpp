#include "model/FileSystemOps.h"

#include "model/StdioFileEx.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quorvik::model::fileops {

namespace {
// Bytes copied at a time.
constexpr std::size_t kCopyBufferBytes = 16 * 1024;
// A new settings file is readable by everyone and writable by its owner.
constexpr mode_t kNewFileMode = 0644;
// Tries at a free temporary name before a save gives up.
constexpr int kTempNameAttempts = 8;

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
} // namespace

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
        if (error != EEXIST) { // only a name taken by a leftover is worth another try
            errno = error;
            return -1;
        }
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
    char buffer[kCopyBufferBytes];
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

} // namespace quorvik::model::fileops

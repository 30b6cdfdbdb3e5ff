#include "model/StdioFileEx.h"

#include "model/FileSystemOps.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/file.h>
#include <unistd.h>

namespace quorvik::model {

using namespace fileops;

namespace {
// A temporary file that nothing may hold a lock on (one still being created, or one of an earlier
// build, which never locked) is a leftover only when it has not been written for this long.
constexpr std::time_t kUnlockedLeftoverAgeSeconds = 60;

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
    // Without blocking: a pipe put in the file's place meanwhile must not hang the copy.
    const int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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

} // namespace quorvik::model

#include "model/FileProblems.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

namespace quorvik::model {

namespace {

struct SaveMemory {
    SaveFailureHandler handler;
    // The faults each file was told with since its last successful save.
    std::map<std::string, std::set<FileFault>, std::less<>> told;
};

SaveMemory& memory() {
    static SaveMemory m;
    return m;
}

} // namespace

FileProblem ProblemFromErrno(int error) {
    switch (error) {
    case 0:
        return {};
    case ENOENT:
    case ENOTDIR:
        return {FileFault::Missing, error};
    case EISDIR:
    case ENXIO:
    case ENODEV:
    case ELOOP:
        return {FileFault::NotAFile, error};
    case EFBIG:
        return {FileFault::TooLarge, error};
    case EACCES:
    case EPERM:
        return {FileFault::NoAccess, error};
    case EROFS:
        return {FileFault::ReadOnlyMedium, error};
    case ENOSPC:
    case EDQUOT:
        return {FileFault::DiskFull, error};
    default:
        return {FileFault::Other, error};
    }
}

std::string FileProblemText(const FileProblem& problem) {
    switch (problem.fault) {
    case FileFault::None:
        return "no problem";
    case FileFault::Missing:
        return "no such file or folder";
    case FileFault::NotAFile:
        return "not a regular file";
    case FileFault::TooLarge:
        if (problem.limit)
            return "larger than " + std::to_string((problem.limit + kMiB - 1) / kMiB) + " MiB";
        return "too large";
    case FileFault::NoAccess:
        return "permission denied";
    case FileFault::ReadOnlyMedium:
        return "read-only file system";
    case FileFault::DiskFull:
        return "no space left on the disk";
    case FileFault::Damaged:
        return "not a complete file of its kind";
    case FileFault::NotCopied:
        return "it is damaged, and no copy of it could be kept before saving over it";
    case FileFault::Other:
        break;
    }
    return problem.error ? std::strerror(problem.error) : "input/output error";
}

SaveFailureHandler SetSaveFailureHandler(SaveFailureHandler handler) {
    SaveFailureHandler old = std::move(memory().handler);
    memory().handler = std::move(handler);
    return old;
}

void NoteSettingsSave(const std::string& path, const FileProblem& problem) {
    // Without a data folder nothing is saved at all, which the start said once.
    if (path.empty())
        return;
    SaveMemory& m = memory();
    if (!problem) {
        m.told.erase(path);
        return;
    }
    const bool first = m.told[path].insert(problem.fault).second;
    if (m.handler)
        m.handler(SaveFailure{path, problem, !first});
}

bool SaveFailing(const std::string& path) {
    return memory().told.contains(path);
}

void ForgetSaveFailures() {
    memory().told.clear();
}

} // namespace quorvik::model

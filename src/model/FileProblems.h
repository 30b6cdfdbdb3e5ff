// What went wrong with a file, in terms a user can act on, and how failed saves of the settings
// files reach the user: once for each file and kind of fault, until that file saves again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorvik::model {

enum class FileFault : std::uint8_t {
    None,
    Missing,        // the file, or a folder on its path, does not exist
    NotAFile,       // a folder, a device, a pipe or a socket
    TooLarge,       // larger than the bound for its kind of file
    NoAccess,       // this user may not read or write it (or the folder it is written in)
    ReadOnlyMedium, // the file system is mounted read-only
    DiskFull,       // no space (or quota) left
    Damaged,        // it was read, but is not a file of its kind
    NotCopied,      // a damaged file is saved over only once a copy of it is kept, and none could be
    Other,          // any other system error: `error` says which
};

struct FileProblem {
    FileFault fault = FileFault::None;
    int error = 0;           // errno, where the system gave one
    std::uint64_t limit = 0; // the bound in bytes, for TooLarge

    explicit operator bool() const { return fault != FileFault::None; }
    friend bool operator==(const FileProblem&, const FileProblem&) = default;
};

// The problem an errno stands for (ENOENT: Missing, EACCES: NoAccess, ENOSPC: DiskFull, …).
FileProblem ProblemFromErrno(int error);
// A short English reason for standard error: "not a regular file", "larger than 1 MiB", ….
std::string FileProblemText(const FileProblem& problem);

// Bounds on what the program reads. Far above any file it writes itself (a profile is 43 KiB; a
// macro file holds the whole library, 5.6 MiB for 1,000 macros), and low enough that no file
// given to it can take the memory of the machine.
inline constexpr std::uint64_t kMiB = 1024 * 1024;
inline constexpr std::uint64_t kProfileFileLimit = 1 * kMiB;
inline constexpr std::uint64_t kMacroFileLimit = 64 * kMiB;
inline constexpr std::uint64_t kSmallFileLimit = 1 * kMiB; // configuration and language files

// A save of a settings file (configuration, slot profile, macro library) that failed.
struct SaveFailure {
    std::string path;
    FileProblem problem;
    // False the first time the file fails with this kind of fault since it last saved: that is
    // when the user is told. Later failures of the same kind still count as failures.
    bool repeated = false;
};
using SaveFailureHandler = std::function<void(const SaveFailure&)>;

// Where failed saves go: the program shows them, the command-line tool prints them. Returns the
// handler it replaces.
SaveFailureHandler SetSaveFailureHandler(SaveFailureHandler handler);
// The outcome of a save of settings file `path`: a failure goes to the handler; a success forgets
// the file's earlier faults, so that its next failure is told again.
void NoteSettingsSave(const std::string& path, const FileProblem& problem);
// Whether the last save of `path` failed: its edits are held in memory until a save succeeds.
bool SaveFailing(const std::string& path);
// Forgets every failure (tests, and a new start of the settings).
void ForgetSaveFailures();

} // namespace quorvik::model

// The settings save that need not hold up the main thread: a copy of the configuration and of the
// five profiles is taken on the main thread, written (each file flushed and renamed into place,
// as every save is) on any thread, and the outcome is noted on the main thread again.
#pragma once

#include "model/ConfigPairs.h"
#include "model/FileProblems.h"
#include "model/ProfileRecord.h"

#include <array>
#include <string>
#include <vector>

namespace quorvik::model {

struct SettingsSnapshot {
    ConfigPairs config;
    std::string configPath;
    std::array<ProfileRecord, kProfileSlotCount> profiles;
    std::array<std::string, kProfileSlotCount> profilePaths;
};

// What the save of the configuration and all five profiles would write now (the configuration
// with the current slot, as every save of it has). Main thread.
SettingsSnapshot TakeSettingsSnapshot();

struct SnapshotWritten {
    // One entry per file, in the order written: its path and what went wrong (nothing when saved).
    std::vector<std::pair<std::string, FileProblem>> files;
    bool AllSaved() const;
};

// Writes the snapshot's six files. Touches nothing but the snapshot and the files: any thread.
SnapshotWritten WriteSettingsSnapshot(const SettingsSnapshot& snapshot);

// The outcome of a snapshot's save, for the save reporting (failures are told, successes forget
// earlier faults). Main thread.
void NoteSnapshotWritten(const SnapshotWritten& written);

} // namespace quorvik::model

#include "model/SettingsSave.h"

#include "model/ProfileFile.h"

#include <algorithm>

namespace quorvik::model {

SettingsSnapshot TakeSettingsSnapshot() {
    SettingsSnapshot snapshot;
    Config().SetCurrentProfile(CurrentSlot());
    snapshot.config = Config();
    snapshot.configPath = ConfigFilePath();
    for (int s = 0; s < kProfileSlotCount; ++s) {
        snapshot.profiles[std::size_t(s)] = Profile(s);
        snapshot.profilePaths[std::size_t(s)] = Config().ProfileSlotPath(s);
    }
    return snapshot;
}

bool SnapshotWritten::AllSaved() const {
    return std::all_of(files.begin(), files.end(), [](const auto& file) { return !file.second; });
}

SnapshotWritten WriteSettingsSnapshot(const SettingsSnapshot& snapshot) {
    SnapshotWritten written;
    FileProblem problem;
    if (!snapshot.config.Write(snapshot.configPath, &problem) && !problem)
        problem = {FileFault::Other};
    written.files.emplace_back(snapshot.configPath, problem);
    for (int s = 0; s < kProfileSlotCount; ++s) {
        problem = {};
        const std::string& path = snapshot.profilePaths[std::size_t(s)];
        if (!WriteProfileRecord(snapshot.profiles[std::size_t(s)], path, &problem) && !problem)
            problem = {FileFault::Other};
        written.files.emplace_back(path, problem);
    }
    return written;
}

void NoteSnapshotWritten(const SnapshotWritten& written) {
    for (const auto& [path, problem] : written.files)
        NoteSettingsSave(path, problem);
}

} // namespace quorvik::model

// What the benchmarks that run the main window in their own process share.
#pragma once

#include "app/StartupLoad.h"
#include "model/ConfigPairs.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace quorvik::bench {

// Before the application object: offscreen unless a platform was asked for, and no scaling by Qt
// itself (the program scales its skins by its own factor).
inline void PrepareQtEnvironment() {
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
}

// Loads the settings model from a data folder of the benchmark's own, named `name` and the
// process, with the window open for use from the start whatever the mouse says first; returns
// the folder, for the benchmark to remove.
inline std::filesystem::path LoadBenchSettings(const std::string& name) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("quorvik-bench-" + name + "-" + std::to_string(::getpid()));
    app::StartupPaths paths = app::DefaultStartupPaths();
    paths.dataFolder = data.string();
    app::LoadSettingsModel(paths);
    model::Config().SetValue(model::kCfgNeedPassword, u"0");
    return data;
}

} // namespace quorvik::bench

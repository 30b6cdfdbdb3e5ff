// The start-up load of the whole settings model, shared by the program and the command-line tool:
// folders, language, macro library, configuration with the five profiles.
#pragma once

#include "model/SettingsLoad.h"

#include <string>

namespace quorvik::app {

struct StartupPaths {
    std::string programFolder; // its config/ holds the files delivered with the program
    std::string dataFolder;    // the user's data folder; created with its config/ when missing
};

// The program folder (beside the executable, or the installed share/quorvik/) and the XDG data folder.
StartupPaths DefaultStartupPaths();

struct LoadResult : model::ConfigurationLoad {
    bool dataFolderReady = false; // the data folder and its config/ exist
    int deliveredFilesCopied = 0; // delivered files that were missing in the data folder
    bool languageLoaded = false;  // the chosen language file was read to its end
    bool macroLibraryLoaded = false;
    int leftoversRemoved = 0; // temporary files of killed saves (of this build or earlier ones) cleared
};

// Sets the program and data folders, prepares the data folder, clears the temporary files that
// killed saves of our own files left, then loads in order: language tables, macro library,
// configuration with the five profiles and the sensor check. An empty data
// folder (no home folder to put it in) gives factory settings in memory and no file paths, so
// nothing is ever written.
LoadResult LoadSettingsModel(const StartupPaths& paths);

} // namespace quorvik::app

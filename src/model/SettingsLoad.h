// The start-up load of the settings model, shared by the program and the command-line tool, and the
// sensor change the device link reports at run time.
#pragma once

#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>
#include <string>

namespace quorvik::model {

struct StartupPaths {
    std::string programFolder; // its config/ holds the files delivered with the program
    std::string dataFolder;    // the user's data folder; created with its config/ when missing
};

// The running executable's folder and the XDG data folder.
StartupPaths DefaultStartupPaths();

struct LoadResult {
    bool dataFolderReady = false; // the data folder and its config/ exist
    int deliveredFilesCopied = 0; // delivered files that were missing in the data folder
    bool languageLoaded = false;  // the chosen language file was read to its end
    bool macroLibraryLoaded = false;
    bool configurationRead = false; // false: factory configuration and five factory profiles written
    std::array<bool, kProfileSlotCount> profilesRead{}; // false: that slot fell back to its defaults
    bool sensorReset = false;                           // the DPI block of all five profiles was set up for the sensor
};

// Sets the program and data folders, prepares the data folder, then loads in order: language
// tables, macro library, configuration with the five profiles and the sensor check. The in-memory
// current slot is taken from CurrentProfile (range-checked). An empty data folder (no home folder
// to put it in) gives factory settings in memory and no file paths, so nothing is ever written.
LoadResult LoadSettingsModel(const StartupPaths& paths);

// The configuration part of the load, for folders already set: "config/config.ini" (on failure the
// factory configuration and five factory profile files), the five profile files, the sensor check.
// Returns whether the configuration file was read.
bool LoadConfigurationAndProfiles(LoadResult* result = nullptr);

// The mouse reports `sensor`. A new sensor becomes the in-memory one, is written to Sensor and
// PreST and saved; every profile gets the sensor's DPI defaults and all five files are saved.
// Returns false (and does nothing) when `sensor` is the one already held.
bool ChangeSensor(std::uint16_t sensor);
// The same steps without the comparison, for a sensor code the device link does not know: the
// DPI codes of all profiles go back to the current sensor's defaults.
void ApplySensorChange(std::uint16_t sensor);

} // namespace quorvik::model

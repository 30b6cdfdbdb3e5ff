#include "model/SettingsLoad.h"

#include "macro/MacroFiles.h"
#include "model/ConfigPairs.h"
#include "model/DataFolders.h"
#include "model/LanguageTable.h"
#include "model/ProcessGlobals.h"
#include "model/ProfileFile.h"

namespace quorvik::model {

namespace {

void resetAllDpiBlocks() {
    for (int s = 0; s < kProfileSlotCount; ++s)
        Profile(s).ApplySensorDpiDefaults();
}

} // namespace

StartupPaths DefaultStartupPaths() {
    return {ExecutableFolder(), ResolveDataFolder()};
}

LoadResult LoadSettingsModel(const StartupPaths& paths) {
    LoadResult result;
    if (!paths.programFolder.empty())
        SetProgramFolder(paths.programFolder);
    if (paths.dataFolder.empty()) {
        // Nowhere to keep settings (no home folder): factory settings in memory, and no slot path,
        // so that no later save writes into whatever the working folder is.
        SetFactoryConfiguration();
        for (int s = 0; s < kProfileSlotCount; ++s) {
            Config().SetValue(kCfgProfileSlot0URL + s, u"");
            Profile(s).ResetToFactory(unsigned(s));
        }
        SetSensorIdentifier(Config().SensorValue());
        SetCurrentSlot(Config().CurrentProfileSlot());
        return result;
    }
    SetDataFolder(paths.dataFolder);
    // A folder that cannot be created is not reported; the file steps below then fall back.
    result.dataFolderReady = EnsureDataFolder(DataFolder());
    if (result.dataFolderReady)
        result.deliveredFilesCopied = CopyDeliveredFiles(paths.programFolder, DataFolder());
    // The factory profile names come from the language, so it goes first.
    result.languageLoaded = LoadLanguageTables();
    result.macroLibraryLoaded = macro::ReadMacroLibraryAtStartup();
    LoadConfigurationAndProfiles(&result);
    return result;
}

bool LoadConfigurationAndProfiles(LoadResult* result) {
    ConfigPairs& config = Config();
    const bool read = config.Read(ConfigFilePath());
    if (!read) {
        SetFactoryConfiguration();
        WriteConfiguration();
        SetSensorIdentifier(config.SensorValue());
        for (int s = 0; s < kProfileSlotCount; ++s) {
            Profile(s).ResetToFactory(unsigned(s));
            WriteProfile(s, config.ProfileSlotPath(s));
        }
    }
    // The user's slot, range-checked: the sensor check below saves the configuration, and that
    // save writes CurrentProfile from the in-memory slot.
    SetCurrentSlot(config.CurrentProfileSlot());

    for (int s = 0; s < kProfileSlotCount; ++s) {
        bool ok = ReadProfile(s, config.ProfileSlotPath(s));
        if (result)
            result->profilesRead[s] = ok;
    }

    // The DPI codes were set up for the sensor whose complement PreST holds.
    const std::uint16_t sensor = config.SensorValue();
    SetSensorIdentifier(sensor);
    const bool changed = std::uint16_t(~config.PreSTValue()) != sensor;
    if (changed) {
        config.SetPreST(sensor);
        SaveConfiguration();
        resetAllDpiBlocks();
        SaveAllProfiles();
    }
    if (result) {
        result->configurationRead = read;
        result->sensorReset = changed;
    }
    return read;
}

void ApplySensorChange(std::uint16_t sensor) {
    SetSensorIdentifier(sensor);
    Config().SetSensor(sensor);
    Config().SetPreST(sensor);
    SaveConfiguration();
    resetAllDpiBlocks();
    SaveAllProfiles();
}

bool ChangeSensor(std::uint16_t sensor) {
    if (sensor == SensorIdentifier())
        return false;
    ApplySensorChange(sensor);
    return true;
}

} // namespace quorvik::model

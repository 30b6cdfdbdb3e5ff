#include "model/SettingsLoad.h"

#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "model/StdioFileEx.h"

namespace quorvik::model {

namespace {

void resetAllDpiBlocks() {
    for (int s = 0; s < kProfileSlotCount; ++s)
        Profile(s).ApplySensorDpiDefaults();
}

} // namespace

ConfigurationLoad LoadConfigurationAndProfiles() {
    ConfigurationLoad result;
    ConfigPairs& config = Config();
    const std::string path = ConfigFilePath();
    const bool read = config.Read(path);
    if (!read) {
        KeepUnreadableCopy(path);
        SetFactoryConfiguration();
        // When the factory configuration cannot be written (a read-only file or folder, a full
        // disk), the old configuration stays on disk with the profiles it names: they are read
        // below instead of being overwritten with defaults.
        if (WriteConfiguration()) {
            SetSensorIdentifier(config.SensorValue());
            for (int s = 0; s < kProfileSlotCount; ++s) {
                Profile(s).ResetToFactory(unsigned(s));
                WriteProfile(s, config.ProfileSlotPath(s));
            }
        }
    }
    // The user's slot, range-checked: the sensor check below saves the configuration, and that
    // save writes CurrentProfile from the in-memory slot.
    SetCurrentSlot(config.CurrentProfileSlot());

    for (int s = 0; s < kProfileSlotCount; ++s) {
        result.profilesRead[s] = ReadProfile(s, config.ProfileSlotPath(s));
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
    result.configurationRead = read;
    result.sensorReset = changed;
    return result;
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

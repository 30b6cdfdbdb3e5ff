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
    // Pairs the file leaves out keep their factory text: left empty they would be written back as
    // "Name=", which the reader rejects, and the next start would re-create all five profiles.
    SetFactoryConfiguration();
    const bool read = config.Read(path);
    if (!read) {
        SetFactoryConfiguration();
        // The unreadable configuration is kept beside its replacement. When it cannot be copied,
        // or the factory configuration cannot be written (a read-only file or folder, a full disk),
        // the old configuration stays on disk with the profiles it names: they are read below
        // instead of being overwritten with defaults.
        if (KeepCopyAside(path, kUnreadableSuffix) != CopyAside::Failed && WriteConfiguration()) {
            SetSensorIdentifier(config.SensorValue());
            for (int s = 0; s < kProfileSlotCount; ++s) {
                Profile(s).ResetToFactory(unsigned(s));
                // The profiles are re-created too, although they may be perfectly readable: each
                // is kept beside its replacement first, under a name that says so, and one that
                // cannot be copied stays as it is.
                const std::string slotPath = config.ProfileSlotPath(s);
                if (KeepCopyAside(slotPath, kReplacedSuffix) != CopyAside::Failed)
                    SaveProfile(s);
            }
        }
    }
    // The user's slot, range-checked: the sensor check below saves the configuration, and that
    // save writes CurrentProfile from the in-memory slot.
    SetCurrentSlot(config.CurrentProfileSlot());

    // Before the profiles: a profile file that is missing or unreadable is re-created with the
    // configured sensor's DPI codes. A sensor the program has no tables for is kept as configured:
    // taken as another one, the check below would find PreST wrong at every start and reset the
    // DPI levels each time. Its profiles keep their codes, and the device tables fall back to the
    // default sensor's wherever a code is encoded or shown.
    const std::uint16_t sensor = config.SensorValue();
    SetSensorIdentifier(sensor);
    for (int s = 0; s < kProfileSlotCount; ++s) {
        result.profilesRead[s] = ReadProfile(s, config.ProfileSlotPath(s));
    }

    // The DPI codes were set up for the sensor whose complement PreST holds.
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

void ApplySensorChange(std::uint16_t sensor, SensorSave save) {
    SetSensorIdentifier(sensor);
    Config().SetSensor(sensor);
    Config().SetPreST(sensor);
    resetAllDpiBlocks();
    if (save == SensorSave::Now) {
        SaveConfiguration();
        SaveAllProfiles();
    }
}

bool ChangeSensor(std::uint16_t sensor) {
    if (sensor == SensorIdentifier())
        return false;
    ApplySensorChange(sensor);
    return true;
}

} // namespace quorvik::model

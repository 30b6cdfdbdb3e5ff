// Loading the configuration with the five profiles, and the sensor change the device link
// reports at run time.
#pragma once

#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>

namespace quorvik::model {

struct ConfigurationLoad {
    // false: the file was missing or malformed; the factory configuration is in memory, and it and
    // the five factory profiles were written where the old files could be kept beside them
    bool configurationRead = false;
    std::array<bool, kProfileSlotCount> profilesRead{}; // false: that slot fell back to its defaults
    bool sensorReset = false;                           // the DPI block of all five profiles was set up for the sensor
};

// For folders already set: "config/config.ini" (on failure the factory configuration and five
// factory profile files, the old files kept beside them as "config.ini.unreadable" and
// "<profile>.replaced"; pairs the file leaves out keep their factory text), the five profile
// files, the sensor check. The in-memory current slot is taken from CurrentProfile (range-checked);
// the in-memory sensor from Sensor, as written (a sensor without factory codes keeps the codes).
ConfigurationLoad LoadConfigurationAndProfiles();

// The mouse reports `sensor`. A new sensor becomes the in-memory one, is written to Sensor and
// PreST and saved; every profile gets the sensor's DPI defaults and all five files are saved.
// Returns false (and does nothing) when `sensor` is the one already held.
bool ChangeSensor(std::uint16_t sensor);
// Who saves after a sensor change: the change itself, or its caller (who saves off the main thread).
enum class SensorSave { Now, ByCaller };
// The same steps without the comparison, for a sensor code the device link does not know: the
// DPI codes of all profiles go back to the current sensor's defaults.
void ApplySensorChange(std::uint16_t sensor, SensorSave save = SensorSave::Now);

} // namespace quorvik::model

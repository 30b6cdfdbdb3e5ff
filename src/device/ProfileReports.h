// Command reports built from a profile record: what the mouse must hold for that profile. Each
// builder reads the record and returns the report; nothing is written and nothing else changes.
#pragma once

#include "device/CommandReports.h"
#include "device/SensorTables.h"
#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quorvik::device {

// The three code bytes of the button at device position 0..6 (positions 3 and 4 exchanged).
std::array<std::uint8_t, 3> ButtonCodeAtPosition(const model::ProfileRecord& profile, int position);
Report BuildButtonReport(std::uint8_t sequence, const model::ProfileRecord& profile, int position);

// Levels 1..6 with their register values from `tables` (codes beyond the sensor's steps are
// clamped to its last step).
Report BuildDpiLevelsReport(std::uint8_t sequence, const model::ProfileRecord& profile, const SensorTables& tables);
Report BuildDpiColoursReport(std::uint8_t sequence, const model::ProfileRecord& profile);
Report BuildReportRateReport(std::uint8_t sequence, const model::ProfileRecord& profile);

// The selected zone-1 effect's values. For an effect number of 10 or more (possible from a file)
// brightness and speed read as 0: the per-effect tables have ten rows.
LightingInput LightingInputOf(const model::ProfileRecord& profile);
Report BuildLightingReport(std::uint8_t sequence, const model::ProfileRecord& profile);

// Setting pairs 17, 18, 16 + 15 and 19; the low 8 bits of each pair's number are sent.
Report BuildLiftOffReport(std::uint8_t sequence, const model::ProfileRecord& profile);
Report BuildDebounceReport(std::uint8_t sequence, const model::ProfileRecord& profile);
Report BuildPowerSavingReport(std::uint8_t sequence, const model::ProfileRecord& profile);
Report BuildMotionWakeupReport(std::uint8_t sequence, const model::ProfileRecord& profile);

// Device macro slot of a macro button (low nibble of its code byte 1).
std::uint8_t MacroSlotOf(const model::ProfileButton& button);

} // namespace quorvik::device

// The command reports the mouse understands, byte for byte, and the two reports it sends back.
//
// Every command travels as HID feature report 0x0C, 33 bytes:
//
//   byte 0   report id 0x0C          byte 4   sequence number
//   byte 1   marker 0x01             byte 5   chunk byte: high nibble chunk index, low nibble chunk count
//   byte 2   command code            byte 6   payload length (meaningful bytes from byte 7)
//   byte 3   status, 0x00 written    7..32    payload; every byte not named is 0x00
//
// Builders are pure: the same inputs give the same 33 bytes, so the download can compare them
// with what it last wrote before writing anything. The sequence number is an input like any other;
// `SequenceNumber` hands out the running value.
#pragma once

#include "model/MacroRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvik::device {

inline constexpr std::size_t kReportLength = 33;
using Report = std::array<std::uint8_t, kReportLength>;

inline constexpr std::uint8_t kCommandReportId = 0x0C;
inline constexpr std::uint8_t kCommandMarker = 0x01;

// Byte offsets of the command report.
inline constexpr std::size_t kOffReportId = 0;
inline constexpr std::size_t kOffMarker = 1;
inline constexpr std::size_t kOffCommand = 2;
inline constexpr std::size_t kOffStatus = 3;
inline constexpr std::size_t kOffSequence = 4;
inline constexpr std::size_t kOffChunk = 5;
inline constexpr std::size_t kOffLength = 6;
inline constexpr std::size_t kOffPayload = 7;
inline constexpr std::size_t kMaxPayload = kReportLength - kOffPayload; // 26

// Chunk byte of every command that fits one report (chunk 0 of 1); the status request has 0x00.
inline constexpr std::uint8_t kSingleChunk = 0x01;

// Command codes (byte 2).
inline constexpr std::uint8_t kCmdButton = 0x04;
inline constexpr std::uint8_t kCmdDpiLevels = 0x05;
inline constexpr std::uint8_t kCmdDpiColours = 0x06;
inline constexpr std::uint8_t kCmdReportRate = 0x07;
inline constexpr std::uint8_t kCmdLighting = 0x08;
inline constexpr std::uint8_t kCmdLiftOff = 0x09;
inline constexpr std::uint8_t kCmdDebounce = 0x0A;
inline constexpr std::uint8_t kCmdPowerSaving = 0x0B;
inline constexpr std::uint8_t kCmdMotionWakeup = 0x0C;
inline constexpr std::uint8_t kCmdMacroChunk = 0x0E;
inline constexpr std::uint8_t kCmdFactoryReset = 0x0F;
inline constexpr std::uint8_t kCmdReadStatus = 0x20;

// Payload lengths (byte 6) of the commands whose length is fixed.
inline constexpr std::uint8_t kLenButton = 4;
inline constexpr std::uint8_t kLenDpiLevels = 0x12;
inline constexpr std::uint8_t kLenDpiColours = 0x18;
inline constexpr std::uint8_t kLenReportRate = 1;
inline constexpr std::uint8_t kLenLiftOff = 2;
inline constexpr std::uint8_t kLenDebounce = 1;
inline constexpr std::uint8_t kLenPowerSaving = 2;
inline constexpr std::uint8_t kLenMotionWakeup = 1;
inline constexpr std::uint8_t kLenFactoryReset = 1;
inline constexpr std::uint8_t kLenReadStatus = 0;

inline constexpr std::uint8_t kFactoryResetPayload = 0xFF;

// The running sequence number: starts at 1, every report written takes the current value, and it
// wraps from 255 to 0. The mouse is never told to reset it.
class SequenceNumber {
public:
    std::uint8_t Take() { return next_++; }
    // The number the next report takes: a report that is built before it is known whether it
    // will be written carries it, and takes it only when it is written.
    std::uint8_t Peek() const { return next_; }

private:
    std::uint8_t next_ = 1;
};

// Device button positions: the mouse numbers buttons 3 and 4 the other way round. Both directions
// are the same exchange; any other index is returned unchanged.
constexpr int DevicePositionOfButton(int button) {
    return button == 3 ? 4 : button == 4 ? 3 : button;
}
constexpr int ButtonOfDevicePosition(int position) {
    return DevicePositionOfButton(position);
}

// Report interval in milliseconds for a rate code: 0 (125 Hz) → 8, 1 → 4, 2 → 2, anything else → 1.
std::uint8_t ReportIntervalForRateCode(std::uint8_t code);

// An empty command report: id, marker, code, sequence number, chunk byte and payload length.
Report MakeCommandReport(std::uint8_t command, std::uint8_t sequence, std::uint8_t payloadLength,
                         std::uint8_t chunkByte = kSingleChunk);

// Button command: byte 7 the device position, bytes 8..10 the key function code.
inline constexpr std::size_t kOffButtonPosition = 7;
inline constexpr std::size_t kOffButtonCode = 8;
Report BuildButtonReport(std::uint8_t sequence, std::uint8_t devicePosition, const std::array<std::uint8_t, 3>& code);

// `registers` are the register values of levels 1..6 (the mouse takes register values, not DPI);
// levels 7 and 8 never reach the mouse.
Report BuildDpiLevelsReport(std::uint8_t sequence, std::uint8_t levelMask, std::uint8_t currentLevel,
                            const std::array<std::uint16_t, 6>& registers);
// Colours 0x00BBGGRR of levels 1..8, sent red, green, blue.
Report BuildDpiColoursReport(std::uint8_t sequence, const std::array<std::uint32_t, 8>& colours);
Report BuildReportRateReport(std::uint8_t sequence, std::uint8_t rateCode);

// What the lighting command carries for the selected zone-1 effect (the per-effect values of that
// effect only; colour slots 7..9 are never sent).
struct LightingInput {
    std::uint8_t effect = 0;
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0; // used by effect 1 only
    std::array<std::uint32_t, 7> colours{};
    std::array<std::uint8_t, 7> selected{};
};
// Payload length of the lighting command for effects with a fixed length (all but 2); 0 for 10 or more.
std::uint8_t LightingLengthForEffect(std::uint8_t effect);
Report BuildLightingReport(std::uint8_t sequence, const LightingInput& in);

// `liftDetectionHeight` 1 sends 1, any other value 2.
Report BuildLiftOffReport(std::uint8_t sequence, long liftDetectionHeight);
Report BuildDebounceReport(std::uint8_t sequence, std::uint8_t debounceMs);
Report BuildPowerSavingReport(std::uint8_t sequence, std::uint8_t powerDownTime, std::uint8_t moveLightingMode);
Report BuildMotionWakeupReport(std::uint8_t sequence, std::uint8_t motionWakeup);
Report BuildFactoryResetReport(std::uint8_t sequence);
Report BuildStatusRequest(std::uint8_t sequence);

// Macros. Each event of a macro becomes 3 bytes:
//   A: bit 7 release, bits 6..4 event type, bits 3..0 delay bits 11..8
//   B: delay bits 7..0            C: event code
// where the delay is the one of a delay action directly after the event, capped at 4095 ms.
inline constexpr std::uint32_t kMaxEventDelayMs = 4095;
inline constexpr std::size_t kMacroChunkData = 25;
inline constexpr std::size_t kOffMacroSlot = 7;
inline constexpr std::size_t kOffMacroData = 8;

inline constexpr std::uint8_t kEventOther = 0;
inline constexpr std::uint8_t kEventMouseButton = 1;
inline constexpr std::uint8_t kEventModifier = 2;
inline constexpr std::uint8_t kEventKey = 3;
inline constexpr std::uint8_t kEventPointerX = 4;
inline constexpr std::uint8_t kEventPointerY = 5;
inline constexpr std::uint8_t kEventWheel = 6;

// Event type and code of an action: the action's first byte goes through the key table to a HID
// usage, which picks the type; pointer and wheel events carry their signed amount (byte 3).
std::array<std::uint8_t, 3> EncodeMacroEvent(const model::MacroAction& action, std::uint32_t delayMs);

// The packed events of a macro, 3 bytes per event, in action order. Only the valid actions are
// read, even when MacroActionNum says more than the table holds.
std::vector<std::uint8_t> PackMacroEvents(const model::MacroRecord& macro);

// The data the chunks carry: 3 × MacroCommandActionNum bytes taken from the packed events,
// zero-padded when the events are fewer.
std::vector<std::uint8_t> MacroChunkData(const model::MacroRecord& macro);

// ceil(length / 25), at least 1.
std::size_t MacroChunkCount(std::size_t dataLength);

// Chunk `index` of `data` for device macro slot `slot`. Byte 5 keeps both nibbles to 4 bits, so
// beyond 15 chunks they wrap (the firmware's affair).
Report BuildMacroChunk(std::uint8_t sequence, std::uint8_t slot, std::span<const std::uint8_t> data, std::size_t index);
// Every chunk of a macro, each with the next sequence number.
std::vector<Report> BuildMacroChunks(SequenceNumber& sequence, std::uint8_t slot, std::span<const std::uint8_t> data);

// The status response, read back with a get-feature of report 0x0C after a status request.
inline constexpr std::size_t kOffStatusTag = 8; // 4 ASCII characters
inline constexpr std::size_t kOffStatusSensor = 15;
inline constexpr std::size_t kOffStatusBattery = 18;
inline constexpr std::size_t kOffStatusCharge = 19;
inline constexpr std::size_t kOffStatusOnline = 21;
inline constexpr std::array<std::uint8_t, 4> kModelTag = {'R', '7', 'K', '3'};

inline constexpr std::uint8_t kChargeNone = 0;
inline constexpr std::uint8_t kChargeCharging = 1;
inline constexpr std::uint8_t kChargeFull = 2;

struct StatusResponse {
    bool answered = false;   // payload length ≠ 0; 0 means the mouse has not answered yet
    bool tagMatches = false; // model tag "R7K3"
    bool online = false;     // only meaningful when the tag matches
    std::uint8_t sensorCode = 0;
    std::optional<std::uint16_t> sensorId; // none for a code outside the sensor table
    std::uint8_t battery = 0;              // percent, as sent (may be above 100)
    std::uint8_t chargeState = kChargeNone;
};

// None when byte 2 is not 0x20 or byte 3 is not 0x00: such a response is ignored.
std::optional<StatusResponse> ParseStatusResponse(std::span<const std::uint8_t, kReportLength> report);

// Sensor identifier of a status sensor code (0x25 → 0x3325), or none.
std::optional<std::uint16_t> SensorIdForCode(std::uint8_t code);

// Level-change report (input report 0x05, kind 0x06): byte 3 = report interval in ms now used,
// byte 4 = DPI level now active, counted from 1 among the enabled levels.
inline constexpr std::uint8_t kLevelChangeReportId = 0x05;
inline constexpr std::uint8_t kLevelChangeKind = 0x06;
inline constexpr std::size_t kOffLevelInterval = 3;
inline constexpr std::size_t kOffLevelLevel = 4;

struct LevelChange {
    std::uint8_t interval = 0;
    std::uint8_t level = 0;
};
// None for any other input report (or one too short to carry bytes 3 and 4).
std::optional<LevelChange> ParseLevelChange(std::span<const std::uint8_t> report);

} // namespace quorvik::device

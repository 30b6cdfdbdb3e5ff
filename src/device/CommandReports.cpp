#include "device/CommandReports.h"

#include "model/KeyCodes.h"

#include <algorithm>
#include <bit>

namespace quorvik::device {
namespace {

void PutColour(Report& r, std::size_t offset, std::uint32_t colour) {
    r[offset] = static_cast<std::uint8_t>(colour);           // red
    r[offset + 1] = static_cast<std::uint8_t>(colour >> 8);  // green
    r[offset + 2] = static_cast<std::uint8_t>(colour >> 16); // blue
}

struct SensorCode {
    std::uint8_t code;
    std::uint16_t sensor;
};
constexpr std::array<SensorCode, 10> kSensorCodes = {{
    {0x04, 0x3104},
    {0x12, 0x3212},
    {0x25, 0x3325},
    {0x27, 0x3327},
    {0x35, 0x3335},
    {0x60, 0x3360},
    {0x70, 0x3370},
    {0x89, 0x3389},
    {0x95, 0x3395},
    {0x99, 0x3399},
}};

} // namespace

std::uint8_t ReportIntervalForRateCode(std::uint8_t code) {
    constexpr std::array<std::uint8_t, 3> kIntervals = {8, 4, 2};
    return code < kIntervals.size() ? kIntervals[code] : 1;
}

Report MakeCommandReport(std::uint8_t command, std::uint8_t sequence, std::uint8_t payloadLength,
                         std::uint8_t chunkByte) {
    Report r{};
    r[kOffReportId] = kCommandReportId;
    r[kOffMarker] = kCommandMarker;
    r[kOffCommand] = command;
    r[kOffStatus] = 0x00;
    r[kOffSequence] = sequence;
    r[kOffChunk] = chunkByte;
    r[kOffLength] = payloadLength;
    return r;
}

Report BuildButtonReport(std::uint8_t sequence, std::uint8_t devicePosition, const std::array<std::uint8_t, 3>& code) {
    Report r = MakeCommandReport(kCmdButton, sequence, kLenButton);
    r[kOffButtonPosition] = devicePosition;
    std::copy(code.begin(), code.end(), r.begin() + kOffButtonCode);
    return r;
}

Report BuildDpiLevelsReport(std::uint8_t sequence, std::uint8_t levelMask, std::uint8_t currentLevel,
                            const std::array<std::uint16_t, 6>& registers) {
    Report r = MakeCommandReport(kCmdDpiLevels, sequence, kLenDpiLevels);
    // Low nibble: how many levels are enabled; high nibble: the active one, counted from 1.
    r[7] = static_cast<std::uint8_t>((((currentLevel + 1) & 0x0F) << 4) | std::popcount(levelMask));
    r[8] = levelMask;
    for (std::size_t k = 0; k < registers.size(); ++k) {
        r[9 + 2 * k] = static_cast<std::uint8_t>(registers[k]);
        r[10 + 2 * k] = static_cast<std::uint8_t>(registers[k] >> 8);
    }
    return r; // bytes 21..24 stay 0x00
}

Report BuildDpiColoursReport(std::uint8_t sequence, const std::array<std::uint32_t, 8>& colours) {
    Report r = MakeCommandReport(kCmdDpiColours, sequence, kLenDpiColours);
    for (std::size_t k = 0; k < colours.size(); ++k)
        PutColour(r, 7 + 3 * k, colours[k]);
    return r;
}

Report BuildReportRateReport(std::uint8_t sequence, std::uint8_t rateCode) {
    Report r = MakeCommandReport(kCmdReportRate, sequence, kLenReportRate);
    r[7] = ReportIntervalForRateCode(rateCode);
    return r;
}

std::uint8_t LightingLengthForEffect(std::uint8_t effect) {
    // Effect 2 is the only one whose length depends on its data (3 + 3 × colours sent).
    constexpr std::array<std::uint8_t, 10> kLengths = {2, 3, 3, 5, 2, 2, 23, 8, 2, 2};
    return effect < kLengths.size() ? kLengths[effect] : 0;
}

Report BuildLightingReport(std::uint8_t sequence, const LightingInput& in) {
    Report r = MakeCommandReport(kCmdLighting, sequence, LightingLengthForEffect(in.effect));
    r[7] = in.effect;
    r[8] = static_cast<std::uint8_t>(((in.brightness + 1) << 4) | ((in.speed + 1) & 0x0F));
    switch (in.effect) {
    case 1:
        r[9] = in.direction;
        break;
    case 2: {
        // Only selected slots that are not black are sent, packed in slot order.
        std::uint8_t n = 0;
        for (std::size_t k = 0; k < in.colours.size(); ++k) {
            if (in.selected[k] != 0 && in.colours[k] != 0) {
                PutColour(r, 10 + 3 * n, in.colours[k]);
                ++n;
            }
        }
        r[9] = n;
        r[kOffLength] = static_cast<std::uint8_t>(3 + 3 * n);
        break;
    }
    case 3:
        PutColour(r, 9, in.colours[0]); // sent whatever its selection flag
        break;
    case 6:
        for (std::size_t k = 0; k < in.colours.size(); ++k)
            if (in.selected[k] != 0)
                PutColour(r, 9 + 3 * k, in.colours[k]);
        break;
    case 7:
        for (std::size_t k = 0; k < 2; ++k)
            if (in.selected[k] != 0)
                PutColour(r, 9 + 3 * k, in.colours[k]);
        break;
    default:
        break;
    }
    return r;
}

Report BuildLiftOffReport(std::uint8_t sequence, long liftDetectionHeight) {
    Report r = MakeCommandReport(kCmdLiftOff, sequence, kLenLiftOff);
    r[7] = liftDetectionHeight == 1 ? 1 : 2;
    return r; // byte 8 stays 0x00
}

Report BuildDebounceReport(std::uint8_t sequence, std::uint8_t debounceMs) {
    Report r = MakeCommandReport(kCmdDebounce, sequence, kLenDebounce);
    r[7] = debounceMs;
    return r;
}

Report BuildPowerSavingReport(std::uint8_t sequence, std::uint8_t powerDownTime, std::uint8_t moveLightingMode) {
    Report r = MakeCommandReport(kCmdPowerSaving, sequence, kLenPowerSaving);
    r[7] = powerDownTime;
    r[8] = moveLightingMode;
    return r;
}

Report BuildMotionWakeupReport(std::uint8_t sequence, std::uint8_t motionWakeup) {
    Report r = MakeCommandReport(kCmdMotionWakeup, sequence, kLenMotionWakeup);
    r[7] = motionWakeup;
    return r;
}

Report BuildFactoryResetReport(std::uint8_t sequence) {
    Report r = MakeCommandReport(kCmdFactoryReset, sequence, kLenFactoryReset);
    r[7] = kFactoryResetPayload;
    return r;
}

Report BuildStatusRequest(std::uint8_t sequence) {
    return MakeCommandReport(kCmdReadStatus, sequence, kLenReadStatus, 0x00);
}

std::array<std::uint8_t, 3> EncodeMacroEvent(const model::MacroAction& action, std::uint32_t delayMs) {
    const std::uint8_t u = model::VirtualKeyToHidUsage(action.b[0]);
    std::uint8_t type = kEventOther;
    std::uint8_t code = u;
    if (u <= 0x90) {
        type = kEventKey;
    } else if (u <= 0xE7) {
        type = kEventModifier;
        code = static_cast<std::uint8_t>(1u << (u & 7));
    } else if (u >= 0xF0 && u <= 0xF4) {
        type = kEventMouseButton;
        code = static_cast<std::uint8_t>(1u << (u & 7));
    } else if (u == 0xF5) {
        type = kEventPointerX;
        code = action.b[3];
    } else if (u == 0xF6) {
        type = kEventPointerY;
        code = action.b[3];
    } else if (u == 0xF7) {
        type = kEventWheel;
        code = action.b[3];
    }
    const std::uint32_t delay = std::min(delayMs, kMaxEventDelayMs);
    const std::uint8_t a = static_cast<std::uint8_t>((action.b[1] & model::kReleaseBit) | (type << 4) | (delay >> 8));
    return {a, static_cast<std::uint8_t>(delay), code};
}

std::vector<std::uint8_t> PackMacroEvents(const model::MacroRecord& macro) {
    // A file may claim more actions than the table holds; never read past the 336 entries.
    const std::size_t count = macro.ValidActionCount();
    std::vector<std::uint8_t> out;
    out.reserve(3 * count);
    for (std::size_t j = 0; j < count; ++j) {
        const auto& action = macro.actions[j];
        if (action.b[0] == model::kDelayKind)
            continue;
        // The delay travels with the event before it; a delay that follows no event is lost.
        std::uint32_t delay = 0;
        if (j + 1 < count && macro.actions[j + 1].b[0] == model::kDelayKind)
            delay = model::DelayMs(macro.actions[j + 1]);
        const auto bytes = EncodeMacroEvent(action, delay);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<std::uint8_t> MacroChunkData(const model::MacroRecord& macro) {
    std::vector<std::uint8_t> data(3 * std::size_t(macro.MacroCommandActionNum), 0);
    const auto events = PackMacroEvents(macro);
    std::copy_n(events.begin(), std::min(events.size(), data.size()), data.begin());
    return data;
}

std::size_t MacroChunkCount(std::size_t dataLength) {
    return std::max<std::size_t>(1, (dataLength + kMacroChunkData - 1) / kMacroChunkData);
}

Report BuildMacroChunk(std::uint8_t sequence, std::uint8_t slot, std::span<const std::uint8_t> data,
                       std::size_t index) {
    const std::size_t count = MacroChunkCount(data.size());
    const std::size_t start = std::min(data.size(), index * kMacroChunkData);
    const std::size_t n = std::min(kMacroChunkData, data.size() - start);
    // A full chunk says 26 (25 data bytes + the slot byte), the last one what remains + 1.
    const std::size_t remaining = data.size() - start;
    const auto length = static_cast<std::uint8_t>(remaining > kMacroChunkData ? kMacroChunkData + 1 : remaining + 1);
    const auto chunkByte = static_cast<std::uint8_t>(((index << 4) | (count & 0x0F)) & 0xFF);
    Report r = MakeCommandReport(kCmdMacroChunk, sequence, length, chunkByte);
    r[kOffMacroSlot] = slot;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(start), n, r.begin() + kOffMacroData);
    return r;
}

std::vector<Report> BuildMacroChunks(SequenceNumber& sequence, std::uint8_t slot, std::span<const std::uint8_t> data) {
    std::vector<Report> chunks;
    const std::size_t count = MacroChunkCount(data.size());
    for (std::size_t i = 0; i < count; ++i)
        chunks.push_back(BuildMacroChunk(sequence.Take(), slot, data, i));
    return chunks;
}

std::optional<std::uint16_t> SensorIdForCode(std::uint8_t code) {
    for (const auto& entry : kSensorCodes)
        if (entry.code == code)
            return entry.sensor;
    return std::nullopt;
}

std::optional<StatusResponse> ParseStatusResponse(std::span<const std::uint8_t, kReportLength> r) {
    if (r[kOffCommand] != kCmdReadStatus || r[kOffStatus] != 0x00)
        return std::nullopt;
    StatusResponse s;
    s.answered = r[kOffLength] != 0;
    s.tagMatches = std::equal(kModelTag.begin(), kModelTag.end(), r.begin() + kOffStatusTag);
    s.online = s.tagMatches && r[kOffStatusOnline] != 0;
    s.sensorCode = r[kOffStatusSensor];
    s.sensorId = SensorIdForCode(s.sensorCode);
    s.battery = r[kOffStatusBattery];
    const std::uint8_t charge = r[kOffStatusCharge];
    s.chargeState = (charge == kChargeCharging || charge == kChargeFull) ? charge : kChargeNone;
    return s;
}

std::optional<LevelChange> ParseLevelChange(std::span<const std::uint8_t> report) {
    if (report.size() <= kOffLevelLevel || report[0] != kLevelChangeReportId || report[1] != kLevelChangeKind)
        return std::nullopt;
    return LevelChange{report[kOffLevelInterval], report[kOffLevelLevel]};
}

} // namespace quorvik::device

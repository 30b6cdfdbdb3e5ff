#include "device/SensorTables.h"

#include "model/ProfileRecord.h"

#include <algorithm>

namespace quorvik::device {
namespace {

// Step values (× 50 DPI) are runs of evenly spaced values; a run with `step` 0 is one value.
struct Run {
    std::uint16_t first;
    std::uint16_t last;
    std::uint16_t step;
};

struct SensorRow {
    std::uint16_t sensor;
    std::uint16_t stepCount;
    std::uint8_t classFlag;
    std::uint8_t registerOffset; // register value of step code c is c + offset
    std::array<Run, 4> runs;     // unused runs have first = 0
};

constexpr std::array<SensorRow, 10> kSensors = {{
    {0x3104, 48, 0, 0, {{{2, 80, 2}, {90, 90, 0}, {96, 96, 0}, {110, 160, 10}}}},
    {0x3325, 59, 0, 1, {{{4, 100, 2}, {110, 120, 10}, {128, 128, 0}, {140, 200, 10}}}},
    {0x3327, 74, 0, 1, {{{4, 124, 2}, {130, 240, 10}, {248, 248, 0}, {}}}},
    {0x3212, 42, 0, 1, {{{4, 48, 2}, {60, 96, 2}, {}, {}}}},
    {0x3335, 160, 1, 0, {{{2, 320, 2}, {}, {}, {}}}},
    {0x3360, 121, 1, 0, {{{2, 240, 2}, {480, 480, 0}, {}, {}}}},
    {0x3370, 290, 1, 0, {{{1, 200, 1}, {202, 380, 2}, {}, {}}}},
    {0x3389, 160, 1, 0, {{{2, 320, 2}, {}, {}, {}}}},
    {0x3395, 520, 1, 0, {{{1, 520, 1}, {}, {}, {}}}},
    {0x3399, 400, 1, 0, {{{1, 400, 1}, {}, {}, {}}}},
}};

} // namespace

bool SensorTables::Rebuild(std::uint16_t sensor) {
    const auto row =
        std::find_if(kSensors.begin(), kSensors.end(), [&](const SensorRow& r) { return r.sensor == sensor; });
    if (row == kSensors.end()) {
        if (!sensor_)
            Rebuild(model::kDefaultSensor);
        return false;
    }
    std::size_t n = 0;
    for (const Run& run : row->runs) {
        if (run.first == 0)
            break;
        for (unsigned v = run.first; v <= run.last && n < kMaxSensorSteps; v += run.step ? run.step : 1)
            stepValues_[n++] = static_cast<std::uint16_t>(v);
    }
    // The runs above are written to produce exactly the listed step count.
    stepCount_ = static_cast<std::uint16_t>(std::min<std::size_t>(n, row->stepCount));
    for (std::size_t c = 0; c < stepCount_; ++c)
        registers_[c] = static_cast<std::uint16_t>(c + row->registerOffset);
    std::fill(stepValues_.begin() + stepCount_, stepValues_.end(), 0);
    std::fill(registers_.begin() + stepCount_, registers_.end(), 0);
    classFlag_ = row->classFlag;
    sensor_ = sensor;
    return true;
}

std::uint16_t SensorTables::ClampCode(std::uint32_t code) const {
    if (stepCount_ == 0)
        return 0;
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(code, stepCount_ - 1u));
}

} // namespace quorvik::device

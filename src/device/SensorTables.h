// Per-sensor DPI tables. The mouse does not take DPI values but register values of its sensor;
// a profile stores a step code per DPI level, and these tables turn a code into the DPI shown
// (step value × 50) and the register value sent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorvik::device {

inline constexpr std::size_t kMaxSensorSteps = 520; // the largest step count of any sensor
inline constexpr int kDpiPerStepUnit = 50;

class SensorTables {
public:
    // Rebuilds every table for `sensor`. For a sensor without tables of its own the previous tables
    // stay and false is returned; when none were built yet, the default sensor's are taken, so that
    // every DPI code can still be encoded and shown (a configuration may name any sensor).
    bool Rebuild(std::uint16_t sensor);

    std::uint16_t StepCount() const { return stepCount_; }
    // 1 when the lift-off distance section applies to this sensor, 0 when not.
    std::uint8_t ClassFlag() const { return classFlag_; }
    // The sensor the tables were last built for; none before the first successful rebuild.
    std::optional<std::uint16_t> Sensor() const { return sensor_; }

    // A code at or beyond the step count (a profile file may hold one, or a code from another
    // sensor's defaults) is taken as the last step: the tables end there, and the last step is the
    // closest setting the sensor has. 0 while no table is built.
    std::uint16_t ClampCode(std::uint32_t code) const;
    std::uint16_t StepValue(std::uint32_t code) const { return stepCount_ ? stepValues_[ClampCode(code)] : 0; }
    int Dpi(std::uint32_t code) const { return StepValue(code) * kDpiPerStepUnit; }
    std::uint16_t RegisterValue(std::uint32_t code) const { return stepCount_ ? registers_[ClampCode(code)] : 0; }

private:
    std::uint16_t stepCount_ = 0;
    std::uint8_t classFlag_ = 0;
    std::optional<std::uint16_t> sensor_;
    std::array<std::uint16_t, kMaxSensorSteps> stepValues_{};
    std::array<std::uint16_t, kMaxSensorSteps> registers_{};
};

} // namespace quorvik::device

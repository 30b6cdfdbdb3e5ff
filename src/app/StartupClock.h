// The time since the process started, for the start-up measurement (`quorvik --print-startup-ms`).
#pragma once

namespace quorvik::app {

// The environment variable in which a launcher passes the moment it ran the program: CLOCK_MONOTONIC
// in nanoseconds, taken just before the exec.
inline constexpr const char* kStartClockVariable = "QUORVIK_START_NS";

// Milliseconds since this process started: from the launcher's moment when QUORVIK_START_NS holds
// one, else from the start time the kernel keeps for the process, which counts in clock ticks
// (10 ms on most systems). A negative value when neither can be read.
double MillisecondsSinceProcessStart();

} // namespace quorvik::app

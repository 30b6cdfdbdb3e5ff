// Report lengths from a HID report descriptor, counted the way the HID class driver of the
// original platform counts them for its capabilities: per kind (input, output, feature) the
// longest report in whole bytes, plus one byte for the report id — also when the device uses no
// report ids. A kind without reports has length 0.
#pragma once

#include "platform/HidBus.h"

#include <cstdint>
#include <span>
#include <string>

namespace quorvik::platform {

struct HidDescriptorInfo {
    HidCaps caps;
    bool usesReportIds = false;
    // Empty when the descriptor was read to its end without a fault. On a fault (truncated item,
    // push/pop misuse, zero report id) the lengths counted up to the fault are kept.
    std::string error;
};

HidDescriptorInfo ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace quorvik::platform

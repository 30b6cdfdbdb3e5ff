// Report lengths from a HID report descriptor, counted the way HID capabilities are usually
// reported: per kind (input, output, feature) the
// longest report in whole bytes, plus one byte for the report id — also when the device uses no
// report ids. A kind without reports has length 0.
//
// That driver counts per top-level collection and makes each collection an interface of its own;
// a hidraw node carries every collection of one USB interface. So the lengths are given for the
// whole descriptor (what the node reads and writes) and for each top-level collection.
#pragma once

#include "platform/HidBus.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvik::platform {

struct HidDescriptorInfo {
    HidCaps caps; // the whole descriptor
    // One entry per top-level collection, in descriptor order. Main items outside every collection
    // count as one more collection, placed where the first of them stands.
    std::vector<HidCaps> collections;
    bool usesReportIds = false;
    // Empty when the descriptor was read to its end without a fault. On a fault (truncated item,
    // push/pop misuse, zero report id) the lengths counted up to the fault are kept.
    std::string error;
};

HidDescriptorInfo ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace quorvik::platform

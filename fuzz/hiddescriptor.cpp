// Arbitrary bytes as a HID report descriptor: the parser must stop safely on anything a device
// (or a hostile one) hands over, and give the same answer for the same bytes.
#include "platform/HidDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const auto first = quorvik::platform::ParseReportDescriptor(bytes);
    const auto again = quorvik::platform::ParseReportDescriptor(bytes);
    if (first.caps.inputReportByteLength != again.caps.inputReportByteLength ||
        first.caps.featureReportByteLength != again.caps.featureReportByteLength || first.error != again.error)
        std::abort();
    // A collection is part of the whole: none of its reports is longer than the interface's.
    for (const auto& c : first.collections)
        if (c.inputReportByteLength > first.caps.inputReportByteLength ||
            c.outputReportByteLength > first.caps.outputReportByteLength ||
            c.featureReportByteLength > first.caps.featureReportByteLength)
            std::abort();
    // Without a single main item nothing can have a length.
    if (size == 0 && (first.caps.inputReportByteLength || first.caps.featureReportByteLength))
        std::abort();
    return 0;
}

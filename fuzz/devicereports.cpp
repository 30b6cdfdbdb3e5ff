// Arbitrary 33-byte reports through everything that reads what a device (or a host) sends: the
// status response, the level-change recognition and the virtual mouse's command handling.
#include "device/CommandReports.h"
#include "emulator/VirtualMouse.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace quorvik;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static platform::VirtualClockLoop loop;
    static platform::SimulatedHidBus bus;
    static emulator::VirtualMouse mouse(bus, loop);

    device::Report report{};
    std::copy_n(data, std::min(size, report.size()), report.begin());

    if (const auto status = device::ParseStatusResponse(report)) {
        if (status->online && !status->tagMatches)
            std::abort();
    }
    (void)device::ParseLevelChange(std::span<const std::uint8_t>(data, size));

    // Inputs longer than one report feed a sequence of reports, so macro chunks can follow each other.
    for (std::size_t at = 0; at < size; at += device::kReportLength) {
        device::Report r{};
        std::copy_n(data + at, std::min(size - at, r.size()), r.begin());
        const bool accepted = mouse.handleCommand(device::Form::Wired, r);
        if (accepted && (r[0] != device::kCommandReportId || r[1] != device::kCommandMarker))
            std::abort();
    }
    mouse.clearTrace(); // keep memory flat over millions of runs
    return 0;
}

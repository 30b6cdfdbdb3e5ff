// quorvikctl's commands run in the test process: on the virtual mouse and the virtual clock, after
// the same settings load as the program, on a data folder of their own.
#pragma once

#include "CtlOptions.h"
#include "CommandTable.h"

#include "app/StartupLoad.h"
#include "emulator/VirtualMouse.h"
#include "macro/MacroLibrary.h"
#include "model/ProfileRecord.h"
#include "platform/SimulatedHidBus.h"
#include "platform/VirtualClockLoop.h"
#include "support/TestSupport.h"

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace quorvik {

struct CtlHarness {
    CtlHarness() {
        macro::TheMacroLibrary().Clear();
        macro::TheMacroLibrary().SetNextMacroIndex(1);
        model::SetCurrentSlot(0);
        app::LoadSettingsModel({QV_BIN_DIR "/", dir.str()});
    }

    int run(const std::vector<std::string>& args, const std::string& input = "") {
        ctl::CtlOptions options;
        std::string error;
        if (!ctl::ParseCtlArgs(args, options, error)) {
            err << error;
            return ctl::kExitBadArguments;
        }
        out.str("");
        err.str("");
        std::istringstream in(input);
        ctl::CtlContext context{loop, bus, out, err, in, nullptr, onWatching, {}};
        return ctl::RunCommand(options, context);
    }

    std::vector<std::string> traceLines() const {
        std::vector<std::string> lines;
        for (const auto& entry : mouse.trace())
            lines.push_back(ctl::HexLine(entry.bytes.data(), entry.bytes.size()));
        return lines;
    }

    test::TempDir dir;
    platform::VirtualClockLoop loop;
    platform::SimulatedHidBus bus;
    emulator::VirtualMouse mouse{bus, loop};
    std::ostringstream out, err;
    std::function<void()> onWatching;
};

} // namespace quorvik

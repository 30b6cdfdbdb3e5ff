// Arbitrary bytes as a profile file, read into slot 0 the way an import reads it; then everything
// later code takes from the record as an index goes through its checked accessor.
#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "platform/ProcessGlobals.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace quorvik::model;
namespace platform = quorvik::platform;

namespace {

// A private data folder, on tmpfs when there is one: every failed read writes the slot's defaults.
const std::string& sandbox() {
    static const std::string dir = [] {
        std::string base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string templ = base + "/quorvik-fuzz-profile-XXXXXX";
        if (!::mkdtemp(templ.data()))
            std::abort();
        std::filesystem::create_directories(templ + "/config");
        platform::SetDataFolder(templ);
        SetFactoryConfiguration();
        return templ + "/";
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = sandbox() + "input.psf";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    ReadProfile(0, path);
    const ProfileRecord& r = Profile(0);
    volatile int sink = 0;
    if (auto e = r.SelectedEffect())
        sink = sink + r.Lighting1Speed[std::size_t(*e)] + r.Lighting1FixedColor[std::size_t(*e)][9];
    if (auto level = r.ActiveDpiLevel())
        sink = sink + r.StepCode(*level, 48) + int(r.DPILevelIndication[std::size_t(*level)]);
    if (auto rate = r.PollingRateCode())
        sink = sink + *rate;
    for (const auto& b : r.buttons) {
        const auto n = b.Macro.ValidActionCount();
        if (n > 0)
            sink = sink + b.Macro.actions[n - 1].b[0];
        sink = sink + b.Macro.CountEvents();
    }
    // What was read writes back out without trouble.
    sink = sink + int(FormatProfileText(r).size());
    (void)sink;
    return 0;
}

// Arbitrary bytes as "config/config.ini" through the whole start-up load of the settings model.
#include "app/StartupLoad.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "platform/ProcessGlobals.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace quorvik::model;
namespace platform = quorvik::platform;
namespace app = quorvik::app;

namespace {

// A fixed data folder, so that the seeds' slot paths point into it. tmpfs keeps the many fallback
// writes (each flushed to disk) cheap.
const std::string kSandbox = "/dev/shm/quorvik-fuzz-config/";

// The load writes profile files wherever the slot paths say. Inputs that would send a write
// outside the sandbox are not run through the load (their parsing still is).
bool slotPathsStayInSandbox(const ConfigPairs& config) {
    for (int s = 0; s < kProfileSlotCount; ++s) {
        const std::string p = config.ProfileSlotPath(s);
        if (p.empty())
            continue; // an empty path is never written
        if (p.compare(0, kSandbox.size(), kSandbox) != 0 || p.find("..") != std::string::npos)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        std::filesystem::create_directories(kSandbox + "config");
        return std::filesystem::is_directory(kSandbox + "config");
    }();
    if (!ready)
        return 0;
    platform::SetDataFolder(kSandbox);
    const std::string path = ConfigFilePath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    // As in a fresh process. The load gives pairs the file leaves out their factory text, and the
    // factory slot paths lie in the sandbox, so the probe checks only the paths the file names.
    Config() = ConfigPairs{};
    ConfigPairs probe;
    if (probe.Read(path) && !slotPathsStayInSandbox(probe))
        return 0;

    app::LoadSettingsModel({"", kSandbox});
    volatile int sink = Config().CurrentProfileSlot() + CurrentSlot();
    for (int p = 0; p < Config().ShowCountClamped(); ++p)
        sink = sink + Profile(Config().ShowListSlot(p)).XYSetting[0];
    (void)sink;
    return 0;
}

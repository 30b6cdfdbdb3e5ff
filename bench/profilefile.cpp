// Profile file figures: time per read and per write of one profile file (99 lines, 43 KB of UTF-16),
// beside the time to read the same bytes raw and the time to build the text in memory. Writes
// include the flush to disk and the rename that make them crash-safe.
//
// Usage: bench_profilefile [folder]   (default: the system temp folder)
#include "model/ProfileFile.h"
#include "BenchSupport.h"
#include "model/ConfigPairs.h"
#include "platform/ProcessGlobals.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quorvik::model;
namespace platform = quorvik::platform;
using quorvik::bench::RawRead;
using Clock = std::chrono::steady_clock;

namespace {

// Microseconds per call of `run`, over `iterations` calls.
double MicrosPerOp(int iterations, const std::function<void()>& run) {
    auto start = Clock::now();
    for (int i = 0; i < iterations; ++i)
        run();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / iterations;
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        std::filesystem::path(argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string()) /
        ("quorvik-bench-profile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "config");
    platform::SetDataFolder(dir.string());
    SetFactoryConfiguration();
    const std::string path = (dir / "bench.psf").string();

    ProfileRecord record;
    record.ResetToFactory(0);
    // A button with a macro, so the action words are not all zero.
    for (std::size_t n = 0; n < 200; ++n)
        record.buttons[3].Macro.actions[n] = {{std::uint8_t(0x41 + n % 26), std::uint8_t(n & 0x80), 0, 0}};
    record.buttons[3].Macro.MacroActionNum = 200;
    record.buttons[3].Macro.MacroCommandActionNum = record.buttons[3].Macro.CountEvents();
    if (!WriteProfileRecord(record, path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    constexpr int kReads = 2000;
    constexpr int kWrites = 200;
    std::vector<char> buffer(64 * 1024);
    std::size_t bytes = RawRead(path, buffer);
    ProfileRecord back;
    bool ok = true;

    const double raw = MicrosPerOp(kReads, [&] { bytes = RawRead(path, buffer); });
    const double read = MicrosPerOp(kReads, [&] { ok = ReadProfileRecord(back, path) && ok; });
    std::size_t chars = 0;
    const double format = MicrosPerOp(kReads, [&] { chars += FormatProfileText(record).size(); });
    const double write = MicrosPerOp(kWrites, [&] { ok = WriteProfileRecord(record, path) && ok; });
    const double saveAll = MicrosPerOp(kWrites / 5, [&] {
        for (int s = 0; s < kProfileSlotCount; ++s)
            Profile(s) = record;
        ok = SaveAllProfiles() && ok;
    });

    std::printf("profile file: %zu bytes in %s\n", bytes, dir.string().c_str());
    std::printf("raw read of the bytes   %9.1f us/op  (%d ops)\n", raw, kReads);
    std::printf("read profile file       %9.1f us/op  (%d ops)\n", read, kReads);
    std::printf("format profile text     %9.1f us/op  (%d ops, in memory)\n", format, kReads);
    std::printf("write profile file      %9.1f us/op  (%d ops, flushed and renamed)\n", write, kWrites);
    std::printf("save all five profiles  %9.1f us/op  (%d ops)\n", saveAll, kWrites / 5);
    std::printf("round trip %s\n", ok && back == record ? "identical" : "DIFFERS");

    std::filesystem::remove_all(dir);
    return ok && back == record ? 0 : 1;
}

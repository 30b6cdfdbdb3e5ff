// Macro library figures: the resident size of the empty slot block, and the time to write and to
// read a library file of 1,000 macros with 50 actions each, beside the time to read the same bytes
// raw from the page cache.
#include "BenchSupport.h"
#include "macro/MacroFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quorvik::macro;
namespace model = quorvik::model;
using quorvik::bench::RawRead;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFolders = 20;
constexpr int kMacrosPerFolder = 50;
constexpr int kActionsPerMacro = 50;
constexpr int kRounds = 7;

double CpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Median of kRounds runs, in milliseconds.
double MedianMs(const std::function<void()>& run) {
    std::vector<double> times;
    for (int r = 0; r < kRounds; ++r) {
        auto start = Clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Fill(MacroLibrary& lib) {
    for (int f = 0; f < kFolders; ++f) {
        MacroLocation cur;
        lib.AddFolder(u"Folder " + std::u16string(1, char16_t(u'A' + f)), cur);
        const MacroLocation folder = cur;
        for (int m = 0; m < kMacrosPerFolder; ++m) {
            cur = folder;
            std::string name = "Macro " + std::to_string(m);
            lib.AddMacro(std::u16string(name.begin(), name.end()), cur);
            model::MacroRecord& rec = *lib.SlotAt(cur)->macro;
            for (int a = 0; a < kActionsPerMacro; a += 2) {
                rec.InsertAction(rec.MacroActionNum, model::MakeKeyEvent(std::uint8_t(0x41 + a % 26), a % 4 != 0));
                rec.InsertAction(rec.MacroActionNum, model::MakeDelay(std::uint32_t(10 + a)));
            }
            rec.MacroCommandActionNum = rec.CountEvents();
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path() / "qv-bench-macro";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "MacroLibraryFile.mlf").string();

    const long before = quorvik::bench::ResidentKiB();
    auto lib = std::make_unique<MacroLibrary>();
    const long after = quorvik::bench::ResidentKiB();
    std::printf("empty library block: %zu slots, %.1f MiB; VmRSS %ld KiB -> %ld KiB (+%.1f MiB)\n", kLibrarySlotCount,
                double(MacroLibrary::kBlockBytes) / 1048576.0, before, after, double(after - before) / 1024.0);

    Fill(*lib);
    const long filled = quorvik::bench::ResidentKiB();
    std::printf("filled with %d macros of %d actions: VmRSS %ld KiB (+%.1f MiB)\n", kFolders * kMacrosPerFolder,
                kActionsPerMacro, filled, double(filled - after) / 1024.0);

    bool ok = true;
    // CPU time apart from the wall time: the wait for the disk in fsync is not ours to speed up.
    double writeCpuMs = 0;
    const double writeMs = MedianMs([&] {
        const double cpuStart = CpuMs();
        ok = WriteMacroLibraryFile(*lib, path, MacroLocation::None()) && ok;
        writeCpuMs += (CpuMs() - cpuStart) / kRounds;
    });
    const std::size_t bytes = std::filesystem::file_size(path);
    std::vector<char> buffer(1 << 20);
    RawRead(path, buffer); // into the page cache
    const double rawMs = MedianMs([&] { RawRead(path, buffer); });
    // The same bytes written raw and flushed the same way, to tell our cost from the disk's.
    std::vector<char> bytesOfFile(bytes);
    RawRead(path, bytesOfFile);
    const std::string rawPath = (dir / "raw.bin").string();
    const double rawWriteMs = MedianMs([&] {
        int fd = ::open(rawPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ok = ::write(fd, bytesOfFile.data(), bytesOfFile.size()) == ssize_t(bytesOfFile.size()) && ok;
        ok = ::fsync(fd) == 0 && ok;
        ::close(fd);
    });
    auto back = std::make_unique<MacroLibrary>();
    const double readMs = MedianMs([&] { ok = ReadMacroLibraryFile(*back, path, nullptr) && ok; });
    ok = ok && back->CountOccupied() == lib->CountOccupied();

    std::printf("file: %zu bytes (%.1f MiB)\n", bytes, double(bytes) / (1024.0 * 1024.0));
    std::printf("raw read (page cache)  %8.2f ms\n", rawMs);
    std::printf("raw write + fsync      %8.2f ms\n", rawWriteMs);
    std::printf("library write          %8.2f ms  (%.1fx raw read, %.1fx raw write; includes fsync)\n", writeMs,
                writeMs / rawMs, writeMs / rawWriteMs);
    std::printf("library write CPU time %8.2f ms  (%.1fx raw read; mean)\n", writeCpuMs, writeCpuMs / rawMs);
    std::printf("library read           %8.2f ms  (%.1fx raw read)\n", readMs, readMs / rawMs);
    const double removeMs = MedianMs([&] {
        MacroLocation cur = MacroLocation::At(0);
        lib->AddFolder(u"Scratch", cur);
        lib->Remove(MacroLocation::At(0));
    });
    std::printf("remove a depth-0 folder with %d siblings  %.3f ms\n", kFolders, removeMs);
    auto start = Clock::now();
    lib->Clear();
    std::printf("clear of the filled library  %.3f ms\n",
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!ok) {
        std::fprintf(stderr, "a write or read failed\n");
        return 1;
    }
    std::filesystem::remove_all(dir);
    return 0;
}

// Arbitrary bytes as the macro library file, read the way the program reads it at start-up. The
// library that comes out must survive being written and read again unchanged in size.
#include "macro/MacroFiles.h"
#include "platform/ProcessGlobals.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace quorvik::macro;
namespace model = quorvik::model;
namespace platform = quorvik::platform;

namespace {

// tmpfs where there is one: every write of the library file ends in fsync.
std::string MakeDataFolder() {
    std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::filesystem::path dir = base / ("qv-fuzz-macrolibrary-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "config");
    // The folder goes when the fuzzer exits.
    static const struct Remover {
        std::filesystem::path path;
        ~Remover() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } remover{dir};
    return dir.string() + "/";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = MakeDataFolder();
    quorvik::platform::SetDataFolder(folder);
    const std::string path = MacroLibraryFilePath();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    MacroLibrary& lib = TheMacroLibrary();
    ReadMacroLibraryAtStartup();
    const std::size_t occupied = lib.CountOccupied();

    const std::string again = folder + "again.mlf";
    if (!WriteMacroLibraryFile(lib, again, MacroLocation::None()))
        __builtin_trap();
    static MacroLibrary back;
    if (!ReadMacroLibraryFile(back, again, nullptr) || back.CountOccupied() != occupied ||
        back.NextMacroIndex() != lib.NextMacroIndex())
        __builtin_trap();
    return 0;
}

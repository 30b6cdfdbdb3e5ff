// Arbitrary bytes as an ".mbf" / ".mkf" file, imported into a small library from one of several
// selections (chosen by the first byte). Whatever the file holds, the library must keep its
// shape: occupied siblings contiguous from index 0, unique names among siblings, folders only at
// depths 0 and 1, a record for every macro; and the import tree must be empty afterwards.
#include "macro/MacroFiles.h"
#include "macro/MacroItemCommands.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>

using namespace quorvik::macro;
namespace model = quorvik::model;

namespace {

std::string MakeFolder() {
    std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::filesystem::path dir = base / ("qv-fuzz-macroimport-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
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

// Folder "A" {macro "a1", folder "A2" {macro "x"}}, macro "B".
void BuildSmallLibrary(MacroLibrary& lib) {
    lib.Clear();
    MacroLocation cur;
    lib.AddFolder(u"A", cur);
    lib.AddMacro(u"a1", cur = MacroLocation::At(0));
    lib.AddFolder(u"A2", cur = MacroLocation::At(0));
    lib.AddMacro(u"x", cur = MacroLocation::At(0, 1));
    lib.AddMacro(u"B", cur = MacroLocation::None());
}

void CheckSiblings(const MacroLibrary& lib, const MacroLocation& parent) {
    std::set<std::u16string> names;
    bool freeSeen = false;
    for (int k = 0; k < kSlotsPerLevel; ++k) {
        const MacroLocation at = parent.Child(k);
        const MacroLibraryNode& node = *lib.SlotAt(at);
        if (!node.IsOccupied()) {
            freeSeen = true;
            continue;
        }
        if (freeSeen || !names.insert(node.name).second)
            __builtin_trap();
        if (node.IsFolderSlot() ? (at.stage > 1 || node.macro) : !node.IsMacroSlot())
            __builtin_trap();
        if (node.IsFolderSlot())
            CheckSiblings(lib, at);
    }
}

const MacroLocation kSelections[] = {
    MacroLocation::None(),   MacroLocation::At(0),       MacroLocation::At(1), MacroLocation::At(0, 0),
    MacroLocation::At(0, 1), MacroLocation::At(0, 1, 0), MacroLocation::At(7), {9, 0, 0, 0},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const std::string path = MakeFolder() + "items.mbf";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    static MacroLibrary lib;
    MacroLibrary& tree = TheImportTree();
    const MacroLocation current = kSelections[data[0] % std::size(kSelections)];

    BuildSmallLibrary(lib);
    ImportItems(lib, tree, current, path);
    if (tree.CountOccupied() != 0)
        __builtin_trap();
    CheckSiblings(lib, MacroLocation::None());

    BuildSmallLibrary(lib);
    ImportMacro(lib, tree, current, path);
    if (tree.CountOccupied() != 0)
        __builtin_trap();
    CheckSiblings(lib, MacroLocation::None());
    return 0;
}

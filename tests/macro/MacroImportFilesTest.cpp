// Macro files given to import that are no macro files at all: pipes, devices, files beyond the
// bound, read-only ones; and a library whose save failed, told to the settings' save reporting.
#include "macro/MacroFiles.h"
#include "macro/MacroItemCommands.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace quorvik::macro {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(MacroImportFiles, WhatIsNoMacroFileIsRefusedWithItsReason) {
    TempDir dir;
    MacroLibrary lib, tree;
    MacroLocation at = MacroLocation::None();
    ASSERT_EQ(lib.AddMacro(u"Kept", at), AddResult::Added);
    const std::string fifo = (dir.path() / "pipe.mkf").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = (dir.path() / "big.mbf").string();
    test::writeBytes(big, {0xFF, 0xFE});
    fs::resize_file(big, model::kMacroFileLimit + 1); // sparse: the size is what counts
    for (const auto& [path, fault] :
         {std::pair{fifo, model::FileFault::NotAFile}, std::pair{std::string("/dev/zero"), model::FileFault::NotAFile},
          std::pair{big, model::FileFault::TooLarge}}) {
        SCOPED_TRACE(path);
        for (auto import : {ImportMacro, ImportItems}) {
            const ItemCommandOutcome out = import(lib, tree, MacroLocation::At(0), path);
            EXPECT_EQ(out.result, ItemCommandResult::FileUnreadable);
            EXPECT_EQ(out.problem.fault, fault);
            EXPECT_EQ(lib.CountOccupied(), 1u);
            EXPECT_EQ(tree.CountOccupied(), 0u);
        }
    }

    // An export file the user may only read imports all the same.
    const std::string exported = (dir.path() / "kept.mkf").string();
    ASSERT_EQ(ExportMacro(lib, MacroLocation::At(0), exported).result, ItemCommandResult::Done);
    ASSERT_EQ(::chmod(exported.c_str(), 0444), 0);
    MacroLibrary other;
    EXPECT_EQ(ImportMacro(other, tree, MacroLocation::None(), exported).result, ItemCommandResult::Done);
}

TEST(MacroImportFiles, AFailedLibrarySaveIsToldWithItsReason) {
    TempDir dir;
    platform::SetDataFolder((dir.path() / "gone/").string());
    model::ForgetSaveFailures();
    std::vector<model::SaveFailure> told;
    auto previous = model::SetSaveFailureHandler([&](const model::SaveFailure& f) { told.push_back(f); });
    EXPECT_FALSE(SaveMacroLibraryFile());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].path, MacroLibraryFilePath());
    EXPECT_EQ(told[0].problem.fault, model::FileFault::Missing);
    EXPECT_TRUE(model::SaveFailing(MacroLibraryFilePath()));

    fs::create_directories(dir.path() / "gone/config");
    EXPECT_TRUE(SaveMacroLibraryFile());
    EXPECT_FALSE(model::SaveFailing(MacroLibraryFilePath()));
    model::SetSaveFailureHandler(std::move(previous));
    platform::SetDataFolder("");
}

} // namespace
} // namespace quorvik::macro

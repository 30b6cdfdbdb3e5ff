// quorvikctl and files it cannot use: a profile file that is a pipe, a device or far too large is
// refused at once with the reason (exit 5), and a settings file that cannot be saved is named and
// makes the command fail (exit 1).
#include "CtlHarness.h"

#include "model/ConfigPairs.h"
#include "model/FileProblems.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace quorvik {
namespace {

namespace fs = std::filesystem;

TEST(QuorvikctlFiles, ProfileFilesThatAreNoProfileAreRefusedWithTheReason) {
    CtlHarness h;
    h.mouse.plug(device::Form::Wired);
    const fs::path dir = h.dir.path();
    ASSERT_EQ(::mkfifo((dir / "pipe.psf").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.psf");
    test::writeBytes(dir / "big.psf", {0xFF, 0xFE});
    fs::resize_file(dir / "big.psf", 300u * 1024 * 1024);
    const std::pair<const char*, const char*> cases[] = {
        {"pipe.psf", "not a regular file"},
        {"zero.psf", "not a regular file"},
        {"big.psf", "larger than 1 MiB"},
        {"missing.psf", "no such file or folder"},
    };
    for (const auto& [name, reason] : cases) {
        for (const char* command : {"apply", "reports"}) {
            SCOPED_TRACE(std::string(command) + " " + name);
            const std::string path = (dir / name).string();
            EXPECT_EQ(h.run({command, path, "--virtual-mouse"}), ctl::kExitBadProfile);
            EXPECT_NE(h.err.str().find(path), std::string::npos) << h.err.str();
            EXPECT_NE(h.err.str().find(reason), std::string::npos) << h.err.str();
        }
    }
    EXPECT_TRUE(h.mouse.trace().empty()) << "nothing reached the mouse";
}

// The data folder went away under the tool: the reset still reaches the mouse, but the profile it
// resets cannot be saved, and the tool says so and fails.
TEST(QuorvikctlFiles, ASettingsFileThatCannotBeSavedFailsTheCommand) {
    model::ForgetSaveFailures();
    CtlHarness h;
    h.mouse.plug(device::Form::Wired);
    const std::string slotFile = model::Config().ProfileSlotPath(0);
    fs::remove_all(h.dir.path() / "config");
    EXPECT_EQ(h.run({"reset", "--yes"}), ctl::kExitFailure);
    EXPECT_NE(h.err.str().find("cannot save " + slotFile + ": no such file or folder"), std::string::npos)
        << h.err.str();
    // Told once; the exit code says it every time.
    EXPECT_EQ(h.run({"reset", "--yes"}), ctl::kExitFailure);
    EXPECT_EQ(h.err.str().find("cannot save"), std::string::npos) << h.err.str();

    fs::create_directories(h.dir.path() / "config");
    EXPECT_EQ(h.run({"reset", "--yes"}), ctl::kExitOk) << h.err.str();
    EXPECT_TRUE(fs::exists(slotFile));
    model::ForgetSaveFailures();
}

} // namespace
} // namespace quorvik

// What saves killed before their rename leave behind, and what the next start clears.
#include "SettingsLoadSupport.h"

#include <algorithm>

namespace quorvik::model::startup_test {
namespace {

// Saves killed at random moments leave temporary files beside their targets; the next start
// clears them all, and every file still reads.
TEST_F(SettingsLoadTest, KilledSavesLeaveNoLeftoverAfterTheNextStart) {
    LoadSettingsModel(paths_);
    ASSERT_TRUE(macro::SaveMacroLibraryFile());
    std::mt19937 random(12345);
    const fs::path folder = data("config");
    // The save's temporary files in `folder`, under either of their names.
    auto temporaries = [&folder] {
        std::set<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find(".saving-") != std::string::npos || name.find(".creating-") != std::string::npos)
                names.insert(name);
        }
        return names;
    };
    auto hasNew = [&](const std::set<std::string>& known) {
        return std::ranges::any_of(temporaries(), [&](const std::string& name) { return !known.contains(name); });
    };
    for (int kill = 0; kill < 100; ++kill) {
        const std::set<std::string> before = temporaries();
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            (void)!::write(ready[1], "r", 1);
            for (;;) {
                SaveAllProfiles();
                SaveConfiguration();
                macro::SaveMacroLibraryFile();
            }
        }
        ::close(ready[1]);
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        // A kill at a random point of a save: once the child has made a temporary file of its
        // own, a busy wait of up to a millisecond. The child runs on real time, and on a loaded
        // machine it may not run at all for a while after it said it was ready.
        const auto began = std::chrono::steady_clock::now();
        while (!hasNew(before) && std::chrono::steady_clock::now() - began < std::chrono::seconds(5)) {
        }
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::microseconds(std::uniform_int_distribution<int>(0, 1000)(random));
        while (std::chrono::steady_clock::now() < until) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    const std::size_t left = saveLeftovers(folder).size();
    EXPECT_GT(left, 0u) << "no kill landed inside a save; the test proves nothing";
    RecordProperty("leftovers", int(left));

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_EQ(std::size_t(r.leftoversRemoved), left);
    EXPECT_TRUE(saveLeftovers(folder).empty());
    EXPECT_TRUE(r.configurationRead);
    EXPECT_TRUE(r.macroLibraryLoaded);
    EXPECT_EQ(r.profilesRead, (std::array<bool, 5>{true, true, true, true, true}));
}

// Earlier builds named their temporary files "<name>.XXXXXX"; old ones of our own files go at the
// next start, a user's copy with such a name stays.
TEST_F(SettingsLoadTest, StartRemovesOldLeftoversOfEarlierBuildsButNotTheUsersCopies) {
    LoadSettingsModel(paths_);
    const fs::path leftovers[] = {data("config/config.ini.k3Jd9Q"), data("config/default4.psf.Zp0wX1"),
                                  data("config/MacroLibraryFile.mlf.aa00BB")};
    const fs::path copy = data("config/default1.psf.backup");
    for (const fs::path& file : leftovers)
        test::writeBytes(file, test::utf16File(u"[Setting]\n"));
    test::writeBytes(copy, test::readBytes(slotFile(1)));
    const timespec old{std::time(nullptr) - 3600, 0};
    const timespec times[2] = {old, old};
    for (const fs::path& file : {leftovers[0], leftovers[1], leftovers[2], copy})
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_EQ(r.leftoversRemoved, 3);
    for (const fs::path& file : leftovers)
        EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(copy));
}

} // namespace
} // namespace quorvik::model::startup_test

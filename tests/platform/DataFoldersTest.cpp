// Where the user's data lives, and preparing it on a first start.
#include "platform/DataFolders.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace quorvik::platform {
namespace {

namespace fs = std::filesystem;

TEST(DataFolders, DataFolderFollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/xdg/home", 1);
    EXPECT_EQ(platform::ResolveDataFolder(), "/xdg/home/GamingMouseData20230810A/");
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1);
    const char* home = std::getenv("HOME");
    if (home && *home) {
        std::string base = home;
        if (base.back() != '/')
            base += '/';
        EXPECT_EQ(platform::ResolveDataFolder(), base + ".config/GamingMouseData20230810A/");
    }
    if (saved)
        ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

// The delivered files that the data folder lacks are copied; what the user has is never replaced.
TEST(DataFolders, FirstStartPreparesTheDataFolderWithoutReplacingTheUsersFiles) {
    test::TempDir root;
    fs::create_directories(root.path() / "program/config/sub");
    test::writeBytes(root.path() / "program/config/Lan.txt", {1});
    test::writeBytes(root.path() / "program/config/LanSetting.ini", {2});
    test::writeBytes(root.path() / "program/config/sub/inner.txt", {3});
    const std::string program = root.str() + "program/";
    const std::string data = root.str() + "data/";

    EXPECT_EQ(CopyDeliveredFiles(program, data), 0) << "no data folder yet";
    ASSERT_TRUE(EnsureDataFolder(data));
    EXPECT_TRUE(fs::is_directory(root.path() / "data/config"));
    EXPECT_TRUE(EnsureDataFolder(data)) << "an existing folder is fine";
    test::writeBytes(root.path() / "data/config/LanSetting.ini", {9});

    EXPECT_EQ(CopyDeliveredFiles(program, data), 1);
    EXPECT_EQ(test::readBytes(root.path() / "data/config/Lan.txt"), (std::vector<unsigned char>{1}));
    EXPECT_EQ(test::readBytes(root.path() / "data/config/LanSetting.ini"), (std::vector<unsigned char>{9}));
    EXPECT_FALSE(fs::exists(root.path() / "data/config/sub")) << "only the files of config/ itself";
    EXPECT_EQ(CopyDeliveredFiles(program, data), 0);

    test::writeBytes(root.path() / "blocked", {1});
    EXPECT_FALSE(EnsureDataFolder(root.str() + "blocked/"));
}

// After an upgrade the data folder holds the language texts of the earlier version: those the
// program only reads follow the delivered copies; the language the user chose stays, and so do a
// link the user made and a file the user made read-only.
TEST(DataFolders, DeliveredLanguageTextsReplaceOlderCopiesButTheChoiceStays) {
    test::TempDir root;
    fs::create_directories(root.path() / "program/config");
    fs::create_directories(root.path() / "data/config");
    const fs::path program = root.path() / "program/config";
    const fs::path data = root.path() / "data/config";
    test::writeBytes(program / "Lan_EN.txt", {1, 2, 3});
    test::writeBytes(program / "Lan.txt", {4, 5, 6});
    test::writeBytes(program / "LanSetting.ini", {7});
    test::writeBytes(data / "Lan_EN.txt", {1, 2});
    test::writeBytes(data / "Lan.txt", {4, 5, 0});
    test::writeBytes(data / "LanSetting.ini", {8});

    EXPECT_EQ(CopyDeliveredFiles(root.str() + "program/", root.str() + "data/"), 2);
    EXPECT_EQ(test::readBytes(data / "Lan_EN.txt"), (std::vector<unsigned char>{1, 2, 3}));
    EXPECT_EQ(test::readBytes(data / "Lan.txt"), (std::vector<unsigned char>{4, 5, 6}));
    EXPECT_EQ(test::readBytes(data / "LanSetting.ini"), (std::vector<unsigned char>{8})) << "the user's choice";
    EXPECT_FALSE(fs::exists(data / "Lan_EN.txt.part"));
    EXPECT_EQ(CopyDeliveredFiles(root.str() + "program/", root.str() + "data/"), 0) << "equal copies stay";

    test::writeBytes(root.path() / "mine.txt", {9});
    fs::remove(data / "Lan_EN.txt");
    fs::create_symlink(root.path() / "mine.txt", data / "Lan_EN.txt");
    test::writeBytes(data / "Lan.txt", {0});
    ASSERT_EQ(::chmod((data / "Lan.txt").c_str(), 0444), 0);
    std::string why;
    if (!test::RunAsOrdinaryUser(
            root.path(),
            [&] {
                EXPECT_EQ(CopyDeliveredFiles(root.str() + "program/", root.str() + "data/"), 0);
                EXPECT_TRUE(fs::is_symlink(data / "Lan_EN.txt"));
                EXPECT_EQ(test::readBytes(root.path() / "mine.txt"), (std::vector<unsigned char>{9}));
                EXPECT_EQ(test::readBytes(data / "Lan.txt"), (std::vector<unsigned char>{0}));
            },
            why))
        GTEST_SKIP() << why;
}

// Another user's data folder (or its config/) is named with its owner; the user's own, a link to
// a folder of theirs, or one still to be made, is not.
TEST(DataFolders, AFolderOfAnotherUserIsFound) {
    test::TempDir root;
    const std::string data = root.str() + "data/";
    EXPECT_EQ(ForeignDataFolder(data), std::nullopt) << "still to be made";
    ASSERT_TRUE(EnsureDataFolder(data));
    EXPECT_EQ(ForeignDataFolder(data), std::nullopt);
    fs::create_directories(root.path() / "elsewhere/config");
    fs::create_symlink(root.path() / "elsewhere", root.path() / "linked");
    EXPECT_EQ(ForeignDataFolder(root.str() + "linked/"), std::nullopt) << "the user's own link to their own folder";
    EXPECT_EQ(UserName(0), "root");
    EXPECT_EQ(UserName(4000000000u), "4000000000") << "a user without a name is its number";

    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    ASSERT_EQ(::chown((root.path() / "data/config").c_str(), 65534, 65534), 0);
    const auto config = ForeignDataFolder(data);
    ASSERT_TRUE(config.has_value());
    EXPECT_EQ(config->path, (fs::path(data) / "config").string());
    EXPECT_EQ(config->owner, 65534u);
    ASSERT_EQ(::chown((root.path() / "data").c_str(), 65534, 65534), 0);
    EXPECT_EQ(ForeignDataFolder(data)->path, data) << "the data folder itself first";
}

} // namespace
} // namespace quorvik::platform

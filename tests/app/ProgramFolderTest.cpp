// Where the program's own files are found: beside the executable in a build tree, under
// share/quorvik/ in an installed prefix; and the start-up copying the delivered files from there.
#include "app/StartupLoad.h"
#include "model/LanguageTable.h"
#include "platform/DataFolders.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvik::platform {
namespace {

namespace fs = std::filesystem;

class ProgramFolderTest : public ::testing::Test {
protected:
    std::string folder(const std::string& relative) const { return (root_.path() / relative).string() + "/"; }
    void makeDirs(const std::string& relative) const { fs::create_directories(root_.path() / relative); }

    test::TempDir root_;
};

TEST_F(ProgramFolderTest, FilesBesideTheExecutableWinOverAnInstalledCopy) {
    // A build tree inside a prefix that also holds an installed copy: the build's own files count.
    makeDirs("prefix/bin/skins");
    makeDirs("prefix/share/quorvik/skins");
    EXPECT_EQ(ProgramFolderFor(folder("prefix/bin")), folder("prefix/bin"));

    // The command-line tool of a build without the GUI has the language files beside it only.
    makeDirs("tools/bin/config");
    makeDirs("tools/share/quorvik/config");
    EXPECT_EQ(ProgramFolderFor(folder("tools/bin")), folder("tools/bin"));
}

TEST_F(ProgramFolderTest, InstalledPrefixGivesShareQuorvikWithoutDotDot) {
    makeDirs("usr/bin");
    makeDirs("usr/share/quorvik/skins");
    const std::string expected = (root_.path() / "usr/share/quorvik").string() + "/";
    EXPECT_EQ(ProgramFolderFor(folder("usr/bin")), expected);
    // The folder as /proc/self/exe's parent gives it: no trailing slash.
    EXPECT_EQ(ProgramFolderFor((root_.path() / "usr/bin").string()), expected);
}

TEST_F(ProgramFolderTest, NothingFoundKeepsTheExecutableFolder) {
    makeDirs("lonely/bin");
    EXPECT_EQ(ProgramFolderFor((root_.path() / "lonely/bin").string()), folder("lonely/bin"));
    // Plain files of those names are not the program's folders.
    makeDirs("files/bin");
    makeDirs("files/share");
    test::writeBytes(root_.path() / "files/bin/skins", {'x'});
    test::writeBytes(root_.path() / "files/share/quorvik", {'x'});
    EXPECT_EQ(ProgramFolderFor(folder("files/bin")), folder("files/bin"));
    EXPECT_EQ(ProgramFolderFor(""), "");
}

TEST_F(ProgramFolderTest, RunningExecutableFindsTheBuildTreeFolder) {
    // The test binary runs from the build's bin/, beside skins/ and config/.
    EXPECT_EQ(ResolveProgramFolder(), ExecutableFolder());
    EXPECT_TRUE(fs::is_directory(fs::path(ResolveProgramFolder()) / "config"));
    EXPECT_EQ(app::DefaultStartupPaths().programFolder, ResolveProgramFolder());
}

TEST_F(ProgramFolderTest, FirstStartCopiesTheInstalledLanguageFiles) {
    // An installed layout made from the language files this build delivers.
    makeDirs("prefix/bin");
    makeDirs("prefix/share/quorvik");
    fs::copy(fs::path(QV_BIN_DIR) / "config", root_.path() / "prefix/share/quorvik/config",
             fs::copy_options::recursive);
    const std::string program = ProgramFolderFor(folder("prefix/bin"));
    ASSERT_EQ(program, (root_.path() / "prefix/share/quorvik").string() + "/");

    model::ResetLanguageTables();
    const app::LoadResult loaded = app::LoadSettingsModel({program, folder("home/data")});
    EXPECT_EQ(ProgramFolder(), program);
    EXPECT_EQ(loaded.deliveredFilesCopied, 3);
    EXPECT_TRUE(loaded.languageLoaded);
    EXPECT_TRUE(fs::exists(root_.path() / "home/data/config/Lan_EN.txt"));
    EXPECT_EQ(test::readBytes(root_.path() / "home/data/config/LanSetting.ini"),
              test::readBytes(root_.path() / "prefix/share/quorvik/config/LanSetting.ini"));
    model::ResetLanguageTables();
}

} // namespace
} // namespace quorvik::platform

#include "app/StartupReport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvik::app {
namespace {

TEST(StartupReportTest, BrokenFilesAreNamedEachWithWhatIsWrong) {
    EXPECT_EQ(BrokenFilesReport({}, "quorvik"), "");
    EXPECT_EQ(BrokenFilesReport({{"/p/skins/exit_nr.png", "empty"}}, "quorvik"),
              "quorvik: the installation is damaged: 1 file is missing or broken:\n  /p/skins/exit_nr.png: empty\n");
    const std::string two = BrokenFilesReport({{"/p/a.png", "missing"}, {"/p/config/Lan.txt", "cut short"}}, "quorvik");
    EXPECT_EQ(two, "quorvik: the installation is damaged: 2 files are missing or broken:\n  /p/a.png: missing\n"
                   "  /p/config/Lan.txt: cut short\n");
}

// The delivered language files hold the same numbers: one that lost lines at its end (nothing
// else wrong with it) is found by what the other one has.
TEST(StartupReportTest, DeliveredLanguageFilesAreCheckedAgainstEachOther) {
    test::TempDir program;
    std::filesystem::create_directories(program.path() / "config");
    const auto write = [&](const char* name, const std::u16string& text) {
        test::writeBytes(program.path() / "config" / name, test::utf16File(text));
    };
    write("LanSetting.ini", u"[ChangeLanguage]\nLanguage=EN\n");
    write("Lan_EN.txt", u"[Setting]\n0=English\n4=OK\n5=Cancel\n");
    write("Lan.txt", u"[Setting]\n0=中文\n4=确定\n5=取消\n");
    EXPECT_EQ(LanguageFileProblems(program.str()), std::vector<BrokenFile>{});

    write("Lan_EN.txt", u"[Setting]\n0=English\n");
    std::filesystem::remove(program.path() / "config/LanSetting.ini");
    EXPECT_EQ(LanguageFileProblems(program.str()),
              (std::vector<BrokenFile>{
                  {program.str() + "config/Lan_EN.txt", "2 texts of Lan.txt are missing (text 4 first): cut short"},
                  {program.str() + "config/LanSetting.ini", "missing"}}));

    test::writeBytes(program.path() / "config/Lan.txt", {'[', 'S'});
    const auto problems = LanguageFileProblems(program.str());
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].path, program.str() + "config/Lan.txt");
    EXPECT_EQ(problems[0].what, "not UTF-16 with a byte-order mark (it begins with the bytes 5B 53)");
}

TEST(StartupReportTest, LanguageReportNamesWhereTheFilesWereLookedFor) {
    LoadResult loaded;
    loaded.languageLoaded = true;
    EXPECT_EQ(LanguageReport(loaded, {"/usr/share/quorvik/", "/home/u/.config/D/"}), "");

    loaded.languageLoaded = false;
    const std::string report = LanguageReport(loaded, {"/usr/share/quorvik/", "/home/u/.config/D/"});
    EXPECT_NE(report.find("/home/u/.config/D/config/"), std::string::npos) << report;
    EXPECT_NE(report.find("/usr/share/quorvik/config/"), std::string::npos) << report;
    EXPECT_EQ(report.back(), '\n');

    EXPECT_NE(LanguageReport(loaded, {"/usr/share/quorvik/", ""}).find("no data folder"), std::string::npos);
}

} // namespace
} // namespace quorvik::app

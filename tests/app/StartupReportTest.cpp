#include "app/StartupReport.h"

#include <gtest/gtest.h>

namespace quorvik::app {
namespace {

TEST(StartupReportTest, MissingSkinsAreCountedAndListedUpToTen) {
    EXPECT_EQ(MissingSkinsReport({}, "/usr/share/quorvik/"), "");
    EXPECT_EQ(MissingSkinsReport({"/p/skins/exit_nr.png"}, "/p/"),
              "quorvik: 1 skin picture missing from /p/skins/:\n  /p/skins/exit_nr.png\n");

    std::vector<std::string> all;
    for (int i = 0; i < 12; ++i)
        all.push_back("/p/skins/" + std::to_string(i) + ".png");
    const std::string report = MissingSkinsReport(all, "/p/");
    EXPECT_EQ(report.rfind("quorvik: 12 skin pictures missing from /p/skins/:\n", 0), 0u) << report;
    EXPECT_NE(report.find("  /p/skins/9.png\n"), std::string::npos);
    EXPECT_EQ(report.find("/p/skins/10.png"), std::string::npos);
    EXPECT_NE(report.find("  ... and 2 more\n"), std::string::npos);
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

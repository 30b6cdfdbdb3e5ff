#include "app/StartupReport.h"

#include <unistd.h>

namespace quorvik::app {

namespace {
// Beyond this the list says how many more: a missing skins folder would otherwise fill a screen.
constexpr std::size_t kListedPaths = 10;
} // namespace

std::string MissingSkinsReport(const std::vector<std::string>& missing, const std::string& programFolder) {
    if (missing.empty())
        return {};
    std::string report = "quorvik: " + std::to_string(missing.size()) + " skin picture" +
                         (missing.size() == 1 ? "" : "s") + " missing from " + programFolder + "skins/:\n";
    for (std::size_t i = 0; i < missing.size() && i < kListedPaths; ++i)
        report += "  " + missing[i] + "\n";
    if (missing.size() > kListedPaths)
        report += "  ... and " + std::to_string(missing.size() - kListedPaths) + " more\n";
    return report;
}

std::string ForeignDataFolderReport(const platform::ForeignFolder& folder, const std::string& program) {
    const unsigned me = ::geteuid();
    const std::string owner = platform::UserName(folder.owner);
    return program + ": the data folder " + folder.path + " belongs to the user " + owner + " (uid " +
           std::to_string(folder.owner) + "), not to " + platform::UserName(me) + " (uid " + std::to_string(me) +
           "), the user " + program + " runs as; it works only on a data folder of its own user: run it as " + owner +
           ", or give it a folder of your own (XDG_CONFIG_HOME or --data-dir)\n";
}

std::string SaveFailureLine(const model::SaveFailure& failure) {
    return "quorvik: cannot save " + failure.path + ": " + model::FileProblemText(failure.problem) + "\n";
}

std::string LanguageReport(const LoadResult& loaded, const StartupPaths& paths) {
    if (loaded.languageLoaded)
        return {};
    if (paths.dataFolder.empty())
        return "quorvik: no data folder (set HOME or XDG_CONFIG_HOME): no interface texts, and nothing is saved\n";
    return "quorvik: the language texts could not be read from " + paths.dataFolder +
           "config/ (the delivered language files are copied there from " + paths.programFolder + "config/)\n";
}

} // namespace quorvik::app

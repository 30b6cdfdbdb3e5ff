#include "app/StartupReport.h"

#include "model/LanguageTable.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <unistd.h>

namespace quorvik::app {

namespace {
constexpr const char* kLanguageFiles[] = {"Lan_EN.txt", "Lan.txt"};
constexpr const char* kLanguageChoiceFile = "LanSetting.ini";
} // namespace

std::vector<BrokenFile> LanguageFileProblems(const std::string& programFolder) {
    std::vector<BrokenFile> broken;
    const std::string folder = programFolder + "config/";
    std::vector<model::LanguageFileCheck> checks;
    for (const char* name : kLanguageFiles) {
        checks.push_back(model::CheckLanguageFile(folder + name));
        if (!checks.back().problem.empty())
            broken.push_back({folder + name, checks.back().problem});
    }
    // Both languages hold the same numbers: one with fewer was cut short at the end of a line.
    for (std::size_t i = 0; i < checks.size(); ++i) {
        const auto& mine = checks[i].indices;
        const auto& other = checks[1 - i].indices;
        if (!checks[i].problem.empty() || !checks[1 - i].problem.empty())
            continue;
        std::vector<int> lacking;
        std::set_difference(other.begin(), other.end(), mine.begin(), mine.end(), std::back_inserter(lacking));
        if (!lacking.empty())
            broken.push_back({folder + kLanguageFiles[i], std::to_string(lacking.size()) + " texts of " +
                                                              kLanguageFiles[1 - i] + " are missing (text " +
                                                              std::to_string(lacking.front()) + " first): cut short"});
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(folder + kLanguageChoiceFile, ec))
        broken.push_back({folder + kLanguageChoiceFile, "missing"});
    return broken;
}

std::string BrokenFilesReport(const std::vector<BrokenFile>& files, const std::string& program) {
    if (files.empty())
        return {};
    std::string report = program + ": the installation is damaged: " + std::to_string(files.size()) +
                         (files.size() == 1 ? " file is" : " files are") + " missing or broken:\n";
    for (const BrokenFile& file : files)
        report += "  " + file.path + ": " + file.what + "\n";
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
    // A file that was there but is damaged: which, and what is wrong with it.
    if (!model::LoadedLanguageProblem().empty() && model::LoadedLanguageProblem() != "missing")
        return "quorvik: the language texts could not be read whole from " + model::LoadedLanguageFile() + ": " +
               model::LoadedLanguageProblem() + "\n";
    return "quorvik: the language texts could not be read from " + paths.dataFolder +
           "config/ (the delivered language files are copied there from " + paths.programFolder + "config/)\n";
}

} // namespace quorvik::app

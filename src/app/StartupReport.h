// What the program says on standard error at start when its own files are not where it looks, so
// that a broken or partial installation shows at once and not only as an empty window.
#pragma once

#include "app/StartupLoad.h"
#include "model/FileProblems.h"
#include "platform/DataFolders.h"

#include <string>
#include <vector>

namespace quorvik::app {

// A file of the installation that is missing or broken, and what is wrong with it.
struct BrokenFile {
    std::string path;
    std::string what;
    friend bool operator==(const BrokenFile&, const BrokenFile&) = default;
};

// The language files delivered in `programFolder` + "config/": each one that is missing or
// damaged, and one holding fewer texts than the other language (cut short at a line's end).
std::vector<BrokenFile> LanguageFileProblems(const std::string& programFolder);

// `program` + ": the installation is damaged: N files are missing or broken:" and one line
// "  path: what" for each. Empty when there are none.
std::string BrokenFilesReport(const std::vector<BrokenFile>& files, const std::string& program);

// Why `program` refuses to work on a data folder of another user, and what to do instead.
std::string ForeignDataFolderReport(const platform::ForeignFolder& folder, const std::string& program);

// "quorvik: cannot save <file>: <reason>" for a failed save of a settings file.
std::string SaveFailureLine(const model::SaveFailure& failure);

// Why the interface texts are missing, when they are: no data folder, a language file that is
// damaged (which, and what is wrong with it), or none the start-up could read (naming where the
// delivered ones were looked for). Empty when they loaded.
std::string LanguageReport(const LoadResult& loaded, const StartupPaths& paths);

} // namespace quorvik::app

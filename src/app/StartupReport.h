// What the program says on standard error at start when its own files are not where it looks, so
// that a broken or partial installation shows at once and not only as an empty window.
#pragma once

#include "app/StartupLoad.h"
#include "model/FileProblems.h"
#include "platform/DataFolders.h"

#include <string>
#include <vector>

namespace quorvik::app {

// The skin pictures that could not be loaded, in `programFolder` + "skins/": a count and the first
// few paths, one per line. Empty when none is missing.
std::string MissingSkinsReport(const std::vector<std::string>& missing, const std::string& programFolder);

// Why `program` refuses to work on a data folder of another user, and what to do instead.
std::string ForeignDataFolderReport(const platform::ForeignFolder& folder, const std::string& program);

// "quorvik: cannot save <file>: <reason>" for a failed save of a settings file.
std::string SaveFailureLine(const model::SaveFailure& failure);

// Why the interface texts are missing, when they are: no data folder, or no language file the
// start-up could read (naming where the delivered ones were looked for). Empty when they loaded.
std::string LanguageReport(const LoadResult& loaded, const StartupPaths& paths);

} // namespace quorvik::app

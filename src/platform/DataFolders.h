// Where the program and the user's data live, and preparing the data folder on a first start.
#pragma once

#include <optional>
#include <string>

namespace quorvik::platform {

inline constexpr const char* kDataFolderName = "GamingMouseData20230810A";

// Folder of the running executable, ending in "/"; empty when it cannot be found.
std::string ExecutableFolder();

// The program folder (skins/ and the delivered config/) for an executable in `executableFolder`:
// that folder itself when either lies beside the executable (a build tree), else the installed
// <prefix>/share/quorvik/ when the executable sits in <prefix>/bin/ and that folder exists, else
// the executable's folder. Ends in "/"; empty when `executableFolder` is empty.
std::string ProgramFolderFor(const std::string& executableFolder);

// ProgramFolderFor(ExecutableFolder()).
std::string ResolveProgramFolder();

// $XDG_CONFIG_HOME (when set to an absolute path, else $HOME/.config) + "/GamingMouseData20230810A/".
// Empty when neither variable gives a folder.
std::string ResolveDataFolder();

// Creates `dataFolder` and its "config/" when missing. True when both exist afterwards.
bool EnsureDataFolder(const std::string& dataFolder);

// A folder of the data that belongs to another user than the one the program runs as (its
// effective user: root too works only on root's own data). Working there would let that user's
// links steer the program's writes (a profile linked to a system file), so it is refused.
struct ForeignFolder {
    std::string path;
    unsigned owner = 0;
};
// The data folder, or else its "config/", when it exists and its owner is not the effective user;
// none when both are this user's own or are still to be made.
std::optional<ForeignFolder> ForeignDataFolder(const std::string& dataFolder);
// The login name of user `uid`, or its number when it has none.
std::string UserName(unsigned uid);

// Copies each regular file of programFolder + "config/" that dataFolder + "config/" lacks (the
// language files delivered with the program: no package installer writes into a user's home).
// Existing files are kept, so the user's choices stay (LanSetting.ini, the language chosen),
// except the language texts Lan_EN.txt and Lan.txt: the program only reads them, and a data
// folder from an earlier version would otherwise lack every text added since; a copy that differs
// from the delivered one is replaced (a symbolic link is left alone). Every copy is written under
// a temporary name and renamed, so an interrupted start leaves no half file. Returns the number of
// files written.
int CopyDeliveredFiles(const std::string& programFolder, const std::string& dataFolder);

} // namespace quorvik::platform

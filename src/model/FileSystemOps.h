// File-system steps shared by the text file and the save helpers: where a save of a path lands,
// access as the running user has it, the temporary file of a save, and durable renames.
#pragma once

#include <string>
#include <string_view>

#include <sys/stat.h>

namespace quorvik::model::fileops {

// mkstemp's random part: six letters or digits.
inline constexpr std::size_t kTempRandomChars = 6;

// The file a save of `path` replaces: a symbolic link is followed, as a write through it would be,
// so the link stays a link. A dangling link is replaced like a missing file.
std::string replacedPath(const std::string& path);
std::string folderOf(const std::string& path);
// Access as the running user sees it (the effective ids: a program started by root writes as root).
bool userMay(const std::string& path, int mode);
// A rename is only durable once the folder itself is flushed.
void syncFolder(const std::string& path);
// Creates the locked temporary file of a save of `target` (see the .cpp); -1 on failure, with errno.
int createTemp(const std::string& target, const struct stat* old, std::string& tempPath);
// Writes the bytes of `sourceFd` to `target` the way every save goes: temporary file, flushed,
// renamed, folder flushed.
bool replaceWithCopy(int sourceFd, const struct stat& sourceStat, const std::string& target);

} // namespace quorvik::model::fileops

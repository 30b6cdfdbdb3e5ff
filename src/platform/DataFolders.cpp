#include "platform/DataFolders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace quorvik::platform {

namespace fs = std::filesystem;

namespace {

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

// The delivered files the program only reads: kept equal to the delivered copies.
constexpr const char* kRefreshedFiles[] = {"Lan_EN.txt", "Lan.txt"};

bool refreshed(const fs::path& name) {
    for (const char* file : kRefreshedFiles)
        if (name == file)
            return true;
    return false;
}

bool sameContents(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const auto size = fs::file_size(a, ec);
    if (ec || fs::file_size(b, ec) != size || ec)
        return false;
    std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
    if (!first || !second)
        return false;
    return std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

bool ensureFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return true;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

} // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return withSlash(exe.parent_path().string());
}

std::string ProgramFolderFor(const std::string& executableFolder) {
    if (executableFolder.empty())
        return {};
    std::error_code ec;
    const fs::path beside(executableFolder);
    if (fs::is_directory(beside / "skins", ec) || fs::is_directory(beside / "config", ec))
        return withSlash(executableFolder);
    // <prefix>/bin/../share/quorvik, written without the "..", as messages and logs show it.
    const fs::path installed = (beside / ".." / "share" / "quorvik").lexically_normal();
    if (fs::is_directory(installed, ec))
        return withSlash(installed.string());
    return withSlash(executableFolder);
}

std::string ResolveProgramFolder() {
    return ProgramFolderFor(ExecutableFolder());
}

std::string ResolveDataFolder() {
    std::string base;
    // Relative values are to be ignored, as the XDG base-directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        std::string home = homeFolder();
        if (home.empty())
            return {};
        base = withSlash(home) + ".config";
    }
    return withSlash(base) + kDataFolderName + "/";
}

bool EnsureDataFolder(const std::string& dataFolder) {
    if (dataFolder.empty())
        return false;
    bool ok = ensureFolder(dataFolder);
    return ensureFolder(fs::path(dataFolder) / "config") && ok;
}

std::optional<ForeignFolder> ForeignDataFolder(const std::string& dataFolder) {
    if (dataFolder.empty())
        return std::nullopt;
    const uid_t me = ::geteuid();
    // Followed: a link to a folder of the user's own is theirs to make, and it is the folder
    // linked to that the program would write in.
    for (const fs::path& folder : {fs::path(dataFolder), fs::path(dataFolder) / "config"}) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0 && st.st_uid != me)
            return ForeignFolder{folder.string(), unsigned(st.st_uid)};
    }
    return std::nullopt;
}

std::string UserName(unsigned uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid_t(uid), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

int CopyDeliveredFiles(const std::string& programFolder, const std::string& dataFolder) {
    std::error_code ec;
    const fs::path source = fs::path(programFolder) / "config";
    const fs::path target = fs::path(dataFolder) / "config";
    if (programFolder.empty() || dataFolder.empty() || !fs::is_directory(source, ec) || !fs::is_directory(target, ec))
        return 0;
    int copied = 0;
    for (const auto& entry : fs::directory_iterator(source, ec)) {
        if (!entry.is_regular_file(ec))
            continue;
        const fs::path dest = target / entry.path().filename();
        const fs::file_status existing = fs::symlink_status(dest, ec);
        // A file the user made read-only is never replaced, as with every other file of theirs.
        if (fs::exists(existing) && !(refreshed(dest.filename()) && fs::is_regular_file(existing) &&
                                      ::access(dest.c_str(), W_OK) == 0 && !sameContents(entry.path(), dest)))
            continue;
        fs::path part = dest;
        part += ".part";
        fs::remove(part, ec);
        if (!fs::copy_file(entry.path(), part, fs::copy_options::overwrite_existing, ec)) {
            fs::remove(part, ec);
            continue;
        }
        fs::rename(part, dest, ec);
        if (ec) {
            fs::remove(part, ec);
            continue;
        }
        ++copied;
    }
    return copied;
}

} // namespace quorvik::platform

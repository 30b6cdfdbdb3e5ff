// Helpers shared by every test binary.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quorvik::test {

// A fresh empty folder under the system temp folder, removed when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a string with a trailing "/", the way the program's folder strings end.
    std::string str() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

std::vector<unsigned char> readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::vector<unsigned char>& bytes);

// UTF-16 LE with the byte-order mark, as every file of the program is stored.
std::vector<unsigned char> utf16File(const std::u16string& text);

// Permission bits do not stop root, so tests of read-only files and folders need an ordinary user.
// Run as root, this gives `owned` (and everything in it) to the user nobody (65534) and runs `body`
// in a child process as that user; the child's test failures are printed by the child and become
// a failure of the calling test. Run as an ordinary user, `body` runs here directly. False, with
// the reason in `why`, when the child cannot become that user or reach `owned`: the caller skips.
bool RunAsOrdinaryUser(const std::filesystem::path& owned, const std::function<void()>& body, std::string& why);

} // namespace quorvik::test

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvik::test {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    auto name =
        "quorvik-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(rd());
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::vector<unsigned char> readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::filesystem::path& file, const std::vector<unsigned char>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> utf16File(const std::u16string& text) {
    std::vector<unsigned char> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    return bytes;
}

namespace {
constexpr uid_t kNobody = 65534;
// Exit codes of the child that mean "could not run", not "failed".
constexpr int kExitCannotDrop = 77;
constexpr int kExitCannotReach = 78;
} // namespace

bool RunAsOrdinaryUser(const std::filesystem::path& owned, const std::function<void()>& body, std::string& why) {
    if (::geteuid() != 0) {
        body();
        return true;
    }
    std::error_code ec;
    if (::lchown(owned.c_str(), kNobody, kNobody) != 0) {
        why = "cannot give " + owned.string() + " to user 65534";
        return false;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(owned, ec)) {
        if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) {
            why = "cannot give " + entry.path().string() + " to user 65534";
            return false;
        }
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        why = "fork failed";
        return false;
    }
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 || ::geteuid() == 0)
            ::_exit(kExitCannotDrop);
        if (::access(owned.c_str(), R_OK | W_OK | X_OK) != 0)
            ::_exit(kExitCannotReach);
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        why = "lost the child process";
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitCannotDrop) {
        why = "cannot drop root privileges to user 65534";
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitCannotReach) {
        why = "user 65534 cannot reach " + owned.string() + " (a private temp folder?)";
        return false;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the run as user 65534 failed (its failures are printed above), status " << status;
    return true;
}

} // namespace quorvik::test

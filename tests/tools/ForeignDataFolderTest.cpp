// Both programs, as built, on a data folder that belongs to another user: they refuse it, say so
// naming the folder and its owner, and write nothing through the links that user left there. A
// user's own links in their own folder keep working.
#include "model/ConfigPairs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
    int status = -1;
    std::string err;
};

// Runs a built program with `args` in a clean environment of its own; standard error is kept.
ProgramRun runProgram(const test::TempDir& scratch, const std::string& program, const std::string& args) {
    const fs::path errFile = scratch.path() / "stderr.txt";
    const fs::path runtime = scratch.path() / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" +
                                runtime.string() + "' timeout 20 '" QV_BIN_DIR "/" + program + "' " + args + " 2>'" +
                                errFile.string() + "' >/dev/null </dev/null";
    ProgramRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(errFile);
    std::ostringstream text;
    text << in.rdbuf();
    run.err = text.str();
    return run;
}

// The data folder of user nobody, holding links to two files of "the system" (stand-ins here):
// a slot profile and the lock.
class ForeignDataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "only root can work on a folder of another user";
        if (!fs::exists(QV_BIN_DIR "/quorvikctl") || !fs::exists(QV_BIN_DIR "/quorvik"))
            GTEST_SKIP() << "the programs are not built";
        fs::create_directories(data_ / "config");
        test::writeBytes(passwd_, {'r', 'o', 'o', 't'});
        test::writeBytes(shadow_, {'s', 'e', 'c', 'r', 'e', 't'});
        fs::create_symlink(passwd_, data_ / "config/default1.psf");
        fs::create_symlink(shadow_, data_ / "config/quorvik.lock");
        for (const fs::path& p :
             {data_, data_ / "config", data_ / "config/default1.psf", data_ / "config/quorvik.lock"})
            ASSERT_EQ(::lchown(p.c_str(), 65534, 65534), 0) << p;
    }
    void expectUntouched() {
        EXPECT_EQ(test::readBytes(passwd_), (std::vector<unsigned char>{'r', 'o', 'o', 't'}));
        EXPECT_EQ(test::readBytes(shadow_), (std::vector<unsigned char>{'s', 'e', 'c', 'r', 'e', 't'}));
        EXPECT_FALSE(fs::exists(data_ / "config/config.ini")) << "nothing is written there";
    }

    test::TempDir dir_;
    fs::path data_ = dir_.path() / "data";
    fs::path passwd_ = dir_.path() / "passwd";
    fs::path shadow_ = dir_.path() / "shadow";
};

TEST_F(ForeignDataFolderTest, BothProgramsRefuseItAndNameItsOwner) {
    for (const char* program :
         {"quorvikctl --virtual-mouse status", "quorvik --virtual-mouse", "quorvikctl --virtual-mouse reset --yes"}) {
        SCOPED_TRACE(program);
        const std::string name = std::string(program).substr(0, std::string(program).find(' '));
        const ProgramRun run =
            runProgram(dir_, name, std::string(program).substr(name.size()) + " --data-dir '" + data_.string() + "'");
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("the data folder " + data_.string()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("belongs to the user nobody (uid 65534)"), std::string::npos) << run.err;
        expectUntouched();
    }
}

TEST_F(ForeignDataFolderTest, TheUsersOwnLinksInTheirOwnFolderKeepWorking) {
    for (const fs::path& p : {data_, data_ / "config", data_ / "config/default1.psf", data_ / "config/quorvik.lock"})
        ASSERT_EQ(::lchown(p.c_str(), 0, 0), 0) << p;
    fs::remove(data_ / "config/quorvik.lock");
    const fs::path mine = dir_.path() / "mine.psf";
    test::writeBytes(mine, {'o', 'l', 'd'});
    fs::remove(data_ / "config/default1.psf");
    fs::create_symlink(mine, data_ / "config/default1.psf");
    const ProgramRun run =
        runProgram(dir_, "quorvikctl", "--virtual-mouse reports --slot 1 --data-dir '" + data_.string() + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(data_ / "config/default1.psf"));
    EXPECT_GT(fs::file_size(mine), 40000u) << "slot 1's profile was made through the user's link";
    EXPECT_EQ(test::readBytes(dir_.path() / "mine.psf.replaced"), (std::vector<unsigned char>{'o', 'l', 'd'}));
}

} // namespace
} // namespace quorvik

// Files the program must not read as text (pipes, devices, folders, files far too large), the
// reasons the text file gives when an open, a read or a save fails, and how failed saves of the
// settings files reach the user: once per file and kind of fault, until the file saves again.
#include "model/FileProblems.h"
#include "model/ConfigPairs.h"
#include "model/ProfileFile.h"
#include "model/StdioFileEx.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvik::model {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::TempDir;
using test::utf16File;
using test::writeBytes;

std::vector<unsigned char> bytesOfSize(std::size_t size) {
    std::vector<unsigned char> bytes(size, 'A');
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    return bytes;
}

// Neither open blocks on a pipe nobody writes to, and neither reads a device that never ends.
TEST(FileProblems, OnlyRegularFilesAreOpenedForReading) {
    TempDir dir;
    const std::string fifo = (dir.path() / "pipe.psf").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = (dir.path() / "zero.psf").string();
    fs::create_symlink("/dev/zero", link);
    for (const std::string& path : {fifo, link, std::string("/dev/zero"), dir.path().string()}) {
        SCOPED_TRACE(path);
        CStdioFileEx file;
        EXPECT_FALSE(file.OpenForRead(path));
        EXPECT_EQ(file.Problem().fault, FileFault::NotAFile);
        EXPECT_FALSE(file.OpenForReadOnly(path));
        EXPECT_EQ(file.Problem().fault, FileFault::NotAFile);
        EXPECT_FALSE(file.IsOpen());
    }
    CStdioFileEx file;
    EXPECT_FALSE(file.OpenForReadOnly((dir.path() / "missing").string()));
    EXPECT_EQ(file.Problem().fault, FileFault::Missing);
    EXPECT_EQ(FileProblemText(file.Problem()), "no such file or folder");
}

TEST(FileProblems, AReadLimitRefusesLargerFilesAndStopsOneThatGrows) {
    TempDir dir;
    const std::string path = (dir.path() / "big.mkf").string();
    writeBytes(path, bytesOfSize(4097));
    CStdioFileEx file;
    file.SetReadLimit(4096);
    EXPECT_FALSE(file.OpenForReadOnly(path));
    EXPECT_EQ(file.Problem(), (FileProblem{FileFault::TooLarge, 0, 4096}));

    writeBytes(path, bytesOfSize(4096));
    ASSERT_TRUE(file.OpenForReadOnly(path)) << "a file of exactly the bound is read";
    EXPECT_FALSE(file.Problem());
    // Grown after the open: reading ends at the bound, and says why.
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        const std::vector<unsigned char> more(100000, 'B');
        ASSERT_EQ(::write(fd, more.data(), more.size()), ssize_t(more.size()));
        ::close(fd);
    }
    std::u16string line;
    std::size_t units = 0;
    while (file.ReadString(line))
        units += line.size();
    EXPECT_EQ(units, (4096 - 2) / 2);
    EXPECT_EQ(file.Problem().fault, FileFault::TooLarge);
    EXPECT_EQ(FileProblemText(file.Problem()), "larger than 1 MiB") << "whole MiB, rounded up";
}

TEST(FileProblems, FailedSavesSayWhy) {
    TempDir dir;
    CStdioFileEx file;
    EXPECT_FALSE(file.OpenForWrite((dir.path() / "gone/config.ini").string()));
    EXPECT_EQ(file.Problem().fault, FileFault::Missing);
    ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(file.OpenForWrite((dir.path() / "pipe").string()));
    EXPECT_EQ(file.Problem().fault, FileFault::NotAFile);

    // Root writes anywhere: the read-only folder needs an ordinary user.
    fs::create_directories(dir.path() / "config");
    const std::string inReadOnly = (dir.path() / "config/default0.psf").string();
    writeBytes(inReadOnly, utf16File(u"[Setting]\n"));
    std::string why;
    if (!test::RunAsOrdinaryUser(
            dir.path(),
            [&] {
                ASSERT_EQ(::chmod((dir.path() / "config").c_str(), 0555), 0);
                CStdioFileEx saved;
                EXPECT_FALSE(saved.OpenForWrite(inReadOnly));
                EXPECT_EQ(saved.Problem().fault, FileFault::NoAccess);
                EXPECT_EQ(FileProblemText(saved.Problem()), "permission denied");
                ::chmod((dir.path() / "config").c_str(), 0755);
            },
            why))
        GTEST_SKIP() << why;
}

// A full disk shows at the flush: the save reports it, and the old file stays. The small file
// system is mounted in a mount namespace of a child of its own, so it goes with the child.
TEST(FileProblems, AFullDiskIsToldAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = (dir.path() / "default0.psf").string();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(77);
        const auto old = utf16File(u"[Setting]\nold\n");
        writeBytes(path, old);
        CStdioFileEx file;
        if (!file.OpenForWrite(path))
            ::_exit(2);
        file.WriteString(std::u16string(100000, u'x'));
        const bool closed = file.Close();
        ::_exit(!closed && file.Problem().fault == FileFault::DiskFull && readBytes(path) == old ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace for a small file system here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "Close() fails with DiskFull and the old file stays";
}

TEST(FileProblems, AFailedSaveIsToldOncePerFileAndKindUntilItSaves) {
    ForgetSaveFailures();
    std::vector<SaveFailure> told;
    SaveFailureHandler previous = SetSaveFailureHandler([&](const SaveFailure& f) { told.push_back(f); });
    const FileProblem full{FileFault::DiskFull, ENOSPC};
    const FileProblem denied{FileFault::NoAccess, EACCES};
    NoteSettingsSave("/d/config.ini", full);
    NoteSettingsSave("/d/config.ini", full);
    NoteSettingsSave("/d/default0.psf", full);
    NoteSettingsSave("/d/config.ini", denied);
    ASSERT_EQ(told.size(), 4u) << "every failure counts";
    EXPECT_FALSE(told[0].repeated);
    EXPECT_TRUE(told[1].repeated) << "the same file and kind is not told again";
    EXPECT_FALSE(told[2].repeated) << "another file";
    EXPECT_FALSE(told[3].repeated) << "another kind";
    EXPECT_TRUE(SaveFailing("/d/config.ini"));

    NoteSettingsSave("/d/config.ini", {});
    EXPECT_FALSE(SaveFailing("/d/config.ini"));
    EXPECT_TRUE(SaveFailing("/d/default0.psf"));
    NoteSettingsSave("/d/config.ini", full);
    EXPECT_FALSE(told.back().repeated) << "after a successful save the next failure is news";

    told.clear();
    NoteSettingsSave("", full);
    EXPECT_TRUE(told.empty()) << "without a data folder nothing is saved, which the start said";
    SetSaveFailureHandler(std::move(previous));
    ForgetSaveFailures();
}

class ProfileImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetDataFolder(dir_.str());
        fs::create_directories(dir_.path() / "config");
        SetFactoryConfiguration();
        Profile(2).ResetToFactory(2);
        Profile(2).SetPairValue(kPairProfileName, std::u16string(u"Mine"));
        ASSERT_TRUE(SaveProfile(2));
        slotBytes_ = readBytes(Config().ProfileSlotPath(2));
    }
    void TearDown() override { platform::SetDataFolder(""); }

    TempDir dir_;
    std::vector<unsigned char> slotBytes_;
};

// A file refused before it is read changes nothing; one read that is no profile gives the slot
// its factory profile, its own file kept beside it.
TEST_F(ProfileImportTest, RefusedFilesChangeNothingAndDamagedOnesFallBack) {
    const std::string fifo = (dir_.path() / "pipe.psf").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = (dir_.path() / "big.psf").string();
    writeBytes(big, bytesOfSize(kProfileFileLimit + 2));
    const ProfileRecord before = Profile(2);
    EXPECT_EQ(ImportProfile(2, fifo).fault, FileFault::NotAFile);
    EXPECT_EQ(ImportProfile(2, "/dev/zero").fault, FileFault::NotAFile);
    EXPECT_EQ(ImportProfile(2, big), (FileProblem{FileFault::TooLarge, 0, kProfileFileLimit}));
    EXPECT_EQ(ImportProfile(2, (dir_.path() / "missing.psf").string()).fault, FileFault::Missing);
    EXPECT_EQ(Profile(2), before);
    EXPECT_EQ(readBytes(Config().ProfileSlotPath(2)), slotBytes_);
    EXPECT_FALSE(fs::exists(Config().ProfileSlotPath(2) + ".before-import"));

    const std::string broken = (dir_.path() / "broken.psf").string();
    writeBytes(broken, utf16File(u"[Setting]\nProfileName=x\n"));
    EXPECT_EQ(ImportProfile(2, broken).fault, FileFault::Damaged);
    EXPECT_NE(Profile(2).PairValue(kPairProfileName), u"Mine");
    EXPECT_EQ(readBytes(Config().ProfileSlotPath(2) + ".before-import"), slotBytes_);

    // A good one is taken whole.
    Profile(1).ResetToFactory(1);
    Profile(1).SetPairValue(kPairProfileName, std::u16string(u"Other"));
    const std::string good = (dir_.path() / "good.psf").string();
    ASSERT_TRUE(WriteProfile(1, good));
    EXPECT_FALSE(ImportProfile(2, good));
    EXPECT_EQ(Profile(2).PairValue(kPairProfileName), u"Other");
}

} // namespace
} // namespace quorvik::model

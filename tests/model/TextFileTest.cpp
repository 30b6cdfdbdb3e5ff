#include "model/StdioFileEx.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using quorvik::model::CStdioFileEx;
using quorvik::test::readBytes;
using quorvik::test::TempDir;
using quorvik::test::utf16File;
using quorvik::test::writeBytes;
using Bytes = std::vector<unsigned char>;

namespace {

std::string pathIn(const TempDir& dir, const char* name) {
    return (dir.path() / name).string();
}

// Every line ReadString returns until it reports false.
std::vector<std::u16string> readAll(const std::string& path) {
    CStdioFileEx file;
    EXPECT_TRUE(file.OpenForRead(path));
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.ReadString(line))
        lines.push_back(line);
    EXPECT_TRUE(line.empty());
    return lines;
}

std::size_t filesIn(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

// Sets the time the file was last written to `secondsAgo` before now.
void age(const std::string& path, int secondsAgo) {
    const timespec when{std::time(nullptr) - secondsAgo, 0};
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

} // namespace

TEST(TextFile, WritesByteOrderMarkOnceThenLittleEndianUnits) {
    TempDir dir;
    auto path = pathIn(dir, "a.txt");
    CStdioFileEx file;
    ASSERT_TRUE(file.OpenForWrite(path));
    ASSERT_TRUE(file.WriteString(u"[Setting]\n"));
    ASSERT_TRUE(file.WriteString(u"0=中"));
    ASSERT_TRUE(file.Close());

    Bytes expected{0xFF, 0xFE, 0x5B, 0x00, 0x53, 0x00, 0x65, 0x00, 0x74, 0x00, 0x74, 0x00, 0x69, 0x00,
                   0x6E, 0x00, 0x67, 0x00, 0x5D, 0x00, 0x0A, 0x00, 0x30, 0x00, 0x3D, 0x00, 0x2D, 0x4E};
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(readAll(path), (std::vector<std::u16string>{u"[Setting]", u"0=中"}));
}

TEST(TextFile, ReadsLinesAsStored) {
    struct Case {
        const char* what;
        std::u16string content;
        std::vector<std::u16string> lines;
    };
    const std::u16string longLine(300, u'x');
    const Case cases[] = {
        {"a 300-unit line comes back whole", longLine + u"\nend\n", {longLine, u"end"}},
        {"a line of exactly one read chunk", std::u16string(128, u'y') + u"\n", {std::u16string(128, u'y')}},
        {"an empty line is the one-unit text LF", u"a\n\nb\n", {u"a", u"\n", u"b"}},
        {"the last line needs no line feed", u"a\nlast", {u"a", u"last"}},
        {"a carriage return stays in the line", u"a\r\nb\r\n", {u"a\r", u"b\r"}},
        {"an empty file has no lines", u"", {}},
        {"units holding a 0x0A byte are no line feeds", u"a\u0A41\u0A00b\n", {u"a\u0A41\u0A00b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        auto path = pathIn(dir, "r.txt");
        writeBytes(path, utf16File(c.content));
        EXPECT_EQ(readAll(path), c.lines);
    }
}

// A file far larger than one read, with lines across the reads' boundaries and one longer than
// the buffer: every line whole, none lost at a boundary, the views the same as the copies.
TEST(TextFile, LargeFilesReadWholeAcrossManyReads) {
    std::u16string content;
    std::vector<std::u16string> expected;
    const std::u16string longLine(300000, u'L');
    for (int i = 0; i < 40000; ++i) {
        std::u16string line = u"line " + std::u16string(std::size_t(i % 97), char16_t(u'a' + i % 26));
        if (i == 20000)
            line = longLine;
        content += line + u"\n";
        expected.push_back(line);
    }
    TempDir dir;
    auto path = pathIn(dir, "big.txt");
    Bytes bytes = utf16File(content);
    bytes.push_back(0x41); // half a unit at the end
    writeBytes(path, bytes);
    EXPECT_EQ(readAll(path), expected);

    CStdioFileEx file;
    ASSERT_TRUE(file.OpenForReadOnly(path));
    std::u16string_view view;
    std::size_t n = 0;
    bool same = true;
    while (file.ReadLine(view))
        same = same && n < expected.size() && view == expected[n++];
    EXPECT_TRUE(same);
    EXPECT_EQ(n, expected.size());
    EXPECT_FALSE(file.Problem());
}

// A bound on the file's size also holds for a file that grows after it was opened.
TEST(TextFile, ReadingStopsAtTheBoundOfAFileThatGrew) {
    TempDir dir;
    auto path = pathIn(dir, "grows.txt");
    writeBytes(path, utf16File(u"a\nb\n"));
    CStdioFileEx file;
    file.SetReadLimit(64);
    ASSERT_TRUE(file.OpenForReadOnly(path));
    writeBytes(path, utf16File(u"a\nb\n" + std::u16string(100, u'c') + u"\n"));
    std::u16string line;
    std::vector<std::u16string> lines;
    while (file.ReadString(line))
        lines.push_back(line);
    EXPECT_EQ(file.Problem().fault, quorvik::model::FileFault::TooLarge);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], u"a");
}

TEST(TextFile, FirstTwoBytesAreSkippedWhateverTheyHold) {
    TempDir dir;
    auto path = pathIn(dir, "nobom.txt");
    Bytes noMark = utf16File(u"AB\n");
    noMark.erase(noMark.begin(), noMark.begin() + 2);
    writeBytes(path, noMark);
    EXPECT_EQ(readAll(path), std::vector<std::u16string>{u"B"});

    // A stray odd byte at the end is not half a character.
    Bytes odd = utf16File(u"ok");
    odd.push_back(0x41);
    writeBytes(path, odd);
    EXPECT_EQ(readAll(path), std::vector<std::u16string>{u"ok"});
}

TEST(TextFile, OpenFailures) {
    TempDir dir;
    CStdioFileEx file;
    EXPECT_FALSE(file.OpenForRead(pathIn(dir, "missing.txt")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.OpenForWrite(pathIn(dir, "no-such-folder/x.txt")));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.WriteString(u"x"));
}

TEST(TextFile, ReadOpenNeedsWriteAccess) {
    TempDir dir;
    auto path = pathIn(dir, "ro.txt");
    writeBytes(path, utf16File(u"a\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    std::string why;
    if (!quorvik::test::RunAsOrdinaryUser(
            dir.path(),
            [&] {
                CStdioFileEx file;
                EXPECT_FALSE(file.OpenForRead(path));
                // The read-only open is for files the user may read but not write.
                ASSERT_TRUE(file.OpenForReadOnly(path));
                std::u16string line;
                EXPECT_TRUE(file.ReadString(line));
                EXPECT_EQ(line, u"a");
                EXPECT_FALSE(file.WriteString(u"b"));
                EXPECT_TRUE(file.Close());
                EXPECT_EQ(readBytes(path), utf16File(u"a\n"));
            },
            why))
        GTEST_SKIP() << why;
}

// The rename of a save would replace a file the user made read-only, or create a file in a folder
// the user made read-only; a write in place would fail in both, and so must the save.
TEST(TextFile, WriteFailsWhereWritingInPlaceWould) {
    TempDir dir;
    const auto readOnlyFile = pathIn(dir, "default1.psf");
    const Bytes old = utf16File(u"[Setting]\nProfileName=Mine\n");
    writeBytes(readOnlyFile, old);
    ASSERT_EQ(::chmod(readOnlyFile.c_str(), 0444), 0);
    std::filesystem::create_directory(dir.path() / "locked");
    const auto inLockedFolder = (dir.path() / "locked/config.ini").string();
    writeBytes(inLockedFolder, old);
    ASSERT_EQ(::chmod(inLockedFolder.c_str(), 0644), 0);
    ASSERT_EQ(::chmod((dir.path() / "locked").c_str(), 0555), 0);

    std::string why;
    if (!quorvik::test::RunAsOrdinaryUser(
            dir.path(),
            [&] {
                for (const auto& path : {readOnlyFile, inLockedFolder, (dir.path() / "locked/new.ini").string()}) {
                    SCOPED_TRACE(path);
                    CStdioFileEx file;
                    EXPECT_FALSE(file.OpenForWrite(path));
                    EXPECT_FALSE(file.Close());
                }
                struct stat st {};
                ASSERT_EQ(::stat(readOnlyFile.c_str(), &st), 0);
                EXPECT_EQ(st.st_mode & 0777, 0444u) << "the file keeps its read-only mode";
                EXPECT_EQ(readBytes(readOnlyFile), old);
                EXPECT_EQ(readBytes(inLockedFolder), old);
                EXPECT_EQ(filesIn(dir), 2u) << "no temporary file beside the read-only one";
                EXPECT_FALSE(std::filesystem::exists(dir.path() / "locked/new.ini"));
            },
            why))
        GTEST_SKIP() << why;
    ::chmod((dir.path() / "locked").c_str(), 0755);
}

// A replaced file looks as if it had been written in place: same mode, and a symbolic link stays a
// link to the file that gets the new text.
TEST(TextFile, ReplacedFileKeepsItsModeAndItsLink) {
    TempDir dir;
    const auto privateFile = pathIn(dir, "private.ini");
    writeBytes(privateFile, utf16File(u"old\n"));
    ASSERT_EQ(::chmod(privateFile.c_str(), 0600), 0);
    const auto link = pathIn(dir, "linked.psf");
    std::filesystem::create_symlink("private.ini", link);

    for (const auto& path : {privateFile, link}) {
        CStdioFileEx file;
        ASSERT_TRUE(file.OpenForWrite(path));
        ASSERT_TRUE(file.WriteString(u"new\n"));
        ASSERT_TRUE(file.Close());
    }
    struct stat st {};
    ASSERT_EQ(::stat(privateFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(privateFile), utf16File(u"new\n"));
    EXPECT_EQ(filesIn(dir), 2u);

    CStdioFileEx fresh;
    ASSERT_TRUE(fresh.OpenForWrite(pathIn(dir, "fresh.ini")));
    ASSERT_TRUE(fresh.Close());
    ASSERT_EQ(::stat(pathIn(dir, "fresh.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "a new file is readable by all, writable by its owner";
}

// Start-up clears what killed saves left, and nothing else: only regular files named like our
// temporary files of the files it names, and never the file of a save still running.
TEST(TextFile, LeftoverCleanupRemovesOnlyDeadTemporaryFilesOfOurFiles) {
    TempDir dir;
    const auto profile = pathIn(dir, "default1.psf");
    writeBytes(profile, utf16File(u"[Setting]\n"));
    const char* leftovers[] = {"default1.psf.saving-Ab3xQ9", "default1.psf.unreadable.saving-000000",
                               "config.ini.saving-zzzzzz"};
    const char* kept[] = {"default1.psf.saving-Ab3xQ", "default1.psf.saving-Ab3xQ99",    "default1.psf.saving-Ab3-Q9",
                          "default1.psf.backup",       "default1.psf.bak.saving-Ab3xQ9", "other.psf.saving-Ab3xQ9",
                          "default1.psf.unreadable"};
    for (const char* name : leftovers)
        writeBytes(pathIn(dir, name), {1, 2});
    for (const char* name : kept)
        writeBytes(pathIn(dir, name), {1, 2});
    std::filesystem::create_directory(dir.path() / "config.ini.saving-AAAAAA");

    CStdioFileEx running;
    ASSERT_TRUE(running.OpenForWrite(profile));
    ASSERT_TRUE(running.WriteString(u"[Setting]\nProfileName=new\n"));

    EXPECT_EQ(quorvik::model::RemoveSaveLeftovers({profile, pathIn(dir, "config.ini")}), 3);
    for (const char* name : leftovers)
        EXPECT_FALSE(std::filesystem::exists(pathIn(dir, name))) << name;
    for (const char* name : kept)
        EXPECT_TRUE(std::filesystem::exists(pathIn(dir, name))) << name;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "config.ini.saving-AAAAAA"));
    EXPECT_TRUE(running.Close()) << "the running save kept its temporary file";
    EXPECT_EQ(readBytes(profile), utf16File(u"[Setting]\nProfileName=new\n"));
}

// Temporary files under their creation name may not be locked yet, for a moment: only old ones
// are leftovers. The kept copies' temporary files are ours too.
TEST(TextFile, LeftoverCleanupTakesCreationNamesOnlyWhenOld) {
    TempDir dir;
    const auto profile = pathIn(dir, "default1.psf");
    const char* oldOnes[] = {"default1.psf.creating-Ab3xQ9", "default1.psf.replaced.saving-Ab3xQ9",
                             "default1.psf.before-import.saving-Ab3xQ9", "default1.psf.before-import.creating-zz9ZZ9"};
    const char* youngOnes[] = {"default1.psf.creating-Ab3xQ8", "default1.psf.replaced.creating-Ab3xQ8"};
    for (const char* name : oldOnes) {
        writeBytes(pathIn(dir, name), {1});
        age(pathIn(dir, name), 120);
    }
    for (const char* name : youngOnes) {
        writeBytes(pathIn(dir, name), {1});
        age(pathIn(dir, name), 5);
    }
    EXPECT_EQ(quorvik::model::RemoveSaveLeftovers({profile}), 4);
    for (const char* name : oldOnes)
        EXPECT_FALSE(std::filesystem::exists(pathIn(dir, name))) << name;
    for (const char* name : youngOnes)
        EXPECT_TRUE(std::filesystem::exists(pathIn(dir, name))) << name;
}

// Earlier builds left "<name>.XXXXXX" without a lock; only names that cannot be a user's own copy
// go, and only when they are old enough that no save of an earlier build can still be writing them.
TEST(TextFile, EarlierBuildsLeftoversGoWhereThatIsSafe) {
    TempDir dir;
    const std::vector<std::string> targets{pathIn(dir, "config.ini"), pathIn(dir, "default1.psf"),
                                           pathIn(dir, "MacroLibraryFile.mlf")};
    const char* removed[] = {"config.ini.Ab3xQ9", "default1.psf.zz9ZZ9", "MacroLibraryFile.mlf.0aB1c2",
                             "default1.psf.bACKUP"};
    const char* kept[] = {"default1.psf.backup",     "default1.psf.BACKUP", "default1.psf.Backup",
                          "default1.psf.202412",     "default1.psf.Ab3xQ",  "default1.psf.Ab3xQ99",
                          "default1.psf.Ab-xQ9",     "default2.psf.Ab3xQ9", "other.ini.Ab3xQ9",
                          "config.ini.saving-Ab3xQ9"};
    for (const char* name : removed) {
        writeBytes(pathIn(dir, name), {1});
        age(pathIn(dir, name), 120);
    }
    for (const char* name : kept) {
        writeBytes(pathIn(dir, name), {1});
        age(pathIn(dir, name), 120);
    }
    const auto young = pathIn(dir, "config.ini.Yy7Yy7");
    writeBytes(young, {1});
    age(young, 10);
    std::filesystem::create_directory(pathIn(dir, "config.ini.Dd4Dd4"));
    age(pathIn(dir, "config.ini.Dd4Dd4"), 120);
    std::filesystem::create_symlink("config.ini.Ab3xQ9", pathIn(dir, "config.ini.Ll5Ll5"));

    EXPECT_EQ(quorvik::model::RemoveEarlierSaveLeftovers(targets), 4);
    for (const char* name : removed)
        EXPECT_FALSE(std::filesystem::exists(pathIn(dir, name))) << name;
    for (const char* name : kept)
        EXPECT_TRUE(std::filesystem::exists(pathIn(dir, name))) << name;
    EXPECT_TRUE(std::filesystem::exists(young)) << "a save of an earlier build may still be writing it";
    EXPECT_TRUE(std::filesystem::is_directory(pathIn(dir, "config.ini.Dd4Dd4")));
    EXPECT_TRUE(std::filesystem::is_symlink(pathIn(dir, "config.ini.Ll5Ll5")));
}

// Another process's start-up cleanup running beside saves never removes a live temporary file:
// every save completes.
TEST(TextFile, CleanupBesideRunningSavesNeverBreaksOne) {
    TempDir dir;
    const auto path = pathIn(dir, "config.ini");
    constexpr int kSaves = 3000;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        for (int i = 0; i < kSaves; ++i) {
            CStdioFileEx file;
            if (!file.OpenForWrite(path) || !file.WriteString(u"[Setting]\n") || !file.Close())
                ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    int cleanups = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        quorvik::model::RemoveSaveLeftovers({path});
        ++cleanups;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a save failed after " << cleanups << " cleanups";
    EXPECT_EQ(readBytes(path), utf16File(u"[Setting]\n"));
}

TEST(TextFile, CopyAsideTellsMissingKeptAndFailedApart) {
    TempDir dir;
    const auto path = pathIn(dir, "default2.psf");
    using quorvik::model::CopyAside;
    using quorvik::model::KeepCopyAside;
    EXPECT_EQ(KeepCopyAside(path, ".replaced"), CopyAside::NoFile);
    EXPECT_EQ(filesIn(dir), 0u);
    writeBytes(path, utf16File(u"[Setting]\nProfileName=Mine\n"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    EXPECT_EQ(KeepCopyAside(path, ".replaced"), CopyAside::Kept);
    EXPECT_EQ(readBytes(path + ".replaced"), readBytes(path));
    struct stat st {};
    ASSERT_EQ(::stat((path + ".replaced").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the copy is as private as the file";

    // An older copy the user may not replace: no copy, and the caller must leave the file.
    const auto before = path + ".before-import";
    writeBytes(before, {7});
    ASSERT_EQ(::chmod(before.c_str(), 0444), 0);
    std::string why;
    if (!quorvik::test::RunAsOrdinaryUser(
            dir.path(),
            [&] {
                EXPECT_EQ(KeepCopyAside(path, ".before-import"), CopyAside::Failed);
                EXPECT_EQ(readBytes(before), Bytes{7});
            },
            why))
        GTEST_SKIP() << why;
}

TEST(TextFile, UnreadableCopyKeepsTheOldBytesAndReplacesAnOlderCopy) {
    TempDir dir;
    const auto path = pathIn(dir, "config.ini");
    const auto copy = path + ".unreadable";
    EXPECT_FALSE(quorvik::model::KeepUnreadableCopy(path)) << "no file, no copy";
    EXPECT_FALSE(std::filesystem::exists(copy));

    writeBytes(path, utf16File(u"[Setting]\nbad line\n"));
    writeBytes(copy, {9, 9, 9});
    ASSERT_TRUE(quorvik::model::KeepUnreadableCopy(path));
    EXPECT_EQ(readBytes(copy), utf16File(u"[Setting]\nbad line\n"));
    EXPECT_EQ(readBytes(path), utf16File(u"[Setting]\nbad line\n"));
    EXPECT_EQ(filesIn(dir), 2u);
}

TEST(TextFile, ReplacesTargetOnlyOnClose) {
    TempDir dir;
    auto path = pathIn(dir, "t.txt");
    writeBytes(path, utf16File(u"old\n"));
    {
        CStdioFileEx file;
        ASSERT_TRUE(file.OpenForWrite(path));
        ASSERT_TRUE(file.WriteString(u"new\n"));
        EXPECT_EQ(readBytes(path), utf16File(u"old\n")); // still the old file while writing
        // Leaving the scope closes the file, which commits it.
    }
    EXPECT_EQ(readBytes(path), utf16File(u"new\n"));
    EXPECT_EQ(filesIn(dir), 1u) << "no temporary file is left behind";
}

// A write that fails part way (here: the file-size limit) makes Close() report it, and the old
// file stays as it was. Runs in a child so the limit does not touch the test process.
TEST(TextFile, FailedWriteKeepsOldFile) {
    TempDir dir;
    auto path = pathIn(dir, "profile.psf");
    const Bytes old = utf16File(u"[Setting]\nKey0Name=Left\n");
    writeBytes(path, old);

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // get EFBIG instead of being killed
        rlimit limit{16 * 1024, 16 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        CStdioFileEx file;
        if (!file.OpenForWrite(path))
            ::_exit(3);
        for (int i = 0; i < 2000; ++i)
            file.WriteString(u"AllAction=0000000000000000000000000000000000000000\n");
        ::_exit(file.Close() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "Close() must report the failed write";
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(filesIn(dir), 1u) << "the partial temporary file is removed";
}

// A process killed in the middle of a save leaves the old file intact byte for byte.
TEST(TextFile, KilledWriterKeepsOldFile) {
    TempDir dir;
    auto path = pathIn(dir, "config.ini");
    const Bytes old = utf16File(u"[Config]\nCurrentProfile=2\n");
    writeBytes(path, old);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        CStdioFileEx file;
        if (!file.OpenForWrite(path))
            ::_exit(3);
        // Well past the stream buffer, so part of the new text has reached the disk.
        for (int i = 0; i < 20000; ++i)
            file.WriteString(u"Key0Value=100100\n");
        char ready = 'r';
        (void)!::write(pipeFds[1], &ready, 1);
        ::pause(); // killed here, before Close()
        ::_exit(4);
    }
    ::close(pipeFds[1]);
    char ready = 0;
    ASSERT_EQ(::read(pipeFds[0], &ready, 1), 1);
    ::close(pipeFds[0]);

    // The half-written file exists beside the target...
    bool sawPartial = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        sawPartial = sawPartial || (entry.path() != path && entry.file_size() > 0);
    EXPECT_TRUE(sawPartial);

    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    // ...but the target is untouched, and reads back as before.
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(readAll(path), (std::vector<std::u16string>{u"[Config]", u"CurrentProfile=2"}));
}

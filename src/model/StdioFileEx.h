// The one text-file class of the program: UTF-16 little-endian with a byte-order mark, read and
// written line by line, with no line-ending translation ("\n" stays "\n", a "\r" stays in the line).
//
// Writes never leave a truncated file behind: the text goes to a temporary file beside the
// target, which replaces the target only when Close() has flushed it to disk. A crash or a full
// disk before that leaves the old file as it was. A write fails wherever writing the file in place
// would fail (a file the user may not write, a folder the user may not write), so the rename never
// replaces what the user protected.
#pragma once

#include "model/FileProblems.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::model {

// The temporary file of a save is the target's name + this + six random characters. A save that
// is killed before its rename leaves it behind; RemoveSaveLeftovers() clears such files. The file
// holds a lock for as long as it has this name and its save runs.
inline constexpr std::string_view kSaveTempInfix = ".saving-";
// The name a temporary file is created under, for the moment before it is locked; it then takes
// the kSaveTempInfix name with the same six characters.
inline constexpr std::string_view kSaveCreateInfix = ".creating-";
// Copies kept beside a file before something else replaces it. A file that could not be read:
inline constexpr std::string_view kUnreadableSuffix = ".unreadable";
// A readable profile that a re-created configuration replaces with factory settings:
inline constexpr std::string_view kReplacedSuffix = ".replaced";
// A slot's own profile that a failed import replaces with factory settings:
inline constexpr std::string_view kBeforeImportSuffix = ".before-import";

// True when a save may replace `path`: no file there, or a regular file the user may write, and
// (for a new temporary file beside it) a folder the user may write.
bool MayReplaceFile(const std::string& path);

enum class CopyAside {
    NoFile, // nothing at `path`: it may be written
    Kept,   // the copy was made: `path` may be replaced
    Failed, // the file is there but could not be copied (or cannot be replaced anyway): leave it
};
// Before something other than its own contents replaces the file at `path`, keeps a copy of it as
// `path` + `suffix` (replacing an older copy), written the way every save is. The caller replaces
// the file only when the result is not Failed.
CopyAside KeepCopyAside(const std::string& path, std::string_view suffix);
// KeepCopyAside(path, ".unreadable"); true when a copy was made.
bool KeepUnreadableCopy(const std::string& path);

// Replaces (or creates) `path` with `text` the way every save goes (see CStdioFileEx). False when
// it could not be written, the old file then kept and `problem` (when given) saying why.
bool WriteWholeFile(const std::string& path, std::u16string_view text, FileProblem* problem = nullptr);

// Removes what killed saves of `targets` (and of their kept copies) left beside them: only
// regular files named exactly like our temporary files, and only those no live save holds (a
// file still under its creation name only when it is more than a minute old). Returns the number
// removed.
int RemoveSaveLeftovers(const std::vector<std::string>& targets);
// Earlier builds named a save's temporary file `<name>.XXXXXX` and did not lock it. Removes such
// files beside `targets` where that is safe: the name is exactly a target's name, "." and six
// letters or digits; the file is a regular file, unlocked and more than a minute old; and the six
// characters do not read as a word or a number (all digits, all one case, or a capital followed by
// small letters), which a user's own copy such as "default1.psf.backup" would. Returns the number
// removed.
int RemoveEarlierSaveLeftovers(const std::vector<std::string>& targets);

class CStdioFileEx {
public:
    CStdioFileEx() = default;
    ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    // Opens an existing regular file for reading (a folder, a device, a pipe or a socket is
    // refused without blocking). It opens for reading and writing, so it fails when the file
    // exists but cannot be opened for writing.
    bool OpenForRead(const std::string& path);
    // Opens an existing file for reading only: for a file the user may read but not write.
    bool OpenForReadOnly(const std::string& path);
    // Prepares to replace (or create) `path`; a symbolic link stays and its target is replaced.
    // Fails, leaving everything as it was, when the file exists and the user may not write it, or
    // when the temporary file cannot be created (a folder the user may not write).
    bool OpenForWrite(const std::string& path);
    bool IsOpen() const { return file_ != nullptr || readFd_ >= 0; }

    // Files opened for reading after this are refused when larger than `bytes` (0: no bound), and
    // reading one stops there, should it grow meanwhile (Problem() then says so).
    void SetReadLimit(std::uint64_t bytes) { readLimit_ = bytes; }
    // Why the last open failed, or what went wrong since: a read error, reading beyond the bound,
    // or a write that could not be stored. None while all is well.
    const FileProblem& Problem() const { return problem_; }

    // Writes the code units exactly; the byte-order mark goes first when the file is still empty.
    // Returns false once any write has failed (the target will then not be replaced).
    bool WriteString(std::u16string_view text);

    // Reads one line without its line feed. A line that is only a line feed comes back as the
    // one-unit text "\n". Returns false at the end of the file with nothing read. The two bytes
    // at the start of a file are skipped as the byte-order mark, whatever they hold.
    bool ReadString(std::u16string& text);
    // The same line as a view into the file's buffer, valid until the next read or Close(): the
    // readers of large files parse it in place.
    bool ReadLine(std::u16string_view& line);

    // Flushes and closes; for a file opened for writing, moves the finished file over the target
    // (it takes the old file's mode) and flushes the folder, so the new name survives a power cut.
    // Returns false when anything written could not be stored (the old target is then kept).
    bool Close();

private:
    bool OpenExisting(const std::string& path, const char* mode);
    // Reads more of the file behind the unread units; false once the file has ended.
    bool FillUnits();
    // Grows the unit buffer to at least `units`, keeping units [0, end_).
    void reserveUnits(std::size_t units);
    // Records errno as the problem of a write that failed (the first one counts).
    void noteWriteError();

    std::FILE* file_ = nullptr; // a file being written
    int readFd_ = -1;           // a file being read
    // Reading goes straight into a buffer of code units, the whole file at once where it is not
    // huge: units [begin_, end_) are unread, and [begin_, scanned_) hold no line feed. A last byte
    // without its partner waits in oddByte_.
    std::unique_ptr<char16_t[]> units_; // not cleared before the read fills it
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;
    int oddByte_ = -1;
    bool bomSkipped_ = false;
    bool ended_ = false;
    std::uint64_t readLimit_ = 0;
    std::uint64_t fetched_ = 0; // bytes taken from the stream, for the bound
    FileProblem problem_;
    bool writing_ = false;
    bool failed_ = false;
    std::string target_;
    std::string tempPath_;
};

} // namespace quorvik::model

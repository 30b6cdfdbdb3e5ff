// The one text-file class of the program: UTF-16 little-endian with a byte-order mark, read and
// written line by line, with no line-ending translation ("\n" stays "\n", a "\r" stays in the line).
//
// Writes never leave a truncated file behind: the text goes to a temporary file beside the
// target, which replaces the target only when Close() has flushed it to disk. A crash or a full
// disk before that leaves the old file as it was. A write fails wherever writing the file in place
// would fail (a file the user may not write, a folder the user may not write), so the rename never
// replaces what the user protected.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::model {

// The temporary file of a save is the target's name + this + six random characters. A save that
// is killed before its rename leaves it behind; RemoveSaveLeftovers() clears such files.
inline constexpr std::string_view kSaveTempInfix = ".saving-";
// A file that could not be read is kept under its name + this before defaults replace it.
inline constexpr std::string_view kUnreadableSuffix = ".unreadable";

// True when a save may replace `path`: no file there, or a regular file the user may write, and
// (for a new temporary file beside it) a folder the user may write.
bool MayReplaceFile(const std::string& path);

// Before defaults replace the unreadable file at `path`, keeps a copy of it as `path` +
// ".unreadable" (replacing an older copy). Nothing is copied when there is no file or when the
// file cannot be replaced anyway. True when a copy was made.
bool KeepUnreadableCopy(const std::string& path);

// Removes what killed saves of `targets` (and of their ".unreadable" copies) left beside them:
// only regular files named exactly like our temporary files, and only those no live save holds.
// Returns the number removed.
int RemoveSaveLeftovers(const std::vector<std::string>& targets);

class CStdioFileEx {
public:
    CStdioFileEx() = default;
    ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    // Opens an existing file for reading. Like the original read-and-write open, it fails when
    // the file exists but cannot be opened for writing.
    bool OpenForRead(const std::string& path);
    // Prepares to replace (or create) `path`; a symbolic link stays and its target is replaced.
    // Fails, leaving everything as it was, when the file exists and the user may not write it, or
    // when the temporary file cannot be created (a folder the user may not write).
    bool OpenForWrite(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }

    // Writes the code units exactly; the byte-order mark goes first when the file is still empty.
    // Returns false once any write has failed (the target will then not be replaced).
    bool WriteString(std::u16string_view text);

    // Reads one line without its line feed. A line that is only a line feed comes back as the
    // one-unit text "\n". Returns false at the end of the file with nothing read. The two bytes
    // at the start of a file are skipped as the byte-order mark, whatever they hold.
    bool ReadString(std::u16string& text);

    // Flushes and closes; for a file opened for writing, moves the finished file over the target
    // (it takes the old file's mode) and flushes the folder, so the new name survives a power cut.
    // Returns false when anything written could not be stored (the old target is then kept).
    bool Close();

private:
    // Makes at least two bytes available in the read buffer unless the file has ended; returns
    // the number available.
    std::size_t FillReadBuffer();

    std::FILE* file_ = nullptr;
    // Reading goes through our own buffer instead of one library call per byte; readPos_ is the
    // logical file position (bytes handed out so far), which decides the byte-order-mark skip.
    std::string readBuffer_;
    std::size_t bufferBegin_ = 0;
    std::size_t bufferEnd_ = 0;
    long long readPos_ = 0;
    bool writing_ = false;
    bool failed_ = false;
    std::string target_;
    std::string tempPath_;
};

} // namespace quorvik::model

// The one text-file class of the program: UTF-16 little-endian with a byte-order mark, read and
// written line by line, with no line-ending translation ("\n" stays "\n", a "\r" stays in the line).
//
// Writes never leave a truncated file behind: the text goes to a temporary file beside the
// target, which replaces the target only when Close() has flushed it to disk. A crash or a full
// disk before that leaves the old file as it was.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorvik::model {

class CStdioFileEx {
public:
    CStdioFileEx() = default;
    ~CStdioFileEx();
    CStdioFileEx(const CStdioFileEx&) = delete;
    CStdioFileEx& operator=(const CStdioFileEx&) = delete;

    // Opens an existing file for reading. Like the original read-and-write open, it fails when
    // the file exists but cannot be opened for writing.
    bool OpenForRead(const std::string& path);
    // Prepares to replace (or create) `path`. Fails when the temporary file cannot be created.
    bool OpenForWrite(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }

    // Writes the code units exactly; the byte-order mark goes first when the file is still empty.
    // Returns false once any write has failed (the target will then not be replaced).
    bool WriteString(std::u16string_view text);

    // Reads one line without its line feed. A line that is only a line feed comes back as the
    // one-unit text "\n". Returns false at the end of the file with nothing read. The two bytes
    // at the start of a file are skipped as the byte-order mark, whatever they hold.
    bool ReadString(std::u16string& text);

    // Flushes and closes; for a file opened for writing, moves the finished file over the target.
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

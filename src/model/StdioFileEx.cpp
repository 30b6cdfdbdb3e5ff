#include "model/StdioFileEx.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik::model {

namespace {
// Lines are read in chunks of this many code units, so lines of any length come back whole.
constexpr std::size_t kReadChunkUnits = 128;
constexpr char16_t kLineFeed = u'\n';
constexpr unsigned char kByteOrderMark[2] = {0xFF, 0xFE};
} // namespace

CStdioFileEx::~CStdioFileEx() {
    if (file_)
        Close();
}

bool CStdioFileEx::OpenForRead(const std::string& path) {
    if (file_)
        Close();
    file_ = std::fopen(path.c_str(), "r+b");
    writing_ = false;
    failed_ = false;
    return file_ != nullptr;
}

bool CStdioFileEx::OpenForWrite(const std::string& path) {
    if (file_)
        Close();
    std::string temp = path + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    // mkstemp creates the file private to the user; settings files get the usual mode.
    ::fchmod(fd, 0644);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    writing_ = true;
    failed_ = false;
    target_ = path;
    tempPath_ = temp;
    return true;
}

bool CStdioFileEx::WriteString(std::u16string_view text) {
    if (!file_ || !writing_)
        return false;
    if (failed_)
        return false;
    if (std::ftell(file_) == 0 && std::fwrite(kByteOrderMark, 1, 2, file_) != 2)
        failed_ = true;
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        failed_ = true;
    return !failed_;
}

bool CStdioFileEx::ReadString(std::u16string& text) {
    text.clear();
    if (!file_ || writing_)
        return false;
    if (std::ftell(file_) == 0) {
        unsigned char bom[2];
        if (std::fread(bom, 1, 2, file_) != 2)
            return false;
    }
    bool lineEnded = false;
    while (!lineEnded) {
        std::size_t chunk = 0;
        for (; chunk < kReadChunkUnits; ++chunk) {
            int lo = std::fgetc(file_);
            if (lo == EOF)
                break;
            int hi = std::fgetc(file_);
            if (hi == EOF)
                break; // half a code unit at the very end is not text
            char16_t unit = static_cast<char16_t>(lo | (hi << 8));
            text.push_back(unit);
            if (unit == kLineFeed) {
                lineEnded = true;
                break;
            }
        }
        if (chunk < kReadChunkUnits && !lineEnded)
            break; // end of file
    }
    if (text.size() >= 2 && text.back() == kLineFeed)
        text.pop_back();
    return !text.empty();
}

bool CStdioFileEx::Close() {
    if (!file_)
        return false;
    if (!writing_) {
        std::fclose(file_);
        file_ = nullptr;
        return true;
    }
    bool ok = !failed_;
    ok = ok && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok && std::rename(tempPath_.c_str(), target_.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(tempPath_.c_str());
    writing_ = false;
    return ok;
}

} // namespace quorvik::model

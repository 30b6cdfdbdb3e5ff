#include "model/LanguageTable.h"

#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvik::model {

namespace {

// The Chinese interface font: a face Linux desktops have (Debian's fonts-wqy-microhei, which the
// program's installation asks for), as tall as the other languages' text. Windows' "宋体" at
// 12 pixels is a bitmap face made for that size; no Linux font is, and 12 pixels draw it at
// about 9, too small to read.
const std::u16string kChineseFace = u"WenQuanYi Micro Hei";
constexpr int kChineseHeight = 16;
constexpr int kChineseCharSet = 134; // GB2312
constexpr int kDefaultCharSet = 1;
const std::u16string kOtherFace = u"Tahoma";
constexpr int kOtherHeight = 16;
// Before a language file is read: the Chinese font, as the program starts in Chinese.
const std::u16string& kInitialFace = kChineseFace;
constexpr int kInitialHeight = kChineseHeight;

constexpr char16_t kLineFeed = u'\n';

// Text 0 names the language; this value means the Chinese file was loaded.
const std::u16string kChineseName = u"中文";

constexpr const char* kSettingFile = "config/LanSetting.ini";
constexpr const char* kEnglishFile = "config/Lan_EN.txt";
constexpr const char* kDefaultFile = "config/Lan.txt";

std::array<std::u16string, kLanguageTextCount> g_texts;
std::string g_loadedFile;
std::string g_loadedProblem;
std::u16string g_fontFace = kInitialFace;
int g_fontHeight = kInitialHeight;
int g_fontCharSet = kChineseCharSet;

// Position of the first "=" when it has at least one character before and after it.
std::size_t valueSeparator(const std::u16string& line) {
    std::size_t p = line.find(u'=');
    if (p == std::u16string::npos || p < 1 || p + 1 >= line.size())
        return std::u16string::npos;
    return p;
}

std::u16string languageChoice() {
    CStdioFileEx file;
    if (!file.OpenForRead(platform::DataFolder() + kSettingFile))
        return {};
    std::u16string first;
    if (!file.ReadString(first))
        return {};
    if (first != u"[ChangeLanguage]")
        return first;
    std::u16string second;
    file.ReadString(second);
    std::size_t p = valueSeparator(second);
    return p == std::u16string::npos ? second : second.substr(p + 1);
}

} // namespace

bool LoadLanguageTables() {
    const char* name = languageChoice() == u"EN" ? kEnglishFile : kDefaultFile;
    g_loadedFile = platform::DataFolder() + name;
    // Looked at whole first, so that a damaged file is named with what is wrong with it.
    g_loadedProblem = CheckLanguageFile(g_loadedFile).problem;
    CStdioFileEx file;
    file.SetReadLimit(kSmallFileLimit);
    if (!file.OpenForRead(g_loadedFile))
        return false;
    std::u16string line;
    if (!file.ReadString(line) || line != u"[Setting]")
        return false;
    while (file.ReadString(line)) {
        std::size_t p = valueSeparator(line);
        if (p == std::u16string::npos)
            return false; // the texts read so far stay
        long index = ParseDecimal(std::u16string_view(line).substr(0, p));
        if (index >= 0 && index < kLanguageTextCount)
            g_texts[static_cast<std::size_t>(index)] = line.substr(p + 1);
    }
    double scale = platform::DisplayScaleFactor();
    if (g_texts[0] == kChineseName) {
        g_fontFace = kChineseFace;
        g_fontHeight = static_cast<int>(scale * kChineseHeight);
        g_fontCharSet = kChineseCharSet;
    } else {
        g_fontFace = kOtherFace;
        g_fontHeight = static_cast<int>(scale * kOtherHeight);
        g_fontCharSet = kDefaultCharSet;
    }
    return true;
}

const std::u16string& LanguageText(int n) {
    static const std::u16string empty;
    if (n < 0 || n >= kLanguageTextCount)
        return empty;
    return g_texts[static_cast<std::size_t>(n)];
}

const std::u16string& FontFace() {
    return g_fontFace;
}
int FontHeight() {
    return g_fontHeight;
}
int FontCharSet() {
    return g_fontCharSet;
}

void ResetLanguageTables() {
    g_loadedFile.clear();
    g_loadedProblem.clear();
    for (auto& text : g_texts)
        text.clear();
    g_fontFace = kInitialFace;
    g_fontHeight = kInitialHeight;
    g_fontCharSet = kChineseCharSet;
}

const std::string& LoadedLanguageFile() {
    return g_loadedFile;
}
const std::string& LoadedLanguageProblem() {
    return g_loadedProblem;
}

LanguageFileCheck CheckLanguageFile(const std::string& path) {
    LanguageFileCheck check;
    // Read as every file of ours is read: only a regular file, looked at before it is opened and
    // opened without blocking, so that a pipe in its place cannot hang the start.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        check.problem = errno == ENOENT ? "missing" : "cannot be read";
        return check;
    }
    const int fd = S_ISREG(st.st_mode) ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        check.problem = S_ISREG(st.st_mode) ? "cannot be read" : "not a regular file";
        return check;
    }
    // A buffer of the file's size and one byte more, grown (up to the limit and one byte) only
    // while the file is longer than it said.
    const std::size_t cap = kSmallFileLimit + 1;
    std::string bytes;
    bytes.resize(std::min<std::size_t>(cap, st.st_size > 0 ? std::size_t(st.st_size) + 1 : 4096));
    std::size_t got = 0;
    for (ssize_t n; (n = ::read(fd, bytes.data() + got, bytes.size() - got)) > 0;) {
        got += std::size_t(n);
        if (got == bytes.size()) {
            if (bytes.size() == cap)
                break;
            bytes.resize(std::min(cap, bytes.size() * 2));
        }
    }
    ::close(fd);
    bytes.resize(got);
    if (bytes.empty()) {
        check.problem = "empty";
        return check;
    }
    if (bytes.size() > kSmallFileLimit) {
        check.problem = "larger than 1 MiB";
        return check;
    }
    if (bytes.size() < 2 || std::uint8_t(bytes[0]) != 0xFF || std::uint8_t(bytes[1]) != 0xFE) {
        char begins[16];
        std::snprintf(begins, sizeof begins, "%02X %02X", std::uint8_t(bytes[0]),
                      bytes.size() > 1 ? std::uint8_t(bytes[1]) : 0);
        check.problem = std::string("not UTF-16 with a byte-order mark (it begins with the bytes ") + begins + ")";
        return check;
    }
    if (bytes.size() % 2) {
        check.problem = "an odd number of bytes: cut short";
        return check;
    }
    std::u16string text(bytes.size() / 2 - 1, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t(std::uint8_t(bytes[2 + 2 * i]) | (std::uint8_t(bytes[3 + 2 * i]) << 8));
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        ++lineNumber;
        const std::size_t end = text.find(kLineFeed, start);
        if (end == std::u16string::npos) {
            check.problem = "it ends in the middle of line " + std::to_string(lineNumber) + ": cut short";
            return check;
        }
        const std::u16string_view line(text.data() + start, end - start);
        start = end + 1;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const bool high = line[i] >= 0xD800 && line[i] <= 0xDBFF, low = line[i] >= 0xDC00 && line[i] <= 0xDFFF;
            if (low || (high && (i + 1 >= line.size() || line[i + 1] < 0xDC00 || line[i + 1] > 0xDFFF))) {
                check.problem = "line " + std::to_string(lineNumber) + " is not valid UTF-16";
                return check;
            }
            i += high;
        }
        if (lineNumber == 1) {
            if (line != u"[Setting]") {
                check.problem = "its first line is not [Setting]";
                return check;
            }
            continue;
        }
        const std::size_t p = valueSeparator(std::u16string(line));
        if (p == std::u16string::npos) {
            check.problem = "line " + std::to_string(lineNumber) +
                            " is not a numbered text (number=text): the texts from there on are not read";
            return check;
        }
        const long index = ParseDecimal(line.substr(0, p));
        if (index >= 0 && index < kLanguageTextCount)
            check.indices.push_back(int(index));
    }
    if (lineNumber == 0) {
        check.problem = "it holds nothing but its byte-order mark";
        return check;
    }
    std::sort(check.indices.begin(), check.indices.end());
    check.indices.erase(std::unique(check.indices.begin(), check.indices.end()), check.indices.end());
    return check;
}

} // namespace quorvik::model

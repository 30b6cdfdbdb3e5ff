#include "model/LanguageTable.h"

#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"

#include <array>

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

// Text 0 names the language; this value means the Chinese file was loaded.
const std::u16string kChineseName = u"中文";

constexpr const char* kSettingFile = "config/LanSetting.ini";
constexpr const char* kEnglishFile = "config/Lan_EN.txt";
constexpr const char* kDefaultFile = "config/Lan.txt";

std::array<std::u16string, kLanguageTextCount> g_texts;
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
    CStdioFileEx file;
    if (!file.OpenForRead(platform::DataFolder() + name))
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
    for (auto& text : g_texts)
        text.clear();
    g_fontFace = kInitialFace;
    g_fontHeight = kInitialHeight;
    g_fontCharSet = kChineseCharSet;
}

} // namespace quorvik::model

// Arbitrary bytes as the language-setting file and the language files, loaded the way the program
// loads them at start-up. The first input byte n gives the length of the setting file (the next n
// bytes); the rest is written as both language files.
#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvik::model;
namespace platform = quorvik::platform;

namespace {

const std::string& dataFolder() {
    static const std::string folder = [] {
        char dir[] = "/tmp/qv-fuzz-language-XXXXXX";
        if (!::mkdtemp(dir))
            std::abort();
        std::string folder = std::string(dir) + "/";
        if (::mkdir((folder + "config").c_str(), 0755) != 0)
            std::abort();
        return folder;
    }();
    return folder;
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size)
        std::abort();
    std::fclose(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::size_t settingSize = std::min<std::size_t>(data[0], size - 1);
    const std::uint8_t* setting = data + 1;
    const std::uint8_t* language = setting + settingSize;
    const std::size_t languageSize = size - 1 - settingSize;

    const std::string& folder = dataFolder();
    platform::SetDataFolder(folder);
    platform::SetDisplayScaleFactor(1.5);
    writeFile(folder + "config/LanSetting.ini", setting, settingSize);
    writeFile(folder + "config/Lan.txt", language, languageSize);
    writeFile(folder + "config/Lan_EN.txt", language, languageSize);

    ResetLanguageTables();
    bool loaded = LoadLanguageTables();

    if (!LanguageText(-1).empty() || !LanguageText(kLanguageTextCount).empty())
        std::abort();
    const bool chinese = LanguageText(0) == u"中文";
    if (loaded && !chinese && (FontFace() != u"Tahoma" || FontHeight() != 24 || FontCharSet() != 1))
        std::abort();
    if ((!loaded || chinese) &&
        (FontFace() != u"WenQuanYi Micro Hei" || FontHeight() != (loaded ? 24 : 16) || FontCharSet() != 134))
        std::abort();
    return 0;
}

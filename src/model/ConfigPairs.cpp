#include "model/ConfigPairs.h"

#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"

namespace quorvik::model {

namespace {

constexpr std::u16string_view kConfigSectionLine = u"[Setting]";

constexpr std::array<const char16_t*, kConfigPairCount> kFactoryNames{
    u"NeedPassword",     u"Sensor",           u"PreST",
    u"Mac_ID",           u"DataChange",       u"CurrentProfile",
    u"ProfileShowCount", u"ProfileShowList0", u"ProfileShowList1",
    u"ProfileShowList2", u"ProfileShowList3", u"ProfileShowList4",
    u"ProfileSlot0URL",  u"ProfileSlot1URL",  u"ProfileSlot2URL",
    u"ProfileSlot3URL",  u"ProfileSlot4URL",
};

constexpr std::array<const char16_t*, kCfgProfileSlot0URL> kFactoryValues{
    u"1", u"0x3325", u"0xCCDA", u"0xFFFFFFFF", u"0x1234", u"0", u"3", u"0", u"1", u"2", u"3", u"4",
};

const std::u16string kEmpty;

bool validIndex(int i) {
    return i >= 0 && i < kConfigPairCount;
}
bool validSlot(long s) {
    return s >= 0 && s < kProfileSlotCount;
}

// Hex with or without "0x". Spaces after the prefix are skipped too: "0x%4X" pads values below
// 0x1000 there, and what this program writes must read back as the same number.
std::uint16_t parseConfigHex(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        i += 2;
        while (i < text.size() && text[i] == u' ')
            ++i;
    }
    return std::uint16_t(ParseHex(text.substr(i)));
}

// The reader wants a name without "=", "=" and a value on one line.
bool pairReadsBack(const SettingPair& pair) {
    return !pair.name.empty() && !pair.value.empty() && pair.name.find_first_of(u"=\n") == std::u16string::npos &&
           pair.value.find(u'\n') == std::u16string::npos;
}

ConfigPairs g_config;

} // namespace

std::u16string HexWithSpacePad(std::uint32_t value) {
    std::u16string digits = HexText(value, 1);
    std::u16string out = u"0x";
    if (digits.size() < 4)
        out.append(4 - digits.size(), u' ');
    return out + digits;
}

const std::u16string& ConfigPairs::Name(int i) const {
    return validIndex(i) ? pairs[i].name : kEmpty;
}
const std::u16string& ConfigPairs::Value(int i) const {
    return validIndex(i) ? pairs[i].value : kEmpty;
}

void ConfigPairs::SetValue(int i, std::u16string value) {
    if (!validIndex(i))
        return;
    // A value stays on its line, or no later save of the configuration could be written. A slot
    // path is the exception: it names a file, and with its control characters replaced it would
    // name another one; such a path is kept as given and the save refuses it.
    const bool isPath = i >= kCfgProfileSlot0URL;
    pairs[i].value = isPath ? std::move(value) : OneLineText(std::move(value));
}

void ConfigPairs::SetFactory(const std::string& dataFolder) {
    for (int i = 0; i < kConfigPairCount; ++i) {
        pairs[i].name = kFactoryNames[i];
        if (i < kCfgProfileSlot0URL) {
            pairs[i].value = kFactoryValues[i];
        } else {
            int slot = i - kCfgProfileSlot0URL;
            pairs[i].value = ToU16(dataFolder + "config/default" + std::to_string(slot) + ".psf");
        }
    }
}

bool ConfigPairs::Read(const std::string& path) {
    CStdioFileEx file;
    file.SetReadLimit(kSmallFileLimit);
    // Read-only is enough: a configuration the user made read-only is used as it stands (its
    // saves fail). Read as missing, it would give the factory sensor at every start, and the
    // mouse's own sensor would then reset the DPI levels of every profile each time.
    if (!file.OpenForReadOnly(path))
        return false;
    std::u16string line;
    if (!file.ReadString(line) || line != kConfigSectionLine)
        return false;
    for (int i = 0; file.ReadString(line); ++i) {
        if (i >= kConfigPairCount)
            return false; // an 18th pair line, even a blank one
        auto p = line.find(u'=');
        if (p == std::u16string::npos || p == 0 || p + 1 >= line.size())
            return false;
        pairs[i].name = line.substr(0, p);
        pairs[i].value = line.substr(p + 1);
    }
    return true;
}

bool ConfigPairs::Write(const std::string& path, FileProblem* problem) const {
    auto fail = [&](FileProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    // A pair the reader would reject (it makes the whole file malformed, and the next start then
    // re-creates all five profiles) is never written: the old file stays.
    for (const auto& pair : pairs) {
        if (!pairReadsBack(pair))
            return fail({FileFault::Damaged});
    }
    if (path.empty())
        return fail({FileFault::Missing});
    std::u16string text;
    text.reserve(1024);
    text.append(kConfigSectionLine).push_back(u'\n');
    for (const auto& pair : pairs) {
        text.append(pair.name).append(u"=").append(pair.value).push_back(u'\n');
    }
    return WriteWholeFile(path, text, problem);
}

std::uint16_t ConfigPairs::SensorValue() const {
    return parseConfigHex(Value(kCfgSensor));
}
std::uint16_t ConfigPairs::PreSTValue() const {
    return parseConfigHex(Value(kCfgPreST));
}
void ConfigPairs::SetSensor(std::uint16_t sensor) {
    SetValue(kCfgSensor, HexWithSpacePad(sensor));
}
void ConfigPairs::SetPreST(std::uint16_t sensor) {
    SetValue(kCfgPreST, HexWithSpacePad(std::uint16_t(~sensor)));
}

long ConfigPairs::NeedPassword() const {
    return ParseDecimal(Value(kCfgNeedPassword));
}
long ConfigPairs::CurrentProfile() const {
    return ParseDecimal(Value(kCfgCurrentProfile));
}
long ConfigPairs::ProfileShowCount() const {
    return ParseDecimal(Value(kCfgProfileShowCount));
}

long ConfigPairs::ProfileShowList(int position) const {
    if (position < 0 || position >= kProfileSlotCount)
        return 0;
    return ParseDecimal(Value(kCfgProfileShowList0 + position));
}

void ConfigPairs::SetCurrentProfile(int slot) {
    SetValue(kCfgCurrentProfile, DecimalText(slot));
}
void ConfigPairs::SetProfileShowCount(int count) {
    SetValue(kCfgProfileShowCount, DecimalText(count));
}

void ConfigPairs::SetProfileShowList(int position, int slot) {
    if (position >= 0 && position < kProfileSlotCount)
        SetValue(kCfgProfileShowList0 + position, DecimalText(slot));
}

std::string ConfigPairs::ProfileSlotPath(int slot) const {
    if (!validSlot(slot))
        return {};
    return ToUtf8(Value(kCfgProfileSlot0URL + slot));
}

int ConfigPairs::CurrentProfileSlot() const {
    long slot = CurrentProfile();
    return validSlot(slot) ? int(slot) : ShowListSlot(0);
}

int ConfigPairs::ShowCountClamped() const {
    long n = ProfileShowCount();
    if (n < 0)
        return 0;
    return n > kProfileSlotCount ? kProfileSlotCount : int(n);
}

int ConfigPairs::ShowListSlot(int position) const {
    if (position < 0 || position >= kProfileSlotCount)
        position = 0;
    long slot = ProfileShowList(position);
    return validSlot(slot) ? int(slot) : position;
}

ConfigPairs& Config() {
    return g_config;
}

std::string ConfigFilePath() {
    return platform::DataFolder().empty() ? std::string() : platform::DataFolder() + "config/config.ini";
}

bool WriteConfiguration() {
    const std::string path = ConfigFilePath();
    FileProblem problem;
    const bool written = g_config.Write(path, &problem);
    NoteSettingsSave(path, problem);
    return written;
}

bool SaveConfiguration() {
    g_config.SetCurrentProfile(CurrentSlot());
    return WriteConfiguration();
}

void SetFactoryConfiguration() {
    g_config.SetFactory(platform::DataFolder());
}

} // namespace quorvik::model

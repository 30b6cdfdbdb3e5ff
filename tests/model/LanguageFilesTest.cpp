// The language files built beside the executables: format, and a text for every number the
// program shows.
#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

using namespace quorvik::model;
using quorvik::test::readBytes;
using quorvik::test::TempDir;

namespace {

const std::filesystem::path kBuiltConfig = std::filesystem::path(QV_BIN_DIR) / "config";

// Every text number the program uses, as ranges [first, last].
const std::vector<std::pair<int, int>> kUsedTexts = {
    {0, 2},     {4, 15},    {19, 34},   {36, 36},   {40, 42},   {45, 58},   {60, 68},   {75, 80},   {85, 93},
    {100, 110}, {140, 156}, {170, 176}, {180, 180}, {190, 190}, {200, 200}, {220, 225}, {232, 243}, {253, 258},
    {265, 265}, {272, 273}, {280, 288}, {300, 324}, {330, 347}, {350, 357}, {360, 366}, {410, 416},
};
// Numbers inside those ranges that no label uses.
const std::vector<int> kUnusedInside = {319};

class LanguageFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "config");
        quorvik::platform::SetDataFolder(dir_.str());
        quorvik::platform::SetDisplayScaleFactor(1.0);
        ResetLanguageTables();
    }
    void TearDown() override { ResetLanguageTables(); }

    void copyBuilt(const char* name) {
        auto from = kBuiltConfig / name;
        ASSERT_TRUE(std::filesystem::exists(from)) << from << " is missing; build the qv_language_files target";
        std::filesystem::copy_file(from, dir_.path() / "config" / name,
                                   std::filesystem::copy_options::overwrite_existing);
    }

    void expectEveryUsedTextPresent() {
        for (auto [first, last] : kUsedTexts) {
            for (int n = first; n <= last; ++n) {
                if (std::find(kUnusedInside.begin(), kUnusedInside.end(), n) != kUnusedInside.end())
                    continue;
                EXPECT_FALSE(LanguageText(n).empty()) << "language text " << n;
            }
        }
    }

    TempDir dir_;
};

} // namespace

TEST_F(LanguageFilesTest, StoredAsUtf16WithByteOrderMarkAndLineFeeds) {
    for (const char* name : {"Lan_EN.txt", "Lan.txt", "LanSetting.ini"}) {
        SCOPED_TRACE(name);
        auto bytes = readBytes(kBuiltConfig / name);
        ASSERT_GE(bytes.size(), 4u);
        ASSERT_EQ(bytes.size() % 2, 0u);
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xFE);
        bool endsWithLineFeed = bytes[bytes.size() - 2] == 0x0A && bytes.back() == 0x00;
        EXPECT_TRUE(endsWithLineFeed);
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
            EXPECT_NE(unit, u'\r') << "carriage return at byte " << i;
            EXPECT_NE(unit, 0xFEFF) << "second byte-order mark at byte " << i;
        }
    }
}

TEST_F(LanguageFilesTest, EnglishFileHasEveryText) {
    copyBuilt("LanSetting.ini");
    copyBuilt("Lan_EN.txt");
    ASSERT_TRUE(LoadLanguageTables());
    EXPECT_EQ(LanguageText(0), u"English");
    EXPECT_EQ(FontFace(), u"Tahoma");
    EXPECT_EQ(FontHeight(), 16);
    expectEveryUsedTextPresent();
}

// The key-function menus speak of what a Linux desktop has; the codes they send are the mouse's.
TEST_F(LanguageFilesTest, TheKeyFunctionMenusUseTheWordsOfLinuxDesktops) {
    const std::vector<std::u16string> windowsWords = {u"Windows",  u"Win+",       u"My Computer", u"Explorer",
                                                      u"我的电脑", u"资源管理器", u"控制面板"};
    for (const char* file : {"Lan_EN.txt", "Lan.txt"}) {
        SCOPED_TRACE(file);
        ResetLanguageTables();
        copyBuilt(file);
        if (std::string(file) == "Lan_EN.txt")
            copyBuilt("LanSetting.ini");
        else
            std::filesystem::remove(dir_.path() / "config" / "LanSetting.ini");
        ASSERT_TRUE(LoadLanguageTables());
        for (int n = 20; n <= 80; ++n)
            for (const std::u16string& word : windowsWords)
                EXPECT_EQ(LanguageText(n).find(word), std::u16string::npos) << n;
        EXPECT_FALSE(LanguageText(366).empty()) << "the Super key's name";
    }
}

TEST_F(LanguageFilesTest, ChineseFileHasEveryTextAndSetsChineseFont) {
    copyBuilt("Lan.txt"); // no setting file: the Chinese file is used
    quorvik::platform::SetDisplayScaleFactor(1.5);
    ASSERT_TRUE(LoadLanguageTables());
    EXPECT_EQ(LanguageText(0), u"中文");
    EXPECT_EQ(FontFace(), u"WenQuanYi Micro Hei");
    EXPECT_EQ(FontHeight(), 24);
    EXPECT_EQ(FontCharSet(), 134);
    expectEveryUsedTextPresent();
}

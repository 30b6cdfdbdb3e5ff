#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include <sys/stat.h>

using namespace quorvik::model;
using quorvik::test::TempDir;
using quorvik::test::utf16File;
using quorvik::test::writeBytes;

namespace {

class LanguageTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "config");
        quorvik::platform::SetDataFolder(dir_.str());
        quorvik::platform::SetDisplayScaleFactor(1.0);
        ResetLanguageTables();
    }
    void TearDown() override {
        ResetLanguageTables();
        quorvik::platform::SetDisplayScaleFactor(1.0);
    }

    void write(const char* name, const std::u16string& text) {
        writeBytes(dir_.path() / "config" / name, utf16File(text));
    }

    // Both language files, told apart by text 1.
    void writeBothLanguages() {
        write("Lan_EN.txt", u"[Setting]\n0=English\n1=from Lan_EN\n");
        write("Lan.txt", u"[Setting]\n0=中文\n1=from Lan\n");
    }

    void expectInitialFont() {
        EXPECT_EQ(FontFace(), u"WenQuanYi Micro Hei");
        EXPECT_EQ(FontHeight(), 16);
        EXPECT_EQ(FontCharSet(), 134);
    }

    TempDir dir_;
};

} // namespace

TEST_F(LanguageTableTest, SettingFileChoosesTheLanguageFile) {
    struct Case {
        const char* what;
        std::optional<std::u16string> setting; // none: no LanSetting.ini
        const char16_t* expected;
    };
    const Case cases[] = {
        {"value EN", u"[ChangeLanguage]\nLanguage=EN\n", u"from Lan_EN"},
        {"choice is case-sensitive", u"[ChangeLanguage]\nLanguage=en\n", u"from Lan"},
        {"any other value", u"[ChangeLanguage]\nLanguage=FR\n", u"from Lan"},
        {"second line without '=' is the choice", u"[ChangeLanguage]\nEN\n", u"from Lan_EN"},
        {"'=' first: the whole line is the choice", u"[ChangeLanguage]\n=EN\n", u"from Lan"},
        {"nothing after '='", u"[ChangeLanguage]\nLanguage=\n", u"from Lan"},
        {"value runs to the end of the line", u"[ChangeLanguage]\nLanguage=EN \n", u"from Lan"},
        {"no section line: the first line is the choice", u"EN\n", u"from Lan_EN"},
        {"section line only", u"[ChangeLanguage]\n", u"from Lan"},
        {"empty file", u"", u"from Lan"},
        {"no setting file", std::nullopt, u"from Lan"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetLanguageTables();
        std::filesystem::remove(dir_.path() / "config" / "LanSetting.ini");
        if (c.setting)
            write("LanSetting.ini", *c.setting);
        writeBothLanguages();
        EXPECT_TRUE(LoadLanguageTables());
        EXPECT_EQ(LanguageText(1), c.expected);
    }
}

TEST_F(LanguageTableTest, FontFollowsLanguageAndScale) {
    struct Case {
        double scale;
        const char16_t* file;
        const char16_t* face;
        int height;
        int charSet;
    };
    const Case cases[] = {
        // Chinese as tall as the other languages' text, in a face Linux desktops have.
        {1.0, u"[Setting]\n0=中文\n", u"WenQuanYi Micro Hei", 16, 134},
        {1.5, u"[Setting]\n0=中文\n", u"WenQuanYi Micro Hei", 24, 134},
        {2.0, u"[Setting]\n0=中文\n", u"WenQuanYi Micro Hei", 32, 134},
        {1.0, u"[Setting]\n0=English\n", u"Tahoma", 16, 1},
        {1.5, u"[Setting]\n0=English\n", u"Tahoma", 24, 1},
        {1.0, u"[Setting]\n", u"Tahoma", 16, 1},
        {1.5, u"[Setting]\n", u"Tahoma", 24, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "scale " << c.scale << ", file of " << std::u16string(c.file).size() << " units");
        ResetLanguageTables();
        quorvik::platform::SetDisplayScaleFactor(c.scale);
        write("Lan.txt", c.file);
        EXPECT_TRUE(LoadLanguageTables());
        EXPECT_EQ(FontFace(), c.face);
        EXPECT_EQ(FontHeight(), c.height);
        EXPECT_EQ(FontCharSet(), c.charSet);
    }
}

TEST_F(LanguageTableTest, LinesStoreTextsByIndex) {
    write("Lan.txt", u"[Setting]\n"
                     u"20=Left\n"
                     u"499=last\n"
                     u"500=out of range\n"
                     u"600=out of range\n"
                     u"-1=negative\n"
                     u"x=bad number\n"
                     u"7=first\n"
                     u"7=second\n"
                     u"8=a=b\n"
                     u"9= spaced \n");
    EXPECT_TRUE(LoadLanguageTables());
    EXPECT_EQ(LanguageText(20), u"Left");
    EXPECT_EQ(LanguageText(499), u"last");
    EXPECT_EQ(LanguageText(0), u"bad number"); // a bad number reads as 0
    EXPECT_EQ(LanguageText(7), u"second");     // a later line replaces an earlier one
    EXPECT_EQ(LanguageText(8), u"a=b");        // the text starts after the first "="
    EXPECT_EQ(LanguageText(9), u" spaced ");
    EXPECT_EQ(LanguageText(500), u"");
    EXPECT_EQ(LanguageText(-1), u"");
    for (int n : {1, 2, 100, 498})
        EXPECT_EQ(LanguageText(n), u"") << n;
}

TEST_F(LanguageTableTest, MalformedLineStopsTheLoad) {
    const char16_t* stoppers[] = {
        u"12=\n",   // nothing after "="
        u"=text\n", // "=" at the start
        u"no separator\n",
        u"\n", // an empty line
    };
    for (const char16_t* stopper : stoppers) {
        SCOPED_TRACE(::testing::Message() << "stopper of " << std::u16string(stopper).size() << " units");
        ResetLanguageTables();
        write("Lan.txt", u"[Setting]\n0=中文\n11=DPI\n" + std::u16string(stopper) + u"13=after\n");
        EXPECT_FALSE(LoadLanguageTables());
        EXPECT_EQ(LanguageText(0), u"中文");
        EXPECT_EQ(LanguageText(11), u"DPI");
        EXPECT_EQ(LanguageText(12), u"");
        EXPECT_EQ(LanguageText(13), u"");
        expectInitialFont();
    }
}

TEST_F(LanguageTableTest, MissingOrForeignFileLoadsNothing) {
    EXPECT_FALSE(LoadLanguageTables()); // no files at all
    EXPECT_EQ(LanguageText(0), u"");
    expectInitialFont();

    write("Lan.txt", u"[Settings]\n0=English\n");
    EXPECT_FALSE(LoadLanguageTables());
    EXPECT_EQ(LanguageText(0), u"");
    expectInitialFont();

    // English chosen but only the Chinese file present: nothing falls back to it.
    write("LanSetting.ini", u"[ChangeLanguage]\nLanguage=EN\n");
    write("Lan.txt", u"[Setting]\n0=中文\n");
    EXPECT_FALSE(LoadLanguageTables());
    EXPECT_EQ(LanguageText(0), u"");
}

// What a damaged language file is told with; the load itself still takes the texts before the
// fault, as it always did.
TEST_F(LanguageTableTest, ADamagedFileIsNamedWithWhatIsWrong) {
    using Bytes = std::vector<unsigned char>;
    const auto bytes = [](const std::u16string& text) { return utf16File(text); };
    Bytes odd = bytes(u"[Setting]\n0=English\n");
    odd.pop_back();
    Bytes lone = bytes(u"[Setting]\n0=Eng\xD800lish\n");
    // At the limit and just past it: the file is read by its size, not into a buffer of the limit.
    const auto sized = [&](std::size_t fileBytes) {
        const std::u16string head = u"[Setting]\n0=";
        return bytes(head + std::u16string((fileBytes - 2) / 2 - head.size() - 1, u'a') + u"\n");
    };
    const Bytes atLimit = sized(1u << 20), pastLimit = sized((1u << 20) + 2);
    ASSERT_EQ(atLimit.size(), 1u << 20);
    const std::pair<Bytes, std::string> cases[] = {
        {atLimit, ""},
        {pastLimit, "larger than 1 MiB"},
        {bytes(u"[Setting]\n0=English\n4=OK\n"), ""},
        {{}, "empty"},
        {{0xFF, 0xFE}, "it holds nothing but its byte-order mark"},
        {{'[', 'S', 'e', 't'}, "not UTF-16 with a byte-order mark (it begins with the bytes 5B 53)"},
        {bytes(u"[Setting]\r\n0=English\r\n"), "its first line is not [Setting]"},
        {odd, "an odd number of bytes: cut short"},
        {lone, "line 2 is not valid UTF-16"},
        {bytes(u"[Setting]\n0=English\n4\n5=Cancel\n"),
         "line 3 is not a numbered text (number=text): the texts from there on are not read"},
        {bytes(u"[Setting]\n0=English\n4=O"), "it ends in the middle of line 3: cut short"},
    };
    for (const auto& [content, problem] : cases) {
        SCOPED_TRACE(problem);
        writeBytes(dir_.path() / "config/Lan.txt", content);
        EXPECT_EQ(CheckLanguageFile((dir_.path() / "config/Lan.txt").string()).problem, problem);
        LoadLanguageTables();
        EXPECT_EQ(LoadedLanguageFile(), (dir_.path() / "config/Lan.txt").string());
        EXPECT_EQ(LoadedLanguageProblem(), problem);
    }
    EXPECT_EQ(CheckLanguageFile((dir_.path() / "config/none.txt").string()).problem, "missing");

    // A pipe in the language file's place must not hang the start (nothing ever writes to it).
    const auto pipe = dir_.path() / "config/Lan_EN.txt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    write("LanSetting.ini", u"[ChangeLanguage]\nLanguage=EN\n");
    EXPECT_EQ(CheckLanguageFile(pipe.string()).problem, "not a regular file");
    EXPECT_FALSE(LoadLanguageTables());
    EXPECT_EQ(LoadedLanguageProblem(), "not a regular file");
    writeBytes(dir_.path() / "config/Lan.txt", bytes(u"[Setting]\n5=b\n0=a\n5=c\n600=x\n"));
    EXPECT_EQ(CheckLanguageFile((dir_.path() / "config/Lan.txt").string()).indices, (std::vector<int>{0, 5}));
}

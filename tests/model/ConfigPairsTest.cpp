#include "model/ConfigPairs.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace quorvik::model {
namespace {

namespace fs = std::filesystem;

class ConfigPairsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_.path() / "config");
        quorvik::platform::SetDataFolder(dir_.str());
        SetCurrentSlot(0);
    }
    void TearDown() override { SetCurrentSlot(0); }

    std::u16string factoryText() const {
        const std::u16string d = dir_.path().u16string() + u"/config/default";
        return u"[Setting]\nNeedPassword=1\nSensor=0x3325\nPreST=0xCCDA\nMac_ID=0xFFFFFFFF\nDataChange=0x1234\n"
               u"CurrentProfile=0\nProfileShowCount=3\nProfileShowList0=0\nProfileShowList1=1\n"
               u"ProfileShowList2=2\nProfileShowList3=3\nProfileShowList4=4\n"
               u"ProfileSlot0URL=" +
               d + u"0.psf\nProfileSlot1URL=" + d + u"1.psf\nProfileSlot2URL=" + d + u"2.psf\nProfileSlot3URL=" + d +
               u"3.psf\nProfileSlot4URL=" + d + u"4.psf\n";
    }
    std::string write(const std::u16string& text) {
        test::writeBytes(ConfigFilePath(), test::utf16File(text));
        return ConfigFilePath();
    }

    test::TempDir dir_;
};

TEST_F(ConfigPairsTest, FactoryConfigurationIsWrittenAsTheSeventeenPairs) {
    SetFactoryConfiguration();
    ASSERT_TRUE(WriteConfiguration());
    EXPECT_EQ(test::readBytes(ConfigFilePath()), test::utf16File(factoryText()));
    EXPECT_EQ(Config().ProfileSlotPath(4), dir_.str() + "config/default4.psf");
}

TEST_F(ConfigPairsTest, ReadIsPositionalAndKeepsPairsWithoutALine) {
    ConfigPairs c;
    c.SetFactory(dir_.str());
    ASSERT_TRUE(c.Read(write(u"[Setting]\nA=9\nSensor=0x3389=x\n")));
    EXPECT_EQ(c.Name(0), u"A");
    EXPECT_EQ(c.Value(0), u"9");
    EXPECT_EQ(c.Value(1), u"0x3389=x");
    EXPECT_EQ(c.Value(2), u"0xCCDA"); // no line for it: kept
    EXPECT_EQ(c.Value(17), u"");

    ConfigPairs only;
    only.SetFactory(dir_.str());
    only.SetValue(kCfgCurrentProfile, u"4");
    ASSERT_TRUE(only.Read(write(u"[Setting]\n")));
    EXPECT_EQ(only.Value(kCfgCurrentProfile), u"4");
    ASSERT_TRUE(only.Read(write(u"[Setting]")));
}

TEST_F(ConfigPairsTest, MalformedFilesAreRefused) {
    const std::u16string full = factoryText();
    const struct {
        const char* what;
        std::u16string text;
    } cases[] = {
        {"an 18th pair line", full + u"Extra=1\n"},
        {"a blank 18th line", full + u"\n"},
        {"a wrong first line", u"[Settings]\nNeedPassword=1\n"},
        {"CR LF line ends", u"[Setting]\r\nNeedPassword=1\r\n"},
        {"a line without =", u"[Setting]\nNeedPassword\n"},
        {"nothing before =", u"[Setting]\n=1\n"},
        {"nothing after =", u"[Setting]\nNeedPassword=\n"},
        {"an empty file", u""},
    };
    for (const auto& c : cases) {
        ConfigPairs config;
        EXPECT_FALSE(config.Read(write(c.text))) << c.what;
    }
    ConfigPairs config;
    EXPECT_TRUE(config.Read(write(full)));
    EXPECT_FALSE(config.Read((dir_.path() / "config/missing.ini").string()));
}

// The reader refuses "Name=" and a line feed would add a line: either makes the whole file
// malformed, and the next start re-creates all five profiles. Such a table is not written.
TEST_F(ConfigPairsTest, TableThatWouldNotReadBackIsNotWritten) {
    SetFactoryConfiguration();
    ASSERT_TRUE(WriteConfiguration());
    const auto before = test::readBytes(ConfigFilePath());
    const std::function<void(ConfigPairs&)> breaks[] = {
        [](ConfigPairs& c) { c.SetValue(kCfgDataChange, u""); },
        [](ConfigPairs& c) { c.SetValue(kCfgProfileSlot0URL + 2, u"/a\n/b.psf"); },
        [](ConfigPairs& c) { c.pairs[kCfgMacId].name = u""; },
        [](ConfigPairs& c) { c.pairs[kCfgMacId].name = u"Mac=ID"; },
    };
    for (const auto& brk : breaks) {
        SetFactoryConfiguration();
        brk(Config());
        EXPECT_FALSE(WriteConfiguration());
        EXPECT_EQ(test::readBytes(ConfigFilePath()), before);
    }
}

// A value set with a line break is kept on its line, so the configuration can still be saved; a
// slot path is kept as given (replacing its characters would name another file).
TEST_F(ConfigPairsTest, ValuesSetWithLineBreaksAreSavedOnOneLine) {
    SetFactoryConfiguration();
    Config().SetValue(kCfgMacId, u"0xFF\nFF");
    Config().SetValue(kCfgDataChange, u"\r\n");
    EXPECT_EQ(Config().Value(kCfgMacId), u"0xFF FF");
    ASSERT_TRUE(WriteConfiguration());
    ConfigPairs back;
    ASSERT_TRUE(back.Read(ConfigFilePath()));
    EXPECT_EQ(back.pairs, Config().pairs);

    Config().SetValue(kCfgProfileSlot0URL + 1, u"/a\r/b.psf");
    EXPECT_EQ(Config().Value(kCfgProfileSlot0URL + 1), u"/a\r/b.psf");
}

TEST_F(ConfigPairsTest, HexValuesArePaddedWithSpacesAndReadBack) {
    EXPECT_EQ(HexWithSpacePad(0x12), u"0x  12");
    EXPECT_EQ(HexWithSpacePad(0x3389), u"0x3389");
    EXPECT_EQ(HexWithSpacePad(0x0), u"0x   0");
    EXPECT_EQ(HexWithSpacePad(0x12345), u"0x12345");

    ConfigPairs c;
    c.SetFactory(dir_.str());
    c.SetSensor(0x3389);
    c.SetPreST(0x3389);
    EXPECT_EQ(c.Value(kCfgSensor), u"0x3389");
    EXPECT_EQ(c.Value(kCfgPreST), u"0xCC76");
    // The complement of 0xFFED is 0x12: padded on write, and it must read back as written.
    c.SetPreST(0xFFED);
    EXPECT_EQ(c.Value(kCfgPreST), u"0x  12");
    EXPECT_EQ(c.PreSTValue(), 0x12);
    c.SetValue(kCfgSensor, u"3370");
    EXPECT_EQ(c.SensorValue(), 0x3370);
    c.SetValue(kCfgSensor, u"junk");
    EXPECT_EQ(c.SensorValue(), 0);
}

TEST_F(ConfigPairsTest, SaveStoresTheInMemoryCurrentSlot) {
    SetFactoryConfiguration();
    SetCurrentSlot(2);
    ASSERT_TRUE(SaveConfiguration());
    ConfigPairs back;
    ASSERT_TRUE(back.Read(ConfigFilePath()));
    EXPECT_EQ(back.Value(kCfgCurrentProfile), u"2");
    EXPECT_EQ(back.CurrentProfile(), 2);
}

TEST_F(ConfigPairsTest, SlotNumbersFromTheFileAreRangeCheckedWhenUsed) {
    ConfigPairs c;
    c.SetFactory(dir_.str());
    c.SetProfileShowList(0, 3);
    c.SetValue(kCfgCurrentProfile, u"9");
    EXPECT_EQ(c.CurrentProfile(), 9); // the text is kept as read
    EXPECT_EQ(c.CurrentProfileSlot(), 3) << "the slot shown first";
    c.SetValue(kCfgCurrentProfile, u"4");
    EXPECT_EQ(c.CurrentProfileSlot(), 4);

    c.SetValue(kCfgProfileShowList0 + 2, u"77");
    c.SetValue(kCfgProfileShowList0 + 4, u"-4");
    EXPECT_EQ(c.ShowListSlot(2), 2);
    EXPECT_EQ(c.ShowListSlot(4), 4);
    EXPECT_EQ(c.ShowListSlot(9), 3);
    c.SetValue(kCfgProfileShowList0, u"8");
    c.SetValue(kCfgCurrentProfile, u"x12");
    EXPECT_EQ(c.CurrentProfileSlot(), 0);

    c.SetProfileShowCount(12);
    EXPECT_EQ(c.ShowCountClamped(), 5);
    c.SetProfileShowCount(-2);
    EXPECT_EQ(c.ShowCountClamped(), 0);
}

} // namespace
} // namespace quorvik::model

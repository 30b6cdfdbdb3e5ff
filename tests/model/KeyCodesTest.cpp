#include "model/KeyCodes.h"
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace quorvik::model;

TEST(KeyCodes, FormatAndParseSixHexDigits) {
    struct Case {
        KeyFunctionCode code;
        const char16_t* text;
    };
    const Case cases[] = {
        {MakeCode(0x10, 0x01, 0x00), u"100100"},
        {MakeCode(0x80, 0x83, 0x01), u"808301"},
        {MakeCode(0x00, 0x00, 0x00), u"000000"},
        {MakeCode(0xFF, 0xAB, 0x0C), u"FFAB0C"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatKeyCode(c.code), c.text);
        KeyFunctionCode parsed = MakeCode(1, 2, 3);
        EXPECT_TRUE(ParseKeyCode(c.text, parsed));
        EXPECT_EQ(parsed, c.code);
    }
    KeyFunctionCode lower;
    EXPECT_TRUE(ParseKeyCode(u"ffab0c", lower));
    EXPECT_EQ(lower, MakeCode(0xFF, 0xAB, 0x0C));

    for (const char16_t* bad : {u"", u"10010", u"1001000", u"10G100", u" 10010", u"0x1001", u"10-100", u"１00100"}) {
        KeyFunctionCode untouched = MakeCode(7, 8, 9);
        EXPECT_FALSE(ParseKeyCode(bad, untouched)) << std::u16string(bad).size();
        EXPECT_EQ(untouched, MakeCode(7, 8, 9)) << "a rejected text leaves the code alone";
    }
}

TEST(KeyCodes, LeftButtonLooksAtTheFirstTwoBytesOnly) {
    EXPECT_TRUE(IsLeftButton(MakeCode(0x10, 0x01, 0x00)));
    EXPECT_TRUE(IsLeftButton(MakeCode(0x10, 0x01, 0x7F)));
    EXPECT_FALSE(IsLeftButton(MakeCode(0x10, 0x03, 0x00))); // left and right together is not "the" left button
    EXPECT_FALSE(IsLeftButton(MakeCode(0x10, 0x02, 0x00)));
    EXPECT_FALSE(IsLeftButton(MakeCode(0x70, 0x01, 0x00)));
}

TEST(KeyCodes, VirtualKeyNames) {
    struct Case {
        std::uint8_t vk;
        const char16_t* name;
    };
    const Case cases[] = {
        {0x00, u"Undefined"}, {0x01, u"LBUTTON"},   {0x07, u"Undefined"},   {0x08, u"Backspace"},
        {0x0D, u"Enter"},     {0x0E, u"Undefined"}, {0x14, u"CapsLock"},    {0x16, u"Undefined"},
        {0x1B, u"Esc"},       {0x20, u"Space"},     {0x28, u"Down Arrow"},  {0x2E, u"Del"},
        {0x30, u"0"},         {0x39, u"9"},         {0x3A, u"Undefined"},   {0x40, u"Undefined"},
        {0x41, u"A"},         {0x5A, u"Z"},         {0x5E, u"Undefined"},   {0x5F, u"Sleep"},
        {0x60, u"Num0"},      {0x69, u"Num9"},      {0x6C, u"Separator"},   {0x70, u"F1"},
        {0x87, u"F24"},       {0x88, u"Undefined"}, {0x91, u"Scroll Lock"}, {0xA5, u"Alt_R"},
        {0xA6, u"Undefined"}, {0xBA, u";"},         {0xBC, u","},           {0xC0, u"~"},
        {0xC1, u"Undefined"}, {0xDC, u"\\"},        {0xDE, u"'"},           {0xDF, u"Undefined"},
        {0xE0, u"L Key"},     {0xE5, u"Mouse X"},   {0xE7, u"Mouse Wheel"}, {0xE8, u"Undefined"},
        {0xFF, u"Undefined"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyName(c.vk), c.name) << std::hex << int(c.vk);

    // Every assigned name is distinct; only "Undefined" repeats.
    std::set<std::u16string> seen;
    int undefined = 0;
    for (int vk = 0; vk < 256; ++vk) {
        const auto& name = VirtualKeyName(static_cast<std::uint8_t>(vk));
        if (name == u"Undefined")
            ++undefined;
        else
            EXPECT_TRUE(seen.insert(name).second) << "duplicate name at " << std::hex << vk;
    }
    EXPECT_EQ(undefined, 256 - 147);
}

TEST(KeyCodes, VirtualKeyToHidUsage) {
    struct Case {
        std::uint8_t vk;
        std::uint8_t usage;
    };
    const Case cases[] = {
        {0x41, 0x04}, {0x5A, 0x1D}, {0x31, 0x1E}, {0x39, 0x26}, {0x30, 0x27}, {0x70, 0x3A}, {0x7B, 0x45}, {0x7C, 0x00},
        {0x87, 0x00}, {0x61, 0x59}, {0x69, 0x61}, {0x60, 0x62}, {0xE0, 0xF0}, {0xE7, 0xF7}, {0xF0, 0x81}, {0xF2, 0x32},
        {0xFB, 0x91}, {0xFC, 0x00}, {0x0E, 0x58}, {0x3B, 0x29}, {0xA5, 0xE6}, {0x10, 0x00}, {0x11, 0x00}, {0x12, 0x00},
        {0x6C, 0x00}, {0x2E, 0x4C}, {0x5B, 0xE3}, {0x5C, 0xE7}, {0xBC, 0x36}, {0xDE, 0x34}, {0x00, 0x00}, {0xFF, 0x00},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VirtualKeyToHidUsage(c.vk), c.usage) << std::hex << int(c.vk);

    int mapped = 0;
    for (int vk = 0; vk < 256; ++vk)
        mapped += VirtualKeyToHidUsage(static_cast<std::uint8_t>(vk)) != 0;
    EXPECT_EQ(mapped, 26 + 10 + 12 + 10 + 8 + 12 + 48);
}

TEST(KeyCodes, ReadyMadeMenusAreComplete) {
    struct Menu {
        KeyMenu menu;
        std::size_t entries;
    };
    const Menu menus[] = {{KeyMenu::ButtonFunction, 8}, {KeyMenu::Dpi, 3},    {KeyMenu::DpiLock, 11},
                          {KeyMenu::Multimedia, 10},    {KeyMenu::Office, 9}, {KeyMenu::WindowManagement, 6}};
    std::size_t total = 0;
    for (const auto& m : menus) {
        auto entries = ReadyMadeCodes(m.menu);
        EXPECT_EQ(entries.size(), m.entries);
        for (const auto& e : entries)
            EXPECT_EQ(e.menu, m.menu);
        total += entries.size();
    }
    EXPECT_EQ(ReadyMadeCodes().size(), total);

    // DPI lock n holds 100 × (n + 1) DPI: entry n is labelled with that value and carries 50 n 00.
    for (const auto& e : ReadyMadeCodes(KeyMenu::DpiLock)) {
        EXPECT_EQ(e.code, MakeCode(0x50, static_cast<std::uint8_t>(e.entry), 0x00));
        EXPECT_EQ(ReadyMadeLabel(e), ToU16(std::to_string(DpiLockValue(e.entry))));
    }
    EXPECT_EQ(DpiLockValue(1), 200);
    EXPECT_EQ(DpiLockValue(11), 1200);
}

namespace {

class KeyDisplayNames : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_.path() / "config");
        quorvik::test::writeBytes(dir_.path() / "config" / "Lan.txt",
                                  quorvik::test::utf16File(u"[Setting]\n20=Left Button\n34=Disable\n36=DPI Lock\n"
                                                           u"42=DPI Cycle\n45=Media Player\n60=Copy\n80=Maximize\n"));
        quorvik::platform::SetDataFolder(dir_.str());
        ResetLanguageTables();
        ASSERT_TRUE(LoadLanguageTables());
    }
    void TearDown() override { ResetLanguageTables(); }
    quorvik::test::TempDir dir_;
};

} // namespace

TEST_F(KeyDisplayNames, KnownCodes) {
    struct Case {
        KeyFunctionCode code;
        const char16_t* name;
    };
    const Case cases[] = {
        {MakeCode(0x10, 0x01, 0x00), u"Left Button"},
        {MakeCode(0x00, 0x00, 0x00), u"Disable"},
        {MakeCode(0x40, 0x01, 0x00), u"DPI Cycle"},
        {MakeCode(0x80, 0x83, 0x01), u"Media Player"},
        {MakeCode(0x70, 0x01, 0x06), u"Copy"},
        {MakeCode(0x70, 0x08, 0x52), u"Maximize"},
        {MakeCode(0x50, 0x07, 0x00), u"DPI Lock-800"},
        {MakeCode(0x50, 0x01, 0x00), u"DPI Lock-200"},
        {MakeCode(0x50, 0x0B, 0x00), u"DPI Lock-1200"},
        {MakeCode(0x10, 0x00, 0x00), u"Profile Cycle"},
        {MakeCode(0x11, 0x00, 0x00), u"Profile Up"},
        {MakeCode(0x12, 0x00, 0x00), u"Profile Down"},
        // Codes the program does not name by itself.
        {MakeCode(0x50, 0x0C, 0x00), u""},
        {MakeCode(0x50, 0x00, 0x00), u""},
        {MakeCode(0x30, 0x32, 0x00), u""},
        {MakeCode(0x70, 0x05, 0x4C), u""},
        {MakeCode(0x90, 0x23, 0x05), u""},
        {MakeCode(0x0F, 0x00, 0x00), u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KnownCodeDisplayName(c.code), c.name) << quorvik::model::ToUtf8(FormatKeyCode(c.code));
}

TEST(KeyCodes, ShortcutDisplayNames) {
    struct Case {
        std::uint8_t modifiers;
        std::optional<std::uint8_t> vk;
        const char16_t* name;
    };
    const Case cases[] = {
        {kModCtrl | kModAlt, 0x2E, u"Ctrl+Alt+Del"},
        {kModWin, std::nullopt, u"Super"},
        {kModWin | kModAlt | kModShift | kModCtrl, 0x41, u"Ctrl+Shift+Alt+Super+A"},
        {kModShift | kModWin, std::nullopt, u"Shift+Super"},
        {0, 0x70, u"F1"},
        {0, 0x10, u"Shift"},
        {0, std::nullopt, u""},
        {0xF0, 0x41, u"A"}, // bits above the four modifiers carry no prefix
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortcutDisplayName(c.modifiers, c.vk), c.name);
}

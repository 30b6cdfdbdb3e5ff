#include "model/ProfileFile.h"
#include "SmallLanguage.h"
#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace quorvik::model {
namespace {

namespace fs = std::filesystem;

std::u16string decode(const std::vector<unsigned char>& bytes) {
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
    return text;
}

std::vector<std::u16string> splitLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t p; (p = text.find(u'\n', start)) != std::u16string::npos; start = p + 1)
        lines.push_back(text.substr(start, p - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::u16string joinLines(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (const auto& l : lines)
        text += l + u'\n';
    return text;
}

std::u16string repeatGroup(const std::u16string& item, int count, char16_t sep, char16_t last) {
    std::u16string out;
    for (int i = 0; i < count; ++i)
        out += item + (i + 1 < count ? sep : last);
    return out;
}

// The factory profile file of slot 0 for sensor 0x3325, written out line by line from the layout.
std::u16string goldenFactoryProfile() {
    std::u16string t = u"[Setting]\n"
                       u"ProfileName=Game\nGameFile0=\nGameFile1=\nGameFile2=\nDoubleClickSpeed=6\n"
                       u"PointerSpeed=5\nAccelerationEnable=1\nScrollWheelSpeed=2\nScrollWheelPageEnable=0\n"
                       u"TiltSpeed=2\nSensitivity_X=4\nSensitivity_Y=4\nXYSynchronous=1\nX_DPI=1\nY_DPI=1\n"
                       u"MoveLightingOnOffMode=0\nPowerDownTime=6\nLiftDetectionHeight=2\nKeyDebounce=12\n"
                       u"MotionWakeup=1\n"
                       u"DPIOffOnFlagValue=3F\n"
                       u"\tXYSetting1Value=0006\n\tXYSetting2Value=000E\n\tXYSetting3Value=0016\n"
                       u"\tXYSetting4Value=0022\n\tXYSetting5Value=0030\n\tXYSetting6Value=003A\n"
                       u"\tXYSetting7Value=003A\n\tXYSetting8Value=0032\n"
                       u"\tCurrentDPILevelValue=01\n"
                       u"\tDPILevelIndication0Valuer=FF0000\n\tDPILevelIndication1Valuer=00FF00\n"
                       u"\tDPILevelIndication2Valuer=0000FF\n\tDPILevelIndication3Valuer=FFFF00\n"
                       u"\tDPILevelIndication4Valuer=00FFFF\n\tDPILevelIndication5Valuer=FF00FF\n"
                       u"\tDPILevelIndication6Valuer=FFFFFF\n\tDPILevelIndication7Valuer=FFFFFF\n"
                       u"\tAngleSnapValue=00\n\tLiftDetectionValue=02\n"
                       u"PollingRateName=500HZ\n\tPollingRateValue=020000\n"
                       u"Lighting1Name=Breathing\n\tLighting1ModeValue=010000\n\tLighting1OffOn=01\n"
                       u"\tLighting1Speed=01|01|01|01|01|01|01|01|01|01\n"
                       u"\tLighting1Brightness=01|01|01|03|01|01|01|01|01|01\n";
    const std::u16string noFlags = repeatGroup(u"00", 10, u'|', u';');
    t += u"\tLighting1ColorSelected=" + noFlags + noFlags + u"01|01|01|01|01|01|01|00|00|00;" +
         u"01|00|00|00|00|00|00|00|00|00;" + noFlags + noFlags + u"01|01|01|01|01|01|01|01|00|00;" +
         u"01|01|00|00|00|00|00|00|00|00;" + noFlags + noFlags + u"\n";
    const std::u16string black = repeatGroup(u"000000", 10, u'|', u';');
    t += u"\tLighting1FixedColor=" + black + black +
         u"FF0000|00FF00|0000FF|00FFFF|FFFF00|FF00FF|FFFFFF|000000|000000|000000;" +
         u"FF00FF|000000|000000|000000|000000|000000|000000|000000|000000|000000;" + black + black +
         u"FF0000|00FF00|0000FF|FFFF00|00FFFF|FA00FA|FFFFFF|FA46FF|000000|000000;" +
         u"00FF00|FA006A|000000|000000|000000|000000|000000|000000|000000|000000;" + black + black + u"\n";
    t += u"\tLighting1Direction=00|01|00|00|00|00|00|00|00|00\n"
         u"Lighting2Name=Breathing\n\tLighting2ModeValue=010000\n\tLighting2OffOn=00\n\tLighting2Speed=00\n"
         u"\tLighting2Brightness=00\n\tLighting2FixedColor=000000\n";
    const char16_t* names[] = {u"Left", u"Right", u"Middle", u"Forward", u"Back", u"DPI+", u"Fire"};
    const char16_t* codes[] = {u"100100", u"100200", u"100400", u"101000", u"100800", u"400100", u"303200"};
    for (int k = 0; k < 7; ++k) {
        const std::u16string n(1, char16_t(u'0' + k));
        t += u"Key" + n + u"Name=" + names[k] + u"\n\tKey" + n + u"Value=" + codes[k] + u"\n\tMacroKeyIndex=0\n" +
             u"\tMacroKey" + n + u"Name=\n\t\tMacroActionNum=0\n\t\tAllAction=" + std::u16string(2688, u'0') + u"\n";
    }
    return t;
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::LoadSmallEnglishLanguage(dir_));
        SetSensorIdentifier(kDefaultSensor);
        SetFactoryConfiguration();
    }
    void TearDown() override { ResetLanguageTables(); }

    fs::path slotFile(int s) const { return dir_.path() / ("config/default" + std::to_string(s) + ".psf"); }

    static ProfileRecord factory(unsigned slot) {
        ProfileRecord r;
        r.ResetToFactory(slot);
        return r;
    }

    // A record with no factory value left, and texts that test the reader's "=" and Unicode handling.
    static ProfileRecord customised() {
        ProfileRecord r = factory(1);
        for (int i = 0; i < kSettingPairCount; ++i)
            r.pairs[i] = {u"Name" + std::u16string(1, char16_t(u'A' + i)), u"v=" + std::u16string(i, u'x')};
        r.pairs[kPairProfileName].value = u"配置 Ω";
        r.pairs[kPairGameFile1].value = u"";
        for (int k = 0; k < kButtonCount; ++k) {
            auto& b = r.buttons[k];
            b.Name = u"Button=" + std::u16string(1, char16_t(u'a' + k));
            b.Value = {{std::uint8_t(0x90), std::uint8_t(k), 0xFE}};
            b.MacroKeyIndex = 1000u + k;
            b.Macro.name = k == 3 ? u"" : u"macro " + std::u16string(1, char16_t(u'0' + k));
            b.Macro.MacroActionNum = k * 40;
            for (std::size_t n = 0; n < model::kMaxMacroActions; ++n)
                b.Macro.actions[n] = {{std::uint8_t(n * 7 + k), std::uint8_t(n), 0xAB, std::uint8_t(255 - n)}};
            b.Macro.MacroCommandActionNum = b.Macro.CountEvents();
        }
        r.PollingRateName = u"1000Hz";
        r.PollingRateValue = {3, 0x12, 0xEF};
        r.Lighting1OffOn = 0;
        r.Lighting1Name = u"";
        r.Lighting1ModeValue = {9, 0xAA, 0x55};
        for (int e = 0; e < 10; ++e) {
            r.Lighting1Speed[e] = std::uint8_t(0xF0 + e);
            r.Lighting1Brightness[e] = std::uint8_t(e * 3);
            r.Lighting1Direction[e] = std::uint8_t(e & 1);
            for (int i = 0; i < 10; ++i) {
                r.Lighting1ColorSelected[e][i] = std::uint8_t((e + i) % 3);
                r.Lighting1FixedColor[e][i] = MakeColour(std::uint8_t(e * 25), std::uint8_t(i * 25), 0xC3);
            }
        }
        r.Lighting2OffOn = 1;
        r.Lighting2Name = u"Zone two";
        r.Lighting2ModeValue = {4, 5, 6};
        r.Lighting2Speed = 7;
        r.Lighting2Brightness = 0xFF;
        r.Lighting2FixedColor = MakeColour(1, 2, 3);
        r.DPIOffOnFlagValue = 0xA5;
        r.XYSetting = {0x0000, 0x0101, 0x0FFF, 0x1234, 0xABCD, 0xFFFF, 0x0007, 0x0208};
        r.CurrentDPILevelValue = 0xC8;
        r.DPILevelIndication = {MakeColour(9, 8, 7), 0, 0xFFFFFF, MakeColour(0x10, 0x20, 0x30), 1, 2, 3, 4};
        r.AngleSnapValue = 1;
        r.LiftDetectionValue = 0x81;
        return r;
    }

    test::TempDir dir_;
};

TEST_F(ProfileFileTest, FactoryProfileMatchesTheLayoutByteForByte) {
    Profile(0).ResetToFactory(0);
    const fs::path file = dir_.path() / "golden.psf";
    ASSERT_TRUE(WriteProfile(0, file.string()));
    const auto bytes = test::readBytes(file);
    EXPECT_EQ(bytes, test::utf16File(goldenFactoryProfile()));

    const auto lines = splitLines(decode(bytes));
    ASSERT_EQ(lines.size(), std::size_t(kProfileFileLineCount));
    // The two long lists have fixed value lengths whatever the contents.
    EXPECT_EQ(lines[48].size(), std::u16string(u"\tLighting1ColorSelected=").size() + 300);
    EXPECT_EQ(lines[49].size(), std::u16string(u"\tLighting1FixedColor=").size() + 700);
}

TEST_F(ProfileFileTest, WriteThenReadGivesTheSameRecord) {
    for (const ProfileRecord& written : {factory(2), customised()}) {
        const std::string path = (dir_.path() / "trip.psf").string();
        ASSERT_TRUE(WriteProfileRecord(written, path));
        ProfileRecord back = factory(4);
        ASSERT_TRUE(ReadProfileRecord(back, path));
        EXPECT_TRUE(back == written);
        // A second write of what was read is byte-identical.
        const auto first = test::readBytes(path);
        ASSERT_TRUE(WriteProfileRecord(back, path));
        EXPECT_EQ(test::readBytes(path), first);
    }
}

TEST_F(ProfileFileTest, LoadedMacroKeepsItsSerialAndLoopAndGetsItsEventCount) {
    ProfileRecord source = factory(0);
    auto& m = source.buttons[1].Macro;
    m.InsertAction(0, model::MakeKeyEvent(0x41, false));
    m.InsertAction(1, model::MakeDelay(20));
    m.InsertAction(2, model::MakeKeyEvent(0x41, true));
    m.InsertAction(3, model::MakeMotion(model::kWheel, -1));
    const std::string path = (dir_.path() / "macro.psf").string();
    ASSERT_TRUE(WriteProfileRecord(source, path));

    ProfileRecord target = factory(0);
    auto& copy = target.buttons[1].Macro;
    copy.MacroKeyIndex = 77;
    copy.MacroKeyLoopType = model::kLoopSecondOption;
    copy.MacroKeyLoopNum = 9;
    ASSERT_TRUE(ReadProfileRecord(target, path));
    EXPECT_EQ(copy.MacroActionNum, 4u);
    EXPECT_EQ(copy.MacroCommandActionNum, 3); // three events, one delay; not stored in the file
    EXPECT_EQ(copy.MacroKeyIndex, 77u);
    EXPECT_EQ(copy.MacroKeyLoopType, model::kLoopSecondOption);
    EXPECT_EQ(copy.MacroKeyLoopNum, 9);
}

// One row per way a file can be damaged or merely unusual; the mutation works on the lines of a
// customised profile so that a fallback to the factory profile is visible.
struct FileCase {
    const char* what;
    std::function<void(std::vector<std::u16string>&)> mutate;
    bool loads;
};

const int kLineSpeed = 46;       // "\tLighting1Speed=…"
const int kLinePollingName = 41; // "PollingRateName=…"
const int kLineKey0Index = 59;   // "\tMacroKeyIndex=…" of button 0
const int kLineKey0Count = 61;   // "\t\tMacroActionNum=…" of button 0
const int kLineKey6Actions = 98; // the last line

const FileCase kFileCases[] = {
    {"lines end in CR LF",
     [](auto& l) {
         for (auto& s : l)
             s += u'\r';
     },
     false},
    {"first line in other case", [](auto& l) { l[0] = u"[setting]"; }, false},
    {"AllAction of 2687 characters", [](auto& l) { l[kLineKey6Actions].pop_back(); }, false},
    {"AllAction of 2689 characters", [](auto& l) { l[kLineKey6Actions] += u'0'; }, false},
    {"a line without =", [](auto& l) { l[30] = u"\tCurrentDPILevelValue01"; }, false},
    {"a blank line", [](auto& l) { l.insert(l.begin() + 10, u""); }, false},
    {"a pair line with nothing before =", [](auto& l) { l[5] = u"=5"; }, false},
    {"a field line with nothing before =", [](auto& l) { l[kLinePollingName] = u"=500HZ"; }, false},
    {"an empty MacroActionNum", [](auto& l) { l[kLineKey0Count] = u"\t\tMacroActionNum="; }, false},
    {"an empty MacroKeyIndex", [](auto& l) { l[kLineKey0Index] = u"\tMacroKeyIndex="; }, false},
    {"the last line missing", [](auto& l) { l.pop_back(); }, false},
    {"nothing after the section line", [](auto& l) { l.resize(1); }, false},
    {"macro lines with nothing before =",
     [](auto& l) {
         l[kLineKey0Index] = u"=5";
         l[kLineKey0Count] = u"=0";
     },
     true},
    {"other key names in the right order",
     [](auto& l) {
         for (std::size_t i = 1; i < l.size(); ++i)
             l[i] = u"\tK" + std::u16string(1, char16_t(u'a' + i % 26)) + l[i].substr(l[i].find(u'='));
     },
     true},
    {"lines after the last one",
     [](auto& l) {
         l.push_back(u"Extra");
         l.push_back(u"");
     },
     true},
};

TEST_F(ProfileFileTest, DamagedFilesFallBackToTheSlotDefaultsWrittenToTheSlotPath) {
    const std::u16string good = FormatProfileText(customised());
    for (const auto& c : kFileCases) {
        SCOPED_TRACE(c.what);
        fs::remove(slotFile(1));
        auto lines = splitLines(good);
        c.mutate(lines);
        const fs::path file = dir_.path() / "import.psf";
        const auto bytes = test::utf16File(joinLines(lines));
        test::writeBytes(file, bytes);
        Profile(1) = customised();
        Profile(1).pairs[0].value = u"before";

        EXPECT_EQ(ReadProfile(1, file.string()), c.loads);
        if (c.loads) {
            EXPECT_EQ(Profile(1).PairValue(kPairProfileName), u"配置 Ω");
            EXPECT_EQ(Profile(1).Lighting1Speed, customised().Lighting1Speed);
            EXPECT_FALSE(fs::exists(slotFile(1)));
        } else {
            EXPECT_TRUE(Profile(1) == factory(1));
            EXPECT_EQ(test::readBytes(slotFile(1)), test::utf16File(FormatProfileText(factory(1))));
            EXPECT_EQ(test::readBytes(file), bytes); // the file read from is left alone
        }
    }
}

// One bad line of a hand-edited slot file must not lose the rest of it: the file is kept beside
// the factory profile that replaces it, and a later failure replaces that older copy.
TEST_F(ProfileFileTest, UnreadableSlotFileIsKeptBesideItsReplacement) {
    auto lines = splitLines(FormatProfileText(customised()));
    lines[30] = u"\tCurrentDPILevelValue01";
    const auto bad = test::utf16File(joinLines(lines));
    const fs::path copy = slotFile(1).string() + ".unreadable";
    for (int round = 0; round < 2; ++round) {
        auto bytes = bad;
        bytes.resize(bytes.size() - std::size_t(2 * round)); // the second file differs from the first
        test::writeBytes(slotFile(1), bytes);
        EXPECT_FALSE(ReadProfile(1, slotFile(1).string()));
        EXPECT_EQ(test::readBytes(copy), bytes) << round;
        EXPECT_EQ(test::readBytes(slotFile(1)), test::utf16File(FormatProfileText(factory(1))));
    }
    // A file that merely is missing leaves no copy.
    fs::remove(slotFile(2));
    EXPECT_FALSE(ReadProfile(2, slotFile(2).string()));
    EXPECT_FALSE(fs::exists(slotFile(2).string() + ".unreadable"));
}

// A failed import replaces the slot's own, readable profile with factory settings: that profile is
// kept beside it first.
TEST_F(ProfileFileTest, FailedImportKeepsTheSlotsOwnProfileBesideIt) {
    Profile(1) = customised();
    ASSERT_TRUE(WriteProfile(1, slotFile(1).string()));
    const auto mine = test::readBytes(slotFile(1));
    const fs::path import = dir_.path() / "import.psf";
    test::writeBytes(import, test::utf16File(u"[Setting]\nProfileName=half a file\n"));

    EXPECT_FALSE(ReadProfile(1, import.string()));
    EXPECT_TRUE(Profile(1) == factory(1));
    EXPECT_EQ(test::readBytes(slotFile(1).string() + ".before-import"), mine);
    EXPECT_EQ(test::readBytes(slotFile(1)), test::utf16File(FormatProfileText(factory(1))));
    EXPECT_FALSE(fs::exists(slotFile(1).string() + ".unreadable")) << "the slot file itself was readable";
}

// When the copy cannot be made (here: an older copy the user may not replace), the slot file is
// left as it is, for an unreadable slot file and for a failed import alike; the slot has factory
// settings in memory, as for a read-only file.
TEST_F(ProfileFileTest, SlotFileWhoseCopyCannotBeMadeIsNotReplaced) {
    auto lines = splitLines(FormatProfileText(customised()));
    lines[30] = u"\tCurrentDPILevelValue01";
    const auto bad = test::utf16File(joinLines(lines));
    test::writeBytes(slotFile(1), bad);
    const fs::path oldCopy = slotFile(1).string() + ".unreadable";
    test::writeBytes(oldCopy, {1});
    ASSERT_EQ(::chmod(oldCopy.c_str(), 0444), 0);

    Profile(2) = customised();
    ASSERT_TRUE(WriteProfile(2, slotFile(2).string()));
    const auto mine = test::readBytes(slotFile(2));
    const fs::path oldImportCopy = slotFile(2).string() + ".before-import";
    test::writeBytes(oldImportCopy, {2});
    ASSERT_EQ(::chmod(oldImportCopy.c_str(), 0444), 0);
    const fs::path import = dir_.path() / "import.psf";
    test::writeBytes(import, test::utf16File(u"[Setting]\n"));

    std::string why;
    if (!test::RunAsOrdinaryUser(
            dir_.path(),
            [&] {
                Profile(1) = customised();
                EXPECT_FALSE(ReadProfile(1, slotFile(1).string()));
                EXPECT_TRUE(Profile(1) == factory(1));
                EXPECT_EQ(test::readBytes(slotFile(1)), bad);
                EXPECT_EQ(test::readBytes(oldCopy), (std::vector<unsigned char>{1}));

                EXPECT_FALSE(ReadProfile(2, import.string()));
                EXPECT_TRUE(Profile(2) == factory(2));
                EXPECT_EQ(test::readBytes(slotFile(2)), mine);
                EXPECT_EQ(test::readBytes(oldImportCopy), (std::vector<unsigned char>{2}));
            },
            why))
        GTEST_SKIP() << why;
}

// A file given to import is only read: one the user may not write (a shared copy, read-only media)
// imports like any other. The slot's own file still needs to be writable, by its path or by
// another path to it, as the program's saves of it would fail otherwise.
TEST_F(ProfileFileTest, AReadOnlyFileImportsButAReadOnlySlotFileIsNotUsed) {
    const fs::path import = dir_.path() / "shared.psf";
    ASSERT_TRUE(WriteProfileRecord(customised(), import.string()));
    ASSERT_EQ(::chmod(import.c_str(), 0444), 0);
    Profile(2) = customised();
    ASSERT_TRUE(WriteProfile(2, slotFile(2).string()));
    ASSERT_EQ(::chmod(slotFile(2).c_str(), 0444), 0);
    const fs::path link = dir_.path() / "slot2-link.psf";
    fs::create_symlink(slotFile(2), link);
    const auto slot2 = test::readBytes(slotFile(2));

    std::string why;
    if (!test::RunAsOrdinaryUser(
            dir_.path(),
            [&] {
                EXPECT_TRUE(ReadProfile(1, import.string()));
                EXPECT_TRUE(Profile(1) == customised());
                EXPECT_FALSE(fs::exists(slotFile(1).string() + ".before-import"));

                EXPECT_FALSE(ReadProfile(2, slotFile(2).string()));
                EXPECT_TRUE(Profile(2) == factory(2));
                Profile(2) = customised();
                EXPECT_FALSE(ReadProfile(2, link.string())) << "the slot's own file through a link";
                EXPECT_TRUE(Profile(2) == factory(2));
                EXPECT_EQ(test::readBytes(slotFile(2)), slot2);
            },
            why))
        GTEST_SKIP() << why;
}

// What is written must read back as written: a line feed in a text would shift every later line,
// and the whole profile would fall back to its defaults at the next start. Such a record is not
// written at all, and the old file stays.
TEST_F(ProfileFileTest, RecordThatWouldNotReadBackIsNotWritten) {
    const fs::path file = dir_.path() / "kept.psf";
    ASSERT_TRUE(WriteProfileRecord(customised(), file.string()));
    const auto before = test::readBytes(file);
    const std::function<void(ProfileRecord&)> breaks[] = {
        [](ProfileRecord& r) { r.pairs[kPairProfileName].value = u"two\nlines"; },
        [](ProfileRecord& r) { r.pairs[kPairTiltSpeed].name = u""; },
        [](ProfileRecord& r) { r.pairs[kPairTiltSpeed].name = u"Tilt=Speed"; },
        [](ProfileRecord& r) { r.buttons[4].Macro.name = u"a\n"; },
        [](ProfileRecord& r) { r.Lighting2Name = u"\n"; },
    };
    for (const auto& brk : breaks) {
        ProfileRecord r = customised();
        brk(r);
        EXPECT_FALSE(WriteProfileRecord(r, file.string()));
        EXPECT_EQ(test::readBytes(file), before);
    }
}

// Texts handed to the record through its setters stay on one line, so the record can always be
// saved: a line feed there would make every later save of the slot fail.
TEST_F(ProfileFileTest, TextsSetWithLineBreaksAreSavedOnOneLine) {
    ProfileRecord r = customised();
    r.SetPairValue(kPairProfileName, u"two\nlines\r");
    r.SetPairValue(kPairGameFile0, u"C:\\game\t.exe");
    r.SetEffectName(1, u"\nfirst");
    r.SetEffectName(2, u"a\r\nb");
    r.SetButtonName(4, u"x\ny\x7F");
    model::MacroRecord macro;
    macro.name = u"mac\nro";
    macro.MacroActionNum = 1;
    macro.actions[0] = model::MakeKeyEvent(0x41, false);
    macro.MacroCommandActionNum = macro.CountEvents();
    r.AssignMacro(3, &macro);

    EXPECT_EQ(r.PairValue(kPairProfileName), u"two lines ");
    EXPECT_EQ(r.PairValue(kPairGameFile0), u"C:\\game .exe");
    EXPECT_EQ(r.Lighting1Name, u" first");
    EXPECT_EQ(r.Lighting2Name, u"a  b");
    EXPECT_EQ(r.buttons[4].Name, u"x y ");
    EXPECT_EQ(r.buttons[3].Macro.name, u"mac ro");
    EXPECT_EQ(macro.name, u"mac\nro") << "the source keeps its own name";

    const std::string path = (dir_.path() / "lines.psf").string();
    ASSERT_TRUE(WriteProfileRecord(r, path));
    ProfileRecord back = factory(0);
    ASSERT_TRUE(ReadProfileRecord(back, path));
    EXPECT_TRUE(back == r);
}

// Setting pairs and the button macro numbers are plain digits: no sign, no spaces, no "0x".
TEST_F(ProfileFileTest, NumbersAreTheDigitsTheValueStartsWith) {
    auto lines = splitLines(FormatProfileText(factory(0)));
    lines[1 + kPairKeyDebounce] = u"KeyDebounce=-2";
    lines[1 + kPairPowerDownTime] = u"PowerDownTime= 7";
    lines[1 + kPairLiftDetectionHeight] = u"LiftDetectionHeight= 1";
    lines[1 + kPairMotionWakeup] = u"MotionWakeup=+1";
    lines[1 + kPairPointerSpeed] = u"PointerSpeed=0x1F";
    lines[1 + kPairScrollWheelSpeed] = u"ScrollWheelSpeed=3 lines";
    lines[kLineKey0Index] = u"\tMacroKeyIndex=-2";
    lines[kLineKey0Count] = u"\t\tMacroActionNum=+5";
    const fs::path file = dir_.path() / "signs.psf";
    test::writeBytes(file, test::utf16File(joinLines(lines)));

    ProfileRecord r = factory(0);
    ASSERT_TRUE(ReadProfileRecord(r, file.string()));
    EXPECT_EQ(r.PairValue(kPairKeyDebounce), u"-2") << "the text is kept as read";
    EXPECT_EQ(r.PairNumber(kPairKeyDebounce), 0);
    EXPECT_EQ(r.PairNumber(kPairPowerDownTime), 0);
    EXPECT_EQ(r.PairNumber(kPairLiftDetectionHeight), 0);
    EXPECT_EQ(r.PairNumber(kPairMotionWakeup), 0);
    EXPECT_EQ(r.PairNumber(kPairPointerSpeed), 0);
    EXPECT_EQ(r.PairNumber(kPairScrollWheelSpeed), 3);
    EXPECT_EQ(r.buttons[0].MacroKeyIndex, 0u);
    EXPECT_EQ(r.buttons[0].Macro.MacroActionNum, 0u);
}

// Hex fields are their piece's leading hex digits: no spaces, tabs or "0x" are skipped first.
TEST_F(ProfileFileTest, HexFieldsAreTheHexDigitsTheirPieceStartsWith) {
    auto lines = splitLines(FormatProfileText(factory(0)));
    lines[21] = u"DPIOffOnFlagValue= 7";
    lines[22] = u"\tXYSetting1Value=0x1F";
    lines[23] = u"\tXYSetting2Value=\t1F";
    lines[24] = u"\tXYSetting3Value=1Fzz";
    lines[25] = u"\tXYSetting4Value=0abc";
    lines[42] = u"\tPollingRateValue= 30102";
    const fs::path file = dir_.path() / "hex.psf";
    test::writeBytes(file, test::utf16File(joinLines(lines)));

    ProfileRecord r = factory(0);
    ASSERT_TRUE(ReadProfileRecord(r, file.string()));
    EXPECT_EQ(r.DPIOffOnFlagValue, 0);
    EXPECT_EQ(r.XYSetting[0], 0);
    EXPECT_EQ(r.XYSetting[1], 0);
    EXPECT_EQ(r.XYSetting[2], 0x1F);
    EXPECT_EQ(r.XYSetting[3], 0xABC);
    EXPECT_EQ(r.XYSetting[4], 0x30) << "an untouched line reads as written";
    EXPECT_EQ(r.PollingRateValue, (std::array<std::uint8_t, 3>{0x00, 0x01, 0x02})) << "each piece on its own";
}

TEST_F(ProfileFileTest, MissingFileFallsBackToo) {
    Profile(2) = customised();
    EXPECT_FALSE(ReadProfile(2, (dir_.path() / "absent.psf").string()));
    EXPECT_TRUE(Profile(2) == factory(2));
    EXPECT_TRUE(fs::exists(slotFile(2)));
}

TEST_F(ProfileFileTest, ShortAndOddValuesReadAsTheirLeadingPieces) {
    auto lines = splitLines(FormatProfileText(factory(0)));
    lines[kLineSpeed] = u"\tLighting1Speed=05|06";
    lines[kLinePollingName] = u"PollingRateName=1000HZ=fast";
    lines[22] = u"\tXYSetting1Value=1"; // one digit of four
    lines[23] = u"\tXYSetting2Value=zz";
    lines[42] = u"\tPollingRateValue=03"; // bytes 1 and 2 beyond the text
    lines[kLineKey0Index] = u"\tMacroKeyIndex=42abc";
    const fs::path file = dir_.path() / "odd.psf";
    test::writeBytes(file, test::utf16File(joinLines(lines)));

    ProfileRecord r = factory(0);
    ASSERT_TRUE(ReadProfileRecord(r, file.string()));
    EXPECT_EQ(r.Lighting1Speed, (std::array<std::uint8_t, 10>{5, 6, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(r.PollingRateName, u"1000HZ=fast");
    EXPECT_EQ(r.XYSetting[0], 1);
    EXPECT_EQ(r.XYSetting[1], 0);
    EXPECT_EQ(r.PollingRateValue, (std::array<std::uint8_t, 3>{3, 0, 0}));
    EXPECT_EQ(r.buttons[0].MacroKeyIndex, 42u);
}

TEST_F(ProfileFileTest, OutOfRangeNumbersAreKeptButNeverIndexPastTheTables) {
    auto lines = splitLines(FormatProfileText(factory(0)));
    lines[kLineKey0Count] = u"\t\tMacroActionNum=4000000000";
    lines[44] = u"\tLighting1ModeValue=FF0000";
    lines[29] = u"\tXYSetting8Value=FFFF";
    lines[30] = u"\tCurrentDPILevelValue=FF";
    lines[42] = u"\tPollingRateValue=FF0000";
    std::u16string allNonDelays(2688, u'9'); // every word an event
    lines[62] = u"\t\tAllAction=" + allNonDelays;
    const fs::path file = dir_.path() / "wild.psf";
    test::writeBytes(file, test::utf16File(joinLines(lines)));

    ASSERT_TRUE(ReadProfile(0, file.string()));
    const ProfileRecord& r = Profile(0);
    EXPECT_EQ(r.buttons[0].Macro.MacroActionNum, 4000000000u);
    EXPECT_EQ(r.buttons[0].Macro.ValidActionCount(), model::kMaxMacroActions);
    EXPECT_EQ(r.buttons[0].Macro.MacroCommandActionNum, 255); // 336 events, capped to the byte
    EXPECT_EQ(r.Lighting1ModeValue[0], 0xFF);
    EXPECT_EQ(r.SelectedEffect(), std::nullopt);
    EXPECT_EQ(r.XYSetting[7], 0xFFFF);
    EXPECT_EQ(r.StepCode(7, 160), 159);
    EXPECT_EQ(r.ActiveDpiLevel(), std::nullopt);
    EXPECT_EQ(r.PollingRateCode(), std::nullopt);
}

TEST_F(ProfileFileTest, SaveAllWritesEachSlotToItsConfiguredPath) {
    for (int s = 0; s < kProfileSlotCount; ++s)
        Profile(s).ResetToFactory(unsigned(s));
    Config().SetValue(kCfgProfileSlot0URL + 3, (dir_.path() / "no/such/folder.psf").u16string());
    EXPECT_FALSE(SaveAllProfiles()) << "slot 3 cannot be written";
    EXPECT_TRUE(fs::exists(slotFile(4))) << "a failing slot does not stop the others";

    const fs::path moved = dir_.path() / "elsewhere.psf";
    Config().SetValue(kCfgProfileSlot0URL + 3, moved.u16string());
    EXPECT_TRUE(SaveAllProfiles());
    for (int s : {0, 1, 2, 4})
        EXPECT_EQ(test::readBytes(slotFile(s)), test::utf16File(FormatProfileText(factory(unsigned(s))))) << s;
    EXPECT_FALSE(fs::exists(slotFile(3)));
    EXPECT_EQ(test::readBytes(moved), test::utf16File(FormatProfileText(factory(3))));
}

} // namespace
} // namespace quorvik::model

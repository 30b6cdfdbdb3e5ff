#include "app/StartupLoad.h"
#include "macro/MacroFiles.h"
#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/ProfileFile.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvik::model {
namespace {

using app::LoadResult;
using app::LoadSettingsModel;
using app::StartupPaths;

namespace fs = std::filesystem;

using Codes = std::array<std::uint16_t, kDpiLevelCount>;
const Codes k3325Codes{0x06, 0x0E, 0x16, 0x22, 0x30, 0x3A, 0x3A, 0x32};
const Codes k3389Codes{0x03, 0x07, 0x0F, 0x1F, 0x31, 0x3B, 0x3B, 0x3B};
const Codes k3212Codes{0x06, 0x0A, 0x0E, 0x16, 0x21, 0x0C, 0x0C, 0x0C};

using Snapshot = std::map<std::string, std::vector<unsigned char>>;

// Every file of a folder by name, with its bytes.
Snapshot snapshot(const fs::path& folder) {
    Snapshot files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = test::readBytes(entry.path());
    return files;
}

unsigned modeOf(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0u;
}

// Names in `folder` that look like a save's temporary file.
std::set<std::string> saveLeftovers(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".saving-") != std::string::npos)
            names.insert(name);
    }
    return names;
}

// A program folder with delivered language files, and a data folder that does not exist yet.
class SettingsLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root_.path() / "program/config");
        writeU16(root_.path() / "program/config/LanSetting.ini", u"[ChangeLanguage]\nLanguage=EN\n");
        writeU16(root_.path() / "program/config/Lan_EN.txt",
                 u"[Setting]\n0=English\n20=Left\n21=Right\n22=Middle\n23=Forward\n24=Back\n26=Fire\n42=DPI+\n"
                 u"85=Game\n86=Work\n87=Office\n88=Movie\n89=Spare\n100=Breathing\n");
        writeU16(root_.path() / "program/config/Lan.txt", u"[Setting]\n0=中文\n");
        paths_ = {(root_.path() / "program/").string(), (root_.path() / "data/").string()};
        ResetLanguageTables();
        SetSensorIdentifier(kDefaultSensor);
        SetCurrentSlot(0);
        macro::TheMacroLibrary().Clear();
    }
    void TearDown() override {
        ResetLanguageTables();
        SetSensorIdentifier(kDefaultSensor);
        SetCurrentSlot(0);
        macro::TheMacroLibrary().Clear();
    }

    static void writeU16(const fs::path& file, const std::u16string& text) {
        test::writeBytes(file, test::utf16File(text));
    }
    fs::path data(const std::string& rel) const { return root_.path() / "data" / rel; }
    fs::path slotFile(int s) const { return data("config/default" + std::to_string(s) + ".psf"); }

    // A first start, then the configuration file with `sensor` and `preST` in place of the factory ones.
    void startWithSensorPair(const std::u16string& sensor, const std::u16string& preST, const std::u16string& current) {
        LoadSettingsModel(paths_);
        Config().SetValue(kCfgSensor, sensor);
        Config().SetValue(kCfgPreST, preST);
        Config().SetValue(kCfgCurrentProfile, current);
        ASSERT_TRUE(WriteConfiguration());
    }

    // Slot `s` on disk with a name of its own and a DPI code the factory does not use.
    void customiseSlotFile(int s, const std::u16string& name) {
        Profile(s).SetPairValue(kPairProfileName, name);
        Profile(s).XYSetting[7] = 0x07;
        ASSERT_TRUE(WriteProfile(s, Config().ProfileSlotPath(s)));
    }

    test::TempDir root_;
    StartupPaths paths_;
};

TEST_F(SettingsLoadTest, FirstStartCreatesTheDataFolderConfigurationAndFiveFactoryProfiles) {
    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_TRUE(r.dataFolderReady);
    EXPECT_EQ(r.deliveredFilesCopied, 3);
    EXPECT_TRUE(r.languageLoaded);
    EXPECT_FALSE(r.configurationRead);
    EXPECT_FALSE(r.sensorReset);
    EXPECT_EQ(r.profilesRead, (std::array<bool, 5>{true, true, true, true, true}));
    EXPECT_EQ(platform::DataFolder(), paths_.dataFolder);

    ConfigPairs factory;
    factory.SetFactory(paths_.dataFolder);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.pairs, factory.pairs);

    const char16_t* names[] = {u"Game", u"Work", u"Office", u"Movie", u"Spare"};
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord expected;
        expected.ResetToFactory(unsigned(s));
        EXPECT_EQ(expected.PairValue(kPairProfileName), names[s]);
        EXPECT_TRUE(Profile(s) == expected) << s;
        EXPECT_EQ(test::readBytes(slotFile(s)), test::utf16File(FormatProfileText(expected))) << s;
    }
}

TEST_F(SettingsLoadTest, SecondStartReadsWhatTheUserChangedAndKeepsDeliveredFilesTheUserHas) {
    LoadSettingsModel(paths_);
    writeU16(data("config/LanSetting.ini"), u"[ChangeLanguage]\nLanguage=CN\n");
    Profile(3).SetPairValue(kPairProfileName, std::u16string(u"Mine"));
    Profile(3).Lighting1Speed[2] = 9;
    ASSERT_TRUE(WriteProfile(3, Config().ProfileSlotPath(3)));
    SetCurrentSlot(3);
    ASSERT_TRUE(SaveConfiguration());
    Profile(3).ResetToFactory(3);
    SetCurrentSlot(0);

    ResetLanguageTables();
    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_EQ(r.deliveredFilesCopied, 0);
    EXPECT_EQ(LanguageText(0), u"中文") << "the user's language choice was not replaced";
    EXPECT_TRUE(r.configurationRead);
    EXPECT_EQ(Profile(3).PairValue(kPairProfileName), u"Mine");
    EXPECT_EQ(Profile(3).Lighting1Speed[2], 9);
    EXPECT_EQ(CurrentSlot(), 3);
}

TEST_F(SettingsLoadTest, SensorChangeSincePreSTResetsEveryProfileDpiBlockAndKeepsTheCurrentSlot) {
    startWithSensorPair(u"0x3389", u"0xCCDA", u"3");
    for (int s = 0; s < kProfileSlotCount; ++s) {
        Profile(s).SetPairValue(kPairPointerSpeed, 10 + s);
        Profile(s).DPIOffOnFlagValue = 0x01;
        ASSERT_TRUE(WriteProfile(s, Config().ProfileSlotPath(s)));
    }

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_TRUE(r.sensorReset);
    EXPECT_EQ(SensorIdentifier(), 0x3389);
    EXPECT_EQ(CurrentSlot(), 3);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.Value(kCfgPreST), u"0xCC76");
    EXPECT_EQ(onDisk.Value(kCfgSensor), u"0x3389");
    EXPECT_EQ(onDisk.Value(kCfgCurrentProfile), u"3") << "the start-up save must keep the user's slot";
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord back;
        ASSERT_TRUE(ReadProfileRecord(back, slotFile(s).string()));
        EXPECT_EQ(back.XYSetting, k3389Codes) << s;
        EXPECT_EQ(back.DPIOffOnFlagValue, 0x3F) << s;
        EXPECT_EQ(back.PairNumber(kPairPointerSpeed), 10 + s) << "only the DPI block is reset";
    }
}

TEST_F(SettingsLoadTest, MatchingPreSTChangesNothing) {
    startWithSensorPair(u"0x3389", u"0xCC76", u"2");
    const auto configBefore = test::readBytes(data("config/config.ini"));
    const auto profileBefore = test::readBytes(slotFile(4));

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.sensorReset);
    EXPECT_EQ(SensorIdentifier(), 0x3389);
    EXPECT_EQ(Profile(4).XYSetting, k3325Codes) << "codes set up earlier stay";
    EXPECT_EQ(test::readBytes(data("config/config.ini")), configBefore);
    EXPECT_EQ(test::readBytes(slotFile(4)), profileBefore);
}

// A sensor the program has no factory codes for stays the configured one: the first start sets
// PreST up for it (resetting the rest of the DPI block once), and no later start resets anything.
TEST_F(SettingsLoadTest, UnknownSensorKeepsTheDpiCodesAndSettlesAfterOneStart) {
    startWithSensorPair(u"0xF123", u"0xCCDA", u"1");
    const Codes custom{0x01, 0x05, 0x09, 0x0D, 0x11, 0x15, 0x19, 0x1D};
    for (int s = 0; s < kProfileSlotCount; ++s) {
        Profile(s).XYSetting = custom;
        Profile(s).DPIOffOnFlagValue = 0x07;
        ASSERT_TRUE(WriteProfile(s, Config().ProfileSlotPath(s)));
    }

    LoadResult r = LoadSettingsModel(paths_);
    EXPECT_TRUE(r.sensorReset);
    EXPECT_EQ(SensorIdentifier(), 0xF123);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.Value(kCfgSensor), u"0xF123");
    EXPECT_EQ(onDisk.Value(kCfgPreST), u"0x EDC");
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord back;
        ASSERT_TRUE(ReadProfileRecord(back, slotFile(s).string()));
        EXPECT_EQ(back.XYSetting, custom) << s;
        EXPECT_EQ(back.DPIOffOnFlagValue, 0x3F) << "the rest of the block is set up once";
    }

    const Snapshot settled = snapshot(data("config"));
    for (int start = 0; start < 2; ++start) {
        Config() = ConfigPairs{}; // as in a new process
        r = LoadSettingsModel(paths_);
        EXPECT_FALSE(r.sensorReset) << start;
        EXPECT_EQ(SensorIdentifier(), 0xF123);
        EXPECT_EQ(snapshot(data("config")), settled) << "nothing written at start " << start;
    }
}

TEST_F(SettingsLoadTest, MalformedConfigurationRecreatesConfigurationAndProfiles) {
    LoadSettingsModel(paths_);
    Profile(1).SetPairValue(kPairProfileName, std::u16string(u"Custom"));
    ASSERT_TRUE(WriteProfile(1, Config().ProfileSlotPath(1)));
    std::u16string text = u"[Setting]\n";
    for (int i = 0; i < 18; ++i)
        text += u"K=1\n";
    writeU16(data("config/config.ini"), text);

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.configurationRead);
    EXPECT_EQ(Profile(1).PairValue(kPairProfileName), u"Work");
    EXPECT_EQ(Config().Value(kCfgProfileShowCount), u"3");
}

TEST_F(SettingsLoadTest, OutOfRangeSlotNumbersInTheConfigurationAreSafe) {
    LoadSettingsModel(paths_);
    std::u16string text = u"[Setting]\nNeedPassword=1\nSensor=0x3389\nPreST=0xCCDA\nMac_ID=0\nDataChange=0\n"
                          u"CurrentProfile=99999999999999\nProfileShowCount=-40\nProfileShowList0=7\n"
                          u"ProfileShowList1=-1\nProfileShowList2=2147483648\nProfileShowList3=3\nProfileShowList4=4\n";
    for (int s = 0; s < kProfileSlotCount; ++s)
        text += u"ProfileSlot" + std::u16string(1, char16_t(u'0' + s)) + u"URL=" + slotFile(s).u16string() + u"\n";
    writeU16(data("config/config.ini"), text);

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_TRUE(r.configurationRead);
    EXPECT_TRUE(r.sensorReset);
    EXPECT_EQ(CurrentSlot(), 0);
    EXPECT_EQ(Config().ShowListSlot(0), 0);
    EXPECT_EQ(Config().ShowListSlot(1), 1);
    EXPECT_EQ(Config().ShowListSlot(2), 2);
    EXPECT_EQ(Config().ShowCountClamped(), 0);
    EXPECT_EQ(Config().Value(kCfgProfileShowList0), u"7") << "the text stays as read";
    for (int p = 0; p < Config().ShowCountClamped(); ++p)
        EXPECT_NO_THROW(Profile(Config().ShowListSlot(p)));
}

// A profile the user made read-only cannot be opened for reading and writing, so it reads as
// failed; its factory replacement must then fail too, leaving the file as it was, mode included.
// The slot works with factory settings in memory. The same for a read-only configuration: it is
// kept, and the profiles it names are read, not overwritten with defaults.
TEST_F(SettingsLoadTest, ReadOnlyProfileAndConfigurationSurviveAStartByteForByte) {
    std::string why;
    if (!test::RunAsOrdinaryUser(
            root_.path(),
            [&] {
                LoadSettingsModel(paths_);
                customiseSlotFile(1, u"Locked");
                customiseSlotFile(2, u"Mine");
                ASSERT_EQ(::chmod(slotFile(1).c_str(), 0444), 0);
                const auto locked = test::readBytes(slotFile(1));

                LoadResult r = LoadSettingsModel(paths_);
                EXPECT_FALSE(r.profilesRead[1]);
                EXPECT_TRUE(r.profilesRead[2]);
                EXPECT_EQ(test::readBytes(slotFile(1)), locked);
                EXPECT_EQ(modeOf(slotFile(1)), 0444u);
                EXPECT_FALSE(fs::exists(slotFile(1).string() + ".unreadable")) << "nothing was replaced";
                ProfileRecord factory;
                factory.ResetToFactory(1);
                EXPECT_TRUE(Profile(1) == factory) << "factory settings in memory, file untouched";
                EXPECT_FALSE(SaveAllProfiles()) << "later saves report the file they cannot write";
                EXPECT_EQ(test::readBytes(slotFile(1)), locked);

                const fs::path config = data("config/config.ini");
                ASSERT_EQ(::chmod(config.c_str(), 0444), 0);
                const auto configBytes = test::readBytes(config);
                const auto mine = test::readBytes(slotFile(2));
                r = LoadSettingsModel(paths_);
                EXPECT_TRUE(r.configurationRead) << "a read-only configuration is read as it stands";
                EXPECT_EQ(test::readBytes(config), configBytes);
                EXPECT_EQ(modeOf(config), 0444u);
                EXPECT_EQ(test::readBytes(slotFile(2)), mine) << "the profiles were not re-created";
                EXPECT_EQ(Profile(2).PairValue(kPairProfileName), u"Mine");
            },
            why))
        GTEST_SKIP() << why;
}

// A configuration the user made read-only is used as it stands: its sensor is the mouse's, so the
// sensor the mouse reports is no change and no start resets the profiles' DPI levels.
TEST_F(SettingsLoadTest, ReadOnlyConfigurationIsReadAsItStands) {
    startWithSensorPair(u"0x3389", u"0xCC76", u"3");
    const fs::path config = data("config/config.ini");
    ASSERT_EQ(::chmod(config.c_str(), 0444), 0);
    std::string why;
    if (!test::RunAsOrdinaryUser(
            root_.path(),
            [&] {
                for (int s = 0; s < kProfileSlotCount; ++s)
                    customiseSlotFile(s, u"Levels");
                const Snapshot before = snapshot(data("config"));
                for (int start = 0; start < 2; ++start) {
                    SCOPED_TRACE(start);
                    const LoadResult r = LoadSettingsModel(paths_);
                    EXPECT_TRUE(r.configurationRead);
                    EXPECT_FALSE(r.sensorReset);
                    EXPECT_EQ(SensorIdentifier(), 0x3389);
                    EXPECT_EQ(CurrentSlot(), 3);
                    EXPECT_FALSE(ChangeSensor(0x3389)) << "the mouse's sensor is the one held";
                    EXPECT_EQ(Profile(0).XYSetting[7], 0x07);
                    EXPECT_FALSE(SaveConfiguration()) << "saves of a read-only file still fail";
                    EXPECT_EQ(snapshot(data("config")), before);
                }
            },
            why))
        GTEST_SKIP() << why;
}

TEST_F(SettingsLoadTest, ReadOnlyConfigFolderMakesSavesFailWithoutLosingAFile) {
    std::string why;
    if (!test::RunAsOrdinaryUser(
            root_.path(),
            [&] {
                LoadSettingsModel(paths_);
                macro::MacroLocation at = macro::MacroLocation::None();
                macro::TheMacroLibrary().AddFolder(u"Games", at);
                ASSERT_TRUE(macro::SaveMacroLibraryFile());
                customiseSlotFile(0, u"Before");
                const fs::path folder = data("config");
                ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
                const Snapshot before = snapshot(folder);

                Profile(0).SetPairValue(kPairProfileName, std::u16string(u"After"));
                SetCurrentSlot(4);
                EXPECT_FALSE(SaveAllProfiles());
                EXPECT_FALSE(SaveConfiguration());
                EXPECT_FALSE(macro::SaveMacroLibraryFile());
                EXPECT_EQ(snapshot(folder), before);

                const LoadResult r = LoadSettingsModel(paths_);
                EXPECT_TRUE(r.configurationRead);
                EXPECT_EQ(r.profilesRead, (std::array<bool, 5>{true, true, true, true, true}));
                EXPECT_EQ(Profile(0).PairValue(kPairProfileName), u"Before");
                EXPECT_EQ(snapshot(folder), before);
                ::chmod(folder.c_str(), 0755);
            },
            why))
        GTEST_SKIP() << why;
}

// One bad line must not lose a hand-edited file: before defaults (or, for the macro library, the
// next save) replace it, the file is kept as "<name>.unreadable".
TEST_F(SettingsLoadTest, UnreadableFilesAreKeptBesideTheirReplacements) {
    LoadSettingsModel(paths_);
    auto badProfile = test::readBytes(slotFile(2));
    badProfile.resize(badProfile.size() / 2); // ends early
    test::writeBytes(slotFile(2), badProfile);
    const auto badLibrary = test::utf16File(u"[MacroLibrary]\nMacroKeyIndex=3\nSelect Locaton:stage=-1;stage0Index=0;"
                                            u"stage1Index=0;stage2Index=0;\n++++++++MacroItemName=Half\n");
    test::writeBytes(data("config/MacroLibraryFile.mlf"), badLibrary);

    LoadResult r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.profilesRead[2]);
    EXPECT_FALSE(r.macroLibraryLoaded);
    EXPECT_EQ(test::readBytes(slotFile(2).string() + ".unreadable"), badProfile);
    EXPECT_EQ(test::readBytes(data("config/MacroLibraryFile.mlf.unreadable")), badLibrary);
    ProfileRecord back;
    EXPECT_TRUE(ReadProfileRecord(back, slotFile(2).string())) << "the slot file itself is a factory profile";

    const auto badConfig = test::utf16File(u"[Setting]\nNeedPassword=1\nSensor\n");
    test::writeBytes(data("config/config.ini"), badConfig);
    r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.configurationRead);
    EXPECT_EQ(test::readBytes(data("config/config.ini.unreadable")), badConfig);
    ConfigPairs onDisk;
    EXPECT_TRUE(onDisk.Read(data("config/config.ini").string()));
}

// The configuration's text as the program writes it, with `lineEnd` after every line.
std::u16string configText(const ConfigPairs& config, std::u16string_view lineEnd) {
    std::u16string text = u"[Setting]";
    text += lineEnd;
    for (const auto& pair : config.pairs) {
        text += pair.name + u"=" + pair.value;
        text += lineEnd;
    }
    return text;
}

// One bad line of the configuration re-creates all five profiles, although they read well: each is
// kept beside its factory replacement as "<file>.replaced", the configuration as ".unreadable".
TEST_F(SettingsLoadTest, MalformedConfigurationKeepsEveryProfileBesideItsReplacement) {
    LoadSettingsModel(paths_);
    const std::u16string good = configText(Config(), u"\n");
    const struct {
        const char* what;
        std::u16string text;
    } cases[] = {
        {"a blank 18th line", good + u"\n"},
        {"CR LF line ends", configText(Config(), u"\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Snapshot mine;
        for (int s = 0; s < kProfileSlotCount; ++s) {
            customiseSlotFile(s, u"Mine " + std::u16string(1, char16_t(u'0' + s)));
            mine[slotFile(s).string()] = test::readBytes(slotFile(s));
        }
        writeU16(data("config/config.ini"), c.text);

        const LoadResult r = LoadSettingsModel(paths_);
        EXPECT_FALSE(r.configurationRead);
        EXPECT_EQ(test::readBytes(data("config/config.ini.unreadable")), test::utf16File(c.text));
        for (int s = 0; s < kProfileSlotCount; ++s) {
            EXPECT_EQ(test::readBytes(slotFile(s).string() + ".replaced"), mine[slotFile(s).string()]) << s;
            ProfileRecord factory;
            factory.ResetToFactory(unsigned(s));
            EXPECT_TRUE(Profile(s) == factory) << s;
        }
    }
}

// Where the copy of a file cannot be made (here: an older copy the user may not replace), the file
// is not replaced: a configuration whose copy fails stays with the profiles it names, a profile
// whose copy fails is not re-created, and a damaged macro library is not saved over until its copy
// can be made.
TEST_F(SettingsLoadTest, FilesWhoseCopyCannotBeMadeAreNotReplaced) {
    LoadSettingsModel(paths_);
    macro::MacroLocation at = macro::MacroLocation::None();
    macro::TheMacroLibrary().AddFolder(u"Games", at);
    ASSERT_TRUE(macro::SaveMacroLibraryFile());
    customiseSlotFile(2, u"Mine");
    customiseSlotFile(3, u"Kept");
    const fs::path config = data("config/config.ini");
    const auto badConfig = test::utf16File(configText(Config(), u"\n") + u"\n");
    test::writeBytes(config, badConfig);
    const fs::path library = data("config/MacroLibraryFile.mlf");
    const auto badLibrary = test::utf16File(u"[MacroLibrary]\nMacroKeyIndex=3\nSelect Locaton:stage=-1;stage0Index=0;"
                                            u"stage1Index=0;stage2Index=0;\n++++++++MacroItemName=Half\n");
    test::writeBytes(library, badLibrary);
    for (const fs::path& file : {fs::path(config.string() + ".unreadable"), fs::path(library.string() + ".unreadable"),
                                 fs::path(slotFile(3).string() + ".replaced")}) {
        test::writeBytes(file, {9});
        ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    }
    const auto kept = test::readBytes(slotFile(3));

    std::string why;
    if (!test::RunAsOrdinaryUser(
            root_.path(),
            [&] {
                const auto mine = test::readBytes(slotFile(2));
                LoadResult r = LoadSettingsModel(paths_);
                EXPECT_FALSE(r.configurationRead);
                EXPECT_EQ(test::readBytes(config), badConfig);
                EXPECT_EQ(test::readBytes(slotFile(2)), mine) << "the profiles were not re-created";
                EXPECT_EQ(Profile(2).PairValue(kPairProfileName), u"Mine");

                EXPECT_FALSE(r.macroLibraryLoaded);
                EXPECT_FALSE(macro::SaveMacroLibraryFile()) << "no copy of the damaged library yet";
                EXPECT_EQ(test::readBytes(library), badLibrary);
                const fs::path libraryCopy = library.string() + ".unreadable";
                ASSERT_EQ(::chmod(libraryCopy.c_str(), 0644), 0);
                EXPECT_TRUE(macro::SaveMacroLibraryFile()) << "the copy can be made now";
                EXPECT_EQ(test::readBytes(libraryCopy), badLibrary);
                EXPECT_NE(test::readBytes(library), badLibrary);

                // The configuration can be copied now; slot 3's copy still cannot.
                ASSERT_EQ(::chmod((config.string() + ".unreadable").c_str(), 0644), 0);
                r = LoadSettingsModel(paths_);
                EXPECT_FALSE(r.configurationRead);
                EXPECT_EQ(test::readBytes(config.string() + ".unreadable"), badConfig);
                EXPECT_EQ(test::readBytes(slotFile(2).string() + ".replaced"), mine);
                EXPECT_EQ(test::readBytes(slotFile(3)), kept);
                EXPECT_EQ(Profile(3).PairValue(kPairProfileName), u"Kept");
                EXPECT_EQ(Profile(2).PairValue(kPairProfileName), u"Office");
            },
            why))
        GTEST_SKIP() << why;
}

// Saves killed at random moments leave temporary files beside their targets; the next start
// clears them all, and every file still reads.
TEST_F(SettingsLoadTest, KilledSavesLeaveNoLeftoverAfterTheNextStart) {
    LoadSettingsModel(paths_);
    ASSERT_TRUE(macro::SaveMacroLibraryFile());
    std::mt19937 random(12345);
    for (int kill = 0; kill < 100; ++kill) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            (void)!::write(ready[1], "r", 1);
            for (;;) {
                SaveAllProfiles();
                SaveConfiguration();
                macro::SaveMacroLibraryFile();
            }
        }
        ::close(ready[1]);
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        // A kill at a random point of the first few saves: a busy wait, since the child runs on
        // real time.
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random));
        while (std::chrono::steady_clock::now() < until) {
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    const std::size_t left = saveLeftovers(data("config")).size();
    EXPECT_GT(left, 0u) << "no kill landed inside a save; the test proves nothing";
    RecordProperty("leftovers", int(left));

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_EQ(std::size_t(r.leftoversRemoved), left);
    EXPECT_TRUE(saveLeftovers(data("config")).empty());
    EXPECT_TRUE(r.configurationRead);
    EXPECT_TRUE(r.macroLibraryLoaded);
    EXPECT_EQ(r.profilesRead, (std::array<bool, 5>{true, true, true, true, true}));
}

// Earlier builds named their temporary files "<name>.XXXXXX"; old ones of our own files go at the
// next start, a user's copy with such a name stays.
TEST_F(SettingsLoadTest, StartRemovesOldLeftoversOfEarlierBuildsButNotTheUsersCopies) {
    LoadSettingsModel(paths_);
    const fs::path leftovers[] = {data("config/config.ini.k3Jd9Q"), data("config/default4.psf.Zp0wX1"),
                                  data("config/MacroLibraryFile.mlf.aa00BB")};
    const fs::path copy = data("config/default1.psf.backup");
    for (const fs::path& file : leftovers)
        test::writeBytes(file, test::utf16File(u"[Setting]\n"));
    test::writeBytes(copy, test::readBytes(slotFile(1)));
    const timespec old{std::time(nullptr) - 3600, 0};
    const timespec times[2] = {old, old};
    for (const fs::path& file : {leftovers[0], leftovers[1], leftovers[2], copy})
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);

    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_EQ(r.leftoversRemoved, 3);
    for (const fs::path& file : leftovers)
        EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(copy));
}

// A configuration holding only its section line loads, and what the program then saves loads
// again as written: the pairs it left out keep their factory text, nothing is written as "Name=",
// and neither start touches the profiles.
TEST_F(SettingsLoadTest, ConfigurationWithOnlyItsSectionLineSurvivesTwoStarts) {
    LoadSettingsModel(paths_);
    customiseSlotFile(1, u"Custom");
    Profile(4).XYSetting[0] = 0x2A;
    ASSERT_TRUE(WriteProfile(4, Config().ProfileSlotPath(4)));
    writeU16(data("config/config.ini"), u"[Setting]\n");
    const Snapshot profilesBefore = [&] {
        Snapshot all = snapshot(data("config"));
        Snapshot psf;
        for (auto& [name, bytes] : all)
            if (name.ends_with(".psf"))
                psf[name] = bytes;
        return psf;
    }();

    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        Config() = ConfigPairs{}; // as in a new process
        const LoadResult r = LoadSettingsModel(paths_);
        EXPECT_TRUE(r.configurationRead);
        EXPECT_FALSE(r.sensorReset);
        EXPECT_EQ(SensorIdentifier(), kDefaultSensor);
        EXPECT_EQ(Profile(1).PairValue(kPairProfileName), u"Custom");
        EXPECT_EQ(Profile(4).XYSetting[0], 0x2A);
        for (const auto& [name, bytes] : profilesBefore)
            EXPECT_EQ(test::readBytes(data("config/" + name)), bytes) << name;
        ASSERT_TRUE(SaveConfiguration()); // the delayed save of a running program
    }
    ConfigPairs factory;
    factory.SetFactory(paths_.dataFolder);
    EXPECT_EQ(Config().pairs, factory.pairs);
}

// The profiles are read after the sensor is known: a missing slot file is re-created with the DPI
// codes of the configured sensor, not those of the default one.
TEST_F(SettingsLoadTest, MissingProfileIsRecreatedForTheConfiguredSensor) {
    startWithSensorPair(u"0x3212", u"0xCDED", u"0");
    fs::remove(slotFile(3));
    const LoadResult r = LoadSettingsModel(paths_);
    EXPECT_FALSE(r.sensorReset);
    EXPECT_FALSE(r.profilesRead[3]);
    EXPECT_EQ(Profile(3).XYSetting, k3212Codes);
    ProfileRecord back;
    ASSERT_TRUE(ReadProfileRecord(back, slotFile(3).string()));
    EXPECT_EQ(back.XYSetting, k3212Codes);
    EXPECT_EQ(Profile(2).XYSetting, k3325Codes) << "files that were read keep their codes";
}

TEST_F(SettingsLoadTest, RunTimeSensorChangeRewritesConfigurationAndProfiles) {
    LoadSettingsModel(paths_);
    SetCurrentSlot(1);
    const auto before = test::readBytes(slotFile(0));
    EXPECT_FALSE(ChangeSensor(0x3325));
    EXPECT_EQ(test::readBytes(slotFile(0)), before);

    Profile(2).XYSetting[0] = 0x20;
    EXPECT_TRUE(ChangeSensor(0x3212));
    EXPECT_EQ(SensorIdentifier(), 0x3212);
    ConfigPairs onDisk;
    ASSERT_TRUE(onDisk.Read(data("config/config.ini").string()));
    EXPECT_EQ(onDisk.Value(kCfgSensor), u"0x3212");
    EXPECT_EQ(onDisk.Value(kCfgPreST), u"0xCDED");
    EXPECT_EQ(onDisk.Value(kCfgCurrentProfile), u"1");
    for (int s = 0; s < kProfileSlotCount; ++s) {
        ProfileRecord back;
        ASSERT_TRUE(ReadProfileRecord(back, slotFile(s).string()));
        EXPECT_EQ(back.XYSetting, (Codes{0x06, 0x0A, 0x0E, 0x16, 0x21, 0x0C, 0x0C, 0x0C})) << s;
    }
    // The next start agrees with what was saved: no second reset.
    EXPECT_FALSE(LoadSettingsModel(paths_).sensorReset);
}

TEST_F(SettingsLoadTest, UnusableDataFolderStillLoadsFactorySettingsInMemory) {
    test::writeBytes(root_.path() / "blocked", {1});
    const LoadResult r = LoadSettingsModel({paths_.programFolder, (root_.path() / "blocked/").string()});
    EXPECT_FALSE(r.dataFolderReady);
    EXPECT_FALSE(r.configurationRead);
    EXPECT_EQ(r.profilesRead, (std::array<bool, 5>{}));
    EXPECT_EQ(Profile(0).XYSetting, k3325Codes);
}

TEST_F(SettingsLoadTest, NoDataFolderGivesFactorySettingsThatAreNeverWrittenAnywhere) {
    const LoadResult r = LoadSettingsModel({paths_.programFolder, ""});
    EXPECT_FALSE(r.dataFolderReady);
    EXPECT_EQ(Profile(4).XYSetting, k3325Codes);
    EXPECT_EQ(Config().ProfileSlotPath(0), "");
    EXPECT_FALSE(SaveAllProfiles());
    EXPECT_FALSE(fs::exists(root_.path() / "program/config/default0.psf"));
}

} // namespace
} // namespace quorvik::model

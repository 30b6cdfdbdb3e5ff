// The start-up load of the settings model: folders, language, configuration and the five profiles,
// and what it does with files that are missing, damaged or read-only.
#include "SettingsLoadSupport.h"

namespace quorvik::model::startup_test {
namespace {

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
} // namespace quorvik::model::startup_test

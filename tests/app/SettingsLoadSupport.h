// What the tests of the start-up load share: a program folder with delivered language files and
// a data folder that does not exist yet, and looking at the files a start leaves there.
#pragma once

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

namespace quorvik::model::startup_test {

using app::LoadResult;
using app::LoadSettingsModel;
using app::StartupPaths;

namespace fs = std::filesystem;

using Codes = std::array<std::uint16_t, kDpiLevelCount>;
inline const Codes k3325Codes{0x06, 0x0E, 0x16, 0x22, 0x30, 0x3A, 0x3A, 0x32};
inline const Codes k3389Codes{0x03, 0x07, 0x0F, 0x1F, 0x31, 0x3B, 0x3B, 0x3B};
inline const Codes k3212Codes{0x06, 0x0A, 0x0E, 0x16, 0x21, 0x0C, 0x0C, 0x0C};

using Snapshot = std::map<std::string, std::vector<unsigned char>>;

// Every file of a folder by name, with its bytes.
inline Snapshot snapshot(const fs::path& folder) {
    Snapshot files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = test::readBytes(entry.path());
    return files;
}

inline unsigned modeOf(const fs::path& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? unsigned(st.st_mode & 0777) : 0u;
}

// Names in `folder` that look like a save's temporary file.
inline std::set<std::string> saveLeftovers(const fs::path& folder) {
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

} // namespace quorvik::model::startup_test

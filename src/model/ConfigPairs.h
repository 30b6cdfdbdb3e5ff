// The application configuration: the global settings that belong to no profile, kept as 17
// positional name/value text pairs and stored as "config/config.ini" in the data folder.
#pragma once

#include "model/FileProblems.h"
#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>
#include <string>

namespace quorvik::model {

inline constexpr int kConfigPairCount = 17;

enum ConfigPairIndex : int {
    kCfgNeedPassword = 0,
    kCfgSensor = 1,
    kCfgPreST = 2,
    kCfgMacId = 3,
    kCfgDataChange = 4,
    kCfgCurrentProfile = 5,
    kCfgProfileShowCount = 6,
    kCfgProfileShowList0 = 7, // … ProfileShowList4 = 11
    kCfgProfileSlot0URL = 12, // … ProfileSlot4URL = 16
};

// "0x%4X": upper-case hex, at least four digits, padded with spaces ("0x  12").
std::u16string HexWithSpacePad(std::uint32_t value);

class ConfigPairs {
public:
    std::array<SettingPair, kConfigPairCount> pairs;

    // Pair `i`; empty text for i outside 0..16.
    const std::u16string& Name(int i) const;
    const std::u16string& Value(int i) const;
    // Control characters of the value become spaces (it must stay on its line), except in the
    // five slot paths, which are kept as given.
    void SetValue(int i, std::u16string value);

    // The factory names and values; slot paths are `dataFolder` + "config/default{s}.psf".
    void SetFactory(const std::string& dataFolder);

    // Fills pairs positionally from `path`. False when the file cannot be opened for reading (a
    // read-only file is read), its first line is not "[Setting]", a line lacks a name, "=" or a value, or there are
    // more than 17 pair lines; pairs filled before the fault keep their new text. Pairs without a line keep their
    // contents.
    bool Read(const std::string& path);
    // The whole table to `path`; false when the file could not be written, or when a pair would not
    // read back (an empty name or value, a name holding "=", a line feed), which leaves the old file;
    // `problem` then says why.
    bool Write(const std::string& path, FileProblem* problem = nullptr) const;

    // Typed views. Numbers are read as decimal (leading digits, bad text 0); hex values with or
    // without "0x".
    std::uint16_t SensorValue() const;
    std::uint16_t PreSTValue() const;
    void SetSensor(std::uint16_t sensor); // "0x%4X"
    void SetPreST(std::uint16_t sensor);  // "0x%4X" of the complement of `sensor`
    long NeedPassword() const;
    long CurrentProfile() const;
    long ProfileShowCount() const;
    long ProfileShowList(int position) const; // 0 for a position outside 0..4
    void SetCurrentProfile(int slot);
    void SetProfileShowCount(int count);
    void SetProfileShowList(int position, int slot); // ignored for a position outside 0..4
    // Path of the slot's profile file; empty for a slot outside 0..4.
    std::string ProfileSlotPath(int slot) const;

    // The file's numbers are kept as read; whatever uses them as an index goes through these.
    //
    // CurrentProfile as a slot 0..4 (it indexes the five records); outside that range the slot shown
    // first.
    int CurrentProfileSlot() const;
    // ProfileShowCount limited to 0..5: it counts positions of the five-entry show list.
    int ShowCountClamped() const;
    // Slot at show-list position 0..4 (it indexes the records); an entry outside 0..4 reads as the
    // position's factory slot, a position outside 0..4 as position 0.
    int ShowListSlot(int position) const;
};

// The process's configuration.
ConfigPairs& Config();

// DataFolder() + "config/config.ini"; empty while there is no data folder.
std::string ConfigFilePath();
// Writes Config() to the configuration file; the outcome goes to the settings' save reporting.
bool WriteConfiguration();
// CurrentProfile from the in-memory current slot, then the configuration file.
bool SaveConfiguration();
// Config() to its factory contents for DataFolder().
void SetFactoryConfiguration();

} // namespace quorvik::model

// Bringing the mouse in line with the current profile without ever reading it back.
//
// For every command we keep a device shadow: the bytes last written for it. A download rebuilds
// each command from the profile, compares it with its shadow and writes only what differs. Pages
// mark the setting groups they touched; buttons, sensor-and-lighting, power and wake are only
// compared when their group is marked, macros at every download.
#pragma once

#include "device/CommandReports.h"
#include "device/SensorTables.h"
#include "macro/MacroLibrary.h"
#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace quorvik::device {

enum class SettingGroup { Buttons = 0, SensorLighting = 1, Power = 2, Wake = 3 };
inline constexpr std::size_t kSettingGroupCount = 4;

// Pause after every report the download writes: the mouse needs it to store the setting.
inline constexpr std::uint32_t kReportPacingMs = 60;

inline constexpr std::size_t kDeviceMacroSlots = 16; // shadows indexed by slot & 0x0F
inline constexpr std::size_t kMacroImageCompared = 512;
// Macro image header: a marker pair, the device slot and the event count, then the packed events.
inline constexpr std::uint8_t kMacroImageMarker0 = 0x09;
inline constexpr std::uint8_t kMacroImageMarker1 = 0x90;

// The commands the download compares one by one: seven button positions, the six
// sensor-and-lighting commands, power saving and motion wake-up (the table in the .cpp).
inline constexpr std::size_t kComparedCommandCount = 15;
// A command's shadow keeps at most bytes 6..32 of its report.
inline constexpr std::size_t kMaxComparedBytes = kReportLength - kOffLength;

using CommandShadow = std::array<std::uint8_t, kMaxComparedBytes>;
using MacroImageBytes = std::array<std::uint8_t, kMacroImageCompared>;

// What the mouse was last given. A shadow that is none is not known: it differs from any bytes,
// so the command is written (a mouse whose settings are unknown). Shadows start known, all zero.
struct DeviceShadows {
    DeviceShadows() {
        commands.fill(CommandShadow{});
        macros.fill(MacroImageBytes{});
    }
    void Forget() {
        commands.fill(std::nullopt);
        macros.fill(std::nullopt);
    }

    // By row of the compared-command table: the bytes of that command last written (or primed),
    // zero beyond the compared ones.
    std::array<std::optional<CommandShadow>, kComparedCommandCount> commands;
    std::array<std::optional<MacroImageBytes>, kDeviceMacroSlots> macros;
};

// The bytes of a macro button's image as the shadow compares them (first 512 bytes).
MacroImageBytes MacroImage(std::uint8_t slot, const model::MacroRecord& macro);

// What the download needs from around it. The connection writes reports and holds the sequence
// number; the pacing waits on the process clock.
struct DownloadPorts {
    // Writes one report to the target form; false when nothing was written (no target, or the
    // write failed).
    std::function<bool(const Report&)> write;
    std::function<bool()> hasTarget;
    SequenceNumber& sequence;
    std::function<void(std::uint32_t ms)> sleep;
};

class SettingsDownload {
public:
    SettingsDownload(DownloadPorts ports, const SensorTables& tables);

    void Mark(SettingGroup group) { flags_[static_cast<std::size_t>(group)] = true; }
    bool IsMarked(SettingGroup group) const { return flags_[static_cast<std::size_t>(group)]; }
    void MarkAfterScan(); // buttons, sensor-and-lighting and power; no progress for that download

    // The heart of the download (steps 2 … 6): assigns macro slots, sends the marked groups,
    // clears the flags, sends the macros. Returns whether anything was written. The caller owns
    // the window-open check, the progress dialog and the save timer.
    bool Run(model::ProfileRecord& profile, macro::MacroLibrary& library);

    // Fills every shadow from `profile` without writing (the mouse is taken to hold it).
    void Prime(model::ProfileRecord& profile, macro::MacroLibrary& library);

    // Marks every group and forgets every shadow, so the next Run writes every command and every
    // macro slot once: for a mouse whose settings are unknown (the command-line tool's "apply").
    void ForceNextRun();

    // Told about every report the download tries to write, and whether it reached the mouse.
    void SetWriteObserver(std::function<void(const Report&, bool written)> observer) {
        observer_ = std::move(observer);
    }

    // Set after the macro manager closes: the next slot assignment refreshes each macro button's
    // copy from the library.
    void RequestMacroRefresh() { refreshButtonMacros_ = true; }

    bool SuppressProgress() const { return suppressProgress_; }
    void ClearSuppressProgress() { suppressProgress_ = false; }

private:
    void assignMacroSlots(model::ProfileRecord& profile, macro::MacroLibrary& library);
    // The marked groups' commands, in table order, each written only when it differs from its shadow.
    void sendCommands(const model::ProfileRecord& profile);
    void sendMacros(const model::ProfileRecord& profile, bool writing);
    // Writes a report that differs from its shadow; true when it reached the mouse.
    bool writePaced(const Report& report);

    DownloadPorts ports_;
    const SensorTables& tables_;
    DeviceShadows shadows_;
    std::array<bool, kSettingGroupCount> flags_{};
    bool somethingWritten_ = false;
    bool suppressProgress_ = false;
    bool refreshButtonMacros_ = false;
    std::function<void(const Report&, bool)> observer_;
    // Device slot per library slot of the current assignment (0 = none). One byte per slot of the
    // whole library: an assignment must find a macro again in constant time.
    std::vector<std::uint8_t> slotMap_;
};

} // namespace quorvik::device

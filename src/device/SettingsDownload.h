// Bringing the mouse in line with the current profile without ever reading it back.
//
// For every command we keep a device shadow: the bytes last written for it. A download rebuilds
// each command from the profile, compares it with its shadow and writes only what differs. Pages
// mark the setting groups they touched; buttons, sensor-and-lighting, power and wake are only
// compared when their group is marked, macros at every download.
#pragma once

#include "device/CommandReports.h"
#include "device/SensorTables.h"
#include "device/WireQueue.h"
#include "macro/MacroLibrary.h"
#include "model/ProfileRecord.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
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
// number.
struct DownloadPorts {
    // Writes one report to the target form; false when nothing was written (no target, or the
    // write failed).
    std::function<bool(const Report&)> write;
    std::function<bool()> hasTarget;
    SequenceNumber& sequence;
};

// One exchange of a download: a report and the pause after it, or a pause alone (a button
// position that did not change still gets its pause: the mouse may count on it).
struct DownloadStep {
    std::optional<Report> report; // byte 4 is filled when the report is written
    std::uint32_t pauseMs = kReportPacingMs;
    // What a written report settles: a row of the compared commands, or one chunk of the macro of
    // a device slot (the slot's image is the mouse's once its last chunk is written).
    int row = -1;
    int macroSlot = -1;
    int image = -1; // the plan's image this chunk belongs to
    bool lastChunk = false;
};

// Everything one download writes, worked out when it starts from the profile and the shadows.
// Reports are built then and keep their bytes; an edit made meanwhile goes into the next download.
struct DownloadPlan {
    std::vector<DownloadStep> steps;
    std::size_t reports = 0; // steps that write
    // The macro images the plan writes, and whether a chunk of each failed.
    std::vector<MacroImageBytes> images;
    std::vector<bool> chunkFailed;
};

class SettingsDownload {
public:
    SettingsDownload(DownloadPorts ports, const SensorTables& tables);

    void Mark(SettingGroup group) { flags_[static_cast<std::size_t>(group)] = true; }
    bool IsMarked(SettingGroup group) const { return flags_[static_cast<std::size_t>(group)]; }
    bool AnyMarked() const;
    void MarkAfterScan(); // buttons, sensor-and-lighting and power; no progress for that download

    // The start of a download: assigns macro slots, compares the marked groups' commands and every
    // macro button's image with the shadows, clears the flags, and returns what to write. Without a
    // mouse the marked commands are left out and their shadows untouched.
    DownloadPlan Plan(model::ProfileRecord& profile, macro::MacroLibrary& library);
    // Writes the report of `step` (taking the sequence number then), settles its shadow and tells
    // the observer. True when it reached the mouse.
    bool Write(DownloadPlan& plan, const DownloadStep& step);
    // The plan ends before `next`: what it did not write stays pending (its groups are marked
    // again, its macro images stay unknown to the mouse).
    void Abandon(const DownloadPlan& plan, std::size_t next);

    // Fills every shadow from `profile` without writing (the mouse is taken to hold it).
    void Prime(model::ProfileRecord& profile, macro::MacroLibrary& library);

    // Marks every group and forgets every shadow, so the next download writes every command and
    // every macro slot once: for a mouse whose settings are unknown (the command-line tool's "apply").
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
    void planCommands(DownloadPlan& plan, const model::ProfileRecord& profile) const;
    void planMacros(DownloadPlan& plan, const model::ProfileRecord& profile) const;
    void primeMacros(const model::ProfileRecord& profile);
    // Button `button`'s image for device slot `slot`, packed again only when its macro changed.
    const MacroImageBytes& imageOf(int button, std::uint8_t slot, const model::MacroRecord& macro) const;

    DownloadPorts ports_;
    const SensorTables& tables_;
    DeviceShadows shadows_;
    std::array<bool, kSettingGroupCount> flags_{};
    bool suppressProgress_ = false;
    bool refreshButtonMacros_ = false;
    std::function<void(const Report&, bool)> observer_;
    // Device slot per library slot of the current assignment (0 = none). One byte per slot of the
    // whole library: an assignment must find a macro again in constant time. Allocated zeroed by
    // the system (pages of zeros, resident only where an entry is set), not filled at start.
    struct FreeBytes {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<std::uint8_t[], FreeBytes> slotMap_;
    std::vector<std::size_t> slotsSet_; // the entries of slotMap_ that are not 0
    // The last image packed for each button, with what it was packed from: every download compares
    // every macro button, and an image changes only with its macro or its slot.
    struct PackedImage {
        bool valid = false;
        std::uint8_t slot = 0;
        std::uint8_t events = 0; // MacroCommandActionNum
        std::size_t count = 0;   // valid actions
        std::array<model::MacroAction, model::kMaxMacroActions> actions{};
        MacroImageBytes image{};
    };
    mutable std::array<PackedImage, model::kButtonCount> packed_{};
};

// A download on the wire: one step of its plan per turn of the queue. The plan is worked out when
// the download's turn comes.
class DownloadJob : public WireJob {
public:
    struct Events {
        std::function<void(const DownloadPlan&)> started;
        // After each report that reached the mouse: how many did so far, of how many planned.
        std::function<void(std::size_t written, std::size_t total)> wrote;
        // True when every step ran, false when the download was abandoned.
        std::function<void(bool completed)> ended;
    };
    DownloadJob(SettingsDownload& download, std::function<DownloadPlan()> plan, Events events);

    std::optional<std::uint32_t> Step() override;
    void Finished() override;
    void Abandon() override;

private:
    SettingsDownload& download_;
    std::function<DownloadPlan()> makePlan_;
    Events events_;
    DownloadPlan plan_;
    std::size_t next_ = 0;
    std::size_t written_ = 0;
};

} // namespace quorvik::device

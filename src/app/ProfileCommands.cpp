// The commands on the window's own choices: which profile is current, which DPI level is current.
#include "CommandRunImpl.h"

#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "model/Text.h"
#include "ui/rules/DpiLevelRule.h"
#include "ui/rules/ProfileSlots.h"

#include <sstream>

namespace quorvik::ctl {

namespace {

// The level the profile's current level means (0 … 7): the (n + 1)-th level that is on, or the
// first one that is on when n counts past them.
int currentLevelOf(const model::ProfileRecord& record) {
    if (const std::optional<int> active = record.ActiveDpiLevel())
        return *active;
    return ui::rules::NthSetBit(record.DPIOffOnFlagValue, 0).value_or(0);
}

std::string levelsOn(std::uint8_t mask) {
    std::string text;
    for (int k = 0; k < ui::rules::kDpiLevels; ++k)
        if ((mask >> k) & 1)
            text += (text.empty() ? "" : ", ") + std::to_string(k + 1);
    return text.empty() ? "none" : text;
}

} // namespace

int CommandRun::Impl::ProfileList() {
    const ui::rules::VisibleSlots visible = ui::rules::VisibleProfiles(model::Config());
    const int current = model::CurrentSlot();
    std::ostringstream out;
    if (options_.json)
        out << "[";
    for (int position = 0; position < visible.count; ++position) {
        const int slot = visible.order[std::size_t(position)];
        const std::string name = model::ToUtf8(model::Profile(slot).PairValue(model::kPairProfileName));
        if (options_.json)
            out << (position ? ", " : "") << "{\"slot\": " << slot << ", \"name\": " << JsonString(name)
                << ", \"current\": " << (slot == current ? "true" : "false") << "}";
        else
            out << (slot == current ? "* " : "  ") << slot << "\t" << name << "\n";
    }
    if (options_.json)
        out << "]\n";
    Out(out.str());
    return kExitOk;
}

void CommandRun::Impl::ProfileSelect() {
    const int slot = options_.selectSlot.value_or(0);
    const ui::rules::VisibleSlots visible = ui::rules::VisibleProfiles(model::Config());
    bool shown = false;
    for (int position = 0; position < visible.count; ++position)
        shown = shown || visible.order[std::size_t(position)] == slot;
    // Only a tab there is can be clicked: a slot that is not shown holds no profile of the user's.
    if (!shown) {
        Err("quorvikctl: slot " + std::to_string(slot) + " holds no profile (see: quorvikctl profile list)\n");
        Finish(kExitBadArguments);
        return;
    }
    // On its own the tool needs the mouse, so that the files never say what the mouse does not hold.
    if (!host_.Resident()) {
        if (int code = Connect()) {
            Finish(code);
            return;
        }
    }
    const std::string name = model::ToUtf8(model::Profile(slot).PairValue(model::kPairProfileName));
    if (slot != model::CurrentSlot())
        host_.SelectProfile(slot);
    AfterEdit("Profile " + std::to_string(slot) + " \"" + name + "\" is current.\n");
}

void CommandRun::Impl::Dpi() {
    if (!options_.dpiLevel) {
        Finish(DpiShow());
        return;
    }
    const int level = *options_.dpiLevel - 1;
    const model::ProfileRecord& record = model::Profile(model::CurrentSlot());
    if (!((record.DPIOffOnFlagValue >> level) & 1)) {
        Err("quorvikctl: DPI level " + std::to_string(level + 1) +
            " is off in the current profile (levels on: " + levelsOn(record.DPIOffOnFlagValue) + ")\n");
        Finish(kExitBadArguments);
        return;
    }
    if (!host_.Resident()) {
        if (int code = Connect()) {
            Finish(code);
            return;
        }
    }
    if (level != currentLevelOf(record))
        host_.SetDpiLevel(level);
    const model::ProfileRecord& now = model::Profile(model::CurrentSlot());
    AfterEdit("DPI level " + std::to_string(level + 1) + " (" +
              std::to_string(host_.Core().Tables().Dpi(now.XYSetting[std::size_t(level)])) + " DPI) is current.\n");
}

int CommandRun::Impl::DpiShow() {
    const model::ProfileRecord& record = model::Profile(model::CurrentSlot());
    const device::SensorTables& tables = host_.Core().Tables();
    const int current = currentLevelOf(record);
    auto dpiOf = [&](int k) { return tables.Dpi(record.XYSetting[std::size_t(k)]); };
    std::ostringstream out;
    if (options_.json) {
        out << "{\"level\": " << current + 1 << ", \"dpi\": " << dpiOf(current) << ", \"levels\": [";
        bool first = true;
        for (int k = 0; k < ui::rules::kDpiLevels; ++k) {
            if (!((record.DPIOffOnFlagValue >> k) & 1))
                continue;
            out << (first ? "" : ", ") << "{\"level\": " << k + 1 << ", \"dpi\": " << dpiOf(k) << "}";
            first = false;
        }
        out << "]}\n";
    } else {
        out << "level:    " << current + 1 << "\n"
            << "dpi:      " << dpiOf(current) << "\n"
            << "on:       " << levelsOn(record.DPIOffOnFlagValue) << "\n";
    }
    Out(out.str());
    return kExitOk;
}

void CommandRun::Impl::AfterEdit(const std::string& done) {
    device::DeviceCore& core = host_.Core();
    observing_ = true;
    core.Download().SetWriteObserver([this](const device::Report&, bool written) {
        if (!written)
            ++failed_;
    });
    WaitUntil([this] { return !host_.DownloadPending(); },
              [this, done] {
                  device::DeviceCore& core = host_.Core();
                  core.Download().SetWriteObserver(nullptr);
                  observing_ = false;
                  if (failed_) {
                      Err("quorvikctl: the mouse did not take " + std::to_string(failed_) +
                          " reports; they are written again with the next change\n");
                      Finish(kExitFailure);
                      return;
                  }
                  if (!host_.Resident()) {
                      // The tool ends now: what the running program saves later is saved at once.
                      core.SaveSoon();
                  } else if (!core.Connection().HasTarget() || !core.WindowOpen()) {
                      Err(done);
                      Err("The mouse is not connected; it gets the change when it is.\n");
                      Finish(kExitOk);
                      return;
                  }
                  Err(done);
                  Finish(kExitOk);
              });
}

} // namespace quorvik::ctl

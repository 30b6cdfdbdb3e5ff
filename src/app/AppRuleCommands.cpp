// The commands on the application rules. They change model::Rules() and leave the saving and the
// following to the owner: the running program, or the tool with the rules file. None of them
// needs the mouse.
#include "CommandRunImpl.h"

#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/ProfileRecord.h"
#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "ui/rules/ProfileSlots.h"

#include <sstream>

namespace quorvik::ctl {

namespace {

using ui::rules::RuleSlotState;

RuleSlotState stateOf(int slot) {
    return ui::rules::RuleSlotStateOf(model::Config(), slot);
}

bool slotExists(int slot) {
    return stateOf(slot) != RuleSlotState::NoSuchProfile;
}

// Why switching passes over a rule for `slot`; empty when it follows it.
std::string ignoredBecause(int slot) {
    switch (stateOf(slot)) {
    case RuleSlotState::NoSuchProfile:
        return "no such profile";
    case RuleSlotState::NotShown:
        return "profile not shown";
    case RuleSlotState::Followed:
        break;
    }
    return "";
}

std::string profileName(int slot) {
    return slotExists(slot) ? model::ToUtf8(model::Profile(slot).PairValue(model::kPairProfileName)) : "";
}

std::string quoted(const std::u16string& text) {
    return "\"" + model::ToUtf8(text) + "\"";
}

} // namespace

bool CommandRun::Impl::LoadRules() {
    // The running program's rules are the ones it follows; the tool on its own has the file.
    if (host_.Resident())
        return true;
    model::FileProblem problem;
    if (model::LoadAppRules(&problem))
        return true;
    const std::string path = model::AppRulesFilePath();
    if (problem.fault == model::FileFault::NotCopied) {
        Err("quorvikctl: cannot read " + path + ", and no copy of it could be kept: it is left as it is\n");
        // Listing shows no rules; a change would save over the only copy of the user's.
        return options_.command == Command::AppList;
    }
    Err("quorvikctl: cannot read " + path + " (" + model::FileProblemText(problem) + "); it was kept as " + path +
        std::string(model::kUnreadableSuffix) + ", and the rules start empty\n");
    return true;
}

int CommandRun::Impl::AppList() {
    if (!LoadRules())
        return kExitFailure;
    const model::AppRules& rules = model::Rules();
    std::ostringstream out;
    if (options_.json) {
        out << "{\"autoSwitch\": " << (rules.autoSwitch ? "true" : "false") << ", \"rules\": [";
        for (std::size_t i = 0; i < rules.rules.size(); ++i) {
            const model::AppRule& rule = rules.rules[i];
            const std::string why = ignoredBecause(rule.slot);
            out << (i ? ", " : "") << "{\"match\": " << JsonString(model::ToUtf8(rule.match))
                << ", \"slot\": " << rule.slot
                << ", \"profile\": " << (slotExists(rule.slot) ? JsonString(profileName(rule.slot)) : "null")
                << ", \"followed\": " << (why.empty() ? "true" : "false") << ", \"reason\": " << JsonString(why) << "}";
        }
        out << "]}\n";
    } else {
        out << "automatic switching: " << (rules.autoSwitch ? "on" : "off") << "\n";
        // Tabs part the fields: a rule's name holds no control characters.
        for (const model::AppRule& rule : rules.rules) {
            const std::string why = ignoredBecause(rule.slot);
            out << model::ToUtf8(rule.match) << "\t" << rule.slot << "\t" << profileName(rule.slot) << "\t"
                << (why.empty() ? "followed" : "ignored: " + why) << "\n";
        }
    }
    Out(out.str());
    return kExitOk;
}

void CommandRun::Impl::AppAdd() {
    if (!LoadRules()) {
        Finish(kExitFailure);
        return;
    }
    // Checked here too: the session bus hands its arguments to the table without the command line.
    const int slot = options_.appSlot.value_or(-1);
    if (const std::string why = AppMatchProblem(options_.appMatch); !why.empty() || !slotExists(slot)) {
        Err("quorvikctl: " + (why.empty() ? "a profile slot is 0 to 4, not " + std::to_string(slot) : why) + "\n");
        Finish(kExitBadArguments);
        return;
    }
    model::AppRules& rules = model::Rules();
    const model::AppRules before = rules;
    const std::u16string name = model::AppRules::CleanMatch(model::ToU16(options_.appMatch));
    const bool existed = rules.Find(name).has_value();
    if (!rules.Add(name, slot)) {
        Err("quorvikctl: there are " + std::to_string(model::kAppRulesMax) +
            " rules already; remove one first (see: quorvikctl app list)\n");
        Finish(kExitFailure);
        return;
    }
    if (stateOf(slot) == RuleSlotState::NotShown)
        Err("quorvikctl: warning: slot " + std::to_string(slot) +
            " is not shown in the window: the rule is ignored until it is (see: quorvikctl profile list)\n");
    SaveRules(before, std::string(existed ? "Rule moved: " : "Rule added: ") + quoted(name) + " brings profile " +
                          std::to_string(slot) + " \"" + profileName(slot) + "\".\n");
}

void CommandRun::Impl::AppRemove() {
    if (!LoadRules()) {
        Finish(kExitFailure);
        return;
    }
    if (const std::string why = AppMatchProblem(options_.appMatch); !why.empty()) {
        Err("quorvikctl: " + why + "\n");
        Finish(kExitBadArguments);
        return;
    }
    model::AppRules& rules = model::Rules();
    const std::u16string name = model::AppRules::CleanMatch(model::ToU16(options_.appMatch));
    const std::optional<std::size_t> at = rules.Find(name);
    if (!at) {
        Err("quorvikctl: there is no rule for " + quoted(name) + " (see: quorvikctl app list)\n");
        Finish(kExitFailure);
        return;
    }
    const model::AppRules before = rules;
    const std::string removed = quoted(rules.rules[*at].match);
    rules.Remove(name);
    SaveRules(before, "Rule removed: " + removed + ".\n");
}

void CommandRun::Impl::AppAuto() {
    if (!LoadRules()) {
        Finish(kExitFailure);
        return;
    }
    model::AppRules& rules = model::Rules();
    const model::AppRules before = rules;
    rules.autoSwitch = options_.autoSwitch.value_or(false);
    SaveRules(before, std::string("Automatic switching is ") + (rules.autoSwitch ? "on" : "off") + ".\n");
}

void CommandRun::Impl::SaveRules(const model::AppRules& before, const std::string& done) {
    if (model::Rules() == before) {
        Err(done);
        Finish(kExitOk);
        return;
    }
    // The owner may tell of the save later, when this run may be gone.
    host_.AppRulesChanged([alive = std::weak_ptr<bool>(alive_), this, done](const model::FileProblem& problem) {
        const auto live = alive.lock();
        if (!live || !*live)
            return;
        if (problem) {
            Err("quorvikctl: cannot save " + model::AppRulesFilePath() + ": " + model::FileProblemText(problem) + "\n");
            Finish(kExitFailure);
            return;
        }
        Err(done);
        Finish(kExitOk);
    });
}

} // namespace quorvik::ctl

// Profiles that follow the application in use: rules that bind an application to a profile slot,
// and the one switch that turns the following on. Kept in "config/apprules.ini" in the data folder,
// a UTF-16 text file like the others, saved the same crash-safe way:
//
//   [Applications]
//   AutoSwitch=0            0 or 1
//   Rule=2 steam_app_570    the slot, one space, the application's name (to the end of the line)
//
// An application is named by its executable's base name (or, for an interpreter or a Windows
// program loader, by the program it runs) or by either part of its window class. Names match
// without regard to case; a name ending in ".exe" also matches without it.
#pragma once

#include "model/FileProblems.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::model {

struct AppRule {
    std::u16string match; // never empty, one line, no leading or trailing spaces
    int slot = 0;         // as written; a slot outside 0..4 or not shown is ignored when switching
    bool operator==(const AppRule&) const = default;
};

// The longest name a rule keeps (a window class or a file name is far shorter).
inline constexpr std::size_t kAppRuleMatchMax = 255;
// The most rules the file holds; a longer file is damaged.
inline constexpr std::size_t kAppRulesMax = 500;

class AppRules {
public:
    std::vector<AppRule> rules; // in the order added
    bool autoSwitch = false;

    // The name as a rule keeps it: spaces around it dropped, control characters refused.
    // Empty when nothing of it can be kept (empty, too long, or holding a control character).
    static std::u16string CleanMatch(std::u16string_view name);
    // Whether `candidate` (an executable's or a window class's name) is what `match` names.
    static bool Matches(std::u16string_view match, std::u16string_view candidate);

    // Adds a rule, or moves the rule of the same name (ignoring case) to `slot`. False when the
    // name cannot be kept (see CleanMatch) or the list is full.
    bool Add(std::u16string_view match, int slot);
    // Removes the rule of that name (ignoring case); false when there was none.
    bool Remove(std::u16string_view match);
    // The index of the rule of that name (ignoring case).
    std::optional<std::size_t> Find(std::u16string_view match) const;
    // The first rule, in list order, that names one of `candidates` (and that `usable` accepts,
    // when given: a rule passed over lets a later one hold).
    const AppRule* FirstMatching(const std::vector<std::u16string>& candidates,
                                 const std::function<bool(const AppRule&)>& usable = {}) const;

    // Replaces the contents with `path`'s. A missing file gives no rules and switching off (true).
    // False when the file is there but damaged or unreadable; the contents are then empty too and
    // `problem` says why when it could not be read at all.
    bool Read(const std::string& path, FileProblem* problem = nullptr);
    // The whole file to `path`; false (the old file kept) when it could not be written.
    bool Write(const std::string& path, FileProblem* problem = nullptr) const;

    bool operator==(const AppRules&) const = default;
};

// The process's rules.
AppRules& Rules();
// DataFolder() + "config/apprules.ini"; empty while there is no data folder.
std::string AppRulesFilePath();
// Reads the rules file into Rules(). A damaged file is first kept beside it as
// "apprules.ini.unreadable", and the program goes on with no rules; true when the file was read
// (or there was none). Otherwise `problem` says why it could not be read, or is NotCopied when no
// copy of it could be kept either: the file must then not be saved over.
bool LoadAppRules(FileProblem* problem = nullptr);

} // namespace quorvik::model

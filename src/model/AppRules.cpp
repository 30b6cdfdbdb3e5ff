#include "model/AppRules.h"

#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace quorvik::model {

namespace {

constexpr std::u16string_view kRulesSectionLine = u"[Applications]";
constexpr std::u16string_view kAutoSwitchName = u"AutoSwitch=";
constexpr std::u16string_view kRuleName = u"Rule=";
constexpr std::u16string_view kExeSuffix = u".exe";
// The rule's slot: up to two digits (a slot beyond 4 is kept as written and ignored).
constexpr std::size_t kSlotDigitsMax = 2;

char16_t lower(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return char16_t(c - u'A' + u'a');
    // Latin-1 capitals (not the multiplication sign), enough for the names of programs and classes.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return char16_t(c + 0x20);
    return c;
}

bool sameIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

bool endsWithExe(std::u16string_view name) {
    return name.size() > kExeSuffix.size() &&
           sameIgnoringCase(name.substr(name.size() - kExeSuffix.size()), kExeSuffix);
}

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "N name": the slot's digits, one space, the name.
bool parseRule(std::u16string_view text, AppRule& rule) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9')
        ++digits;
    if (digits == 0 || digits > kSlotDigitsMax || digits >= text.size() || text[digits] != u' ')
        return false;
    rule.slot = int(ParseLeadingDigits(text.substr(0, digits)));
    rule.match = AppRules::CleanMatch(text.substr(digits + 1));
    return !rule.match.empty() && rule.match.size() == text.size() - digits - 1;
}

AppRules g_rules;

} // namespace

std::u16string AppRules::CleanMatch(std::u16string_view name) {
    while (!name.empty() && name.front() == u' ')
        name.remove_prefix(1);
    while (!name.empty() && name.back() == u' ')
        name.remove_suffix(1);
    if (name.empty() || name.size() > kAppRuleMatchMax)
        return {};
    // No control character of either range: a name is printed on terminals and drawn in lists.
    if (std::any_of(name.begin(), name.end(), [](char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }))
        return {};
    return std::u16string(name);
}

bool AppRules::Matches(std::u16string_view match, std::u16string_view candidate) {
    if (match.empty() || candidate.empty())
        return false;
    if (sameIgnoringCase(match, candidate))
        return true;
    // "game" names "Game.exe" too: a Windows program is known by its file name, with the suffix.
    return !endsWithExe(match) && endsWithExe(candidate) &&
           sameIgnoringCase(match, candidate.substr(0, candidate.size() - kExeSuffix.size()));
}

std::optional<std::size_t> AppRules::Find(std::u16string_view match) const {
    for (std::size_t i = 0; i < rules.size(); ++i)
        if (sameIgnoringCase(rules[i].match, match))
            return i;
    return std::nullopt;
}

bool AppRules::Add(std::u16string_view match, int slot) {
    std::u16string name = CleanMatch(match);
    if (name.empty())
        return false;
    if (const std::optional<std::size_t> at = Find(name)) {
        rules[*at] = {std::move(name), slot};
        return true;
    }
    if (rules.size() >= kAppRulesMax)
        return false;
    rules.push_back({std::move(name), slot});
    return true;
}

bool AppRules::Remove(std::u16string_view match) {
    const std::optional<std::size_t> at = Find(CleanMatch(match));
    if (!at)
        return false;
    rules.erase(rules.begin() + std::ptrdiff_t(*at));
    return true;
}

const AppRule* AppRules::FirstMatching(const std::vector<std::u16string>& candidates,
                                       const std::function<bool(const AppRule&)>& usable) const {
    for (const AppRule& rule : rules) {
        if (usable && !usable(rule))
            continue;
        for (const std::u16string& candidate : candidates)
            if (Matches(rule.match, candidate))
                return &rule;
    }
    return nullptr;
}

bool AppRules::Read(const std::string& path, FileProblem* problem) {
    rules.clear();
    autoSwitch = false;
    struct stat st {};
    if (path.empty() || (::lstat(path.c_str(), &st) != 0 && errno == ENOENT))
        return true;
    CStdioFileEx file;
    file.SetReadLimit(kSmallFileLimit);
    // Read-only is enough: rules the user protected are followed as they stand.
    if (!file.OpenForReadOnly(path)) {
        if (problem)
            *problem = file.Problem();
        return false;
    }
    AppRules read;
    bool damaged = false;
    bool sawSwitch = false;
    std::u16string line;
    if (!file.ReadString(line) || line != kRulesSectionLine)
        damaged = true;
    while (!damaged && file.ReadString(line)) {
        if (startsWith(line, kAutoSwitchName) && !sawSwitch) {
            const std::u16string_view value = std::u16string_view(line).substr(kAutoSwitchName.size());
            damaged = value != u"0" && value != u"1";
            read.autoSwitch = value == u"1";
            sawSwitch = true;
        } else if (startsWith(line, kRuleName) && read.rules.size() < kAppRulesMax) {
            AppRule rule;
            damaged = !parseRule(std::u16string_view(line).substr(kRuleName.size()), rule) || read.Find(rule.match);
            read.rules.push_back(std::move(rule));
        } else {
            damaged = true;
        }
    }
    if (damaged || file.Problem()) {
        if (problem)
            *problem = file.Problem() ? file.Problem() : FileProblem{FileFault::Damaged};
        return false;
    }
    *this = std::move(read);
    return true;
}

bool AppRules::Write(const std::string& path, FileProblem* problem) const {
    auto fail = [&](FileProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    if (path.empty())
        return fail({FileFault::Missing});
    std::u16string text;
    text.append(kRulesSectionLine).push_back(u'\n');
    text.append(kAutoSwitchName).append(autoSwitch ? u"1" : u"0").push_back(u'\n');
    for (const AppRule& rule : rules) {
        // A rule the reader would refuse makes the whole file damaged: it is never written.
        if (rule.slot < 0 || rule.slot > 99 || CleanMatch(rule.match) != rule.match || rule.match.empty())
            return fail({FileFault::Damaged});
        text.append(kRuleName).append(DecimalText(rule.slot)).append(u" ").append(rule.match).push_back(u'\n');
    }
    return WriteWholeFile(path, text, problem);
}

AppRules& Rules() {
    return g_rules;
}

std::string AppRulesFilePath() {
    const std::string& folder = platform::DataFolder();
    return folder.empty() ? std::string() : folder + "config/apprules.ini";
}

bool LoadAppRules(FileProblem* problem) {
    const std::string path = AppRulesFilePath();
    FileProblem why{FileFault::Damaged};
    if (g_rules.Read(path, &why))
        return true;
    // Kept aside, the user's rules can be mended by hand; the program goes on without them.
    if (!KeepUnreadableCopy(path))
        why = {FileFault::NotCopied};
    if (problem)
        *problem = why;
    return false;
}

} // namespace quorvik::model

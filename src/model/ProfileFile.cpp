#include "model/ProfileFile.h"

#include "model/ConfigPairs.h"
#include "model/StdioFileEx.h"
#include "model/Text.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace quorvik::model {

namespace {

constexpr std::u16string_view kProfileSectionLine = u"[Setting]";

// A line's key: head, an optional number, tail ("XYSetting" 3 "Value"). Only the writer uses keys;
// the reader goes by position.
struct Key {
    const char16_t* head;
    int number = -1;
    const char16_t* tail = u"";
};

// Lines that carry a button's macro may have nothing before their "=".
enum class Need { Name, NameOptional };

// The file layout, once, for both directions: the writer's visitor formats each field, the
// reader's visitor parses the next line into it. `indent` is the count of leading tabs.
template <class Visitor, class Record> bool walkLayout(Visitor& v, Record& r) {
    if (!v.Section())
        return false;
    for (auto& pair : r.pairs) {
        if (!v.Pair(pair))
            return false;
    }
    if (!v.Byte(0, {u"DPIOffOnFlagValue"}, r.DPIOffOnFlagValue))
        return false;
    for (int l = 0; l < kDpiLevelCount; ++l) {
        if (!v.Word(1, {u"XYSetting", l + 1, u"Value"}, r.XYSetting[l]))
            return false;
    }
    if (!v.Byte(1, {u"CurrentDPILevelValue"}, r.CurrentDPILevelValue))
        return false;
    for (int l = 0; l < kDpiLevelCount; ++l) {
        if (!v.Rgb(1, {u"DPILevelIndication", l, u"Valuer"}, r.DPILevelIndication[l]))
            return false;
    }
    if (!v.Byte(1, {u"AngleSnapValue"}, r.AngleSnapValue) || !v.Byte(1, {u"LiftDetectionValue"}, r.LiftDetectionValue))
        return false;

    if (!v.Text(0, {u"PollingRateName"}, r.PollingRateName, Need::Name) ||
        !v.Bytes3(1, {u"PollingRateValue"}, r.PollingRateValue))
        return false;

    if (!v.Text(0, {u"Lighting1Name"}, r.Lighting1Name, Need::Name) ||
        !v.Bytes3(1, {u"Lighting1ModeValue"}, r.Lighting1ModeValue) ||
        !v.Byte(1, {u"Lighting1OffOn"}, r.Lighting1OffOn) || !v.List(1, {u"Lighting1Speed"}, r.Lighting1Speed) ||
        !v.List(1, {u"Lighting1Brightness"}, r.Lighting1Brightness) ||
        !v.Flags(1, {u"Lighting1ColorSelected"}, r.Lighting1ColorSelected) ||
        !v.Colours(1, {u"Lighting1FixedColor"}, r.Lighting1FixedColor) ||
        !v.List(1, {u"Lighting1Direction"}, r.Lighting1Direction))
        return false;

    if (!v.Text(0, {u"Lighting2Name"}, r.Lighting2Name, Need::Name) ||
        !v.Bytes3(1, {u"Lighting2ModeValue"}, r.Lighting2ModeValue) ||
        !v.Byte(1, {u"Lighting2OffOn"}, r.Lighting2OffOn) || !v.Byte(1, {u"Lighting2Speed"}, r.Lighting2Speed) ||
        !v.Byte(1, {u"Lighting2Brightness"}, r.Lighting2Brightness) ||
        !v.Rgb(1, {u"Lighting2FixedColor"}, r.Lighting2FixedColor))
        return false;

    for (int k = 0; k < kButtonCount; ++k) {
        auto& b = r.buttons[k];
        if (!v.Text(0, {u"Key", k, u"Name"}, b.Name, Need::Name) ||
            !v.Bytes3(1, {u"Key", k, u"Value"}, b.Value.bytes) || !v.Number(1, {u"MacroKeyIndex"}, b.MacroKeyIndex) ||
            !v.Text(1, {u"MacroKey", k, u"Name"}, b.Macro.name, Need::NameOptional) ||
            !v.Number(2, {u"MacroActionNum"}, b.Macro.MacroActionNum) || !v.Actions(2, {u"AllAction"}, b.Macro))
            return false;
    }
    return true;
}

// ---- writing -------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(std::u16string& out) : out_(out) {}

    bool Section() {
        out_.append(kProfileSectionLine).push_back(u'\n');
        return true;
    }
    // A name that is empty or holds "=", or a text holding a line feed, would not read back as
    // written: the file would shift by a line or fail, and the whole profile fall back to defaults.
    bool Pair(const SettingPair& pair) {
        out_.append(pair.name).append(u"=").append(pair.value).push_back(u'\n');
        if (pair.name.empty() || pair.name.find(u'=') != std::u16string::npos || !oneLine(pair.name) ||
            !oneLine(pair.value))
            readsBack_ = false;
        return true;
    }
    bool Byte(int indent, Key key, std::uint8_t value) {
        start(indent, key);
        hex(value, 2);
        return end();
    }
    bool Word(int indent, Key key, std::uint16_t value) {
        start(indent, key);
        hex(value, 4);
        return end();
    }
    bool Bytes3(int indent, Key key, const std::array<std::uint8_t, 3>& bytes) {
        start(indent, key);
        for (auto b : bytes)
            hex(b, 2);
        return end();
    }
    bool Rgb(int indent, Key key, Colour c) {
        start(indent, key);
        rgb(c);
        return end();
    }
    bool List(int indent, Key key, const std::array<std::uint8_t, kLightingEffectCount>& values) {
        start(indent, key);
        for (int j = 0; j < kLightingEffectCount; ++j) {
            if (j > 0)
                out_.push_back(u'|');
            hex(values[j], 2);
        }
        return end();
    }
    bool Flags(int indent, Key key, const std::array<std::array<std::uint8_t, 10>, 10>& flags) {
        start(indent, key);
        for (const auto& group : flags) {
            for (int i = 0; i < kEffectColourCount; ++i) {
                hex(group[i], 2);
                out_.push_back(i + 1 < kEffectColourCount ? u'|' : u';');
            }
        }
        return end();
    }
    bool Colours(int indent, Key key, const std::array<std::array<Colour, 10>, 10>& colours) {
        start(indent, key);
        for (const auto& group : colours) {
            for (int i = 0; i < kEffectColourCount; ++i) {
                rgb(group[i]);
                out_.push_back(i + 1 < kEffectColourCount ? u'|' : u';');
            }
        }
        return end();
    }
    bool Text(int indent, Key key, const std::u16string& text, Need) {
        start(indent, key);
        out_.append(text);
        if (!oneLine(text))
            readsBack_ = false;
        return end();
    }
    bool Number(int indent, Key key, std::uint32_t value) {
        start(indent, key);
        out_.append(DecimalText(long(value)));
        return end();
    }
    bool Actions(int indent, Key key, const model::MacroRecord& macro) {
        start(indent, key);
        // Every word, also those beyond the action count: byte 0 first, two digits each.
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        std::array<char16_t, kAllActionChars> digits;
        std::size_t at = 0;
        for (const auto& action : macro.actions) {
            for (auto b : action.b) {
                digits[at++] = kDigits[b >> 4];
                digits[at++] = kDigits[b & 0xF];
            }
        }
        out_.append(digits.data(), digits.size());
        return end();
    }

    // False once a text was written that would not read back as it is.
    bool ReadsBack() const { return readsBack_; }

private:
    static bool oneLine(const std::u16string& text) { return text.find(u'\n') == std::u16string::npos; }
    void start(int indent, const Key& key) {
        out_.append(std::size_t(indent), u'\t');
        out_.append(key.head);
        if (key.number >= 0)
            out_.append(DecimalText(key.number));
        out_.append(key.tail).push_back(u'=');
    }
    bool end() {
        out_.push_back(u'\n');
        return true;
    }
    void hex(std::uint32_t value, int digits) {
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            out_.push_back(kDigits[(value >> shift) & 0xF]);
    }
    void rgb(Colour c) {
        hex(Red(c), 2);
        hex(Green(c), 2);
        hex(Blue(c), 2);
    }

    std::u16string& out_;
    bool readsBack_ = true;
};

// ---- reading -------------------------------------------------------------------------------

// Hex value of the characters [start, start + count) of `value`: its leading hex digits, with
// nothing skipped before them; what lies beyond the end reads as 0.
std::uint32_t piece(std::u16string_view value, std::size_t start, std::size_t count) {
    if (start >= value.size())
        return 0;
    // The common case, two hex digits, without the general parser (the action lines hold 1,344 pieces).
    if (count == 2 && start + 2 <= value.size()) {
        int hi = HexDigitValue(value[start]);
        int lo = HexDigitValue(value[start + 1]);
        if (hi >= 0 && lo >= 0)
            return std::uint32_t(hi * 16 + lo);
    }
    return ParseLeadingHexDigits(value.substr(start, count));
}

class Reader {
public:
    explicit Reader(CStdioFileEx& file) : file_(file) {}

    bool Section() { return file_.ReadLine(line_) && line_ == kProfileSectionLine; }
    bool Pair(SettingPair& pair) {
        if (!next(Need::Name))
            return false;
        pair.name = line_.substr(0, eq_);
        pair.value = value();
        return true;
    }
    bool Byte(int, Key, std::uint8_t& out) {
        if (!next(Need::Name))
            return false;
        out = std::uint8_t(piece(value(), 0, 2));
        return true;
    }
    bool Word(int, Key, std::uint16_t& out) {
        if (!next(Need::Name))
            return false;
        out = std::uint16_t(piece(value(), 0, 4));
        return true;
    }
    bool Bytes3(int, Key, std::array<std::uint8_t, 3>& out) {
        if (!next(Need::Name))
            return false;
        auto v = value();
        for (std::size_t i = 0; i < 3; ++i)
            out[i] = std::uint8_t(piece(v, 2 * i, 2));
        return true;
    }
    bool Rgb(int, Key, Colour& out) {
        if (!next(Need::Name))
            return false;
        out = rgbAt(value(), 0);
        return true;
    }
    bool List(int, Key, std::array<std::uint8_t, kLightingEffectCount>& out) {
        if (!next(Need::Name))
            return false;
        auto v = value();
        for (std::size_t j = 0; j < out.size(); ++j)
            out[j] = std::uint8_t(piece(v, 3 * j, 2));
        return true;
    }
    bool Flags(int, Key, std::array<std::array<std::uint8_t, 10>, 10>& out) {
        if (!next(Need::Name))
            return false;
        auto v = value();
        for (std::size_t e = 0; e < 10; ++e) {
            for (std::size_t i = 0; i < 10; ++i)
                out[e][i] = std::uint8_t(piece(v, 3 * (10 * e + i), 2));
        }
        return true;
    }
    bool Colours(int, Key, std::array<std::array<Colour, 10>, 10>& out) {
        if (!next(Need::Name))
            return false;
        auto v = value();
        for (std::size_t e = 0; e < 10; ++e) {
            for (std::size_t i = 0; i < 10; ++i)
                out[e][i] = rgbAt(v, 7 * (10 * e + i));
        }
        return true;
    }
    bool Text(int, Key, std::u16string& out, Need need) {
        if (!next(need))
            return false;
        out = value();
        return true;
    }
    bool Number(int, Key, std::uint32_t& out) {
        if (!next(Need::NameOptional) || value().empty())
            return false;
        // Kept as read; users of MacroActionNum go through MacroRecord::ValidActionCount().
        out = std::uint32_t(ParseLeadingDigits(value()));
        return true;
    }
    bool Actions(int, Key, model::MacroRecord& macro) {
        if (!next(Need::NameOptional))
            return false;
        auto v = value();
        if (v.size() != kAllActionChars)
            return false;
        if (!DecodeActionDigits(v, macro.actions)) {
            for (std::size_t n = 0; n < model::kMaxMacroActions; ++n) {
                for (std::size_t i = 0; i < 4; ++i)
                    macro.actions[n].b[i] = std::uint8_t(piece(v, 8 * n + 2 * i, 2));
            }
        }
        // The file has no event count; the macro download sizes its chunks by it.
        macro.MacroCommandActionNum = macro.CountEvents();
        return true;
    }

private:
    bool next(Need need) {
        if (!file_.ReadLine(line_))
            return false; // the file ended early
        eq_ = line_.find(u'=');
        if (eq_ == std::u16string::npos)
            return false;
        return eq_ >= 1 || need == Need::NameOptional;
    }
    std::u16string_view value() const { return line_.substr(eq_ + 1); }
    static Colour rgbAt(std::u16string_view v, std::size_t at) {
        return MakeColour(std::uint8_t(piece(v, at, 2)), std::uint8_t(piece(v, at + 2, 2)),
                          std::uint8_t(piece(v, at + 4, 2)));
    }

    CStdioFileEx& file_;
    std::u16string_view line_; // into the file's buffer, until the next line is read
    std::size_t eq_ = 0;
};

} // namespace

namespace {
// The slot's own file, by its path or through another path to the same file.
bool isSameFile(const std::string& path, const std::string& slotPath) {
    if (path == slotPath)
        return true;
    std::error_code ec;
    return !path.empty() && !slotPath.empty() && std::filesystem::equivalent(path, slotPath, ec);
}

// False when a text of the record would not read back as written.
bool formatProfile(const ProfileRecord& record, std::u16string& text) {
    text.clear();
    text.reserve(24 * 1024);
    Writer writer(text);
    walkLayout(writer, record);
    return writer.ReadsBack();
}
} // namespace

std::u16string FormatProfileText(const ProfileRecord& record) {
    std::u16string text;
    formatProfile(record, text);
    return text;
}

bool WriteProfileRecord(const ProfileRecord& record, const std::string& path, FileProblem* problem) {
    auto fail = [&](FileProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    std::u16string text;
    if (path.empty())
        return fail({FileFault::Missing});
    if (!formatProfile(record, text))
        return fail({FileFault::Damaged});
    return WriteWholeFile(path, text, problem);
}

bool ReadProfileRecord(ProfileRecord& record, const std::string& path, ReadAccess access, FileProblem* problem) {
    auto fail = [&](FileProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    if (path.empty())
        return fail({FileFault::Missing});
    CStdioFileEx file;
    file.SetReadLimit(kProfileFileLimit);
    if (!(access == ReadAccess::ReadOnly ? file.OpenForReadOnly(path) : file.OpenForRead(path)))
        return fail(file.Problem());
    Reader reader(file);
    if (!walkLayout(reader, record))
        return fail(file.Problem() ? file.Problem() : FileProblem{FileFault::Damaged});
    return true;
}

bool WriteProfile(int slot, const std::string& path) {
    return WriteProfileRecord(Profile(slot), path);
}

bool SaveProfile(int slot) {
    const std::string path = Config().ProfileSlotPath(slot);
    FileProblem problem;
    const bool saved = WriteProfileRecord(Profile(slot), path, &problem);
    NoteSettingsSave(path, problem);
    return saved;
}

namespace {
// The slot's factory profile after `path` failed to read into it. What the slot's own file holds
// is kept beside its factory replacement: the file that failed to read (one bad line of a
// hand-edited file must not lose the rest), or, when another file failed to import, the slot's
// readable profile. A file that could not be copied (or cannot be replaced at all, such as a
// read-only one) stays as it is; the slot has factory settings in memory only.
void fallBackToFactory(int slot, bool ownFile) {
    Profile(slot).ResetToFactory(unsigned(slot));
    const std::string_view copySuffix = ownFile ? kUnreadableSuffix : kBeforeImportSuffix;
    if (KeepCopyAside(Config().ProfileSlotPath(slot), copySuffix) != CopyAside::Failed)
        SaveProfile(slot);
}
} // namespace

bool ReadProfile(int slot, const std::string& path) {
    const bool ownFile = isSameFile(path, Config().ProfileSlotPath(slot));
    // Nothing is ever written to an imported file: it need not be writable.
    if (ReadProfileRecord(Profile(slot), path, ownFile ? ReadAccess::ReadWrite : ReadAccess::ReadOnly))
        return true;
    fallBackToFactory(slot, ownFile);
    return false;
}

FileProblem ImportProfile(int slot, const std::string& path) {
    const bool ownFile = isSameFile(path, Config().ProfileSlotPath(slot));
    // Read into a copy: a file refused before anything was read leaves the slot as it was, and the
    // buttons' macro copies keep their serial numbers and loop settings, which files do not hold.
    ProfileRecord read = Profile(slot);
    FileProblem problem;
    if (ReadProfileRecord(read, path, ownFile ? ReadAccess::ReadWrite : ReadAccess::ReadOnly, &problem)) {
        Profile(slot) = std::move(read);
        return {};
    }
    if (problem.fault == FileFault::Damaged)
        fallBackToFactory(slot, ownFile);
    return problem;
}

bool SaveAllProfiles() {
    bool all = true;
    for (int s = 0; s < kProfileSlotCount; ++s)
        all = SaveProfile(s) && all;
    return all;
}

} // namespace quorvik::model

#include "macro/MacroFiles.h"

#include "model/StdioFileEx.h"
#include "model/Text.h"
#include "platform/ProcessGlobals.h"

#include <array>
#include <cerrno>
#include <climits>
#include <string_view>

namespace quorvik::macro {

using model::CStdioFileEx;

namespace {

constexpr std::u16string_view kSectionLine = u"[MacroLibrary]";
// The library file the start-up reader found damaged and could not copy aside: no save replaces
// it until a copy exists.
std::string g_uncopiedDamagedFile;
constexpr std::u16string_view kAllActionKey = u"AllAction=";
// The writer hands the text to the file in pieces of about this many code units.
constexpr std::size_t kWriteChunkUnits = 64 * 1024;

// ---- writing ----

class LineWriter {
public:
    explicit LineWriter(CStdioFileEx& file) : file_(file) { text_.reserve(kWriteChunkUnits + 4096); }

    void Tabs(int depth) { text_.append(std::size_t(depth), u'\t'); }
    void Put(std::u16string_view s) { text_.append(s); }
    void PutSigned(long value) { text_.append(model::DecimalText(value)); }
    void PutUnsigned(std::uint32_t value) { text_.append(model::DecimalText(long(value))); }
    // Every entry as b0 b1 b2 b3, two upper-case hex digits each.
    void PutActions(const std::array<model::MacroAction, model::kMaxMacroActions>& actions) {
        static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        const std::size_t at = text_.size();
        text_.resize(at + actions.size() * 8);
        char16_t* out = text_.data() + at;
        for (const model::MacroAction& a : actions)
            for (std::uint8_t byte : a.b) {
                *out++ = kDigits[byte >> 4];
                *out++ = kDigits[byte & 0xF];
            }
    }
    void EndLine() {
        text_.push_back(u'\n');
        if (text_.size() >= kWriteChunkUnits)
            Flush();
    }
    bool Flush() {
        if (!text_.empty())
            ok_ = file_.WriteString(text_) && ok_;
        text_.clear();
        return ok_;
    }

private:
    CStdioFileEx& file_;
    std::u16string text_;
    bool ok_ = true;
};

void PutLocationFields(LineWriter& w, const MacroLocation& l) {
    w.Put(u"stage=");
    w.PutSigned(l.stage);
    w.Put(u";stage0Index=");
    w.PutSigned(l.stage0Index);
    w.Put(u";stage1Index=");
    w.PutSigned(l.stage1Index);
    w.Put(u";stage2Index=");
    w.PutSigned(l.stage2Index);
    w.Put(u";");
}

// The slot's own location from its position in the block; deeper indices are 0.
MacroLocation LocationOfSlot(std::size_t s) {
    constexpr std::size_t n = kSlotsPerLevel;
    if (s < kDepth1Base)
        return MacroLocation::At(int(s));
    if (s < kDepth2Base) {
        s -= kDepth1Base;
        return MacroLocation::At(int(s / n), int(s % n));
    }
    s -= kDepth2Base;
    return MacroLocation::At(int(s / (n * n)), int(s / n % n), int(s % n));
}

void PutNumberLine(LineWriter& w, int depth, std::u16string_view key, std::uint32_t value) {
    w.Tabs(depth);
    w.Put(key);
    w.PutUnsigned(value);
    w.EndLine();
}

void PutItemBlock(LineWriter& w, const MacroLibraryNode& node, const MacroLocation& where) {
    const int depth = where.stage;
    w.Tabs(depth);
    w.Put(u"++++++++MacroItemName=");
    w.Put(node.name);
    w.EndLine();
    w.Tabs(depth);
    w.Put(u"MacroItemLocation:");
    PutLocationFields(w, where);
    w.EndLine();
    // An occupied slot without a record cannot be written as a macro; it goes out as a folder
    // so that the file stays readable.
    const bool folder = node.isFolder != 0 || !node.macro;
    PutNumberLine(w, depth, u"MacroItemIsFolder=", folder ? 1 : 0);
    PutNumberLine(w, depth, u"MacroItemFolderIsOpen=", folder ? node.folderIsOpen : 0);
    if (folder)
        return;
    const model::MacroRecord& m = *node.macro;
    PutNumberLine(w, depth, u"MacroKeyIndex=", m.MacroKeyIndex);
    PutNumberLine(w, depth, u"MacroKeyLoopType=", m.MacroKeyLoopType);
    PutNumberLine(w, depth, u"MacroKeyLoopNum=", m.MacroKeyLoopNum);
    PutNumberLine(w, depth, u"MacroActionNum=", m.MacroActionNum);
    PutNumberLine(w, depth, u"MacroCommandActionNum=", m.MacroCommandActionNum);
    w.Tabs(depth);
    w.Put(kAllActionKey);
    // All 336 entries, whatever the count: entries past it are kept as they stand in memory.
    w.PutActions(m.actions);
    w.EndLine();
}

// ---- reading ----

// The text after the first "="; false for a line without one or ending in it.
bool ValueOf(std::u16string_view line, std::u16string_view& value) {
    const std::size_t eq = line.find(u'=');
    if (eq == std::u16string_view::npos || eq + 1 == line.size())
        return false;
    value = line.substr(eq + 1);
    return true;
}

// Decimal numbers beyond 32 bits saturate instead of wrapping, so a huge index cannot wrap back
// into the tree.
std::int32_t ParseInt32(std::u16string_view text) {
    const long v = model::ParseDecimal(text);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : std::int32_t(v);
}

// One byte of the action line: two hex digits, or, for damaged text, the value of the leading
// digits as every number of the files is read.
std::uint8_t ParseHexPair(std::u16string_view pair) {
    const int hi = model::HexDigitValue(pair[0]), lo = model::HexDigitValue(pair[1]);
    if (hi >= 0 && lo >= 0)
        return std::uint8_t(hi << 4 | lo);
    return std::uint8_t(model::ParseHex(pair));
}

class LibraryReader {
public:
    LibraryReader(CStdioFileEx& file, MacroLibrary& target) : file_(file), target_(target) {}

    bool Run(MacroLocation* fileLocation) {
        if (!file_.ReadLine(line_) || line_ != kSectionLine)
            return false;
        std::u16string_view value;
        if (!NextValue(value))
            return false;
        target_.SetNextMacroIndex(static_cast<std::uint32_t>(model::ParseDecimal(value)));
        MacroLocation location;
        if (!NextLocation(location))
            return false;
        if (fileLocation)
            *fileLocation = location;
        while (file_.ReadLine(line_)) {
            if (!ReadItem())
                return false;
        }
        return true;
    }

private:
    bool NextValue(std::u16string_view& value) { return file_.ReadLine(line_) && ValueOf(line_, value); }
    bool NextNumber(long& number) {
        std::u16string_view value;
        if (!NextValue(value))
            return false;
        number = model::ParseDecimal(value);
        return true;
    }
    bool NextLocation(MacroLocation& location) {
        std::u16string_view value;
        if (!NextValue(value))
            return false;
        // A line without the four pairs names no slot: its item is dropped.
        if (!ParseMacroLocation(line_, location))
            location = MacroLocation::None();
        return true;
    }

    // The name line is in line_; reads the rest of the block and places the item.
    bool ReadItem() {
        std::u16string_view value;
        if (!ValueOf(line_, value))
            return false;
        std::u16string name(value);
        MacroLocation location;
        long isFolder = 0, isOpen = 0;
        if (!NextLocation(location) || !NextNumber(isFolder) || !NextNumber(isOpen))
            return false;
        if (isFolder != 0) {
            // Folders live at depths 0 and 1 only; the deepest level holds macros. A folder
            // there (only a file written by hand has one) is dropped like an item outside the tree.
            if (location.stage < kDepthCount - 1)
                target_.AddFolderAt(location, std::move(name), isOpen != 0);
            return true;
        }
        auto macro = std::make_unique<model::MacroRecord>();
        macro->name = name;
        long keyIndex = 0, loopType = 0, loopNum = 0, actionNum = 0, commandNum = 0;
        if (!NextNumber(keyIndex) || !NextNumber(loopType) || !NextNumber(loopNum) || !NextNumber(actionNum) ||
            !NextNumber(commandNum))
            return false;
        macro->MacroKeyIndex = static_cast<std::uint32_t>(keyIndex);
        macro->MacroKeyLoopType = static_cast<std::uint8_t>(loopType);
        macro->MacroKeyLoopNum = static_cast<std::uint8_t>(loopNum);
        // Kept as read, even above 336: every user of the count goes through ValidActionCount(),
        // which keeps loops over the actions inside the fixed table.
        macro->MacroActionNum = static_cast<std::uint32_t>(actionNum);
        macro->MacroCommandActionNum = static_cast<std::uint8_t>(commandNum);
        if (!NextValue(value) || value.size() != kActionLineDigits)
            return false;
        if (!model::DecodeActionDigits(value, macro->actions)) {
            for (std::size_t n = 0; n < model::kMaxMacroActions; ++n)
                for (std::size_t b = 0; b < 4; ++b)
                    macro->actions[n].b[b] = ParseHexPair(value.substr(n * 8 + b * 2, 2));
        }
        target_.AddMacroAt(location, std::move(name), std::move(macro));
        return true;
    }

    CStdioFileEx& file_;
    MacroLibrary& target_;
    std::u16string_view line_; // into the file's buffer, until the next line is read
};

} // namespace

std::string MacroLibraryFilePath() {
    return platform::DataFolder() + "config/MacroLibraryFile.mlf";
}

bool WriteMacroLibraryFile(const MacroLibrary& library, const std::string& path, const MacroLocation& location,
                           model::FileProblem* problem) {
    auto fail = [&](model::FileProblem why) {
        if (problem)
            *problem = why;
        return false;
    };
    if (!g_uncopiedDamagedFile.empty() && path == g_uncopiedDamagedFile) {
        if (model::KeepCopyAside(path, model::kUnreadableSuffix) == model::CopyAside::Failed)
            return fail({model::FileFault::NotCopied});
        g_uncopiedDamagedFile.clear();
    }
    CStdioFileEx file;
    if (!file.OpenForWrite(path))
        return fail(file.Problem());
    LineWriter w(file);
    w.Put(kSectionLine);
    w.EndLine();
    w.Put(u"MacroKeyIndex=");
    // Written signed, as the files have always carried it; read back it is the same 32 bits.
    w.PutSigned(static_cast<std::int32_t>(library.NextMacroIndex()));
    w.EndLine();
    w.Put(u"Select Locaton:");
    PutLocationFields(w, location);
    w.EndLine();
    // Slot order in the block is the file's order: depth 0, then depth 1 by parent, then depth 2.
    // Subtrees that were never used are empty and skipped.
    constexpr std::size_t n60 = kSlotsPerLevel;
    auto putRange = [&](std::size_t from, std::size_t to) {
        for (std::size_t s = from; s < to; ++s) {
            const MacroLibraryNode& node = library.SlotByIndex(s);
            if (node.IsOccupied())
                PutItemBlock(w, node, LocationOfSlot(s));
        }
    };
    putRange(0, kDepth1Base);
    for (std::size_t i = 0; i < n60; ++i)
        if (library.SubtreeInUse(int(i)))
            putRange(kDepth1Base + i * n60, kDepth1Base + (i + 1) * n60);
    for (std::size_t i = 0; i < n60; ++i)
        if (library.SubtreeInUse(int(i)))
            putRange(kDepth2Base + i * n60 * n60, kDepth2Base + (i + 1) * n60 * n60);
    const bool written = w.Flush();
    if (!file.Close() || !written)
        return fail(file.Problem() ? file.Problem() : model::ProblemFromErrno(EIO));
    return true;
}

bool SaveMacroLibraryFile() {
    const std::string path = MacroLibraryFilePath();
    model::FileProblem problem;
    const bool saved = WriteMacroLibraryFile(TheMacroLibrary(), path, MacroLocation::None(), &problem);
    model::NoteSettingsSave(path, problem);
    return saved;
}

namespace {
ReadStatus readLibrary(MacroLibrary& target, const std::string& path, MacroLocation* fileLocation, bool import,
                       model::FileProblem* problem) {
    if (fileLocation)
        *fileLocation = MacroLocation::None();
    CStdioFileEx file;
    if (import)
        file.SetReadLimit(model::kMacroFileLimit);
    if (!(import ? file.OpenForReadOnly(path) : file.OpenForRead(path))) {
        if (problem)
            *problem = file.Problem();
        return ReadStatus::NotOpened;
    }
    target.Clear();
    LibraryReader reader(file, target);
    const bool complete = reader.Run(fileLocation);
    file.Close();
    if (problem)
        *problem = file.Problem();
    // An import that grew past its bound while read is refused as a whole.
    if (import && file.Problem())
        return ReadStatus::NotOpened;
    return complete ? ReadStatus::Complete : ReadStatus::Damaged;
}
} // namespace

ReadStatus ReadMacroLibrary(MacroLibrary& target, const std::string& path, MacroLocation* fileLocation,
                            model::FileProblem* problem) {
    return readLibrary(target, path, fileLocation, false, problem);
}

ReadStatus ReadMacroImportFile(MacroLibrary& target, const std::string& path, MacroLocation* fileLocation,
                               model::FileProblem* problem) {
    return readLibrary(target, path, fileLocation, true, problem);
}

bool ReadMacroLibraryAtStartup() {
    const std::string path = MacroLibraryFilePath();
    const ReadStatus status = ReadMacroLibrary(TheMacroLibrary(), path, nullptr);
    // The next save of the library (when the macro manager closes) replaces a damaged file with
    // what could be read of it; the whole file is kept beside it first. When the copy cannot be
    // made, that save is refused until it can.
    g_uncopiedDamagedFile.clear();
    if (status == ReadStatus::Damaged &&
        model::KeepCopyAside(path, model::kUnreadableSuffix) == model::CopyAside::Failed)
        g_uncopiedDamagedFile = path;
    return status == ReadStatus::Complete;
}

bool ParseMacroLocation(std::u16string_view line, MacroLocation& location) {
    std::int32_t numbers[4];
    std::size_t pos = 0;
    for (std::int32_t& number : numbers) {
        const std::size_t eq = line.find(u'=', pos);
        if (eq == std::u16string_view::npos)
            return false;
        const std::size_t semi = line.find(u';', eq + 1);
        if (semi == std::u16string_view::npos)
            return false;
        number = ParseInt32(line.substr(eq + 1, semi - eq - 1));
        pos = semi + 1;
    }
    location = {numbers[0], numbers[1], numbers[2], numbers[3]};
    return true;
}

} // namespace quorvik::macro

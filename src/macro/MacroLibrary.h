// The macro library: a fixed three-level tree of folders and macros (folder, folder, macro at the
// deepest), kept as one block of slots that is allocated once. A location maps to its slot by
// arithmetic, so every lookup is constant time. A slot is a 4-byte entry number: what an occupied
// slot holds (its name, flags and record) lives in an entry of its own, so the 219,660 slots take
// 0.9 MiB, and the block's pages stay untouched (and not resident) until a subtree is written.
#pragma once

#include "model/MacroRecord.h"

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::macro {

inline constexpr int kSlotsPerLevel = 60;
inline constexpr int kDepthCount = 3;
inline constexpr std::size_t kDepth1Base = 60;   // first depth-1 slot
inline constexpr std::size_t kDepth2Base = 3660; // first depth-2 slot
inline constexpr std::size_t kLibrarySlotCount = 219660;
static_assert(kDepth1Base == kSlotsPerLevel);
static_assert(kDepth2Base == kDepth1Base + kSlotsPerLevel * kSlotsPerLevel);
static_assert(kLibrarySlotCount == kDepth2Base + std::size_t(kSlotsPerLevel) * kSlotsPerLevel * kSlotsPerLevel);

// The address of a slot. stage -1 means no slot (the root, or nothing selected); indices deeper
// than the stage are 0 in locations the program makes and are not looked at.
struct MacroLocation {
    std::int32_t stage = -1;
    std::int32_t stage0Index = 0;
    std::int32_t stage1Index = 0;
    std::int32_t stage2Index = 0;

    friend bool operator==(const MacroLocation&, const MacroLocation&) = default;

    static MacroLocation None() { return {}; }
    static MacroLocation At(int i) { return {0, i, 0, 0}; }
    static MacroLocation At(int i, int j) { return {1, i, j, 0}; }
    static MacroLocation At(int i, int j, int k) { return {2, i, j, k}; }

    // Stage 0..2 with every index the stage uses in 0..59.
    bool IsInTree() const;
    // The index among its siblings (the index of its own stage); only for locations in the tree.
    int SiblingIndex() const;
    // The same location with the sibling index replaced.
    MacroLocation Sibling(int index) const;
    // The parent's location (stage -1 for depth 0).
    MacroLocation Parent() const;
    // Child `index` of this location (stage -1 means the root, whose children are depth 0).
    MacroLocation Child(int index) const;
};

// What a slot holds. A slot is occupied exactly when its name is not empty; an occupied macro slot
// owns its record, a folder owns none. A free slot reads as an empty node.
struct MacroLibraryNode {
    std::u16string name;
    std::unique_ptr<model::MacroRecord> macro;
    std::uint32_t isFolder = 0;
    std::uint32_t folderIsOpen = 0;

    bool IsOccupied() const { return !name.empty(); }
    bool IsFolderSlot() const { return IsOccupied() && isFolder != 0; }
    bool IsMacroSlot() const { return IsOccupied() && isFolder == 0 && macro != nullptr; }
};

enum class AddResult { Added, NameExists, NotAdded };

class MacroLibrary {
public:
    MacroLibrary();
    MacroLibrary(const MacroLibrary&) = delete;
    MacroLibrary& operator=(const MacroLibrary&) = delete;

    // The slot of a location; nullptr for a location outside the tree. Taking a slot for writing
    // marks its depth-0 subtree as in use and gives a free slot an entry of its own (still free
    // until it gets a name); read-only, a free slot is a shared empty node.
    MacroLibraryNode* SlotAt(const MacroLocation& location);
    const MacroLibraryNode* SlotAt(const MacroLocation& location) const;
    // The slot by its position in the block (0 .. kLibrarySlotCount-1), for walks over a depth.
    const MacroLibraryNode& SlotByIndex(std::size_t index) const {
        const std::uint32_t entry = slots_[index];
        return entry ? *entries_[entry] : FreeSlot();
    }
    // Position in the block of a location inside the tree.
    static std::size_t SlotIndex(const MacroLocation& location);
    // False when nothing in the subtree of depth-0 slot `i` (the slot, its 60 children and their
    // 3,600 children) has been written since it was last emptied: walks over the block skip it.
    bool SubtreeInUse(int i) const { return usedSubtrees_.test(std::size_t(i)); }

    // Whether a child of `parent` (stage -1: the depth-0 slots) is called exactly `name`.
    bool NameExists(std::u16string_view name, const MacroLocation& parent) const;

    // Adds a macro or a folder relative to the current location (the macro manager's selection);
    // on success `current` becomes the new slot. Below a folder at depth 0 or 1 a macro goes into
    // the folder, a folder only below a depth-0 folder; otherwise both go to depth 0.
    AddResult AddMacro(std::u16string_view name, MacroLocation& current);
    AddResult AddFolder(std::u16string_view name, MacroLocation& current);
    // Where AddMacro / AddFolder would put an item for this current location: the parent whose
    // children receive it, or false when nothing may be added there.
    bool MacroTarget(const MacroLocation& current, MacroLocation& parent) const;
    bool FolderTarget(const MacroLocation& current, MacroLocation& parent) const;

    // Places an item at an exact slot, replacing what was there; for the file readers, which
    // trust the file's locations. Refused for a location outside the tree or an empty name.
    bool AddMacroAt(const MacroLocation& location, std::u16string name, std::unique_ptr<model::MacroRecord> macro);
    bool AddFolderAt(const MacroLocation& location, std::u16string name, bool open);

    // Frees the slot with everything below it and closes the gap among its siblings, moving the
    // following siblings together with their children. False for a location outside the tree.
    bool Remove(const MacroLocation& location);
    // Empties every slot. The next macro index stays; readers set it from the file.
    void Clear();
    // Refused (NameExists) when a sibling already has the name; NotAdded for a free slot or a
    // name that cannot be stored.
    AddResult Rename(const MacroLocation& location, std::u16string_view name);

    std::uint32_t NextMacroIndex() const { return nextMacroIndex_; }
    void SetNextMacroIndex(std::uint32_t value) { nextMacroIndex_ = value; }

    // Number of occupied slots (a walk over the whole block; for tests and tools).
    std::size_t CountOccupied() const;
    // Entries in use: occupied slots plus free slots that were taken for writing. Freed entries are
    // used again, so this never grows beyond the slots that were ever held at one time.
    std::size_t EntryCount() const { return entries_.size() - 1 - freeEntries_.size(); }
    // Bytes of the block itself (what an empty library costs at most).
    static constexpr std::size_t kBlockBytes = kLibrarySlotCount * sizeof(std::uint32_t);

private:
    AddResult AddChild(const MacroLocation& parent, std::u16string_view name, bool folder, MacroLocation& current);
    static bool IsStorableName(std::u16string_view name);
    // The node of block position `slot`, given an entry when it has none.
    MacroLibraryNode& writableSlot(std::size_t slot);
    // Frees the entry of block position `slot` (nothing for a free slot).
    void freeSlot(std::size_t slot);

    struct FreeBlock {
        void operator()(std::uint32_t* block) const;
    };
    // What a free slot reads as.
    static const MacroLibraryNode& FreeSlot();

    // Entry number per slot, 0 for a free slot. Allocated zeroed by the system (calloc), so the
    // pages of subtrees never written are never touched.
    std::unique_ptr<std::uint32_t[], FreeBlock> slots_;
    // Entry 0 stands for "free" and is never handed out.
    std::vector<std::unique_ptr<MacroLibraryNode>> entries_;
    std::vector<std::uint32_t> freeEntries_;
    // Clearing, counting and writing touch only these subtrees, not all 219,660 slots.
    std::bitset<kSlotsPerLevel> usedSubtrees_;
    std::uint32_t nextMacroIndex_ = 1;
};

// The library the program edits, its second instance that holds a file being imported, and the
// macro manager's selection in the library; all three live for the whole run.
MacroLibrary& TheMacroLibrary();
MacroLibrary& TheImportTree();
MacroLocation& CurrentMacroLocation();

} // namespace quorvik::macro

#include "macro/MacroLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

namespace quorvik::macro {

namespace {

bool InLevel(std::int32_t index) {
    return index >= 0 && index < kSlotsPerLevel;
}

// One level of the block as seen from a group of siblings: where sibling 0's share of that level
// starts and how many slots each sibling owns there (1 at its own depth, 60 or 3,600 below).
struct LevelSpan {
    std::size_t base;
    std::size_t unit;
};

} // namespace

bool MacroLocation::IsInTree() const {
    switch (stage) {
    case 0:
        return InLevel(stage0Index);
    case 1:
        return InLevel(stage0Index) && InLevel(stage1Index);
    case 2:
        return InLevel(stage0Index) && InLevel(stage1Index) && InLevel(stage2Index);
    default:
        return false;
    }
}

int MacroLocation::SiblingIndex() const {
    return stage == 0 ? stage0Index : stage == 1 ? stage1Index : stage2Index;
}

MacroLocation MacroLocation::Sibling(int index) const {
    switch (stage) {
    case 0:
        return At(index);
    case 1:
        return At(stage0Index, index);
    default:
        return At(stage0Index, stage1Index, index);
    }
}

MacroLocation MacroLocation::Parent() const {
    switch (stage) {
    case 1:
        return At(stage0Index);
    case 2:
        return At(stage0Index, stage1Index);
    default:
        return None();
    }
}

MacroLocation MacroLocation::Child(int index) const {
    switch (stage) {
    case 0:
        return At(stage0Index, index);
    case 1:
        return At(stage0Index, stage1Index, index);
    case 2:
        return {3, stage0Index, stage1Index, stage2Index}; // below the deepest level: outside the tree
    default:
        return At(index);
    }
}

// Made on first use: a library built during static initialisation may already read it.
const MacroLibraryNode& MacroLibrary::FreeSlot() {
    static const MacroLibraryNode node{};
    return node;
}

void MacroLibrary::FreeBlock::operator()(std::uint32_t* block) const {
    std::free(block);
}

MacroLibrary::MacroLibrary()
    : slots_(static_cast<std::uint32_t*>(std::calloc(kLibrarySlotCount, sizeof(std::uint32_t)))), entries_(1) {
    if (!slots_)
        throw std::bad_alloc();
}

MacroLibraryNode& MacroLibrary::writableSlot(std::size_t slot) {
    std::uint32_t& entry = slots_[slot];
    if (entry)
        return *entries_[entry];
    if (!freeEntries_.empty()) {
        entry = freeEntries_.back();
        freeEntries_.pop_back();
        entries_[entry] = std::make_unique<MacroLibraryNode>();
    } else {
        entry = std::uint32_t(entries_.size());
        entries_.push_back(std::make_unique<MacroLibraryNode>());
    }
    return *entries_[entry];
}

void MacroLibrary::freeSlot(std::size_t slot) {
    std::uint32_t& entry = slots_[slot];
    if (!entry)
        return;
    entries_[entry].reset(); // the name and the record go with it
    freeEntries_.push_back(entry);
    entry = 0;
}

std::size_t MacroLibrary::SlotIndex(const MacroLocation& l) {
    const std::size_t i = std::size_t(l.stage0Index), j = std::size_t(l.stage1Index), k = std::size_t(l.stage2Index);
    switch (l.stage) {
    case 0:
        return i;
    case 1:
        return kDepth1Base + i * kSlotsPerLevel + j;
    default:
        return kDepth2Base + i * kSlotsPerLevel * kSlotsPerLevel + j * kSlotsPerLevel + k;
    }
}

MacroLibraryNode* MacroLibrary::SlotAt(const MacroLocation& location) {
    if (!location.IsInTree())
        return nullptr;
    usedSubtrees_.set(std::size_t(location.stage0Index));
    return &writableSlot(SlotIndex(location));
}

const MacroLibraryNode* MacroLibrary::SlotAt(const MacroLocation& location) const {
    return location.IsInTree() ? &SlotByIndex(SlotIndex(location)) : nullptr;
}

bool MacroLibrary::NameExists(std::u16string_view name, const MacroLocation& parent) const {
    if (parent.stage >= 2)
        return false;
    if (parent.stage >= 0 && !parent.IsInTree())
        return false;
    for (int k = 0; k < kSlotsPerLevel; ++k) {
        const MacroLibraryNode* child = SlotAt(parent.Child(k));
        if (child->IsOccupied() && child->name == name)
            return true;
    }
    return false;
}

bool MacroLibrary::MacroTarget(const MacroLocation& current, MacroLocation& parent) const {
    const MacroLibraryNode* node = SlotAt(current);
    if (node && node->IsFolderSlot()) {
        if (current.stage == 2)
            return false;
        parent = current.Sibling(current.SiblingIndex()); // drops stale deeper indices
        return true;
    }
    parent = MacroLocation::None();
    return true;
}

bool MacroLibrary::FolderTarget(const MacroLocation& current, MacroLocation& parent) const {
    const MacroLibraryNode* node = SlotAt(current);
    if (node && node->IsFolderSlot()) {
        if (current.stage != 0)
            return false; // folders stop at depth 1
        parent = MacroLocation::At(current.stage0Index);
        return true;
    }
    parent = MacroLocation::None();
    return true;
}

AddResult MacroLibrary::AddMacro(std::u16string_view name, MacroLocation& current) {
    MacroLocation parent;
    if (!MacroTarget(current, parent))
        return AddResult::NotAdded;
    return AddChild(parent, name, false, current);
}

AddResult MacroLibrary::AddFolder(std::u16string_view name, MacroLocation& current) {
    MacroLocation parent;
    if (!FolderTarget(current, parent))
        return AddResult::NotAdded;
    return AddChild(parent, name, true, current);
}

bool MacroLibrary::IsStorableName(std::u16string_view name) {
    // An empty name would mark the slot free; a line feed would split the name line of the file
    // and make everything after it unreadable.
    return !name.empty() && name.find(u'\n') == std::u16string_view::npos;
}

AddResult MacroLibrary::AddChild(const MacroLocation& parent, std::u16string_view name, bool folder,
                                 MacroLocation& current) {
    if (!IsStorableName(name))
        return AddResult::NotAdded;
    if (NameExists(name, parent))
        return AddResult::NameExists;
    for (int k = 0; k < kSlotsPerLevel; ++k) {
        MacroLocation where = parent.Child(k);
        if (std::as_const(*this).SlotAt(where)->IsOccupied())
            continue;
        MacroLibraryNode& node = *SlotAt(where);
        node.name.assign(name);
        node.isFolder = folder ? 1 : 0;
        node.folderIsOpen = 0;
        node.macro.reset();
        if (!folder) {
            node.macro = std::make_unique<model::MacroRecord>();
            node.macro->name.assign(name);
            node.macro->MacroKeyIndex = nextMacroIndex_++;
        }
        current = where;
        return AddResult::Added;
    }
    return AddResult::NotAdded;
}

bool MacroLibrary::AddMacroAt(const MacroLocation& location, std::u16string name,
                              std::unique_ptr<model::MacroRecord> macro) {
    if (!location.IsInTree() || !macro || !IsStorableName(name))
        return false;
    MacroLibraryNode* node = SlotAt(location);
    node->name = std::move(name);
    node->macro = std::move(macro);
    node->isFolder = 0;
    node->folderIsOpen = 0;
    return true;
}

bool MacroLibrary::AddFolderAt(const MacroLocation& location, std::u16string name, bool open) {
    if (!location.IsInTree() || !IsStorableName(name))
        return false;
    MacroLibraryNode* node = SlotAt(location);
    node->name = std::move(name);
    node->macro.reset();
    node->isFolder = 1;
    node->folderIsOpen = open ? 1 : 0;
    return true;
}

bool MacroLibrary::Remove(const MacroLocation& location) {
    if (!location.IsInTree())
        return false;
    const std::size_t i = std::size_t(location.stage0Index), j = std::size_t(location.stage1Index);
    constexpr std::size_t n60 = kSlotsPerLevel;
    const std::size_t n = std::size_t(location.SiblingIndex());
    // The following siblings to move: all of them, except that at depth 0 the subtrees that were
    // never used are known to be empty and need not move.
    std::size_t last = n60 - 1;
    if (location.stage == 0) {
        while (last > n && !usedSubtrees_.test(last))
            --last;
    }
    // The removed slot's level and every level below it. The children of consecutive siblings
    // lie in consecutive blocks, so one move per level shifts the following siblings together
    // with their subtrees.
    LevelSpan spans[kDepthCount];
    int levels = 0;
    switch (location.stage) {
    case 0:
        spans[levels++] = {0, 1};
        spans[levels++] = {kDepth1Base, n60};
        spans[levels++] = {kDepth2Base, n60 * n60};
        break;
    case 1:
        spans[levels++] = {kDepth1Base + i * n60, 1};
        spans[levels++] = {kDepth2Base + i * n60 * n60, n60};
        break;
    default:
        spans[levels++] = {kDepth2Base + i * n60 * n60 + j * n60, 1};
        break;
    }
    std::uint32_t* block = slots_.get();
    for (int l = 0; l < levels; ++l) {
        const LevelSpan& s = spans[l];
        // The removed sibling's share lets go of its names and records, then the following
        // siblings' entry numbers move over it.
        for (std::size_t p = s.base + n * s.unit; p != s.base + (n + 1) * s.unit; ++p)
            freeSlot(p);
        std::copy(block + s.base + (n + 1) * s.unit, block + s.base + (last + 1) * s.unit, block + s.base + n * s.unit);
        if (last > n)
            std::fill(block + s.base + last * s.unit, block + s.base + (last + 1) * s.unit, 0u);
    }
    if (location.stage == 0) {
        for (std::size_t m = n; m < last; ++m)
            usedSubtrees_.set(m, usedSubtrees_.test(m + 1));
        usedSubtrees_.reset(last);
    }
    return true;
}

void MacroLibrary::Clear() {
    // Every slot of every used subtree, not only the occupied depth-0 ones: a file may have
    // placed items below free slots, and they must not survive into the next file written.
    constexpr std::size_t n60 = kSlotsPerLevel;
    for (std::size_t i = 0; i < n60; ++i) {
        if (!usedSubtrees_.test(i))
            continue;
        slots_[i] = 0;
        std::fill(&slots_[kDepth1Base + i * n60], &slots_[kDepth1Base + (i + 1) * n60], 0u);
        std::fill(&slots_[kDepth2Base + i * n60 * n60], &slots_[kDepth2Base + (i + 1) * n60 * n60], 0u);
    }
    usedSubtrees_.reset();
    // Only used subtrees hold entries: every entry went with them.
    entries_.clear();
    entries_.resize(1);
    freeEntries_.clear();
}

AddResult MacroLibrary::Rename(const MacroLocation& location, std::u16string_view name) {
    const MacroLibraryNode* held = std::as_const(*this).SlotAt(location);
    if (!held || !held->IsOccupied() || !IsStorableName(name))
        return AddResult::NotAdded;
    if (held->name == name)
        return AddResult::Added;
    if (NameExists(name, location.Parent()))
        return AddResult::NameExists;
    SlotAt(location)->name.assign(name);
    return AddResult::Added;
}

std::size_t MacroLibrary::CountOccupied() const {
    constexpr std::size_t n60 = kSlotsPerLevel;
    std::size_t count = 0;
    for (std::size_t i = 0; i < n60; ++i) {
        if (!usedSubtrees_.test(i))
            continue;
        count += SlotByIndex(i).IsOccupied() ? 1 : 0;
        for (std::size_t s = kDepth1Base + i * n60; s < kDepth1Base + (i + 1) * n60; ++s)
            count += SlotByIndex(s).IsOccupied() ? 1 : 0;
        for (std::size_t s = kDepth2Base + i * n60 * n60; s < kDepth2Base + (i + 1) * n60 * n60; ++s)
            count += SlotByIndex(s).IsOccupied() ? 1 : 0;
    }
    return count;
}

MacroLibrary& TheMacroLibrary() {
    static MacroLibrary library;
    return library;
}

MacroLibrary& TheImportTree() {
    static MacroLibrary tree;
    return tree;
}

MacroLocation& CurrentMacroLocation() {
    static MacroLocation current;
    return current;
}

} // namespace quorvik::macro

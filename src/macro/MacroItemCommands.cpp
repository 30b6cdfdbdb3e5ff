#include "macro/MacroItemCommands.h"

#include "macro/MacroFiles.h"

#include <vector>

namespace quorvik::macro {

namespace {

// Empties the import tree on every way out of an import.
class ImportTreeScope {
public:
    explicit ImportTreeScope(MacroLibrary& tree) : tree_(tree) {}
    ~ImportTreeScope() { tree_.Clear(); }
    ImportTreeScope(const ImportTreeScope&) = delete;
    ImportTreeScope& operator=(const ImportTreeScope&) = delete;

private:
    MacroLibrary& tree_;
};

// What an import brings into a macro the add has just created: everything but the name and the
// serial number, which stay the library's own.
void CopyMacroData(const model::MacroRecord& from, model::MacroRecord& to) {
    to.MacroKeyLoopType = from.MacroKeyLoopType;
    to.MacroKeyLoopNum = from.MacroKeyLoopNum;
    to.MacroCommandActionNum = from.MacroCommandActionNum;
    to.MacroActionNum = from.MacroActionNum;
    to.actions = from.actions;
}

// Adds a macro named like `source` relative to `from` and copies its data; `added` receives the
// new slot.
AddResult AddImportedMacro(MacroLibrary& library, const MacroLibraryNode& source, const MacroLocation& from,
                           MacroLocation& added) {
    added = from;
    AddResult r = library.AddMacro(source.name, added);
    if (r == AddResult::Added)
        CopyMacroData(*source.macro, *library.SlotAt(added)->macro);
    return r;
}

void OpenIfFolder(MacroLibrary& library, const MacroLocation& location) {
    MacroLibraryNode* node = library.SlotAt(location);
    if (node && node->IsFolderSlot())
        node->folderIsOpen = 1;
}

std::u16string FileNameFor(std::u16string name, std::u16string_view extension) {
    // A "/" would turn the proposed name into a path into some folder.
    for (char16_t& c : name)
        if (c == u'/' || c == u'\0')
            c = u'_';
    return name + std::u16string(extension);
}

ItemCommandResult FromAdd(AddResult r) {
    return r == AddResult::NameExists ? ItemCommandResult::NameExists : ItemCommandResult::NotAdded;
}

} // namespace

std::u16string ProposedMacroFileName(const MacroLibrary& library, const MacroLocation& current) {
    const MacroLibraryNode* node = library.SlotAt(current);
    if (!node || !node->IsMacroSlot())
        return {};
    // The slot's name is what the user sees; the record keeps its old name after a rename.
    return FileNameFor(node->name, u".mkf");
}

std::u16string ProposedItemsFileName(const MacroLibrary& library, const MacroLocation& current) {
    const MacroLibraryNode* node = library.SlotAt(current);
    if (!node || !node->IsOccupied())
        return u"AllMacroKey.mbf";
    return FileNameFor(node->name, u".mbf");
}

ItemCommandOutcome ExportMacro(const MacroLibrary& library, const MacroLocation& current, const std::string& path) {
    const MacroLibraryNode* node = library.SlotAt(current);
    if (!node || !node->IsMacroSlot())
        return {ItemCommandResult::NoMacroSelected, current};
    if (!WriteMacroLibraryFile(library, path, current))
        return {ItemCommandResult::WriteFailed, current};
    return {ItemCommandResult::Done, current};
}

ItemCommandOutcome ExportItems(const MacroLibrary& library, const MacroLocation& current, const std::string& path) {
    if (!WriteMacroLibraryFile(library, path, current))
        return {ItemCommandResult::WriteFailed, current};
    return {ItemCommandResult::Done, current};
}

ItemCommandOutcome ImportMacro(MacroLibrary& library, MacroLibrary& importTree, const MacroLocation& current,
                               const std::string& path) {
    ImportTreeScope scope(importTree);
    MacroLocation fileLocation;
    model::FileProblem problem;
    if (ReadMacroImportFile(importTree, path, &fileLocation, &problem) == ReadStatus::NotOpened)
        return {ItemCommandResult::FileUnreadable, current, problem};
    const MacroLibrary& tree = importTree; // looked at only
    // Files the program writes point at a macro; anything else (a folder, a free slot, no slot)
    // is not imported.
    const MacroLibraryNode* source = tree.SlotAt(fileLocation);
    if (!source || !source->IsMacroSlot())
        return {ItemCommandResult::NothingToImport, current};
    MacroLocation added;
    AddResult r = AddImportedMacro(library, *source, current, added);
    if (r != AddResult::Added)
        return {FromAdd(r), current};
    OpenIfFolder(library, current);
    return {ItemCommandResult::Done, added};
}

ItemCommandOutcome ImportItems(MacroLibrary& library, MacroLibrary& importTree, const MacroLocation& current,
                               const std::string& path) {
    ImportTreeScope scope(importTree);
    MacroLocation fileLocation;
    model::FileProblem problem;
    if (ReadMacroImportFile(importTree, path, &fileLocation, &problem) == ReadStatus::NotOpened)
        return {ItemCommandResult::FileUnreadable, current, problem};
    const MacroLibrary& tree = importTree; // looked at only

    // The items in slot order: every top-level item, a folder alone, or a run of siblings.
    std::vector<MacroLocation> items;
    if (fileLocation.stage < 0) {
        for (int i = 0; i < kSlotsPerLevel; ++i)
            if (tree.SlotAt(MacroLocation::At(i))->IsOccupied())
                items.push_back(MacroLocation::At(i));
    } else if (const MacroLibraryNode* node = tree.SlotAt(fileLocation)) {
        if (node->IsFolderSlot()) {
            items.push_back(fileLocation);
        } else {
            for (int k = fileLocation.SiblingIndex(); k < kSlotsPerLevel; ++k) {
                MacroLocation sibling = fileLocation.Sibling(k);
                if (!tree.SlotAt(sibling)->IsOccupied())
                    break;
                items.push_back(sibling);
            }
        }
    }
    if (items.empty())
        return {ItemCommandResult::NothingToImport, current};

    // All names are checked first, so that a clash imports nothing at all.
    for (const MacroLocation& item : items) {
        const MacroLibraryNode& node = *tree.SlotAt(item);
        MacroLocation parent;
        bool placeable =
            node.IsFolderSlot() ? library.FolderTarget(current, parent) : library.MacroTarget(current, parent);
        if (placeable && library.NameExists(node.name, parent))
            return {ItemCommandResult::NameExists, current};
    }

    bool anyAdded = false;
    MacroLocation last = current;
    for (const MacroLocation& item : items) {
        const MacroLibraryNode& node = *tree.SlotAt(item);
        MacroLocation added;
        if (!node.IsFolderSlot()) {
            if (AddImportedMacro(library, node, current, added) == AddResult::Added) {
                last = added;
                anyAdded = true;
            }
            continue;
        }
        // Folders come over only while a depth-0 item is current, and bring the macros directly
        // inside them; folders nested in them stay behind.
        if (current.stage != 0)
            continue;
        added = current;
        if (library.AddFolder(node.name, added) != AddResult::Added)
            continue;
        last = added;
        anyAdded = true;
        const MacroLocation folder = added;
        for (int k = 0; k < kSlotsPerLevel; ++k) {
            // Nothing lies below the deepest level, whatever the file claims is a folder there.
            const MacroLibraryNode* child = tree.SlotAt(item.Child(k));
            if (!child || !child->IsOccupied())
                break;
            MacroLocation inner;
            if (child->IsMacroSlot())
                AddImportedMacro(library, *child, folder, inner);
        }
    }
    if (!anyAdded)
        return {ItemCommandResult::NotAdded, current};
    OpenIfFolder(library, current);
    return {ItemCommandResult::Done, last};
}

} // namespace quorvik::macro

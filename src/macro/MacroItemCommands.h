// The library side of the macro manager's four file commands: export one macro (".mkf"), import
// one macro, export items (".mbf"), import items. The manager asks for the path with its file
// dialogs and turns the result into its message; these functions do the rest.
#pragma once

#include "macro/MacroLibrary.h"
#include "model/FileProblems.h"

#include <string>

namespace quorvik::macro {

enum class ItemCommandResult {
    Done,
    NoMacroSelected, // export macro with no macro at the current location: nothing written
    NameExists,      // an imported name is taken at the target (the manager shows language text 241)
    NotAdded,        // the target level is full or takes no items: nothing changed, nothing shown
    NothingToImport, // the file holds nothing at the place it points to
    FileUnreadable,  // the file could not be opened as a macro file: `problem` says why
    WriteFailed,     // the export file could not be written
};

struct ItemCommandOutcome {
    ItemCommandResult result;
    MacroLocation current;        // the new current location (unchanged unless something was added)
    model::FileProblem problem{}; // for FileUnreadable
};

// "<name>.mkf" for the macro at the current location; empty when it holds no macro.
std::u16string ProposedMacroFileName(const MacroLibrary& library, const MacroLocation& current);
// "<name>.mbf" for the current slot, "AllMacroKey.mbf" when nothing is selected.
std::u16string ProposedItemsFileName(const MacroLibrary& library, const MacroLocation& current);

// Writes the whole library pointing at the current macro.
ItemCommandOutcome ExportMacro(const MacroLibrary& library, const MacroLocation& current, const std::string& path);
// Adds the macro the file points at, as a new macro at the current location with its own serial
// number. The import tree is left empty afterwards.
ItemCommandOutcome ImportMacro(MacroLibrary& library, MacroLibrary& importTree, const MacroLocation& current,
                               const std::string& path);
// Writes the whole library pointing at the current location.
ItemCommandOutcome ExportItems(const MacroLibrary& library, const MacroLocation& current, const std::string& path);
// Merges the items the file points at (every top-level item when it points nowhere, a folder with
// its macros, or a run of siblings) at the current location; nothing at all when any name is taken.
ItemCommandOutcome ImportItems(MacroLibrary& library, MacroLibrary& importTree, const MacroLocation& current,
                               const std::string& path);

} // namespace quorvik::macro

// The macro library file ("config/MacroLibraryFile.mlf" in the data folder) and the two export
// files (".mkf" one macro, ".mbf" several items) share one UTF-16 text layout:
//
//   [MacroLibrary]
//   MacroKeyIndex=<next macro index>
//   Select Locaton:stage=<s>;stage0Index=<i>;stage1Index=<j>;stage2Index=<k>;
//   one block per occupied slot: all depth-0 slots, then depth 1, then depth 2, in slot order,
//   every line of a depth-d block starting with d TABs:
//     ++++++++MacroItemName=<name>
//     MacroItemLocation:stage=..;stage0Index=..;stage1Index=..;stage2Index=..;
//     MacroItemIsFolder=<0|1>
//     MacroItemFolderIsOpen=<0|1>
//     and for a macro: MacroKeyIndex, MacroKeyLoopType, MacroKeyLoopNum, MacroActionNum,
//     MacroCommandActionNum, AllAction=<2,688 upper-case hex digits: 336 entries b0 b1 b2 b3>
//
// Lines are read by position: a value is the text after the first "=", key words are never
// compared ("Locaton" is what the files have always said).
#pragma once

#include "macro/MacroLibrary.h"
#include "model/FileProblems.h"

#include <string>

namespace quorvik::macro {

// Hex digits of the action line: 336 entries of 8 digits.
inline constexpr std::size_t kActionLineDigits = model::kMaxMacroActions * 8;
static_assert(kActionLineDigits == 2688);

// DataFolder() + "config/MacroLibraryFile.mlf".
std::string MacroLibraryFilePath();

// Writes the whole library with `location` on the location line (stage -1 for the library file,
// the selection for export files). False when the file could not be created or not completely
// written; the previous file is then left as it was, and `problem` says why.
bool WriteMacroLibraryFile(const MacroLibrary& library, const std::string& path, const MacroLocation& location,
                           model::FileProblem* problem = nullptr);
// The program's library to its file, location line stage -1; the outcome goes to the settings'
// save reporting.
bool SaveMacroLibraryFile();

enum class ReadStatus {
    Complete,  // the file ended after a complete block (or after the header of an empty library)
    Damaged,   // reading stopped at a damaged line; the items before it were kept
    NotOpened, // the file could not be opened; the target is unchanged
};

// Clears `target` once the file is open, then fills it from the file, trusting the file's
// locations (items outside the tree, and folders at the deepest level, are dropped). The next macro
// index comes from the file.
// `fileLocation` receives the location line (stage -1 when the file ends before it). Only a
// regular file is read; `problem` says why one was not opened, or what failed while reading.
ReadStatus ReadMacroLibrary(MacroLibrary& target, const std::string& path, MacroLocation* fileLocation,
                            model::FileProblem* problem = nullptr);
// The same for an export file the user gives to import: opened for reading only, and refused
// (NotOpened) when it is larger than kMacroFileLimit, also should it grow so while being read.
ReadStatus ReadMacroImportFile(MacroLibrary& target, const std::string& path, MacroLocation* fileLocation,
                               model::FileProblem* problem);
inline bool ReadMacroLibraryFile(MacroLibrary& target, const std::string& path, MacroLocation* fileLocation) {
    return ReadMacroLibrary(target, path, fileLocation) == ReadStatus::Complete;
}
// Reads the library file into TheMacroLibrary(); a missing file leaves the library unchanged. A
// damaged file is copied to "MacroLibraryFile.mlf.unreadable" before a later save replaces it;
// while that copy cannot be made, every write to the file tries it again and, failing, reports
// false and leaves the damaged file as it is.
bool ReadMacroLibraryAtStartup();

// The location line's layout, read by position: the text between the n-th "=" and the ";" that
// follows it is the n-th number. False when a pair is missing.
bool ParseMacroLocation(std::u16string_view line, MacroLocation& location);

} // namespace quorvik::macro

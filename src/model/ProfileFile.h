// Profile files (".psf"): one profile record as 99 UTF-16 lines, "[Setting]" then name=value lines
// read by position. The slot files live at the configuration's ProfileSlot{s}URL paths; the same
// format serves export and import.
#pragma once

#include "model/FileProblems.h"
#include "model/ProfileRecord.h"

#include <string>

namespace quorvik::model {

inline constexpr int kProfileFileLineCount = 99;
// Every AllAction value holds all 336 action words as eight hex digits each.
inline constexpr std::size_t kAllActionChars = model::kMaxMacroActions * 8;

// The file's text (the 99 lines, each ending in a line feed) for `record`.
std::u16string FormatProfileText(const ProfileRecord& record);

// `record` to `path`. False when the file could not be written, or when a text of the record would
// not read back as written (a line feed in a text, which the record's setters never let in; a pair
// name that is empty or holds "="); the old file is then kept, and `problem` says why.
bool WriteProfileRecord(const ProfileRecord& record, const std::string& path, FileProblem* problem = nullptr);
// How a file is opened for reading: read-and-write, as the slot files always were (a slot file the
// user may not write is not used), or read-only, for a file the user only gives to import.
enum class ReadAccess { ReadWrite, ReadOnly };

// Fills `record` from `path` line by line, without any fallback. False when the file is missing or
// cannot be opened with `access` (with ReadWrite: not writable), its first line is not "[Setting]", a line lacks a
// required "=" or value, an AllAction value is not 2688 characters, or the file ends early; `record` then holds
// whatever was read before the fault. A button's macro keeps its serial number and loop settings; its event count is
// derived from the actions read. Only a regular file of at most kProfileFileLimit bytes is read. `problem` says what
// failed: the open (missing, not a regular file, too large, no access), or Damaged for a file that is not a profile.
bool ReadProfileRecord(ProfileRecord& record, const std::string& path, ReadAccess access = ReadAccess::ReadWrite,
                       FileProblem* problem = nullptr);

// Record `slot` (0..4) to `path` (an export, or the slot's own file).
bool WriteProfile(int slot, const std::string& path);
// Record `slot` (0..4) to its own file, ProfileSlot{slot}URL; the outcome goes to the settings'
// save reporting (NoteSettingsSave).
bool SaveProfile(int slot);
// Record `slot` (0..4) from `path`: the slot's own file is opened for reading and writing, any other
// (an import) for reading only, so that a read-only file, or one on read-only media, imports. On
// any failure the record becomes the slot's factory profile,
// which is written to the slot's own file (ProfileSlot{slot}URL, not `path`), and the result is
// false. The slot file's old contents are kept beside it first: as "<file>.unreadable" when it was
// the file that failed, as "<file>.before-import" when another file failed to import. When that
// copy cannot be made the slot file is not touched.
bool ReadProfile(int slot, const std::string& path);
// The import of `path` into `slot`. A file that cannot be opened as a profile (missing, not a
// regular file, larger than kProfileFileLimit, not readable) changes nothing and is refused with
// its problem; one that is read but is not a profile (Damaged) gives the slot its factory profile
// as ReadProfile does. None when the profile was imported.
FileProblem ImportProfile(int slot, const std::string& path);
// The five records, slot 0 first, each saved to its ProfileSlot{s}URL. True when all five were written.
bool SaveAllProfiles();

} // namespace quorvik::model

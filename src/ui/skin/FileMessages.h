// The window's words for files that could not be used: an import refused, settings that could not
// be saved, a data folder of another user, a damaged installation. Each names the file and says
// what is wrong with it in the loaded language.
#pragma once

#include "model/FileProblems.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::ui {

// Language texts of the file messages.
inline constexpr int kTextImportRefused = 430; // %1 file, %2 reason
inline constexpr int kTextSaveFailed = 431;    // %1 files, %2 reason
inline constexpr int kTextReasonMissing = 432;
inline constexpr int kTextReasonNotAFile = 433;
inline constexpr int kTextReasonTooLarge = 434; // %1 MiB
inline constexpr int kTextReasonNoAccess = 435;
inline constexpr int kTextReasonReadOnlyMedium = 436;
inline constexpr int kTextReasonDiskFull = 437;
inline constexpr int kTextReasonDamaged = 438;
inline constexpr int kTextReasonNotCopied = 439;
inline constexpr int kTextForeignDataFolder = 440;  // %1 folder, %2 its owner
inline constexpr int kTextBrokenInstallation = 441; // %1 how many files, %2 the first

// `text` with %1 … %9 replaced by `values` in one pass (a value holding "%2" stays as it is).
std::u16string WithValues(std::u16string_view text, std::initializer_list<std::u16string_view> values);

// What is wrong, as a clause ("it is not a regular file"); the system's own words for faults the
// language has no text for.
std::u16string ProblemWords(const model::FileProblem& problem);

// "%1 cannot be imported: %2."
std::u16string ImportRefusedMessage(const std::string& path, const model::FileProblem& problem);

// One paragraph per kind of fault, naming its files: those in one folder as the folder and
// their names.
std::u16string SaveFailureMessage(const std::vector<model::SaveFailure>& failures);

// "The installation is damaged: …", told once at start; in English when the language file
// itself is among the damage and has no words for it.
std::u16string BrokenInstallationMessage(int fileCount, const std::string& firstPath);

} // namespace quorvik::ui

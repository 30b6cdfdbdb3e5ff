// The 500 numbered interface texts and the interface font they imply.
#pragma once

#include <string>
#include <vector>

namespace quorvik::model {

inline constexpr int kLanguageTextCount = 500;

// Reads "config/LanSetting.ini" and the language file it selects from the data folder, and sets
// the interface font. Returns true when the chosen language file was read to its end.
bool LoadLanguageTables();

// Text number n; empty when the language file did not provide it or n is outside 0..499.
const std::u16string& LanguageText(int n);

// The interface font globals the skinned controls create their fonts from.
const std::u16string& FontFace();
int FontHeight();
int FontCharSet();

// Back to the state before any load (tests, and a reload).
void ResetLanguageTables();

// A language file looked at as its loader reads it, for a report of a damaged installation.
struct LanguageFileCheck {
    // Empty when the file is sound; else what is wrong: "missing", "empty", "not UTF-16 …",
    // "line 12 is not a numbered text …", "it ends in the middle of a line (cut short)", ….
    std::string problem;
    std::vector<int> indices; // the text numbers it holds, up to the first fault, ascending
};
LanguageFileCheck CheckLanguageFile(const std::string& path);

// The language file the last load chose (full path), and what was wrong with it (empty when it
// was sound).
const std::string& LoadedLanguageFile();
const std::string& LoadedLanguageProblem();

} // namespace quorvik::model

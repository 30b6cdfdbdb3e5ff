// The 500 numbered interface texts and the interface font they imply.
#pragma once

#include <string>

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

} // namespace quorvik::model

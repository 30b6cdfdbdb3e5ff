// A language file with just the texts the factory profile takes its names from, loaded from a
// test's own data folder, so profile tests do not depend on the delivered wording.
#pragma once

#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <filesystem>

namespace quorvik::test {

// Writes "config/LanSetting.ini" and "config/Lan_EN.txt" into `dir`, makes it the data folder and
// loads the language. True when the load succeeded.
inline bool LoadSmallEnglishLanguage(const TempDir& dir) {
    std::filesystem::create_directories(dir.path() / "config");
    writeBytes(dir.path() / "config/LanSetting.ini", utf16File(u"[ChangeLanguage]\nLanguage=EN\n"));
    writeBytes(dir.path() / "config/Lan_EN.txt",
               utf16File(u"[Setting]\n0=English\n20=Left\n21=Right\n22=Middle\n23=Forward\n"
                         u"24=Back\n26=Fire\n42=DPI+\n85=Game\n86=Work\n87=Office\n88=Movie\n"
                         u"89=Spare\n100=Breathing\n"));
    platform::SetDataFolder(dir.str());
    model::ResetLanguageTables();
    return model::LoadLanguageTables();
}

} // namespace quorvik::test

#include "app/StartupLoad.h"

#include "macro/MacroFiles.h"
#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/StdioFileEx.h"
#include "platform/DataFolders.h"
#include "platform/ProcessGlobals.h"

#include <vector>

namespace quorvik::app {

StartupPaths DefaultStartupPaths() {
    return {platform::ResolveProgramFolder(), platform::ResolveDataFolder()};
}

LoadResult LoadSettingsModel(const StartupPaths& paths) {
    LoadResult result;
    if (!paths.programFolder.empty())
        platform::SetProgramFolder(paths.programFolder);
    if (paths.dataFolder.empty()) {
        // Nowhere to keep settings (no home folder): factory settings in memory, and no slot path,
        // so that no later save writes into whatever the working folder is.
        model::SetFactoryConfiguration();
        for (int s = 0; s < model::kProfileSlotCount; ++s) {
            model::Config().SetValue(model::kCfgProfileSlot0URL + s, u"");
            model::Profile(s).ResetToFactory(unsigned(s));
        }
        model::SetSensorIdentifier(model::Config().SensorValue());
        model::SetCurrentSlot(model::Config().CurrentProfileSlot());
        return result;
    }
    platform::SetDataFolder(paths.dataFolder);
    // A folder that cannot be created is not reported; the file steps below then fall back.
    result.dataFolderReady = platform::EnsureDataFolder(platform::DataFolder());
    if (result.dataFolderReady)
        result.deliveredFilesCopied = platform::CopyDeliveredFiles(paths.programFolder, platform::DataFolder());
    // A save killed before its rename left its temporary file; our own names only.
    std::vector<std::string> ownFiles{model::ConfigFilePath(), macro::MacroLibraryFilePath(),
                                      model::AppRulesFilePath()};
    for (int s = 0; s < model::kProfileSlotCount; ++s)
        ownFiles.push_back(platform::DataFolder() + "config/default" + std::to_string(s) + ".psf");
    result.leftoversRemoved = model::RemoveSaveLeftovers(ownFiles);
    // Earlier builds named them "<name>.XXXXXX"; only our own names in the data folder, never a
    // slot file the user moved elsewhere, whose folder may hold anything.
    result.leftoversRemoved += model::RemoveEarlierSaveLeftovers(ownFiles);
    // The factory profile names come from the language, so it goes first.
    result.languageLoaded = model::LoadLanguageTables();
    result.macroLibraryLoaded = macro::ReadMacroLibraryAtStartup();
    static_cast<model::ConfigurationLoad&>(result) = model::LoadConfigurationAndProfiles();
    // Slot files the user moved elsewhere are ours too.
    std::vector<std::string> slotFiles;
    for (int s = 0; s < model::kProfileSlotCount; ++s)
        slotFiles.push_back(model::Config().ProfileSlotPath(s));
    result.leftoversRemoved += model::RemoveSaveLeftovers(slotFiles);
    return result;
}

} // namespace quorvik::app

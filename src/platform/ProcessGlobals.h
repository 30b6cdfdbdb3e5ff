// Values fixed once at start-up and read everywhere: the two folders and the display scale.
#pragma once

#include <string>

namespace quorvik::platform {

// Folder of the running program (skins/ and the delivered config/ are beside it), ending in "/".
const std::string& ProgramFolder();
void SetProgramFolder(std::string folder);

// The user's data folder (configuration, profiles, macro library), ending in "/".
const std::string& DataFolder();
void SetDataFolder(std::string folder);

// 1.0, 1.5 or 2.0; every layout size of the skinned UI is multiplied by it.
double DisplayScaleFactor();
void SetDisplayScaleFactor(double factor);
// The factor for a screen of full-screen width `w` and height `h`.
double ScaleFactorForScreen(int w, int h);

} // namespace quorvik::platform

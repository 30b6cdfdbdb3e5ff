// Values fixed once at start-up and read everywhere: the two folders, the display scale and the
// text factor.
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

// The screen's horizontal logical dots per inch / 96, fixed at start-up with the display scale.
double TextFactor();
void SetTextFactor(double factor);

// Start-up: the display scale factor for a screen of full-screen size `w` × `h`, and its text
// factor, both fixed for the life of the program.
void SetScreenFactors(int w, int h, double textFactor);

} // namespace quorvik::platform

#include "platform/ProcessGlobals.h"

namespace quorvik::platform {

namespace {
std::string g_programFolder;
std::string g_dataFolder;
double g_scaleFactor = 1.0;
double g_textFactor = 1.0;

std::string endedBySlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}
} // namespace

const std::string& ProgramFolder() {
    return g_programFolder;
}
void SetProgramFolder(std::string folder) {
    g_programFolder = endedBySlash(std::move(folder));
}
const std::string& DataFolder() {
    return g_dataFolder;
}
void SetDataFolder(std::string folder) {
    g_dataFolder = endedBySlash(std::move(folder));
}
double DisplayScaleFactor() {
    return g_scaleFactor;
}
void SetDisplayScaleFactor(double factor) {
    g_scaleFactor = factor;
}

double TextFactor() {
    return g_textFactor;
}
void SetTextFactor(double factor) {
    g_textFactor = factor;
}

double ScaleFactorForScreen(int w, int h) {
    if (w > 2400 && h > 1600)
        return 2.0;
    if (w > 1800 && h > 1200)
        return 1.5;
    return 1.0;
}

void SetScreenFactors(int w, int h, double textFactor) {
    SetDisplayScaleFactor(ScaleFactorForScreen(w, h));
    SetTextFactor(textFactor);
}

} // namespace quorvik::platform

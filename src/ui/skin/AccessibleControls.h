// Presents the skinned windows and their windowless controls to Qt's accessibility framework
// (AT-SPI on Linux), so that screen readers read them and tools can drive them. Each control
// describes itself (role, name, state, value, actions); the adapter only translates, and every
// action it takes goes through the dialog as a key would.
#pragma once

namespace quorvik::ui {

// Registers the adapter with Qt once; every window made afterwards is described.
void InstallAccessibility();

} // namespace quorvik::ui

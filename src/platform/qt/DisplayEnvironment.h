// The display platform, chosen before the QApplication exists (Qt reads these variables once, when
// it starts).
//
// The program places its own popups, dialogs and on-screen display, and a native Wayland surface
// ignores such positions; so on Linux it prefers X11 (a real X server or XWayland) whenever an X
// display is reachable and the user has not chosen a platform. Qt's own high-DPI scaling is
// switched off because the skins are sized by the program's display scale factor.
#pragma once

#include <functional>
#include <string>

namespace quorvik::platform {

// Reads an environment variable: null when unset.
using EnvironmentGetter = std::function<const char*(const char* name)>;
// Sets an environment variable (replacing any value).
using EnvironmentSetter = std::function<void(const char* name, const char* value)>;
// Removes an environment variable.
using EnvironmentUnsetter = std::function<void(const char* name)>;

// QT_QPA_PLATFORM="xcb;wayland" (X11, Wayland only when the X display cannot be opened) when
// QT_QPA_PLATFORM is unset or empty and DISPLAY is set and not empty; QT_ENABLE_HIGHDPI_SCALING=0
// always, and Qt's own scale settings (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS,
// QT_AUTO_SCREEN_SCALE_FACTOR) removed.
void PrepareDisplayEnvironment(const EnvironmentGetter& get, const EnvironmentSetter& set,
                               const EnvironmentUnsetter& unset);
// The same on the process environment. Call before the QApplication is created.
void PrepareDisplayEnvironment();

} // namespace quorvik::platform

#include "platform/qt/DisplayEnvironment.h"

#include <cstdlib>

namespace quorvik::platform {

namespace {
// Qt tries the platforms in order: X11 first; Wayland when the X server named by DISPLAY cannot be
// reached (a stale DISPLAY in a Wayland session), where plain "xcb" would end the program.
constexpr const char* kPreferX11 = "xcb;wayland";

// Qt multiplies every size by these even with high-DPI scaling off; the skins are already sized
// by the program's display scale factor, so any of them would scale the window a second time.
constexpr const char* kQtScaleSettings[] = {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                                            "QT_AUTO_SCREEN_SCALE_FACTOR"};

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}
} // namespace

void PrepareDisplayEnvironment(const EnvironmentGetter& get, const EnvironmentSetter& set,
                               const EnvironmentUnsetter& unset) {
    if (!isSet(get("QT_QPA_PLATFORM")) && isSet(get("DISPLAY")))
        set("QT_QPA_PLATFORM", kPreferX11);
    set("QT_ENABLE_HIGHDPI_SCALING", "0");
    for (const char* name : kQtScaleSettings)
        unset(name);
}

void PrepareDisplayEnvironment() {
    PrepareDisplayEnvironment([](const char* name) { return std::getenv(name); },
                              [](const char* name, const char* value) { ::setenv(name, value, 1); },
                              [](const char* name) { ::unsetenv(name); });
}

} // namespace quorvik::platform

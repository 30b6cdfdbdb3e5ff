#include "platform/qt/DisplayEnvironment.h"

#include <cstdlib>

namespace quorvik::platform {

namespace {
// Qt tries the platforms in order: X11 first; Wayland when the X server named by DISPLAY cannot be
// reached (a stale DISPLAY in a Wayland session), where plain "xcb" would end the program.
constexpr const char* kPreferX11 = "xcb;wayland";

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}
} // namespace

void PrepareDisplayEnvironment(const EnvironmentGetter& get, const EnvironmentSetter& set) {
    if (!isSet(get("QT_QPA_PLATFORM")) && isSet(get("DISPLAY")))
        set("QT_QPA_PLATFORM", kPreferX11);
    set("QT_ENABLE_HIGHDPI_SCALING", "0");
}

void PrepareDisplayEnvironment() {
    PrepareDisplayEnvironment([](const char* name) { return std::getenv(name); },
                              [](const char* name, const char* value) { ::setenv(name, value, 1); });
}

} // namespace quorvik::platform

#include "ui/skin/OpenWindowTable.h"

#include "platform/Messages.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/UiLoop.h"

#include <algorithm>

namespace quorvik::ui {

namespace {
std::array<platform::WindowHandle, kOpenWindowSlots> g_open{};
}

const std::array<platform::WindowHandle, kOpenWindowSlots>& OpenWindows() {
    return g_open;
}

bool RegisterOpenWindow(platform::WindowHandle window) {
    for (auto& entry : g_open) {
        if (entry == 0) {
            entry = window;
            return true;
        }
    }
    return false;
}

void UnregisterOpenWindow(platform::WindowHandle window) {
    auto it = std::find(g_open.begin(), g_open.end(), window);
    if (it == g_open.end() || window == 0)
        return;
    std::move(it + 1, g_open.end(), it);
    g_open.back() = 0;
}

std::size_t OpenWindowCount() {
    return std::size_t(std::count_if(g_open.begin(), g_open.end(), [](auto h) { return h != 0; }));
}

void CloseOpenWindows() {
    // A desktop file dialog is not in the table, but its loop would hold the program's end back.
    platform::CancelRunningFileDialogs();
    // A closing dialog removes itself and shifts the table: work from a copy.
    auto copy = g_open;
    for (auto window : copy)
        if (window != 0)
            platform::UiLoop().send(window, platform::WM_CLOSE, 0, 0);
}

} // namespace quorvik::ui

// The program-wide table of open secondary dialogs, so that the main window can close them all
// before it ends.
#pragma once

#include "platform/EventLoop.h"

#include <array>

namespace quorvik::ui {

inline constexpr std::size_t kOpenWindowSlots = 10;

const std::array<platform::WindowHandle, kOpenWindowSlots>& OpenWindows();
// Stores the handle in the first empty entry; false (not listed) when all ten are taken.
bool RegisterOpenWindow(platform::WindowHandle window);
// Removes the handle and moves the later entries down.
void UnregisterOpenWindow(platform::WindowHandle window);
std::size_t OpenWindowCount();
// Cancels any running desktop file dialog and sends WM_CLOSE to every listed window (the
// program's shutdown).
void CloseOpenWindows();

} // namespace quorvik::ui

// The one event loop the windows of this process register with. The program installs its
// real-clock loop (driven by Qt); UI tests install a virtual-clock loop.
#pragma once

#include "platform/EventLoop.h"

namespace quorvik::platform {

// The installed loop; aborts with a clear message when none is installed, since every window
// operation needs one.
EventLoop& UiLoop();
void SetUiLoop(EventLoop* loop);
bool HasUiLoop();

} // namespace quorvik::platform

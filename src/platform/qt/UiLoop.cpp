#include "platform/qt/UiLoop.h"

#include <cstdio>
#include <cstdlib>

namespace quorvik::platform {

namespace {
EventLoop* g_loop = nullptr;
}

EventLoop& UiLoop() {
    if (!g_loop) {
        std::fputs("quorvik: no UI event loop installed (SetUiLoop) before a window was used\n", stderr);
        std::abort();
    }
    return *g_loop;
}

void SetUiLoop(EventLoop* loop) {
    g_loop = loop;
}
bool HasUiLoop() {
    return g_loop != nullptr;
}

} // namespace quorvik::platform

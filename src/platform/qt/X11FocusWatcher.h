// The focused window of an X server (also XWayland's): the window manager names it in the root
// window's _NET_ACTIVE_WINDOW, and every change of that property reaches us as an event on Qt's
// own connection. Nothing polls: while the focus stays, this costs nothing.
#pragma once

#include "platform/AppWatch.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>

struct xcb_connection_t;

namespace quorvik::platform {

class X11FocusWatcher : public FocusWatcher, private QAbstractNativeEventFilter {
public:
    X11FocusWatcher();
    ~X11FocusWatcher() override;

    // False when the program does not run on an X server.
    bool Start(std::function<void()> changed) override;
    void Stop() override;
    FocusReading Current() override;
    std::vector<AppIdentity> OpenApplications() override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool connect();
    AppIdentity windowApp(std::uint32_t window);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t activeAtom_ = 0;
    std::uint32_t pidAtom_ = 0;
    std::uint32_t clientListAtom_ = 0;
    std::uint32_t nameAtom_ = 0;
    std::uint32_t utf8Atom_ = 0;
    bool wayland_ = false; // XWayland: a focus we cannot see is on a native window
    bool filtering_ = false;
    std::function<void()> changed_;
};

} // namespace quorvik::platform

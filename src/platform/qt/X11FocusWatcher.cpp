#include "platform/qt/X11FocusWatcher.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace quorvik::platform {

namespace {

// The longest property value read: a window class or a title is far shorter, a client list of
// 4096 windows is 16 KiB.
constexpr std::uint32_t kMaxPropertyUnits = 4096; // in 32-bit units

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
using PropertyReply = std::unique_ptr<xcb_get_property_reply_t, FreeReply>;

PropertyReply getProperty(xcb_connection_t* c, std::uint32_t window, std::uint32_t atom, std::uint32_t type) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(c, 0, window, atom, type, 0, kMaxPropertyUnits);
    return PropertyReply(xcb_get_property_reply(c, cookie, nullptr));
}

std::uint32_t internAtom(xcb_connection_t* c, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(c, cookie, nullptr));
    return reply ? reply->atom : std::uint32_t(XCB_ATOM_NONE);
}

std::string propertyText(const PropertyReply& reply) {
    if (!reply || reply->format != 8)
        return {};
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(bytes, std::size_t(xcb_get_property_value_length(reply.get())));
}

std::uint32_t firstCardinal(const PropertyReply& reply) {
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

} // namespace

X11FocusWatcher::X11FocusWatcher() = default;

X11FocusWatcher::~X11FocusWatcher() {
    Stop();
}

bool X11FocusWatcher::connect() {
    if (connection_)
        return true;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    connection_ = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    if (!screen) {
        connection_ = nullptr;
        return false;
    }
    root_ = screen->root;
    activeAtom_ = internAtom(connection_, "_NET_ACTIVE_WINDOW");
    pidAtom_ = internAtom(connection_, "_NET_WM_PID");
    clientListAtom_ = internAtom(connection_, "_NET_CLIENT_LIST");
    nameAtom_ = internAtom(connection_, "_NET_WM_NAME");
    utf8Atom_ = internAtom(connection_, "UTF8_STRING");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    wayland_ = wayland && *wayland;
    return true;
}

bool X11FocusWatcher::Start(std::function<void()> changed) {
    if (!connect())
        return false;
    changed_ = std::move(changed);
    // The root's property changes are asked for on top of what Qt asks for there (an event mask
    // is per client: Qt's own would be replaced otherwise).
    const xcb_get_window_attributes_cookie_t cookie = xcb_get_window_attributes(connection_, root_);
    std::unique_ptr<xcb_get_window_attributes_reply_t, FreeReply> attributes(
        xcb_get_window_attributes_reply(connection_, cookie, nullptr));
    const std::uint32_t mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
    if (!filtering_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filtering_ = true;
    }
    return true;
}

void X11FocusWatcher::Stop() {
    if (filtering_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    filtering_ = false;
    changed_ = nullptr;
}

bool X11FocusWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !changed_)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->window == root_ && property->atom == activeAtom_)
        changed_();
    return false; // Qt still sees the event
}

AppIdentity X11FocusWatcher::windowApp(std::uint32_t window) {
    // The three questions go out together: one wait for all of them.
    const xcb_get_property_cookie_t classCookie =
        xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, kMaxPropertyUnits);
    const xcb_get_property_cookie_t pidCookie =
        xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1);
    const xcb_get_property_cookie_t nameCookie =
        xcb_get_property(connection_, 0, window, nameAtom_, utf8Atom_, 0, kMaxPropertyUnits);
    const PropertyReply wmClass(xcb_get_property_reply(connection_, classCookie, nullptr));
    const PropertyReply pid(xcb_get_property_reply(connection_, pidCookie, nullptr));
    PropertyReply name(xcb_get_property_reply(connection_, nameCookie, nullptr));
    AppIdentity app;
    app.window = window;
    app.pid = int(firstCardinal(pid));
    // "instance\0class\0": both parts name the application.
    const std::string parts = propertyText(wmClass);
    for (std::size_t at = 0; at < parts.size();) {
        const std::size_t end = std::min(parts.find('\0', at), parts.size());
        AddName(app.names, parts.substr(at, end - at));
        at = end + 1;
    }
    app.title = propertyText(name);
    if (app.title.empty())
        app.title = propertyText(getProperty(connection_, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING));
    return app;
}

FocusReading X11FocusWatcher::Current() {
    FocusReading reading;
    if (!connect())
        return {FocusKind::Unknown, {}};
    const std::uint32_t active = firstCardinal(getProperty(connection_, root_, activeAtom_, XCB_ATOM_WINDOW));
    if (active == XCB_WINDOW_NONE) {
        // Under XWayland no X window has the focus while a native Wayland window has it.
        reading.kind = wayland_ ? FocusKind::Unknown : FocusKind::Nothing;
        return reading;
    }
    reading.kind = FocusKind::Window;
    reading.app = windowApp(active);
    return reading;
}

std::vector<AppIdentity> X11FocusWatcher::OpenApplications() {
    std::vector<AppIdentity> apps;
    if (!connect())
        return apps;
    const PropertyReply list = getProperty(connection_, root_, clientListAtom_, XCB_ATOM_WINDOW);
    if (!list || list->format != 32)
        return apps;
    const auto* windows = static_cast<const std::uint32_t*>(xcb_get_property_value(list.get()));
    const int count = xcb_get_property_value_length(list.get()) / 4;
    for (int i = 0; i < count; ++i)
        apps.push_back(windowApp(windows[i]));
    return apps;
}

} // namespace quorvik::platform

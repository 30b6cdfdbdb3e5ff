#include "platform/qt/KeyboardHook.h"

#include "platform/qt/KeyMapping.h"
#include "platform/qt/UiLoop.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace quorvik::platform {

namespace {
CKeyboardHook* g_active = nullptr;
} // namespace

// Watches the whole application while a hook runs. Qt hands a key event first to the top-level
// window and then on to the widget with the focus (and its parents when they pass it on), so the
// event is taken only where it reaches a window: once per key, whichever widget has the focus.
// Nothing is swallowed; the dialogs still see their keys.
class KeyFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWindowType())
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        // X11 repeats a held key as release-press pairs marked as auto-repeat; the hook reports
        // the key going down once and coming up once.
        if (key->isAutoRepeat())
            return false;
        const unsigned vk = VirtualKeyFromEvent(*key);
        if (vk != 0 && g_active)
            g_active->Deliver(vk, type == QEvent::KeyRelease);
        return false;
    }
};

namespace {
KeyFilter* g_filter = nullptr;

void installFilter() {
    if (g_filter || !QCoreApplication::instance())
        return;
    g_filter = new KeyFilter();
    QCoreApplication::instance()->installEventFilter(g_filter);
}

void removeFilter() {
    if (!g_filter)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(g_filter);
    delete g_filter;
    g_filter = nullptr;
}
} // namespace

CKeyboardHook::~CKeyboardHook() {
    StopHook();
}

bool CKeyboardHook::StartHook(WindowHandle window) {
    if (window == 0 || !QCoreApplication::instance())
        return false;
    if (g_active && g_active != this)
        g_active->StopHook();
    target_ = window;
    g_active = this;
    installFilter();
    return true;
}

void CKeyboardHook::StopHook() {
    target_ = 0;
    if (g_active != this)
        return;
    g_active = nullptr;
    removeFilter();
}

bool CKeyboardHook::IsRunning() const {
    return g_active == this;
}

CKeyboardHook* CKeyboardHook::Active() {
    return g_active;
}

void CKeyboardHook::Deliver(unsigned vk, bool release) {
    if (target_ == 0 || !HasUiLoop())
        return;
    EventLoop& loop = UiLoop();
    loop.post(target_, kKeyboardHookMessage, WPARAM(vk & 0xFF), HookEventWord(release, loop.now()));
}

} // namespace quorvik::platform

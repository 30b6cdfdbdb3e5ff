#include "platform/qt/KeyboardHook.h"

#include "platform/qt/KeyMapping.h"
#include "platform/qt/UiLoop.h"

#include "platform/Messages.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace quorvik::platform {

namespace {
CKeyboardHook* g_active = nullptr;

// What the hook's own window gets when a held-back release is due: this message one loop turn
// after it (wParam its serial number), or this timer.
constexpr unsigned kSendHeldRelease = WM_USER + 0x100;
constexpr unsigned kReleaseWaitTimer = 1;
} // namespace

// Watches the whole application while a hook runs. Qt hands a key event first to the top-level
// window and then on to the widget with the focus (and its parents when they pass it on), so the
// event is taken only where it reaches a window: once per key, whichever widget has the focus.
// Nothing is swallowed; the dialogs still see their keys.
class KeyFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::ApplicationDeactivate) {
            if (g_active)
                g_active->ForgetKeys();
            return false;
        }
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWindowType())
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        // Repeats Qt recognised; the others the hook tells by their time stamps.
        if (key->isAutoRepeat())
            return false;
        const unsigned vk = VirtualKeyFromEvent(*key);
        if (vk != 0 && g_active)
            g_active->OnKey(vk, type == QEvent::KeyRelease, key->timestamp());
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

CKeyboardHook::CKeyboardHook() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        releaseWaitMs_ = kX11ReleaseWaitMs;
}

CKeyboardHook::~CKeyboardHook() {
    StopHook();
}

bool CKeyboardHook::StartHook(WindowHandle window) {
    if (window == 0 || !QCoreApplication::instance())
        return false;
    if (g_active && g_active != this)
        g_active->StopHook();
    SendHeldRelease(); // to the window it belongs to
    target_ = window;
    g_active = this;
    down_.reset();
    if (self_ == 0 && HasUiLoop())
        self_ = UiLoop().registerWindow(this);
    installFilter();
    return true;
}

void CKeyboardHook::StopHook() {
    // A release held back happened while the hook ran: it still goes, after everything before it.
    SendHeldRelease();
    target_ = 0;
    down_.reset();
    if (self_ != 0 && HasUiLoop())
        UiLoop().unregisterWindow(self_);
    self_ = 0;
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

void CKeyboardHook::OnKey(unsigned vk, bool release, unsigned long stamp) {
    if (target_ == 0 || !HasUiLoop())
        return;
    vk &= 0xFF;
    // The key's own time: when the main thread was busy, keys typed meanwhile arrive together
    // later, and the loop's clock would squeeze the pauses between them.
    const std::uint64_t now = stamp != 0 ? std::uint64_t(stamp) : UiLoop().now();
    if (!release) {
        // The window system's repeat: the key never came up.
        if (held_ && held_->vk == vk && held_->stamp == stamp) {
            held_.reset();
            return;
        }
        SendHeldRelease();
        if (down_.test(vk))
            return; // a repeat of a key that is held down
        down_.set(vk);
        Deliver(vk, false, now);
        return;
    }
    SendHeldRelease();
    held_ = HeldRelease{vk, stamp, now, ++serial_};
    if (self_ == 0)
        SendHeldRelease();
    else if (releaseWaitMs_ > 0)
        UiLoop().setTimer(self_, kReleaseWaitTimer, releaseWaitMs_);
    else
        UiLoop().post(self_, kSendHeldRelease, held_->serial, 0);
}

void CKeyboardHook::ForgetKeys() {
    SendHeldRelease();
    down_.reset();
}

void CKeyboardHook::SendHeldRelease() {
    if (self_ != 0 && HasUiLoop())
        UiLoop().killTimer(self_, kReleaseWaitTimer);
    if (!held_)
        return;
    const HeldRelease release = *held_;
    held_.reset();
    down_.reset(release.vk);
    Deliver(release.vk, true, release.timeMs);
}

LRESULT CKeyboardHook::handleMessage(unsigned message, WPARAM wParam, LPARAM) {
    // Only the release this turn was waiting for: a later one gets its own full turn.
    if (message == kSendHeldRelease && held_ && held_->serial == wParam)
        SendHeldRelease();
    else if (message == WM_TIMER && wParam == kReleaseWaitTimer)
        SendHeldRelease();
    return 0;
}

void CKeyboardHook::Deliver(unsigned vk, bool release, std::uint64_t timeMs) {
    if (target_ == 0 || !HasUiLoop())
        return;
    UiLoop().post(target_, kKeyboardHookMessage, WPARAM(vk & 0xFF), HookEventWord(release, timeMs));
}

} // namespace quorvik::platform

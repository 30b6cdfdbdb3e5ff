// Key capture for recording macros and for picking a key.
//
// Between StartHook(window) and StopHook() every key pressed or released while one of the
// program's windows has the keyboard is posted to `window` as message 0x401:
//   wParam  the key's Windows virtual-key code (0 … 255, nothing above the low byte)
//   lParam  bit 31 set for a release; bits 0 … 30 the time of the event in milliseconds: the
//           window system's own time stamp of the key (under X11 the server's time, when the key
//           went down or up), so that work on the main thread between two keys does not stretch
//           or shrink the pause a recording keeps; the platform clock (UiLoop().now()) for an event
//           that carries no stamp. It grows and wraps around after 2^31 ms.
// A key held down is one press: the window system's auto-repeat is not passed on. X11 repeats a
// held key as a release and a press with one time stamp, and Qt does not always mark them as
// repeats (it may even hand the two over in separate deliveries), so a release is held back: a
// press of the same key with the same time stamp coming meanwhile cancels both, any other key
// event sends it on first, and otherwise it goes after one turn of the loop (under X11 after
// kX11ReleaseWaitMs). It carries the time it happened, not the time it was sent. A press of a key
// that is already down is dropped. Left and right modifiers are told apart where the window system
// says which one it was. Mouse buttons and pointer moves are not captured.
//
// Only one hook runs at a time: starting one stops any other.
#pragma once

#include "platform/EventLoop.h"

#include <bitset>
#include <cstdint>
#include <optional>

namespace quorvik::platform {

class KeyFilter;

inline constexpr unsigned kKeyboardHookMessage = 0x401;
inline constexpr std::uint32_t kHookReleaseBit = 0x80000000u;
inline constexpr std::uint32_t kHookTimeMask = 0x7FFFFFFFu;
// How long a release waits under X11 for the press that makes it a repeat: the two have one time
// stamp and arrive together, give or take one delivery. Any other key event sends it sooner.
inline constexpr std::uint32_t kX11ReleaseWaitMs = 20;

// The lParam of a hook event.
constexpr LPARAM HookEventWord(bool release, std::uint64_t timeMs) {
    return LPARAM(std::uint32_t(timeMs & kHookTimeMask) | (release ? kHookReleaseBit : 0u));
}

class CKeyboardHook : private MessageHandler {
public:
    CKeyboardHook();
    ~CKeyboardHook() override;
    CKeyboardHook(const CKeyboardHook&) = delete;
    CKeyboardHook& operator=(const CKeyboardHook&) = delete;

    // Starts posting to `window`; false without a window or a running application object.
    bool StartHook(WindowHandle window);
    void StopHook();
    bool IsRunning() const;
    WindowHandle Target() const { return target_; }
    // How long a release is held back: 0 for one loop turn (the default except under X11).
    void SetReleaseWaitMs(std::uint32_t ms) { releaseWaitMs_ = ms; }
    std::uint32_t ReleaseWaitMs() const { return releaseWaitMs_; }

    // The hook that runs now, or null.
    static CKeyboardHook* Active();

private:
    friend class KeyFilter;
    // A key event as the window system gave it: `stamp` is its own time stamp (X server time).
    void OnKey(unsigned vk, bool release, unsigned long stamp);
    // The application lost the keyboard: keys held now are released elsewhere.
    void ForgetKeys();
    void SendHeldRelease();
    void Deliver(unsigned vk, bool release, std::uint64_t timeMs);
    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;

    struct HeldRelease {
        unsigned vk;
        unsigned long stamp;
        std::uint64_t timeMs; // the time the posted event carries
        WPARAM serial;
    };

    WindowHandle target_ = 0;
    // The hook's own window on the loop: it hears the loop turn after a held-back release.
    WindowHandle self_ = 0;
    std::bitset<256> down_;
    std::optional<HeldRelease> held_;
    WPARAM serial_ = 0;
    std::uint32_t releaseWaitMs_ = 0;
};

} // namespace quorvik::platform

// Key capture for recording macros and for picking a key.
//
// Between StartHook(window) and StopHook() every key pressed or released while one of the
// program's windows has the keyboard is posted to `window` as message 0x401:
//   wParam  the key's Windows virtual-key code (0 … 255, nothing above the low byte)
//   lParam  bit 31 set for a release; bits 0 … 30 the time of the event in milliseconds on the
//           platform clock (UiLoop().now()), which grows and wraps around after 2^31 ms
// A key held down is one press: the window system's auto-repeat is not passed on. Left and right
// modifiers are told apart where the window system says which one it was. Mouse buttons and
// pointer moves are not captured.
//
// Only one hook runs at a time: starting one stops any other.
#pragma once

#include "platform/EventLoop.h"

#include <cstdint>

namespace quorvik::platform {

class KeyFilter;

inline constexpr unsigned kKeyboardHookMessage = 0x401;
inline constexpr std::uint32_t kHookReleaseBit = 0x80000000u;
inline constexpr std::uint32_t kHookTimeMask = 0x7FFFFFFFu;

// The lParam of a hook event.
constexpr LPARAM HookEventWord(bool release, std::uint64_t timeMs) {
    return LPARAM(std::uint32_t(timeMs & kHookTimeMask) | (release ? kHookReleaseBit : 0u));
}

class CKeyboardHook {
public:
    CKeyboardHook() = default;
    ~CKeyboardHook();
    CKeyboardHook(const CKeyboardHook&) = delete;
    CKeyboardHook& operator=(const CKeyboardHook&) = delete;

    // Starts posting to `window`; false without a window or a running application object.
    bool StartHook(WindowHandle window);
    void StopHook();
    bool IsRunning() const;
    WindowHandle Target() const { return target_; }

    // The hook that runs now, or null.
    static CKeyboardHook* Active();

private:
    friend class KeyFilter;
    void Deliver(unsigned vk, bool release);

    WindowHandle target_ = 0;
};

} // namespace quorvik::platform

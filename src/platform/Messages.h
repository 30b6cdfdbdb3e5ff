// Window message numbers and codes of the program's windows. The numbers are fixed (traces, the
// route table and every handler use them), so they read the same everywhere.
#pragma once

#include "platform/EventLoop.h"

#include <cstdint>

namespace quorvik::platform {

inline constexpr unsigned WM_NULL = 0x0000;
inline constexpr unsigned WM_CREATE = 0x0001;
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_MOVE = 0x0003;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_ACTIVATE = 0x0006;
inline constexpr unsigned WM_KILLFOCUS = 0x0008;
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_QUIT = 0x0012;
inline constexpr unsigned WM_ERASEBKGND = 0x0014;
inline constexpr unsigned WM_SHOWWINDOW = 0x0018;
inline constexpr unsigned WM_ACTIVATEAPP = 0x001C;
inline constexpr unsigned WM_INITDIALOG = 0x0110;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_TIMER = 0x0113;
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_KEYUP = 0x0101;
inline constexpr unsigned WM_MOUSEMOVE = 0x0200;
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
inline constexpr unsigned WM_RBUTTONDOWN = 0x0204;
inline constexpr unsigned WM_RBUTTONUP = 0x0205;
inline constexpr unsigned WM_MOUSEWHEEL = 0x020A;
inline constexpr unsigned WM_MOUSEHOVER = 0x02A1;
inline constexpr unsigned WM_MOUSELEAVE = 0x02A3;
inline constexpr unsigned WM_DEVICECHANGE = 0x0219;
inline constexpr unsigned WM_USER = 0x0400;

inline constexpr unsigned DBT_DEVICEARRIVAL = 0x8000;
inline constexpr unsigned DBT_DEVICEREMOVECOMPLETE = 0x8004;

// Non-client, key and system messages the skinned windows use.
inline constexpr unsigned WM_NCHITTEST = 0x0084;
inline constexpr unsigned WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr unsigned WM_CHAR = 0x0102;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;
inline constexpr unsigned WM_CAPTURECHANGED = 0x0215;

// Key state bits of mouse messages (wParam).
inline constexpr unsigned MK_LBUTTON = 0x0001;
inline constexpr unsigned MK_RBUTTON = 0x0002;
inline constexpr unsigned MK_SHIFT = 0x0004;
inline constexpr unsigned MK_CONTROL = 0x0008;

// WM_ACTIVATE wParam states.
inline constexpr unsigned WA_INACTIVE = 0;
inline constexpr unsigned WA_ACTIVE = 1;

// Hit-test codes.
inline constexpr unsigned HTCLIENT = 1;
inline constexpr unsigned HTCAPTION = 2;

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

// Dialog results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Edit-field notification (high word of WM_COMMAND's wParam; the low word is the field's id).
inline constexpr unsigned EN_CHANGE = 0x0300;

// Virtual keys the dialogs filter and the keyboard navigation uses.
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21; // PageUp
inline constexpr unsigned VK_NEXT = 0x22;  // PageDown
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_APPS = 0x5D; // the Menu key
inline constexpr unsigned VK_F10 = 0x79;  // with Shift, the Menu key of keyboards without one

// Modifiers held with a key: the lParam of WM_KEYDOWN as the windows deliver it.
inline constexpr unsigned KEY_SHIFT = 0x1;
inline constexpr unsigned KEY_CONTROL = 0x2;
inline constexpr unsigned KEY_ALT = 0x4;

// One notch of a mouse wheel in WM_MOUSEWHEEL's delta (the high word of wParam, signed; the low
// word holds the MK_ key state, lParam the point in client pixels).
inline constexpr int WHEEL_DELTA = 120;
inline constexpr WPARAM MakeWheelParam(int delta, unsigned keys) {
    return static_cast<WPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16) | (keys & 0xFFFF));
}
inline constexpr int WheelDelta(WPARAM w) {
    return static_cast<std::int16_t>((static_cast<std::uint32_t>(w) >> 16) & 0xFFFF);
}

// Mouse messages carry the point as two signed 16-bit halves: x low, y high.
inline constexpr LPARAM MakePointParam(int x, int y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                               static_cast<std::uint16_t>(x));
}
inline constexpr int PointX(LPARAM l) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(l) & 0xFFFF);
}
inline constexpr int PointY(LPARAM l) {
    return static_cast<std::int16_t>((static_cast<std::uint32_t>(l) >> 16) & 0xFFFF);
}

} // namespace quorvik::platform

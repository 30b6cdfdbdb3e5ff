// Keys to virtual-key codes, and the keyboard hook that posts them to a window.
#include "UiTestSupport.h"

#include "model/KeyCodes.h"
#include "platform/qt/KeyMapping.h"
#include "platform/qt/KeyboardHook.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWindow>

using namespace quorvik;
using namespace quorvik::platform;
using quorvik::test::RecordingDlg;
using quorvik::test::Sent;

namespace {

// Named codes no key of this platform produces: mouse buttons, two keys of Windows' own input
// method switching that Qt does not name, and the macros' mouse codes.
bool noKeyExpected(unsigned vk) {
    return vk == 0x01 || vk == 0x02 || (vk >= 0x04 && vk <= 0x06) || vk == 0x18 || vk == 0x1E ||
           (vk >= 0xE0 && vk <= 0xE7);
}

TEST(KeyMapping, EveryNamedKeyMapsBothWays) {
    for (unsigned vk = 1; vk < 256; ++vk) {
        if (model::VirtualKeyName(std::uint8_t(vk)) == u"Undefined")
            continue;
        const auto stroke = KeyStrokeForVirtualKey(vk);
        if (noKeyExpected(vk)) {
            EXPECT_FALSE(stroke) << std::hex << "0x" << vk;
            continue;
        }
        ASSERT_TRUE(stroke) << "no key gives 0x" << std::hex << vk;
        EXPECT_EQ(VirtualKeyFromStroke(*stroke), vk) << std::hex << "0x" << vk;
    }
    // And nothing a key maps to is a code without a name.
    for (int key : {Qt::Key_Exclam, Qt::Key_Backtab, Qt::Key_AltGr, Qt::Key_Meta, Qt::Key_SysReq, Qt::Key_QuoteDbl,
                    Qt::Key_F24, Qt::Key_Hangul, Qt::Key_Enter})
        EXPECT_NE(model::VirtualKeyName(std::uint8_t(VirtualKeyFromQt(key))), u"Undefined") << key;
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Adiaeresis), 0u);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F25), 0u);
}

TEST(KeyMapping, TheNativeKeySymbolTellsLeftFromRight) {
    struct Case {
        int qt;
        std::uint32_t keysym;
        unsigned vk;
    };
    const Case cases[] = {
        {Qt::Key_Shift, kKeysymShiftL, 0xA0},
        {Qt::Key_Shift, kKeysymShiftR, 0xA1},
        {Qt::Key_Control, kKeysymControlL, 0xA2},
        {Qt::Key_Control, kKeysymControlR, 0xA3},
        {Qt::Key_Alt, kKeysymAltL, 0xA4},
        {Qt::Key_Alt, kKeysymAltR, 0xA5},
        {Qt::Key_Meta, kKeysymMetaL, 0xA4},
        {Qt::Key_Meta, kKeysymMetaR, 0xA5},
        {Qt::Key_Super_L, kKeysymSuperL, 0x5B},
        {Qt::Key_Super_R, kKeysymSuperR, 0x5C},
        {Qt::Key_AltGr, kKeysymIsoLevel3Shift, 0xA5},
        // Without a side the generic codes stand for both.
        {Qt::Key_Shift, 0, 0x10},
        {Qt::Key_Control, 0, 0x11},
        {Qt::Key_Alt, 0, 0x12},
        {Qt::Key_Meta, 0, 0x5B},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{c.qt, false, c.keysym}), c.vk) << std::hex << c.keysym;
}

TEST(KeyMapping, KeypadAndShiftedCharactersNameTheirKey) {
    EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{Qt::Key_5, true, 0}), 0x65u);     // Num5
    EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{Qt::Key_5, false, 0}), 0x35u);    // the 5 key
    EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{Qt::Key_Plus, true, 0}), 0x6Bu);  // Add
    EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{Qt::Key_Plus, false, 0}), 0xBBu); // Shift and the = key
    EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{Qt::Key_Period, true, 0xFFAE}), 0x6Eu);
    EXPECT_EQ(VirtualKeyFromStroke(KeyStroke{Qt::Key_Home, true, 0}), 0x24u); // keypad 7 with Num Lock off
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Exclam), unsigned('1'));
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Backtab), 0x09u); // Shift+Tab
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Print), 0x2Cu);
}

class KeyboardHookTest : public quorvik::test::UiTest {
protected:
    // A key event where the window system delivers it: to the program's top-level window.
    void send(QWidget* widget, QEvent::Type type, int key, std::uint32_t keysym = 0, bool repeat = false) {
        QWindow* window = widget->window()->windowHandle();
        ASSERT_NE(window, nullptr);
        QKeyEvent event(type, key, Qt::NoModifier, 0, keysym, 0, QString(), repeat);
        QCoreApplication::sendEvent(window, &event);
    }
    std::vector<Sent> hookEvents(const RecordingDlg& dlg) { return dlg.of(kKeyboardHookMessage); }
    // A key event that carries the window system's time stamp and no repeat mark, as X11 hands
    // over the release and press it repeats a held key with.
    void stamped(QWidget* widget, QEvent::Type type, int key, unsigned long stamp) {
        QKeyEvent event(type, key, Qt::NoModifier, 0, 0, 0);
        event.setTimestamp(stamp);
        QCoreApplication::sendEvent(widget->window()->windowHandle(), &event);
    }
    static Sent press(unsigned vk, std::uint64_t ms) { return {kKeyboardHookMessage, vk, HookEventWord(false, ms)}; }
    static Sent release(unsigned vk, std::uint64_t ms) { return {kKeyboardHookMessage, vk, HookEventWord(true, ms)}; }
};

TEST_F(KeyboardHookTest, UnmarkedRepeatsOfAHeldKeyAreOnePressAndOneRelease) {
    RecordingDlg dlg;
    dlg.Create();
    dlg.window()->showCommand(SW_SHOW);
    CKeyboardHook hook;
    EXPECT_EQ(hook.ReleaseWaitMs(), 0u) << "one loop turn off X11";
    ASSERT_TRUE(hook.StartHook(dlg.hwnd()));
    QWidget* w = dlg.window();

    // Held: the server's release and press pairs share their time stamp, in one delivery or in
    // two with a loop turn between.
    loop.advance(100);
    stamped(w, QEvent::KeyPress, Qt::Key_A, 5000);
    loop.advance(660);
    stamped(w, QEvent::KeyRelease, Qt::Key_A, 5660);
    stamped(w, QEvent::KeyPress, Qt::Key_A, 5660);
    loop.advance(40);
    stamped(w, QEvent::KeyRelease, Qt::Key_A, 5700);
    stamped(w, QEvent::KeyPress, Qt::Key_A, 5700);
    // Repeats as presses only (no releases between): the key is down already.
    stamped(w, QEvent::KeyPress, Qt::Key_A, 5740);
    loop.advance(60);
    stamped(w, QEvent::KeyRelease, Qt::Key_A, 5800);
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg), (std::vector<Sent>{press('A', 5000), release('A', 5800)}));

    // Typed twice quickly: a real release and press have different stamps and are both kept, the
    // release first, each with its own stamp.
    dlg.sent.clear();
    stamped(w, QEvent::KeyPress, Qt::Key_B, 6000);
    loop.advance(30);
    stamped(w, QEvent::KeyRelease, Qt::Key_B, 6030);
    loop.advance(5);
    stamped(w, QEvent::KeyPress, Qt::Key_B, 6035);
    stamped(w, QEvent::KeyRelease, Qt::Key_B, 6036);
    // A release followed by another key's press with its stamp goes before that press.
    stamped(w, QEvent::KeyPress, Qt::Key_C, 6036);
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg), (std::vector<Sent>{press('B', 6000), release('B', 6030), press('B', 6035),
                                                  release('B', 6036), press('C', 6036)}));
}

TEST_F(KeyboardHookTest, UnderX11AReleaseWaitsForItsRepeatAndStoppingSendsIt) {
    RecordingDlg dlg;
    dlg.Create();
    dlg.window()->showCommand(SW_SHOW);
    CKeyboardHook hook;
    hook.SetReleaseWaitMs(kX11ReleaseWaitMs);
    ASSERT_TRUE(hook.StartHook(dlg.hwnd()));
    QWidget* w = dlg.window();

    stamped(w, QEvent::KeyPress, Qt::Key_A, 100);
    loop.advance(500);
    stamped(w, QEvent::KeyRelease, Qt::Key_A, 600);
    loop.runUntilIdle();
    loop.advance(kX11ReleaseWaitMs - 1);
    EXPECT_EQ(hookEvents(dlg).size(), 1u) << "the release waits";
    // Its press, several loop turns later: a repeat, both gone.
    stamped(w, QEvent::KeyPress, Qt::Key_A, 600);
    loop.advance(100);
    stamped(w, QEvent::KeyRelease, Qt::Key_A, 719);
    loop.advance(kX11ReleaseWaitMs);
    EXPECT_EQ(hookEvents(dlg), (std::vector<Sent>{press('A', 100), release('A', 719)}));

    // Stopped while a release waits: it is sent, before the hook lets go.
    stamped(w, QEvent::KeyPress, Qt::Key_Z, 800);
    stamped(w, QEvent::KeyRelease, Qt::Key_Z, 810);
    hook.StopHook();
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg).back(), release('Z', 810));
    EXPECT_EQ(hookEvents(dlg).size(), 4u);

    // Keys held while the program lost the keyboard come up elsewhere: pressed again, they count.
    hook.StartHook(dlg.hwnd());
    stamped(w, QEvent::KeyPress, Qt::Key_X, 900);
    QEvent away(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &away);
    stamped(w, QEvent::KeyPress, Qt::Key_X, 990);
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg).size(), 6u);
}

TEST_F(KeyboardHookTest, PostsEachPressAndReleaseOnceWithTheClockTimeWhereTheKeyHasNoStamp) {
    RecordingDlg dlg;
    dlg.Create();
    dlg.window()->showCommand(SW_SHOW);
    // The focus in an edit field: the key reaches it, and still counts once.
    QLineEdit* edit = dlg.AddEdit(2034, ui::Rect{10, 10, 80, 30}, u"");
    edit->setFocus();
    CKeyboardHook hook;
    ASSERT_TRUE(hook.StartHook(dlg.hwnd()));

    loop.advance(1000);
    send(dlg.window(), QEvent::KeyPress, Qt::Key_Shift, kKeysymShiftR);
    loop.advance(40);
    for (int i = 0; i < 3; ++i) { // auto-repeat of the held key
        send(dlg.window(), QEvent::KeyRelease, Qt::Key_Shift, kKeysymShiftR, true);
        send(dlg.window(), QEvent::KeyPress, Qt::Key_Shift, kKeysymShiftR, true);
    }
    loop.advance(60);
    send(dlg.window(), QEvent::KeyRelease, Qt::Key_Shift, kKeysymShiftR);
    send(dlg.window(), QEvent::KeyPress, Qt::Key_Adiaeresis); // no virtual key: nothing
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg), (std::vector<Sent>{{kKeyboardHookMessage, 0xA1, LPARAM(1000)},
                                                  {kKeyboardHookMessage, 0xA1, LPARAM(0x80000000u | 1100u)}}));

    // The time stamp keeps 31 bits and wraps.
    loop.advance((std::uint64_t(1) << 31) - 1100 + 5);
    send(dlg.window(), QEvent::KeyPress, Qt::Key_Q);
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg).back(), (Sent{kKeyboardHookMessage, 'Q', LPARAM(5)}));

    hook.StopHook();
    send(dlg.window(), QEvent::KeyRelease, Qt::Key_Q);
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(dlg).size(), 3u);
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);
}

TEST_F(KeyboardHookTest, OneHookAtATimeAndNoneAfterItsObjectGoes) {
    RecordingDlg first, second;
    first.Create();
    second.Create();
    first.window()->showCommand(SW_SHOW);
    second.window()->showCommand(SW_SHOW);
    CKeyboardHook a;
    a.StartHook(first.hwnd());
    {
        CKeyboardHook b;
        b.StartHook(second.hwnd());
        EXPECT_FALSE(a.IsRunning());
        EXPECT_EQ(CKeyboardHook::Active(), &b);
        send(first.window(), QEvent::KeyPress, Qt::Key_F1); // typed in either window: to b's
        loop.runUntilIdle();
        EXPECT_TRUE(hookEvents(first).empty());
        EXPECT_EQ(hookEvents(second).size(), 1u);
    }
    EXPECT_EQ(CKeyboardHook::Active(), nullptr);
    send(second.window(), QEvent::KeyRelease, Qt::Key_F1);
    loop.runUntilIdle();
    EXPECT_EQ(hookEvents(second).size(), 1u);
    EXPECT_FALSE(CKeyboardHook().StartHook(0));
}

} // namespace

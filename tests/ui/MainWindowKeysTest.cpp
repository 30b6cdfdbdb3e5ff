// The main window without a mouse: Tab through the layout, keys and the wheel on the real pages,
// and what assistive technology reads and does, each checked in what the virtual mouse received.
#include "MainWindowHarness.h"

#include "device/CommandReports.h"
#include "ui/main/ButtonSelectors.h"
#include "ui/main/ComboPopup.h"
#include "ui/main/MainLayout.h"
#include "ui/skin/Sliders.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QKeyEvent>
#include <QWheelEvent>

namespace quorvik::test {
namespace {

using device::Form;
using namespace ui::main_ids;
using Codes = std::vector<std::uint8_t>;

class MainWindowKeysTest : public MainWindowTest {
protected:
    void key(QWidget* window, int qtKey) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &press);
        loop.runUntilIdle();
    }
    void key(int qtKey) { key(native(), qtKey); }
    // Tabs until control `id` has the focus; the ids passed on the way.
    std::vector<int> tabTo(int id) {
        std::vector<int> passed;
        for (int i = 0; i < 400; ++i) {
            key(Qt::Key_Tab);
            ui::CControlBase* focused = dlg().FocusedControl();
            if (!focused)
                break;
            if (focused->id() == id)
                return passed;
            passed.push_back(focused->id());
        }
        ADD_FAILURE() << "Tab never reached " << id;
        return passed;
    }
    void wheelOn(int id, int notches) {
        const ui::Rect r = dlg().FindControl(id)->rect();
        const QPointF at((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        for (int i = 0; i < notches; ++i) {
            QWheelEvent event(at, native()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(native(), &event);
            loop.advance(50); // one notch every 50 ms: no pause yet
        }
    }
    QAccessibleInterface* accessibleChild(QAccessibleInterface* parent, QAccessible::Role role, const QString& name) {
        for (int i = 0; i < parent->childCount(); ++i) {
            QAccessibleInterface* c = parent->child(i);
            if (c && c->role() == role && c->text(QAccessible::Name) == name)
                return c;
        }
        return nullptr;
    }
};

TEST_F(MainWindowKeysTest, TabGoesDownTheLeftColumnToTheDpiLevelsWhereSpaceWritesOneReport) {
    start("0", {Form::Wired});
    takeCodes();
    std::vector<int> passed = tabTo(kDpiLevelCheck);
    // The left column first, its selectors top to bottom; of the pages only the DPI page's
    // header above its first check, nothing of the title bar.
    std::vector<int> selectors;
    ASSERT_FALSE(passed.empty());
    EXPECT_EQ(passed.back(), kHeaderDpi);
    passed.pop_back();
    for (int id : passed) {
        const ui::Rect r = dlg().FindControl(id)->rect();
        EXPECT_LT(r.left, ui::Scaled(ui::layout::kColumnLeft)) << id;
        EXPECT_GT(r.top, ui::Scaled(ui::layout::kTitleBarHeight)) << id;
        if (id >= kFirstButtonSelector && id <= kLastMouseButtonSelector)
            selectors.push_back(id);
    }
    EXPECT_EQ(selectors, (std::vector<int>{2013, 2014, 2015, 2016, 2017, 2018, 2019}));
    EXPECT_TRUE(dlg().FocusMarkShown());

    const std::uint8_t before = profile().DPIOffOnFlagValue;
    key(Qt::Key_Space);
    // Held down, the key repeats: the check is pressed once, as a held mouse button clicks once.
    for (int i = 0; i < 5; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QCoreApplication::sendEvent(native(), &repeat);
        loop.runUntilIdle();
    }
    loop.advance(300);
    EXPECT_EQ(takeCodes(), Codes{device::kCmdDpiLevels});
    EXPECT_NE(profile().DPIOffOnFlagValue, before);
}

TEST_F(MainWindowKeysTest, EnterOpensASelectorsMenuWhereArrowsAndEnterChooseAndEscapeCloses) {
    start("0", {Form::Wired});
    takeCodes();
    tabTo(kFirstButtonSelector + 1);
    key(Qt::Key_Return);
    const platform::WindowHandle menu = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(menu, 0u);
    auto* popup = dynamic_cast<ui::CWndPopup*>(platform::NativeWindow::fromHandle(menu)->owner());
    key(popup->window(), Qt::Key_Escape);
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u); // closed as by a click outside
    EXPECT_TRUE(takeCodes().empty());

    key(Qt::Key_Return);
    const platform::WindowHandle again = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(again, 0u);
    popup = dynamic_cast<ui::CWndPopup*>(platform::NativeWindow::fromHandle(again)->owner());
    key(popup->window(), Qt::Key_Down);
    key(popup->window(), Qt::Key_Down);
    key(popup->window(), Qt::Key_Down); // the third entry: the middle button's function
    EXPECT_EQ(popup->HotItem(), 2);
    key(popup->window(), Qt::Key_Return);
    loop.advance(300);
    EXPECT_EQ(takeCodes(), Codes{device::kCmdButton});
    EXPECT_EQ(dlg().FindControl(kFirstButtonSelector + 1)->text(), model::LanguageText(22));
}

TEST_F(MainWindowKeysTest, RightOpensASubmenuWhoseEntriesTheKeysThenChoose) {
    start("0", {Form::Wired});
    takeCodes();
    tabTo(kFirstButtonSelector + 4);
    key(Qt::Key_Return);
    const platform::WindowHandle menu = dlg().Popup(kPopupSlotControl);
    ASSERT_NE(menu, 0u);
    QWidget* keys = platform::NativeWindow::fromHandle(menu); // submenus never take the keyboard
    for (int i = 0; i < 6; ++i)
        key(keys, Qt::Key_Down); // to "DPI Functions"
    key(keys, Qt::Key_Right);
    const platform::WindowHandle sub = dlg().Popup(ui::SubMenuOf(model::KeyMenu::Dpi)->popupSlot);
    ASSERT_NE(sub, 0u);
    key(keys, Qt::Key_Left); // back: the submenu folds
    EXPECT_EQ(dlg().Popup(ui::SubMenuOf(model::KeyMenu::Dpi)->popupSlot), 0u);
    key(keys, Qt::Key_Right);
    key(keys, Qt::Key_Down);
    key(keys, Qt::Key_Down);
    key(keys, Qt::Key_Return); // its second entry
    loop.advance(300);
    EXPECT_EQ(takeCodes(), Codes{device::kCmdButton});
    EXPECT_EQ(dlg().FindControl(kFirstButtonSelector + 4)->text(), model::LanguageText(41));
    EXPECT_EQ(dlg().Popup(kPopupSlotControl), 0u);
}

TEST_F(MainWindowKeysTest, FiveWheelNotchesOnTheDebounceSliderWriteOneReportAfterThePause) {
    start("0", {Form::Wired});
    clickControl(kHeaderDebounce);
    loop.advance(300);
    takeCodes();
    const int before = dlg().FindControlAs<ui::CSliderControl>(kDebounceSlider)->GetValue() * 2; // 2 ms a stop
    wheelOn(kDebounceSlider, 5);
    EXPECT_TRUE(takeCodes().empty()) << "written while the wheel turned";
    loop.advance(ui::kStepPauseMs + 300);
    EXPECT_EQ(takeCodes(), Codes{device::kCmdDebounce});
    EXPECT_EQ(mouse_->state().debounceMs, before + 5 * 2);
}

TEST_F(MainWindowKeysTest, AssistiveTechnologyReadsTheControlsAndPressesThemAsTheKeysDo) {
    start("0", {Form::Wired});
    takeCodes();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(native());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);

    int selectors = 0, levels = 0, headers = 0;
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* c = window->child(i);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->parent(), window);
        if (c->role() == QAccessible::ComboBox)
            ++selectors;
        if (c->role() == QAccessible::CheckBox && c->text(QAccessible::Name).startsWith(QStringLiteral("DPI level ")))
            ++levels;
        if (c->state().expandable)
            ++headers;
    }
    EXPECT_GE(selectors, 7); // the buttons' and the pages' selectors
    EXPECT_EQ(levels, 8);
    EXPECT_EQ(headers, 5) << "the lift-off page is not offered for this sensor";
    EXPECT_NE(accessibleChild(window, QAccessible::ComboBox, QString::fromStdU16String(model::LanguageText(20))),
              nullptr);

    QAccessibleInterface* speed = accessibleChild(window, QAccessible::Slider, QStringLiteral("Speed"));
    ASSERT_NE(speed, nullptr);
    ASSERT_NE(speed->valueInterface(), nullptr);
    const int value = speed->valueInterface()->currentValue().toInt();
    EXPECT_EQ(speed->valueInterface()->maximumValue().toInt(), 2);

    QAccessibleInterface* level = accessibleChild(window, QAccessible::CheckBox, QStringLiteral("DPI level 8"));
    ASSERT_NE(level, nullptr);
    const bool checked = level->state().checked;
    level->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    loop.advance(300);
    EXPECT_EQ(takeCodes(), Codes{device::kCmdDpiLevels});
    EXPECT_NE(level->state().checked, checked);

    speed->valueInterface()->setCurrentValue(value == 0 ? 1 : 0);
    loop.advance(ui::kStepPauseMs + 300);
    EXPECT_EQ(takeCodes(), Codes{device::kCmdLighting});

    QAccessibleInterface* dial = accessibleChild(window, QAccessible::Dial, QStringLiteral("Power saving time"));
    ASSERT_NE(dial, nullptr);
    EXPECT_EQ(dial->valueInterface()->minimumValue().toInt(), 3);
}

} // namespace
} // namespace quorvik::test

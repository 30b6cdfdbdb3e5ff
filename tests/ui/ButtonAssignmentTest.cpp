// Button assignment through the real window: the selectors open the button-function menu, the
// pointer resting on its entries opens the submenus, clicks choose, the fire-key, shortcut and
// macro dialogs are answered as they open, and every choice is checked in the profile, in the
// group flags and in what the virtual mouse received.
#include "MacroUiSupport.h"
#include "MainWindowHarness.h"

#include "device/CommandReports.h"
#include "macro/MacroLibrary.h"
#include "platform/qt/KeyboardHook.h"
#include "ui/macro/Lists.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroManagerDlg.h"
#include "ui/macro/MacroPopups.h"
#include "ui/macro/MacroSelectDlg.h"
#include "ui/main/ButtonSelectors.h"
#include "ui/main/ComboPopup.h"
#include "ui/main/FireKeyDlg.h"
#include "ui/main/ShortcutDlg.h"
#include "ui/skin/OpenWindowTable.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>

#include <filesystem>

namespace quorvik::test {
namespace {

using device::Form;
using device::SettingGroup;
using model::KeyMenu;
using model::MakeCode;
using platform::WindowHandle;
using namespace ui::main_ids;
using Code = std::array<std::uint8_t, 3>;

// The entry of the button-function menu that opens submenu `m`.
int entryOf(KeyMenu m) {
    return ui::rules::SubMenuEntryIndex(m);
}

constexpr int kEntryRight = 1;
constexpr int kEntryMiddle = 2;
constexpr int kEntryLeft = 0;
constexpr int kEntryFireKey = 6;
constexpr int kEntryMacro = 8;
constexpr int kEntryShortcut = 9;
constexpr int kEntryDisable = 15;

// A button report as the mouse got it: device position and code.
struct ButtonReport {
    int position;
    Code code;
    friend bool operator==(const ButtonReport&, const ButtonReport&) = default;
};

class ButtonAssignmentTest : public MainWindowTest {
protected:
    void TearDown() override {
        platform::SetFileDialogAnswerer({});
        MainWindowTest::TearDown();
    }
    void open() { start("0", {Form::Wired}); }

    ui::CButtonSelectors& selectors() {
        return *dynamic_cast<ui::CButtonSelectors*>(dlg().PageFor(kFirstButtonSelector));
    }
    ui::CComboButton* selector(int button) { return selectors().Selector(button); }
    WindowHandle menu() { return dlg().Popup(kPopupSlotControl); }
    WindowHandle sub(KeyMenu m) { return dlg().Popup(ui::SubMenuOf(m)->popupSlot); }
    QRect geometry(WindowHandle popup) { return platform::NativeWindow::fromHandle(popup)->geometry(); }
    QRect windowOnScreen() { return QRect(native()->mapToGlobal(QPoint(0, 0)), native()->size()); }

    void openMenu(int button) {
        clickControl(kFirstButtonSelector + button);
        loop.runUntilIdle();
        ASSERT_NE(menu(), 0u) << "no menu for button " << button;
    }
    int rowY(int entry) {
        const int row = ui::Scaled(ui::kButtonMenuRowUnits);
        return entry * row + row / 2;
    }
    void moveTo(WindowHandle popup, int entry) {
        loop.send(popup, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(20, rowY(entry)));
    }
    // The pointer stays on the entry long enough to count as resting there.
    void restOn(WindowHandle popup, int entry) {
        moveTo(popup, entry);
        loop.advance(ui::kButtonMenuRestMs);
        loop.runUntilIdle();
    }
    void clickIn(WindowHandle popup, int entry) {
        ASSERT_NE(popup, 0u);
        moveTo(popup, entry);
        loop.send(popup, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::MakePointParam(20, rowY(entry)));
        loop.send(popup, platform::WM_LBUTTONUP, 0, platform::MakePointParam(20, rowY(entry)));
        loop.runUntilIdle();
    }
    void choose(int button, int entry) {
        openMenu(button);
        clickIn(menu(), entry);
    }
    void chooseInSubMenu(int button, KeyMenu m, int index) {
        openMenu(button);
        restOn(menu(), entryOf(m));
        ASSERT_NE(sub(m), 0u);
        clickIn(sub(m), index);
    }

    bool marked() { return core().Download().IsMarked(SettingGroup::Buttons); }
    // The button reports of the download that runs 20 ms after a choice; nothing comes sooner.
    std::vector<ButtonReport> buttonReportsOfTheDownload() {
        loop.advance(device::kDownloadDelayMs - 1);
        EXPECT_TRUE(takeCodes().empty()) << "written before the 20 ms";
        loop.advance(1);
        loop.runUntilIdle();
        std::vector<ButtonReport> out;
        for (const auto& r : takeReports())
            if (r[device::kOffCommand] == device::kCmdButton)
                out.push_back(
                    {r[device::kOffButtonPosition],
                     {r[device::kOffButtonCode], r[device::kOffButtonCode + 1], r[device::kOffButtonCode + 2]}});
        return out;
    }
    Code code(int button) { return profile().buttons[std::size_t(button)].Value.bytes; }
    const std::u16string& name(int button) { return profile().buttons[std::size_t(button)].Name; }

    // A click in the middle of a control of a dialog.
    void clickIn(ui::CDlgBase& dialog, int id) {
        ui::CControlBase* control = dialog.FindControl(id);
        ASSERT_NE(control, nullptr) << "no control " << id;
        const ui::Rect r = control->rect();
        click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    DialogScript::Step expectAttention(int text) {
        return [this, text](ui::CDlgBase& dialog) {
            EXPECT_EQ(AttentionText(dialog), model::LanguageText(text)) << "expected language text " << text;
            clickIn(dialog, ui::CAttentionDlg::kOkId);
        };
    }
    void hookKey(ui::CDlgBase& dialog, unsigned vk, bool release = false) {
        loop.send(dialog.hwnd(), platform::kKeyboardHookMessage, vk, platform::HookEventWord(release, loop.now()));
    }

    // Every report of the download that runs 20 ms after a choice.
    std::vector<device::Report> reportsOfTheDownload() {
        loop.advance(device::kDownloadDelayMs);
        loop.runUntilIdle();
        std::vector<device::Report> out;
        for (const auto& r : takeReports())
            if (r[device::kOffCommand] != device::kCmdReadStatus)
                out.push_back(r);
        return out;
    }
    static int countOf(const std::vector<device::Report>& reports, std::uint8_t command) {
        return int(std::count_if(reports.begin(), reports.end(),
                                 [command](const device::Report& r) { return r[device::kOffCommand] == command; }));
    }

    // A click on the tree row of `location` in the macro manager or the select dialog.
    void clickRow(ui::CDlgBase& dialog, const macro::MacroLocation& location) {
        auto* tree = dialog.FindControlAs<ui::CEditShowList>(ui::kIdMacroTree);
        ASSERT_NE(tree, nullptr);
        const int row = tree->RowOf(location);
        ASSERT_GE(row, 0);
        const ui::Rect r = tree->rect();
        click(dialog, r.left + ui::Scaled(80), r.top + (row - tree->FirstVisibleRow()) * tree->RowHeight() + 5);
    }
    // In the macro manager: the item menu of `row` (below the rows for none), then its item `id`,
    // which runs after the repaint.
    void chooseItem(ui::CDlgBase& manager, std::optional<macro::MacroLocation> row, int id) {
        auto* tree = manager.FindControlAs<ui::CEditShowList>(ui::kIdMacroTree);
        const ui::Rect r = tree->rect();
        int y = r.bottom - 3;
        if (row)
            y = r.top + (tree->RowOf(*row) - tree->FirstVisibleRow()) * tree->RowHeight() + 5;
        mouse(manager, platform::WM_MOUSEMOVE, r.left + ui::Scaled(80), y);
        mouse(manager, platform::WM_RBUTTONUP, r.left + ui::Scaled(80), y);
        const auto ids = ui::CMacroListPopup::ItemIds(row ? ui::ItemMenuRow::Macro : ui::ItemMenuRow::None);
        const int item = int(std::find(ids.begin(), ids.end(), id) - ids.begin());
        const WindowHandle popup = manager.Popup(ui::kItemMenuSlot);
        ASSERT_NE(popup, 0u);
        const int y2 = item * ui::Scaled(ui::kMacroMenuRowUnits) + ui::Scaled(ui::kMacroMenuRowUnits) / 2;
        loop.send(popup, platform::WM_MOUSEMOVE, 0, platform::MakePointParam(20, y2));
        loop.send(popup, platform::WM_LBUTTONDOWN, platform::MK_LBUTTON, platform::MakePointParam(20, y2));
        loop.send(popup, platform::WM_LBUTTONUP, 0, platform::MakePointParam(20, y2));
        loop.runUntilIdle();
        manager.window()->updateNow();
        loop.runUntilIdle();
    }
    // The macro manager, opened from the main window, is worked by `work` and closed.
    void inTheManager(DialogScript& script, std::function<void(ui::CDlgBase&)> work) {
        script.then([this, work](ui::CDlgBase& manager) {
            QCoreApplication::processEvents(); // exposed, so that a repaint paints
            work(manager);
            clickIn(manager, ui::kIdDialogClose);
        });
    }
};

TEST_F(ButtonAssignmentTest, TheMenuHangsBesideItsSelectorAndFoldsAgain) {
    open();
    // The mouse picture shows the button whose selector is under the pointer.
    const ui::Rect third = selector(3)->rect();
    mouse(dlg(), platform::WM_MOUSEMOVE, third.left + 10, third.top + 5);
    EXPECT_EQ(selectors().MousePicture(), 4);
    mouse(dlg(), platform::WM_MOUSEMOVE, third.left + 10, third.bottom + ui::Scaled(300));
    EXPECT_EQ(selectors().MousePicture(), 1);

    openMenu(2);
    auto* window = platform::NativeWindow::fromHandle(menu());
    const ui::Rect s = selector(2)->rect();
    const QPoint selectorOnScreen = native()->mapToGlobal(QPoint(s.right, s.top));
    EXPECT_GT(window->x(), selectorOnScreen.x());
    EXPECT_EQ(window->y(), selectorOnScreen.y());
    EXPECT_TRUE(windowOnScreen().contains(window->geometry()));
    EXPECT_EQ(window->height(), 16 * ui::Scaled(ui::kButtonMenuRowUnits));
    // The button's function is marked, its selector lit, its part of the mouse shown.
    EXPECT_TRUE(selector(2)->HasOpenMark());
    EXPECT_EQ(selectors().OpenSelector(), kFirstButtonSelector + 2);
    EXPECT_EQ(selectors().MousePicture(), 3);

    // A second click on the selector folds the menu; the next one opens it again.
    const WindowHandle first = menu();
    clickControl(kFirstButtonSelector + 2);
    loop.runUntilIdle();
    EXPECT_EQ(menu(), 0u);
    EXPECT_FALSE(loop.isWindow(first));
    EXPECT_FALSE(selector(2)->HasOpenMark());
    openMenu(2);

    // Opening another selector's menu folds the first; losing the activation folds it too and
    // clears the selector's look.
    openMenu(5);
    EXPECT_EQ(selectors().OpenSelector(), kFirstButtonSelector + 5);
    EXPECT_FALSE(selector(2)->HasOpenMark());
    restOn(menu(), entryOf(KeyMenu::Office));
    ASSERT_NE(sub(KeyMenu::Office), 0u);
    loop.send(dlg().hwnd(), kMsgSelectorNoPopup, kFirstButtonSelector + 5, ui::CComboPopup::kKind);
    loop.runUntilIdle();
    EXPECT_EQ(menu(), 0u);
    EXPECT_EQ(sub(KeyMenu::Office), 0u);
    EXPECT_FALSE(selector(5)->HasOpenMark());
    EXPECT_EQ(selector(5)->mouseState(), ui::kStateNormal);
    EXPECT_EQ(selectors().MousePicture(), 6) << "the pointer is still on the selector";

    // The activation went to a press on the menu's own selector: that press's click only folds
    // (as the click half a second after the loss above would have); the next click opens.
    loop.advance(600);
    openMenu(5);
    const ui::Rect sixth = selector(5)->rect();
    mouse(dlg(), platform::WM_MOUSEMOVE, sixth.left + 10, sixth.top + 5);
    loop.send(dlg().hwnd(), kMsgSelectorNoPopup, kFirstButtonSelector + 5, ui::CComboPopup::kKind);
    clickControl(kFirstButtonSelector + 5);
    loop.runUntilIdle();
    EXPECT_EQ(menu(), 0u);
    openMenu(5);
    EXPECT_FALSE(marked());
    EXPECT_TRUE(takeCodes().empty());
}

TEST_F(ButtonAssignmentTest, RestingOnAnEntryOpensItsSubmenuBesideTheMenuAndOthersCloseIt) {
    open();
    openMenu(0);
    const QRect menuBox = geometry(menu());
    const int row = ui::Scaled(ui::kButtonMenuRowUnits);

    // Only a rest opens: moving over the entry is not enough.
    moveTo(menu(), entryOf(KeyMenu::Dpi));
    loop.runUntilIdle();
    EXPECT_EQ(sub(KeyMenu::Dpi), 0u);
    loop.advance(ui::kButtonMenuRestMs);
    loop.runUntilIdle();
    const WindowHandle dpi = sub(KeyMenu::Dpi);
    ASSERT_NE(dpi, 0u);
    EXPECT_EQ(geometry(dpi).left(), menuBox.right() + 1) << "touching the menu";
    EXPECT_EQ(geometry(dpi).top(), menuBox.top() + 5 * row) << "level with its entry";
    EXPECT_EQ(geometry(dpi).height(), 3 * row);
    // Resting there again keeps the same submenu.
    restOn(menu(), entryOf(KeyMenu::Dpi));
    EXPECT_EQ(sub(KeyMenu::Dpi), dpi);

    // The next submenu takes its place; a plain entry closes whatever is open.
    const std::pair<KeyMenu, int> menus[] = {
        {KeyMenu::Multimedia, 10}, {KeyMenu::Office, 9}, {KeyMenu::WindowManagement, 6}, {KeyMenu::DpiLock, 11}};
    for (auto [m, entries] : menus) {
        restOn(menu(), entryOf(m));
        ASSERT_NE(sub(m), 0u) << int(m);
        EXPECT_EQ(geometry(sub(m)).height(), entries * row) << int(m);
        EXPECT_TRUE(windowOnScreen().contains(geometry(sub(m)))) << int(m);
        int open = 0;
        for (const ui::SubMenuInfo& info : ui::SubMenus())
            open += dlg().Popup(info.popupSlot) != 0;
        EXPECT_EQ(open, 1);
    }
    restOn(menu(), kEntryRight);
    for (const ui::SubMenuInfo& info : ui::SubMenus())
        EXPECT_EQ(dlg().Popup(info.popupSlot), 0u);
    EXPECT_NE(menu(), 0u);

    // A click on an entry that opens a submenu chooses nothing.
    clickIn(menu(), entryOf(KeyMenu::Multimedia));
    EXPECT_NE(menu(), 0u);
    EXPECT_EQ(code(0), (Code{0x10, 0x01, 0x00}));
    EXPECT_FALSE(marked());

    // Each submenu's closed message closes that submenu and leaves the menu.
    for (const ui::SubMenuInfo& info : ui::SubMenus()) {
        restOn(menu(), entryOf(info.menu));
        ASSERT_NE(dlg().Popup(info.popupSlot), 0u);
        loop.send(dlg().hwnd(), info.closedMessage, kFirstButtonSelector, info.kind);
        loop.runUntilIdle();
        EXPECT_EQ(dlg().Popup(info.popupSlot), 0u) << std::hex << info.closedMessage;
        EXPECT_NE(menu(), 0u);
        EXPECT_TRUE(selector(0)->HasOpenMark());
    }
    // A rest noted before the menu went opens nothing afterwards.
    clickControl(kFirstButtonSelector);
    loop.runUntilIdle();
    ASSERT_EQ(menu(), 0u);
    post(kMsgOpenDpiMenu, kFirstButtonSelector, entryOf(KeyMenu::Dpi));
    EXPECT_EQ(sub(KeyMenu::Dpi), 0u);

    // Low on the panel the DPI-lock submenu is taller than the room below its entry: it moves up,
    // still beside the menu and inside the window.
    openMenu(6);
    const QRect low = geometry(menu());
    EXPECT_TRUE(windowOnScreen().contains(low));
    restOn(menu(), entryOf(KeyMenu::DpiLock));
    const QRect lock = geometry(sub(KeyMenu::DpiLock));
    EXPECT_LT(lock.top(), low.top() + 14 * row);
    EXPECT_GT(lock.bottom(), low.top() + 15 * row) << "still reaching its entry";
    EXPECT_EQ(lock.left(), low.right() + 1);
    EXPECT_TRUE(windowOnScreen().contains(lock));
    EXPECT_TRUE(takeCodes().empty());
}

TEST_F(ButtonAssignmentTest, TheOnlyLeftButtonStaysAndTheUserIsToldWhy) {
    open();
    ASSERT_EQ(code(0), (Code{0x10, 0x01, 0x00}));
    choose(0, kEntryRight);
    EXPECT_EQ(menu(), 0u);
    EXPECT_EQ(code(0), (Code{0x10, 0x01, 0x00}));
    EXPECT_EQ(name(0), model::LanguageText(20));
    EXPECT_EQ(selector(0)->text(), model::LanguageText(20));
    EXPECT_FALSE(marked());

    DialogScript script;
    script.then(expectAttention(151));
    loop.advance(99);
    EXPECT_EQ(script.shown(), 0);
    loop.advance(1);
    EXPECT_TRUE(script.done());
    loop.advance(300);
    EXPECT_TRUE(takeCodes().empty()) << "nothing is sent";
}

TEST_F(ButtonAssignmentTest, EachChoiceIsOneReportForItsPositionTwentyMillisecondsLater) {
    open();
    // A second left button first; then the first may go.
    choose(4, kEntryLeft);
    EXPECT_EQ(code(4), (Code{0x10, 0x01, 0x00}));
    EXPECT_TRUE(marked());
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{3, {0x10, 0x01, 0x00}}}));
    choose(0, kEntryRight);
    EXPECT_EQ(name(0), model::LanguageText(21));
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{0, {0x10, 0x02, 0x00}}}));
    choose(3, kEntryMiddle);
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{4, {0x10, 0x04, 0x00}}}));
    EXPECT_EQ(selector(3)->text(), model::LanguageText(22));

    // A DPI lock says what it locks; a submenu's entry is stored like a function.
    chooseInSubMenu(1, KeyMenu::DpiLock, 6);
    EXPECT_EQ(code(1), (Code{0x50, 0x07, 0x00}));
    EXPECT_EQ(name(1), model::LanguageText(36) + u"-800");
    EXPECT_EQ(menu(), 0u);
    EXPECT_EQ(sub(KeyMenu::DpiLock), 0u);
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{1, {0x50, 0x07, 0x00}}}));
    chooseInSubMenu(6, KeyMenu::WindowManagement, 1);
    EXPECT_EQ(name(6), model::LanguageText(76));
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{6, {0x70, 0x04, 0x3D}}}));

    const auto state = mouse_->state();
    EXPECT_EQ(state.buttons[0], (Code{0x10, 0x02, 0x00}));
    EXPECT_EQ(state.buttons[3], (Code{0x10, 0x01, 0x00}));
    EXPECT_EQ(state.buttons[4], (Code{0x10, 0x04, 0x00}));
    EXPECT_EQ(state.buttons[1], (Code{0x50, 0x07, 0x00}));

    // Choosing what a button has already writes nothing.
    choose(1, kEntryDisable);
    buttonReportsOfTheDownload();
    choose(1, kEntryDisable);
    EXPECT_TRUE(buttonReportsOfTheDownload().empty());
}

TEST_F(ButtonAssignmentTest, EachSubmenuReportsWithItsOwnMessageAndItsChoiceIsStored) {
    open();
    struct Case {
        KeyMenu menu;
        unsigned message;
        int entry;
        Code code;
        std::u16string name;
    };
    const Case cases[] = {
        {KeyMenu::Dpi, 0x411, 0, {0x40, 0x02, 0x00}, model::LanguageText(40)},
        {KeyMenu::Multimedia, 0x414, 4, {0x80, 0xCD, 0x00}, model::LanguageText(49)},
        {KeyMenu::Office, 0x489, 7, {0x70, 0x08, 0x08}, model::LanguageText(67)},
        {KeyMenu::WindowManagement, 0x486, 0, {0x80, 0x94, 0x01}, model::LanguageText(75)},
        {KeyMenu::DpiLock, 0x483, 10, {0x50, 0x0B, 0x00}, model::LanguageText(36) + u"-1200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.menu));
        openMenu(1);
        restOn(menu(), entryOf(c.menu));
        const WindowHandle h = sub(c.menu);
        ASSERT_NE(h, 0u);
        auto* popup = dynamic_cast<ui::CWndPopup*>(platform::NativeWindow::fromHandle(h)->owner());
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->Message(), c.message);
        clickIn(h, c.entry);
        EXPECT_EQ(menu(), 0u);
        EXPECT_EQ(sub(c.menu), 0u);
        EXPECT_EQ(code(1), c.code);
        EXPECT_EQ(name(1), c.name);
        EXPECT_EQ(selector(1)->text(), c.name);
        EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{1, c.code}}));
    }
}

TEST_F(ButtonAssignmentTest, ChoicesForTheSelectorsPastTheButtonsStoreNothing) {
    open();
    const model::ProfileRecord before = profile();
    ui::PopupChoice right{ui::CComboPopup::kKind, kEntryRight, kLastUnstoredSelector};
    for (int id = kFirstUnstoredSelector; id <= kLastUnstoredSelector; ++id) {
        right.controlId = id;
        loop.send(dlg().hwnd(), kMsgButtonMenuChoice, platform::WPARAM(id), reinterpret_cast<platform::LPARAM>(&right));
        ui::PopupChoice lock{10, 3, id};
        loop.send(dlg().hwnd(), kMsgDpiLockChoice, platform::WPARAM(id), reinterpret_cast<platform::LPARAM>(&lock));
    }
    EXPECT_TRUE(profile() == before);
    EXPECT_FALSE(marked());
    loop.advance(300);
    EXPECT_TRUE(takeCodes().empty());
}

TEST_F(ButtonAssignmentTest, TheFireKeyDialogCutsRefusesAndBuildsTheCode) {
    open();
    DialogScript script;
    script.then([&](ui::CDlgBase& dialog) {
        EXPECT_NE(dynamic_cast<ui::CFireKeyDlg*>(&dialog), nullptr);
        EXPECT_EQ(dialog.Width(), ui::Scaled(429));
        EXPECT_EQ(dialog.Height(), ui::Scaled(140));
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kIntervalEdit), u"50");
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kShotsEdit), u"0");
        EXPECT_NE(std::find(ui::OpenWindows().begin(), ui::OpenWindows().end(), dialog.hwnd()),
                  ui::OpenWindows().end());

        // A letter never reaches the field; a digit does.
        QLineEdit* shots = dialog.Edit(ui::CFireKeyDlg::kShotsEdit);
        QKeyEvent letter(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(shots, &letter);
        loop.runUntilIdle(); // text 175
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kShotsEdit), u"0");
        shots->setCursorPosition(1);
        QKeyEvent digit(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
        QCoreApplication::sendEvent(shots, &digit);
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kShotsEdit), u"07");
        // Pasted text keeps only its digits.
        dialog.SetEditText(ui::CFireKeyDlg::kShotsEdit, u"1a2");
        loop.runUntilIdle(); // text 175
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kShotsEdit), u"12");

        // Values above 255 are cut within 100 ms, each with its own message.
        dialog.SetEditText(ui::CFireKeyDlg::kIntervalEdit, u"300");
        dialog.SetEditText(ui::CFireKeyDlg::kShotsEdit, u"999");
        loop.advance(ui::CFireKeyDlg::kCheckPeriodMs); // texts 174 and 176
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kIntervalEdit), u"255");
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kShotsEdit), u"255");

        // Enter and Escape neither choose nor cancel.
        loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_RETURN, 0);
        loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_ESCAPE, 0);
        EXPECT_TRUE(dialog.IsOpen());
        EXPECT_EQ(code(2), (Code{0x10, 0x04, 0x00}));

        // An interval of 4 is refused and the dialog stays; 50 and 0 are taken.
        dialog.SetEditText(ui::CFireKeyDlg::kIntervalEdit, u"4");
        dialog.SetEditText(ui::CFireKeyDlg::kShotsEdit, u"3");
        clickIn(dialog, ui::CFireKeyDlg::kOkId); // text 174
        EXPECT_TRUE(dialog.IsOpen());
        EXPECT_FALSE(marked());
        // OK before the timer looked: cut first and shown, not sent as a wrapped byte.
        dialog.SetEditText(ui::CFireKeyDlg::kIntervalEdit, u"600");
        clickIn(dialog, ui::CFireKeyDlg::kOkId); // text 174
        EXPECT_TRUE(dialog.IsOpen());
        EXPECT_EQ(dialog.GetEditText(ui::CFireKeyDlg::kIntervalEdit), u"255");
        EXPECT_FALSE(marked());
        dialog.SetEditText(ui::CFireKeyDlg::kIntervalEdit, u"50");
        dialog.SetEditText(ui::CFireKeyDlg::kShotsEdit, u"0");
        clickIn(dialog, ui::CFireKeyDlg::kOkId);
    });
    script.then(expectAttention(175)).then(expectAttention(175)).then(expectAttention(174)).then(expectAttention(176));
    script.then(expectAttention(174)).then(expectAttention(174));
    choose(2, kEntryFireKey);
    loop.runUntilIdle();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(ui::OpenWindowCount(), 0u);
    EXPECT_EQ(code(2), (Code{0x30, 0x32, 0x00}));
    EXPECT_EQ(name(2), model::LanguageText(26));
    EXPECT_EQ(selector(2)->text(), model::LanguageText(26));
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{2, {0x30, 0x32, 0x00}}}));

    // Cancel and the close button store nothing.
    for (int way : {ui::CFireKeyDlg::kCancelId, ui::CFireKeyDlg::kCloseId}) {
        script.then([&](ui::CDlgBase& dialog) {
            dialog.SetEditText(ui::CFireKeyDlg::kIntervalEdit, u"90");
            clickIn(dialog, way);
        });
        choose(5, kEntryFireKey);
        loop.runUntilIdle();
        EXPECT_TRUE(script.done());
        EXPECT_EQ(code(5), (Code{0x40, 0x01, 0x00}));
        EXPECT_FALSE(marked());
    }
}

TEST_F(ButtonAssignmentTest, TheShortcutDialogTakesModifiersFromItsChecksAndTheKeyFromTheHook) {
    open();
    DialogScript script;
    script.then([&](ui::CDlgBase& dialog) {
        auto& shortcut = dynamic_cast<ui::CShortcutDlg&>(dialog);
        EXPECT_TRUE(shortcut.HookRunning());
        EXPECT_EQ(platform::CKeyboardHook::Active()->Target(), dialog.hwnd());
        auto* key = dialog.FindControl(ui::CShortcutDlg::kKeyTextId);
        EXPECT_EQ(key->text(), u"");
        // The sided Shift is a modifier, never the key; the generic one is a key.
        hookKey(dialog, 0xA0);
        hookKey(dialog, 0xA1);
        EXPECT_EQ(key->text(), u"");
        EXPECT_FALSE(shortcut.Input().key);
        hookKey(dialog, 0x10);
        EXPECT_EQ(key->text(), u"Shift");
        // Ctrl and Alt from the checks, Del from the keyboard; the Windows keys change nothing.
        clickIn(dialog, ui::CShortcutDlg::kCtrlId);
        clickIn(dialog, ui::CShortcutDlg::kAltId);
        hookKey(dialog, 0x2E);
        hookKey(dialog, 0x5B);
        hookKey(dialog, 0x2E, true);
        EXPECT_EQ(key->text(), u"Del");
        EXPECT_EQ(dialog.FindControl(ui::CShortcutDlg::kPreviewId)->text(), u"Ctrl+Alt+Del");
        // Enter is a key here, not OK.
        loop.send(dialog.hwnd(), platform::WM_KEYDOWN, platform::VK_RETURN, 0);
        EXPECT_TRUE(dialog.IsOpen());
        clickIn(dialog, ui::CShortcutDlg::kOkId);
    });
    choose(5, kEntryShortcut);
    loop.runUntilIdle();
    ASSERT_TRUE(script.done());
    EXPECT_EQ(platform::CKeyboardHook::Active(), nullptr);
    EXPECT_EQ(code(5), (Code{0x70, 0x05, 0x4C}));
    EXPECT_EQ(name(5), u"Ctrl+Alt+Del");
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{5, {0x70, 0x05, 0x4C}}}));

    // The logo key alone, under the name Linux desktops give it.
    std::u16string superCaption;
    script.then([&](ui::CDlgBase& dialog) {
        superCaption = dialog.FindControl(ui::CShortcutDlg::kWinId)->text();
        clickIn(dialog, ui::CShortcutDlg::kWinId);
        clickIn(dialog, ui::CShortcutDlg::kOkId);
    });
    choose(2, kEntryShortcut);
    EXPECT_EQ(code(2), (Code{0x70, 0x08, 0x00}));
    EXPECT_EQ(name(2), u"Super");
    EXPECT_EQ(superCaption, u"Super");
    EXPECT_EQ(buttonReportsOfTheDownload(), (std::vector<ButtonReport>{{2, {0x70, 0x08, 0x00}}}));

    // "No modifier keys" switches the four off; with no key OK closes without a choice.
    script.then([&](ui::CDlgBase& dialog) {
        clickIn(dialog, ui::CShortcutDlg::kShiftId);
        clickIn(dialog, ui::CShortcutDlg::kNoModifierId);
        for (int id : {ui::CShortcutDlg::kCtrlId, ui::CShortcutDlg::kShiftId, ui::CShortcutDlg::kAltId,
                       ui::CShortcutDlg::kWinId})
            EXPECT_TRUE(dialog.FindControl(id)->isDisabled()) << id;
        clickIn(dialog, ui::CShortcutDlg::kCtrlId); // ignored while switched off
        EXPECT_FALSE(dialog.FindControlAs<ui::CCheckButton>(ui::CShortcutDlg::kCtrlId)->IsChecked());
        clickIn(dialog, ui::CShortcutDlg::kOkId);
    });
    choose(3, kEntryShortcut);
    EXPECT_EQ(code(3), (Code{0x10, 0x10, 0x00}));
    EXPECT_FALSE(marked());
    // With a key it is the key alone, whatever the switched-off checks say.
    script.then([&](ui::CDlgBase& dialog) {
        clickIn(dialog, ui::CShortcutDlg::kShiftId);
        clickIn(dialog, ui::CShortcutDlg::kNoModifierId);
        hookKey(dialog, 'Z');
        clickIn(dialog, ui::CShortcutDlg::kOkId);
    });
    choose(3, kEntryShortcut);
    EXPECT_EQ(code(3), (Code{0x70, 0x00, 0x1D}));
    EXPECT_EQ(name(3), u"Z");

    // Cancel and the close button stop the hook and leave the open-window table.
    for (int way : {ui::CShortcutDlg::kCancelId, ui::CShortcutDlg::kCloseId}) {
        script.then([&](ui::CDlgBase& dialog) {
            EXPECT_EQ(ui::OpenWindowCount(), 1u);
            hookKey(dialog, 'Q');
            clickIn(dialog, way);
        });
        choose(4, kEntryShortcut);
        ASSERT_TRUE(script.done());
        EXPECT_EQ(platform::CKeyboardHook::Active(), nullptr);
        EXPECT_EQ(ui::OpenWindowCount(), 0u);
        EXPECT_EQ(code(4), (Code{0x10, 0x08, 0x00}));
    }
}

TEST_F(ButtonAssignmentTest, TheLongestShortcutNameFitsItsPreview) {
    open();
    DialogScript script;
    script.then([&](ui::CDlgBase& dialog) {
        for (int id : {ui::CShortcutDlg::kCtrlId, ui::CShortcutDlg::kShiftId, ui::CShortcutDlg::kAltId,
                       ui::CShortcutDlg::kWinId})
            clickIn(dialog, id);
        auto* preview = dialog.FindControl(ui::CShortcutDlg::kPreviewId);
        const int usual = QFontMetrics(preview->font()).height();
        hookKey(dialog, 0x2C);
        EXPECT_EQ(preview->text(), u"Ctrl+Shift+Alt+Super+Print Screen");
        const QString shown = QString::fromStdU16String(preview->text());
        EXPECT_LE(QFontMetrics(preview->font()).horizontalAdvance(shown), preview->rect().width());
        EXPECT_GE(QFontMetrics(preview->font()).height(), usual * 2 / 3) << "still readable";
        // A short name again: the usual size.
        clickIn(dialog, ui::CShortcutDlg::kShiftId);
        clickIn(dialog, ui::CShortcutDlg::kAltId);
        clickIn(dialog, ui::CShortcutDlg::kWinId);
        EXPECT_EQ(preview->text(), u"Ctrl+Print Screen");
        EXPECT_EQ(QFontMetrics(preview->font()).height(), usual);
        clickIn(dialog, ui::CShortcutDlg::kCancelId);
    });
    choose(5, kEntryShortcut);
    EXPECT_TRUE(script.done());
}

TEST_F(ButtonAssignmentTest, AMacroReachesTheMouseOnceForTwoButtonsAndComesBackFromItsFile) {
    services_.runMacroManager = [](WindowHandle parent) {
        ui::CMacroManagerDlg manager(parent);
        manager.DoModal();
    };
    open();
    macro::CurrentMacroLocation() = macro::MacroLocation::None();
    const macro::MacroLocation folder = macro::MacroLocation::At(0);
    const macro::MacroLocation at = macro::MacroLocation::At(0, 0);
    // In the manager: a folder, a macro in it, "A" and "B" typed with the delays between them as
    // the key capture posts them, played three times.
    DialogScript script;
    auto typeName = [&](const char16_t* typed) {
        return [this, typed](ui::CDlgBase& dialog) {
            dialog.SetEditText(ui::kIdNameEdit, typed);
            clickIn(dialog, ui::kIdDialogOk);
        };
    };
    inTheManager(script, [&](ui::CDlgBase& manager) {
        chooseItem(manager, std::nullopt, 2); // new folder
        ASSERT_EQ(macro::CurrentMacroLocation(), folder);
        clickIn(manager, ui::kIdNewMacro);
        ASSERT_EQ(macro::CurrentMacroLocation(), at);
        clickIn(manager, ui::kIdRecord);
        auto key = [&](unsigned vk, bool release) {
            loop.send(manager.hwnd(), platform::kKeyboardHookMessage, vk, platform::HookEventWord(release, loop.now()));
        };
        key('A', false);
        loop.advance(50);
        key('A', true);
        loop.advance(30);
        key('B', false);
        loop.advance(40);
        key('B', true);
        clickIn(manager, ui::kIdRecord); // stop
        clickIn(manager, ui::kIdLoopCounted);
        manager.SetEditText(ui::kIdLoopCount, u"3");
    });
    script.then(typeName(u"Games")).then(typeName(u"Combo"));
    clickControl(kMacroManager);
    ASSERT_TRUE(script.done());
    // What the main window read back from the library file.
    const macro::MacroLibraryNode* recorded = macro::TheMacroLibrary().SlotAt(at);
    ASSERT_TRUE(recorded && recorded->IsMacroSlot());
    EXPECT_EQ(recorded->name, u"Combo");
    const model::MacroRecord& combo = *recorded->macro;
    const std::vector<model::MacroAction> actions{
        model::MakeKeyEvent('A', false), model::MakeDelay(50), model::MakeKeyEvent('A', true), model::MakeDelay(30),
        model::MakeKeyEvent('B', false), model::MakeDelay(40), model::MakeKeyEvent('B', true)};
    EXPECT_EQ(
        std::vector<model::MacroAction>(combo.actions.begin(), combo.actions.begin() + long(combo.ValidActionCount())),
        actions);
    EXPECT_EQ(combo.MacroCommandActionNum, 4);
    EXPECT_EQ(combo.MacroKeyLoopType, model::kLoopCounted);
    EXPECT_EQ(combo.MacroKeyLoopNum, 3);
    const std::uint32_t serial = combo.MacroKeyIndex;

    // Button 2 gets it through the menu and the select dialog; with no row chosen OK is refused.
    auto pick = [&](ui::CDlgBase& dialog) {
        EXPECT_NE(dynamic_cast<ui::CMacroSelectDlg*>(&dialog), nullptr);
        clickIn(dialog, ui::kIdDialogOk); // text 234
        clickRow(dialog, at);
        clickIn(dialog, ui::kIdDialogOk);
    };
    script.then(pick).then(expectAttention(ui::kTextNoMacroSelected));
    choose(2, kEntryMacro);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(name(2), model::LanguageText(190) + u"Combo");
    EXPECT_EQ(code(2), (Code{0x90, 0x00, 0x00}));
    EXPECT_EQ(profile().buttons[2].MacroKeyIndex, serial);
    EXPECT_EQ(profile().buttons[2].Macro.MacroActionNum, 7u);
    auto reports = reportsOfTheDownload();
    EXPECT_EQ(countOf(reports, device::kCmdButton), 1);
    EXPECT_GE(countOf(reports, device::kCmdMacroChunk), 1);
    // Device slot 1, repeated 3 times: each event with the delay after it (key, release bit).
    EXPECT_EQ(code(2), (Code{0x90, 0x21, 0x03}));
    auto state = mouse_->state();
    EXPECT_EQ(state.buttons[2], (Code{0x90, 0x21, 0x03}));
    EXPECT_EQ(state.macros[1].data,
              (std::vector<std::uint8_t>{0x30, 50, 0x04, 0xB0, 30, 0x04, 0x30, 40, 0x05, 0xB0, 0, 0x05}));

    // Button 4 plays the same macro: one device slot, written once.
    script.then([&](ui::CDlgBase& dialog) {
        clickRow(dialog, at);
        clickIn(dialog, ui::kIdDialogOk);
    });
    choose(4, kEntryMacro);
    reports = reportsOfTheDownload();
    EXPECT_EQ(countOf(reports, device::kCmdButton), 1);
    EXPECT_EQ(countOf(reports, device::kCmdMacroChunk), 0);
    EXPECT_EQ(mouse_->state().buttons[3], (Code{0x90, 0x21, 0x03})) << "button 4 sits at position 3";

    // The manager refuses to delete a macro a button plays.
    inTheManager(script, [&](ui::CDlgBase& manager) {
        clickRow(manager, at);
        clickIn(manager, ui::kIdDeleteItem); // texts 232, 257
    });
    script.then(expectAttention(ui::kTextConfirmDelete)).then(expectAttention(ui::kTextItemInUse));
    clickControl(kMacroManager);
    ASSERT_TRUE(script.done());
    ASSERT_TRUE(macro::TheMacroLibrary().SlotAt(at) && macro::TheMacroLibrary().SlotAt(at)->IsMacroSlot());
    takeReports();

    // Exported, no longer played, deleted, imported: the same steps come back.
    const std::string file = (dir_.path() / "combo").string();
    std::optional<std::string> answer = file;
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) { return answer; });
    inTheManager(script, [&](ui::CDlgBase& manager) { chooseItem(manager, at, 3); });
    clickControl(kMacroManager);
    ASSERT_TRUE(script.done());
    ASSERT_TRUE(std::filesystem::exists(file + ".mkf"));

    choose(2, kEntryDisable);
    choose(4, kEntryDisable);
    EXPECT_EQ(name(4), model::LanguageText(34));
    EXPECT_EQ(profile().buttons[4].Macro.MacroActionNum, 0u);
    reports = reportsOfTheDownload();
    EXPECT_EQ(countOf(reports, device::kCmdButton), 2);
    inTheManager(script, [&](ui::CDlgBase& manager) {
        clickRow(manager, folder);           // with the macro in it
        clickIn(manager, ui::kIdDeleteItem); // text 232
    });
    script.then(expectAttention(ui::kTextConfirmDelete));
    clickControl(kMacroManager);
    ASSERT_TRUE(script.done());
    EXPECT_EQ(macro::TheMacroLibrary().CountOccupied(), 0u);

    answer = file + ".mkf";
    inTheManager(script, [&](ui::CDlgBase& manager) { chooseItem(manager, std::nullopt, 4); });
    clickControl(kMacroManager);
    ASSERT_TRUE(script.done());
    const macro::MacroLibraryNode* back = macro::TheMacroLibrary().SlotAt(macro::MacroLocation::At(0));
    ASSERT_TRUE(back && back->IsMacroSlot());
    EXPECT_EQ(back->name, u"Combo");
    EXPECT_EQ(std::vector<model::MacroAction>(back->macro->actions.begin(),
                                              back->macro->actions.begin() + long(back->macro->ValidActionCount())),
              actions);
    EXPECT_EQ(back->macro->MacroKeyLoopNum, 3);
}

} // namespace
} // namespace quorvik::test

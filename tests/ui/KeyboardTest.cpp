// Keyboard focus, keys and the wheel on skinned controls, driven with the key and wheel events Qt
// delivers to a window: each key ends in exactly the messages a click or a drag sends.
#include "UiTestSupport.h"

#include "macro/MacroLibrary.h"
#include "model/Text.h"
#include "platform/qt/KeyboardHook.h"
#include "ui/macro/ListScrolling.h"
#include "ui/macro/Lists.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/Sliders.h"
#include "ui/skin/WndPopup.h"

#include <QKeyEvent>
#include <QWheelEvent>

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;
using quorvik::test::RecordingDlg;
using quorvik::test::Sent;

namespace {

class KeyboardTest : public quorvik::test::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        dlg.Create();
    }
    template <class T, class... Args> T* add(Args&&... args) {
        return dlg.AddControl(1, std::make_unique<T>(dlg.hwnd(), std::forward<Args>(args)...));
    }
    // A key as Qt hands it to the window (or to the edit field that has the focus).
    void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = dlg.window()->focusWidget() ? dlg.window()->focusWidget() : dlg.window();
        QKeyEvent press(QEvent::KeyPress, qtKey, modifiers);
        QCoreApplication::sendEvent(target, &press);
    }
    void wheel(int x, int y, int notches) {
        const QPointF at(x, y);
        QWheelEvent event(at, dlg.window()->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(dlg.window(), &event);
    }
    std::vector<int> tabOrder() {
        std::vector<int> ids;
        for (const FocusStop& stop : dlg.FocusOrder())
            ids.push_back(stop.control ? stop.control->id() : -stop.editId);
        return ids;
    }
    RecordingDlg dlg;
};

TEST_F(KeyboardTest, TabFollowsReadingOrderSkippingHiddenDisabledAndPlainControls) {
    // Made out of order: the order is the layout's, not the creation's; the close button in the
    // title strip comes last.
    add<CImageButton>(kDialogCloseId, Rect{370, 4, 392, 26}, u"");
    add<CCheckButton>(12, Rect{10, 100, 110, 120}, u"below");
    add<CCheckButton>(11, Rect{120, 50, 220, 70}, u"right");
    add<CCheckButton>(10, Rect{10, 50, 110, 70}, u"left");
    add<CCheckButton>(13, Rect{10, 130, 110, 150}, u"hidden", false);
    add<CCheckButton>(14, Rect{10, 160, 110, 180}, u"disabled", true, true, true);
    add<CStaticText>(15, Rect{10, 190, 110, 210}, u"label", Qt::white);
    dlg.AddEdit(20, Rect{10, 220, 110, 240}, u"7");
    EXPECT_EQ(tabOrder(), (std::vector<int>{10, 11, 12, -20, kDialogCloseId}));

    key(Qt::Key_Tab);
    EXPECT_EQ(dlg.FocusedControl()->id(), 10);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab); // into the edit field, and Tab there goes on (Qt's own chain is not used)
    EXPECT_EQ(dlg.FocusedEditId(), 20);
    EXPECT_EQ(dlg.FocusedControl(), nullptr);
    key(Qt::Key_Tab);
    EXPECT_EQ(dlg.FocusedControl()->id(), kDialogCloseId);
    key(Qt::Key_Tab); // round to the first
    EXPECT_EQ(dlg.FocusedControl()->id(), 10);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dlg.FocusedControl()->id(), kDialogCloseId);
    EXPECT_TRUE(dlg.sent.empty()); // moving the focus tells the controls nothing
}

TEST_F(KeyboardTest, SpaceAndEnterSendWhatAClickSendsAndTheMarkShowsOnlyAfterKeys) {
    auto* check = add<CCheckButton>(2030, Rect{10, 10, 110, 30}, u"Accel");
    add<CComboButton>(2013, Rect{10, 40, 110, 60}, u"Left", 0x404u);
    auto* slider = add<CSliderControl>(3200, Rect{10, 70, 210, 90}, 5, 8, 8);

    click(dlg, 50, 20);
    const std::vector<Sent> byMouse = dlg.sent;
    EXPECT_EQ(dlg.FocusedControl(), check); // the click gave it the focus, without the mark
    EXPECT_FALSE(dlg.FocusMarkShown());
    dlg.sent.clear();
    key(Qt::Key_Space);
    EXPECT_EQ(dlg.sent, byMouse);
    EXPECT_FALSE(check->IsChecked()); // flipped twice
    EXPECT_TRUE(dlg.FocusMarkShown());
    EXPECT_EQ(check->mouseState(), kStateNormal);

    dlg.sent.clear();
    key(Qt::Key_Tab);
    key(Qt::Key_Return);
    EXPECT_EQ(dlg.sent, (std::vector<Sent>{{2013, 0, kCodeDown}, {0x404, 2013, kCodeClick}}));

    // Space on a slider would move it to its middle: it does nothing there.
    dlg.sent.clear();
    dlg.SetFocusTo(slider);
    key(Qt::Key_Space);
    EXPECT_TRUE(dlg.sent.empty());

    mouse(dlg, WM_LBUTTONDOWN, 300, 250, MK_LBUTTON); // the mouse again: the mark goes
    EXPECT_FALSE(dlg.FocusMarkShown());
}

TEST_F(KeyboardTest, ArrowsSelectWithinARadioGroupAndStopAtItsEnds) {
    for (int k = 0; k < 4; ++k)
        add<CRadioButton>(3030 + k, Rect{10 + 50 * k, 10, 50 + 50 * k, 30}, u"Hz");
    auto* other = add<CRadioButton>(3510, Rect{10, 60, 50, 80}, u"Low");
    SetRadioGroupWord(1u << RadioBit(3030) | 1u << RadioBit(3510));
    dlg.SetFocusTo(dlg.FindControl(3030));

    key(Qt::Key_Right);
    EXPECT_EQ(dlg.FocusedControl()->id(), 3031);
    EXPECT_EQ(dlg.sent, (std::vector<Sent>{{3031, 0, kCodeDown}, {3031, 0, kCodeClick}}));
    EXPECT_EQ(RadioGroupWord(), 1u << RadioBit(3031) | 1u << RadioBit(3510)); // the other group stays
    key(Qt::Key_Left);
    key(Qt::Key_Left); // already the first
    EXPECT_EQ(dlg.FocusedControl()->id(), 3030);
    EXPECT_TRUE(*static_cast<CRadioButton*>(dlg.FindControl(3030))->CheckedState());
    EXPECT_TRUE(*other->CheckedState());
}

TEST_F(KeyboardTest, SliderKeysDragAndReleaseOnceInputPauses) {
    auto* slider = add<CSliderControl>(3200, Rect{10, 10, 210, 30}, 11, 8, 8);
    slider->SetValue(5);
    dlg.SetFocusTo(slider);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    loop.advance(kStepPauseMs - 1);
    key(Qt::Key_Left); // the wait starts again
    loop.advance(kStepPauseMs - 1);
    EXPECT_EQ(dlg.sent,
              (std::vector<Sent>{{3200, 6, kCodeDragValue}, {3200, 7, kCodeDragValue}, {3200, 6, kCodeDragValue}}));
    loop.advance(1);
    EXPECT_EQ(dlg.sent.back(), (Sent{3200, 0, kCodeClick}));
    EXPECT_EQ(slider->GetValue(), 6);

    dlg.sent.clear();
    key(Qt::Key_End);
    key(Qt::Key_End); // at the end: nothing moves, nothing is sent
    key(Qt::Key_PageDown);
    key(Qt::Key_Home);
    loop.advance(kStepPauseMs);
    EXPECT_EQ(
        dlg.sent,
        (std::vector<Sent>{
            {3200, 10, kCodeDragValue}, {3200, 9, kCodeDragValue}, {3200, 0, kCodeDragValue}, {3200, 0, kCodeClick}}));

    // A click while a step waits: the release goes first, then the mouse's own messages.
    dlg.sent.clear();
    key(Qt::Key_Up);
    click(dlg, slider->StopX(4), 20);
    ASSERT_GE(dlg.sent.size(), 3u);
    EXPECT_EQ(dlg.sent[1], (Sent{3200, 0, kCodeClick}));
    EXPECT_EQ(dlg.sent[2], (Sent{3200, 0, kCodeDown}));
}

TEST_F(KeyboardTest, WheelStepsValuesScrollsListsAndLeavesSelectorsAlone) {
    auto* level = add<CVerticalSliderControl>(3280, Rect{10, 10, 30, 110}, 50, 0, 0);
    level->SetValue(10);
    add<CComboButton>(2013, Rect{50, 10, 150, 30}, u"Left", 0x404u);
    auto* dial = add<CPowerManageButton>(3500, Rect{200, 10, 280, 90});
    dial->SetChoice(10);
    auto* list = add<CImageShowList>(2020, Rect{10, 150, 150, 250});
    auto* bar = add<CVScrollBar>(2022, Rect{150, 150, 164, 250});
    list->SetWheelTarget(bar);
    bar->SetScroll(4, 5, 20);

    // A burst of notches in one event moves as far as a drag would in one move.
    wheel(20, 50, 3);
    wheel(20, 50, 2);
    EXPECT_EQ(dlg.of(3280), (std::vector<Sent>{{3280, 13, kCodeDragValue}, {3280, 15, kCodeDragValue}}));
    loop.advance(kStepPauseMs);
    EXPECT_EQ(dlg.of(3280).back(), (Sent{3280, 15, kCodeClick})); // one release for both
    EXPECT_EQ(dlg.of(3280).size(), 3u);

    wheel(100, 20, 1);
    EXPECT_TRUE(dlg.of(2013).empty());
    EXPECT_TRUE(dlg.of(0x404).empty());

    wheel(240, 50, 1); // 10 minutes is the end: no sector message
    EXPECT_TRUE(dlg.of(3500).empty());
    wheel(240, 50, -1);
    wheel(240, 50, -2);
    EXPECT_EQ(dial->GetChoice(), 7);
    EXPECT_EQ(dlg.of(3500), (std::vector<Sent>{{3500, 0, kCodeClick}, {3500, 0, kCodeClick}}));

    wheel(50, 200, -1); // over the list: its bar's down arrow, three rows
    std::vector<Sent> arrow;
    for (int i = 0; i < CVScrollBar::kRowsPerNotch; ++i) {
        arrow.push_back({2022, kScrollLineDown, kCodeDown});
        arrow.push_back({2022, 0, kCodeClick});
    }
    EXPECT_EQ(dlg.of(2022), arrow);
}

TEST_F(KeyboardTest, EscapePressesTheCloseButtonExceptWhileAKeyCaptureRuns) {
    add<CImageButton>(kDialogCloseId, Rect{370, 4, 392, 26}, u"");
    add<CCheckButton>(10, Rect{10, 50, 110, 70}, u"left");
    key(Qt::Key_Escape);
    EXPECT_EQ(dlg.of(kDialogCloseId), (std::vector<Sent>{{kDialogCloseId, kDialogCloseId, kCodeDown},
                                                         {kDialogCloseId, kDialogCloseId, kCodeClick}}));

    dlg.sent.clear();
    CKeyboardHook hook;
    ASSERT_TRUE(hook.StartHook(dlg.hwnd()));
    key(Qt::Key_Tab);
    key(Qt::Key_Space);
    EXPECT_EQ(dlg.FocusedControl(), nullptr);
    // Escape is the dialog's key as it always was (this one cancels on it), not a press.
    key(Qt::Key_Escape);
    EXPECT_TRUE(dlg.of(kDialogCloseId).empty());
    EXPECT_FALSE(dlg.IsOpen());
    hook.StopHook();
}

// A dialog that scrolls its tree by its bar, as the macro windows do.
class TreeDlg : public RecordingDlg {
public:
    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
        if (message == 2021)
            if (auto first = ScrollBarMoved(*FindControlAs<CVScrollBar>(2021), wParam, lParam))
                FindControlAs<CEditShowList>(2015)->SetFirstVisibleRow(*first);
        return RecordingDlg::handleMessage(message, wParam, lParam);
    }
};

TEST_F(KeyboardTest, TreeArrowsSelectRowsAsClicksAndScrollThemIntoViewByTheBar) {
    auto& library = macro::TheMacroLibrary();
    library.Clear();
    library.AddFolderAt(macro::MacroLocation::At(0), u"Games", false);
    library.AddMacroAt(macro::MacroLocation::At(0, 0), u"Inside", std::make_unique<model::MacroRecord>());
    for (int i = 1; i < 8; ++i)
        library.AddMacroAt(macro::MacroLocation::At(i), u"M" + model::DecimalText(i),
                           std::make_unique<model::MacroRecord>());
    TreeDlg trees;
    trees.Create();
    auto* tree = trees.AddControl(1, std::make_unique<CEditShowList>(trees.hwnd(), 2015, Rect{0, 0, 200, 40}, library));
    auto* bar = trees.AddControl(1, std::make_unique<CVScrollBar>(trees.hwnd(), 2021, Rect{200, 0, 214, 40}));
    tree->SetWheelTarget(bar);
    bar->SetScroll(0, tree->VisibleRows(), 8);
    ASSERT_EQ(tree->VisibleRows(), 2);
    trees.SetFocusTo(tree);
    auto press = [&](unsigned vk) { trees.NavigateKey(vk, 0); };

    press(VK_DOWN);
    press(VK_DOWN);
    press(VK_DOWN); // the fourth row: one press of the bar's down arrow, then the click on it
    EXPECT_EQ(tree->SelectedRow(), 2);
    EXPECT_EQ(tree->FirstVisibleRow(), 1);
    EXPECT_EQ(macro::CurrentMacroLocation(), macro::MacroLocation::At(2));
    EXPECT_EQ(trees.of(2021), (std::vector<Sent>{{2021, kScrollLineDown, kCodeDown}, {2021, 0, kCodeClick}}));
    EXPECT_EQ(trees.of(2015).size(), 3u); // a click each
    EXPECT_EQ(trees.of(2015).back(), (Sent{2015, 0, kCodeClick}));

    press(VK_END);
    EXPECT_EQ(tree->SelectedRow(), 7);
    EXPECT_EQ(tree->FirstVisibleRow(), 6);
    press(VK_HOME);
    EXPECT_EQ(tree->FirstVisibleRow(), 0);
    EXPECT_EQ(macro::CurrentMacroLocation(), macro::MacroLocation::At(0));
    press(VK_RETURN); // the folder opens, as on a double-click
    EXPECT_EQ(tree->Rows().size(), 9u);
    EXPECT_EQ(trees.of(2015).back(), (Sent{2015, 0, kCodeDoubleClick}));
    EXPECT_EQ(tree->AccessRowText(1), u"Inside");
    library.Clear();
}

class MenuPopup : public CWndPopup {
protected:
    void BuildItems() override {
        AddItem(u"One", {}, {});
        AddSeparator();
        AddItem(u"Two", {}, {});
        AddItem(u"Three", {}, {});
        LayoutRows(20, 4);
    }
};

TEST_F(KeyboardTest, PopupKeysMoveTheHotRowChooseItAndCloseAsAClickOutside) {
    auto* popup = new MenuPopup();
    ASSERT_TRUE(popup->Create(dlg.hwnd(), Rect{0, 0, 100, 64}, 7, 2013, 0x403));
    const WindowHandle h = popup->hwnd();
    loop.send(h, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(popup->HotItem(), 3); // from none, up wraps to the last
    loop.send(h, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(popup->HotItem(), 0);
    loop.send(h, WM_KEYDOWN, VK_DOWN, 0); // over the separator
    EXPECT_EQ(popup->HotItem(), 2);
    loop.send(h, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_EQ(dlg.of(0x403).size(), 1u);
    EXPECT_EQ(dlg.of(0x403)[0].wParam, 2013u);

    loop.send(h, WM_KEYDOWN, VK_ESCAPE, 0);
    loop.send(h, WM_KEYDOWN, VK_ESCAPE, 0); // told once, as a loss of activation is
    EXPECT_EQ(dlg.of(CWndPopup::ClosedMessageForKind(7)), (std::vector<Sent>{{1126, 2013, 7}}));
    popup->window()->destroyWindow();
}

} // namespace

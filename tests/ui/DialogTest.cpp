// Dialog and popup bases: moving, painting, the open-window table, popups closing, modal loops.
#include "UiTestSupport.h"

#include "ui/skin/AttentionDlg.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/OpenWindowTable.h"
#include "ui/skin/WndPopup.h"

#include <QApplication>
#include <QKeyEvent>

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;
using quorvik::test::RecordingDlg;
using quorvik::test::SendMouse;
using quorvik::test::Sent;

namespace {

class DialogTest : public quorvik::test::UiTest {};

TEST_F(DialogTest, DraggingTheBackgroundMovesTheDialogButNotOnAControl) {
    RecordingDlg dlg;
    dlg.Create();
    dlg.AddControl(1, std::make_unique<CImageButton>(dlg.hwnd(), 2010, Rect{100, 100, 180, 124}, u"OK"));
    NativeWindow* w = dlg.window();
    w->showCommand(SW_SHOW);
    w->move(200, 150);
    const QPoint start = w->pos();

    // Free area: the press becomes a caption drag once the loop delivers it.
    SendMouse(w, QEvent::MouseMove, start + QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseButtonPress, start + QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    loop.runUntilIdle();
    SendMouse(w, QEvent::MouseMove, start + QPoint(70, 60), Qt::NoButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseMove, start + QPoint(80, 65), Qt::NoButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, start + QPoint(80, 65), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w->pos(), start + QPoint(60, 45));

    // A quick click is over before the posted drag request arrives: nothing follows the pointer.
    const QPoint afterDrag = w->pos();
    SendMouse(w, QEvent::MouseButtonPress, afterDrag + QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, afterDrag + QPoint(20, 20), Qt::LeftButton, Qt::NoButton);
    loop.runUntilIdle();
    SendMouse(w, QEvent::MouseMove, afterDrag + QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w->pos(), afterDrag);

    // A click whose request arrives while the button is still down: released without a move, no
    // move ever started, and the pointer moving afterwards takes nothing along.
    SendMouse(w, QEvent::MouseButtonPress, afterDrag + QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    loop.runUntilIdle();
    SendMouse(w, QEvent::MouseButtonRelease, afterDrag + QPoint(20, 20), Qt::LeftButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseMove, afterDrag + QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseMove, afterDrag + QPoint(95, 90), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w->pos(), afterDrag);
    // Held, the window stays for a jitter of a pixel or two and moves once the pointer has gone
    // a few pixels, the pressed point under the pointer.
    SendMouse(w, QEvent::MouseButtonPress, afterDrag + QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    loop.runUntilIdle();
    SendMouse(w, QEvent::MouseMove, afterDrag + QPoint(22, 21), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w->pos(), afterDrag);
    SendMouse(w, QEvent::MouseMove, afterDrag + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(w->pos(), afterDrag + QPoint(10, 0));
    SendMouse(w, QEvent::MouseButtonRelease, afterDrag + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
    w->move(afterDrag);

    // On a control the press goes to the control and the window stays.
    const QPoint moved = w->pos();
    SendMouse(w, QEvent::MouseMove, moved + QPoint(110, 110), Qt::NoButton, Qt::NoButton);
    SendMouse(w, QEvent::MouseButtonPress, moved + QPoint(110, 110), Qt::LeftButton, Qt::LeftButton);
    loop.runUntilIdle();
    SendMouse(w, QEvent::MouseMove, moved + QPoint(160, 150), Qt::NoButton, Qt::LeftButton);
    SendMouse(w, QEvent::MouseButtonRelease, moved + QPoint(160, 150), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w->pos(), moved);
    EXPECT_EQ(dlg.of(2010), (std::vector<Sent>{{2010, 2010, kCodeDown}}));
}

TEST_F(DialogTest, FrameSetsTheBackgroundToItsMeanColour) {
    RecordingDlg dlg;
    EXPECT_EQ(dlg.BackgroundColour(), QColor(0xBA, 0xE2, 0xEF));
    QImage frame(4, 2, QImage::Format_RGB32);
    frame.fill(QColor(10, 20, 30));
    frame.setPixelColor(0, 0, QColor(90, 100, 110)); // mean: 20, 30, 40 per channel
    dlg.SetFrameBitmap(frame);
    EXPECT_EQ(dlg.BackgroundColour(), QColor(20, 30, 40));
    EXPECT_EQ(dlg.FrameSize(), QSize(4, 2));
    EXPECT_FALSE(dlg.SetFrameBitmap(SkinFile("no_such_frame.bmp")));
    EXPECT_EQ(dlg.BackgroundColour(), QColor(20, 30, 40));
}

TEST_F(DialogTest, MinimiseAndRestoreRepaintsEverything) {
    RecordingDlg dlg(200, 120);
    dlg.Create();
    auto* text = dlg.AddControl(
        1, std::make_unique<CStaticText>(dlg.hwnd(), 3405, Rect{10, 10, 190, 40}, u"Restored", QColor(Qt::white)));
    (void)text;
    QImage frame(20, 20, QImage::Format_RGB32);
    frame.fill(QColor(40, 60, 80));
    dlg.SetFrameBitmap(frame);
    NativeWindow* w = dlg.window();
    w->showCommand(SW_SHOW);
    QImage before = w->grab().toImage();

    w->showCommand(SW_MINIMIZE);
    ASSERT_TRUE(w->isMinimized());
    QImage minimised = w->grab().toImage();
    EXPECT_NE(minimised, before); // only the one pixel is drawn while minimised
    EXPECT_EQ(minimised.pixelColor(10, 10), QColor(Qt::white));

    w->showCommand(SW_RESTORE);
    ASSERT_FALSE(w->isMinimized());
    EXPECT_EQ(w->grab().toImage(), before);
}

TEST_F(DialogTest, TheOpenWindowTableListsTenDialogs) {
    std::vector<std::unique_ptr<CAttentionDlg>> dialogs;
    for (int i = 0; i < 11; ++i) {
        dialogs.push_back(std::make_unique<CAttentionDlg>(u"hello", 0));
        ASSERT_TRUE(dialogs.back()->Create());
    }
    EXPECT_EQ(OpenWindowCount(), 10u);
    EXPECT_EQ(OpenWindows()[9], dialogs[9]->hwnd());
    EXPECT_TRUE(loop.isWindow(dialogs[10]->hwnd())); // open, but not listed

    // Closing the third moves the later entries down.
    const WindowHandle fourth = dialogs[3]->hwnd();
    dialogs[2]->DestroyWindow();
    EXPECT_EQ(OpenWindowCount(), 9u);
    EXPECT_EQ(OpenWindows()[2], fourth);
    EXPECT_EQ(OpenWindows()[9], WindowHandle(0));

    // The shutdown closes every listed dialog; the unlisted one stays open.
    CloseOpenWindows();
    EXPECT_EQ(OpenWindowCount(), 0u);
    EXPECT_FALSE(dialogs[0]->IsOpen());
    EXPECT_TRUE(dialogs[10]->IsOpen());
}

// A popup whose owner records what it hears.
struct PopupCase {
    int kind;
    unsigned closed;
};

class PopupTest : public DialogTest, public ::testing::WithParamInterface<PopupCase> {};

TEST_P(PopupTest, LosingActivationSendsExactlyTheKindsClosedMessage) {
    RecordingDlg owner;
    owner.Create();
    auto* popup = new CWndPopup();
    ASSERT_TRUE(popup->Create(owner.hwnd(), Rect{10, 10, 170, 110}, GetParam().kind, 2013, 0x403));
    const WindowHandle handle = popup->hwnd();
    owner.SetPopup(0, handle);

    loop.send(handle, WM_ACTIVATE, WA_INACTIVE, 0);
    loop.send(handle, WM_ACTIVATE, WA_INACTIVE, 0); // a second report changes nothing
    std::vector<Sent> expected;
    if (GetParam().closed)
        expected.push_back({GetParam().closed, 2013, GetParam().kind});
    EXPECT_EQ(owner.sent, expected);

    // Closing tells the owner with 0x401 and nothing else, and the popup is gone.
    owner.sent.clear();
    owner.ClosePopup(0);
    loop.runUntilIdle();
    EXPECT_EQ(owner.sent, (std::vector<Sent>{{kPopupClosingMessage, 2013, GetParam().kind}}));
    EXPECT_FALSE(loop.isWindow(handle));
    EXPECT_EQ(owner.Popup(0), WindowHandle(0));
}

INSTANTIATE_TEST_SUITE_P(Kinds, PopupTest,
                         ::testing::Values(PopupCase{0, 1029}, PopupCase{3, 1045}, PopupCase{4, 0}, PopupCase{5, 0},
                                           PopupCase{6, 1057}, PopupCase{14, 1168}, PopupCase{15, 1170}));

TEST_F(DialogTest, PopupReportsTheChosenIndexInTheSecondField) {
    struct Owner : RecordingDlg {
        int index = -1;
        LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
            if (message == 0x48E)
                index = reinterpret_cast<const PopupChoice*>(lParam)->index;
            return RecordingDlg::handleMessage(message, wParam, lParam);
        }
    } owner;
    owner.Create();
    struct Menu : CWndPopup {
        void BuildItems() override {
            AddItem(u"one", SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
            AddSeparator();
            AddItem(u"two", SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
            LayoutRows(26, 4);
        }
    };
    auto* menu = new Menu();
    menu->Create(owner.hwnd(), Rect{0, 0, 160, 56}, 14, 2035, 0x48E);
    const WindowHandle handle = menu->hwnd();
    loop.send(handle, WM_MOUSEMOVE, 0, MakePointParam(50, 27)); // on the separator: no hot item
    EXPECT_EQ(menu->HotItem(), -1);
    loop.send(handle, WM_MOUSEMOVE, 0, MakePointParam(50, 40));
    EXPECT_EQ(menu->HotItem(), 2);
    loop.send(handle, WM_LBUTTONDOWN, MK_LBUTTON, MakePointParam(50, 40));
    loop.send(handle, WM_LBUTTONUP, 0, MakePointParam(50, 40));
    EXPECT_EQ(owner.index, 2);
    EXPECT_EQ(owner.of(0x48E).front().wParam, 2035u);
    loop.send(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(loop.isWindow(handle));
}

TEST_F(DialogTest, AttentionDialogAnswersOkAndCancel) {
    {
        CAttentionDlg dialog(u"Delete the macro?", 0);
        CDlgBase::OnNextDialogShown([this](CDlgBase& shown) {
            EXPECT_EQ(shown.Width(), 319);
            EXPECT_EQ(shown.Height(), 102);
            EXPECT_EQ(shown.FrameSize(), QSize(319, 102));
            auto* text = shown.FindControlAs<CStaticText>(CAttentionDlg::kMessageId);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(text->text(), u"Delete the macro?");
            EXPECT_EQ(text->Colour(), QColor(0xB4, 0xB4, 0xB4));
            EXPECT_TRUE(std::find(OpenWindows().begin(), OpenWindows().end(), shown.hwnd()) != OpenWindows().end());
            const Rect ok = shown.FindControl(CAttentionDlg::kOkId)->rect();
            click(shown, ok.left + 5, ok.top + 5);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(OpenWindowCount(), 0u);
    }
    {
        CAttentionDlg dialog(u"Leave?", 0);
        CDlgBase::OnNextDialogShown([this](CDlgBase& shown) {
            const Rect close = shown.FindControl(CAttentionDlg::kCloseId)->rect();
            click(shown, close.left + 3, close.top + 3);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    {
        // Escape cancels; Enter confirms.
        CAttentionDlg dialog(u"Keys", 0);
        CDlgBase::OnNextDialogShown([this](CDlgBase& shown) { loop.send(shown.hwnd(), WM_KEYDOWN, VK_RETURN, 0); });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        CAttentionDlg second(u"Keys", 0);
        CDlgBase::OnNextDialogShown([this](CDlgBase& shown) { loop.send(shown.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0); });
        EXPECT_EQ(second.DoModal(), IDCANCEL);
    }
}

TEST_F(DialogTest, ModalLoopRunsTimersAndPostsUntilTheDialogEnds) {
    // The dialog ends itself from a timer 500 ms after it opens; the nested loop runs on the
    // virtual clock, so this takes no real time.
    struct Timed : CAttentionDlg {
        using CAttentionDlg::CAttentionDlg;
        int ticks = 0;
        LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_TIMER && wParam == 7 && ++ticks == 5)
                EndDialog(IDOK);
            return CAttentionDlg::handleMessage(message, wParam, lParam);
        }
    } dialog(u"wait", 0);
    CDlgBase::OnNextDialogShown([this](CDlgBase& shown) { loop.setTimer(shown.hwnd(), 7, 100); });
    const auto start = loop.now();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.ticks, 5);
    EXPECT_EQ(loop.now() - start, 500u);
}

TEST_F(DialogTest, ScaledDialogsTakeScaledSizes) {
    platform::SetDisplayScaleFactor(1.5);
    CAttentionDlg dialog(u"big", 0);
    dialog.Create();
    EXPECT_EQ(dialog.window()->width(), 478);
    EXPECT_EQ(dialog.window()->height(), 153);
    EXPECT_EQ(dialog.FindControl(CAttentionDlg::kOkId)->rect(), (Rect{179, 105, 299, 141}));
    // The double-size frame is taken on a scaled display; its size stays in units.
    EXPECT_EQ(dialog.FrameSize(), QSize(319, 102));
}

} // namespace

namespace {

TEST_F(DialogTest, ClickingAnotherWindowClosesThePopupThroughActivation) {
    RecordingDlg owner;
    owner.Create();
    owner.window()->showCommand(SW_SHOW);
    QCoreApplication::processEvents();
    auto* popup = new CWndPopup();
    popup->Create(owner.hwnd(), Rect{10, 10, 170, 110}, 2, 2013, 0x403);
    QCoreApplication::processEvents();
    if (!popup->window()->isActiveWindow()) {
        popup->window()->destroyWindow();
        GTEST_SKIP() << "this platform does not report window activation";
    }
    owner.window()->activateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.of(1042), (std::vector<Sent>{{1042, 2013, 2}}));
    popup->window()->destroyWindow();
}

TEST_F(DialogTest, APopupTakenAlongWithItsOwnerWindowStillEndsCleanly) {
    RecordingDlg owner;
    owner.Create();
    auto* popup = new CWndPopup();
    popup->Create(owner.hwnd(), Rect{10, 10, 170, 110}, 0, 2013, 0x403);
    const WindowHandle handle = popup->hwnd();
    // The owner's widget deletes its child windows with it; the popup object goes with its window.
    delete owner.window();
    EXPECT_FALSE(loop.isWindow(handle));
    EXPECT_FALSE(owner.IsOpen());
}

} // namespace

namespace {

TEST_F(DialogTest, LeavingTheWindowReturnsTheHotControlToNormal) {
    RecordingDlg dlg;
    dlg.Create();
    auto* button = dlg.AddControl(1, std::make_unique<CImageButton>(dlg.hwnd(), 2010, Rect{10, 10, 90, 34}, u"OK"));
    NativeWindow* w = dlg.window();
    w->showCommand(SW_SHOW);
    const QPoint origin = w->pos();
    SendMouse(w, QEvent::MouseMove, origin + QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(button->mouseState(), kStateHover);
    EXPECT_TRUE(w->isTracking());

    // The pointer rests: one hover report after the tracking time, on the loop's clock.
    const int paintsBefore = w->invalidationCount();
    loop.advance(1);
    EXPECT_GT(w->invalidationCount(), paintsBefore);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
    EXPECT_EQ(button->mouseState(), kStateNormal);
    EXPECT_EQ(dlg.HotControl(), nullptr);
    EXPECT_FALSE(w->isTracking());
}

TEST_F(DialogTest, EnterAndEscapeKeysReachTheDialog) {
    CAttentionDlg confirm(u"Enter", 0);
    CDlgBase::OnNextDialogShown([](CDlgBase& shown) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(shown.window(), &enter);
    });
    EXPECT_EQ(confirm.DoModal(), IDOK);
    CAttentionDlg cancel(u"Escape", 0);
    CDlgBase::OnNextDialogShown([](CDlgBase& shown) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(shown.window(), &escape);
    });
    EXPECT_EQ(cancel.DoModal(), IDCANCEL);
}

} // namespace

namespace {

TEST_F(DialogTest, ADialogObjectCanBeShownAgain) {
    CAttentionDlg dialog(u"twice", 0);
    for (int round = 0; round < 2; ++round) {
        CDlgBase::OnNextDialogShown([](CDlgBase& shown) {
            int buttons = 0;
            for (int list = 1; list <= kControlLists; ++list)
                buttons += int(shown.ControlList(list).size());
            EXPECT_EQ(buttons, 3); // close, OK and the message, not a second set
            shown.EndDialog(IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
}

} // namespace

namespace {

TEST_F(DialogTest, EditFieldsReportChangesAndPassEnterToTheDialog) {
    struct Dlg : RecordingDlg {
        std::vector<WPARAM> commands;
        LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_COMMAND)
                commands.push_back(wParam);
            return RecordingDlg::handleMessage(message, wParam, lParam);
        }
    } dlg;
    dlg.Create();
    QLineEdit* edit = dlg.AddEdit(2034, Rect{10, 10, 60, 30}, u"1");
    ASSERT_NE(edit, nullptr);
    dlg.SetEditText(2034, u"300");
    EXPECT_EQ(dlg.GetEditText(2034), u"300");
    EXPECT_EQ(dlg.commands, (std::vector<WPARAM>{(WPARAM(EN_CHANGE) << 16) | 2034}));
    dlg.SetEditText(2034, u"300"); // the same text: no change
    EXPECT_EQ(dlg.commands.size(), 1u);

    // Enter typed in the field ends the dialog as OK, as it does anywhere in it.
    dlg.window()->showCommand(SW_SHOW);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(edit, &enter);
    EXPECT_EQ(dlg.Result(), IDOK);
    EXPECT_FALSE(dlg.IsOpen());
}

} // namespace

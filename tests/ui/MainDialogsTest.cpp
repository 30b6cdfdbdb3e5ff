// The write-progress dialog and the factory-reset confirmation of the main window.
#include "UiTestSupport.h"

#include "model/LanguageTable.h"
#include "support/TestSupport.h"
#include "ui/main/FirmwareResetDlg.h"
#include "ui/main/ProgressBarDlg.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/OpenWindowTable.h"

#include <QKeyEvent>

#include <filesystem>

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;

namespace {

class MainDialogsTest : public quorvik::test::UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        savedDataFolder_ = DataFolder();
        std::filesystem::create_directories(dir_.path() / "config");
        quorvik::test::writeBytes(dir_.path() / "config/LanSetting.ini",
                                  quorvik::test::utf16File(u"[ChangeLanguage]\nLanguage=EN\n"));
        quorvik::test::writeBytes(dir_.path() / "config/Lan_EN.txt",
                                  quorvik::test::utf16File(u"[Setting]\n0=English\n4=OK\n5=Cancel\n7=Restore Defaults\n"
                                                           u"140=Restore the factory settings?\n146=Writing...\n"));
        SetDataFolder(dir_.str());
        model::ResetLanguageTables();
        ASSERT_TRUE(model::LoadLanguageTables());
    }
    void TearDown() override {
        model::ResetLanguageTables();
        SetDataFolder(savedDataFolder_);
    }

    quorvik::test::TempDir dir_;
    std::string savedDataFolder_;
};

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
}

TEST_F(MainDialogsTest, ProgressFollowsTheWritesAndClosesAMomentAfterTheLast) {
    CProgressBarDlg dialog(146, 0);
    dialog.ShowProgress(1, 4);
    ASSERT_TRUE(dialog.IsShown());
    EXPECT_EQ(dialog.Width(), 429);
    EXPECT_EQ(dialog.Height(), 140);
    // It never takes the keyboard or the pointer from the window under it.
    EXPECT_TRUE(dialog.window()->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(dialog.window()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(dialog.window()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(OpenWindowCount(), 0u); // not one of the windows the shutdown closes
    auto* label = dialog.FindControlAs<CStaticText>(CProgressBarDlg::kLabelId);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), u"Writing...");
    EXPECT_EQ(label->Colour(), QColor(0xBE, 0xBE, 0xBE));
    // Centred in the frame, above the bar.
    EXPECT_EQ(label->rect().left + label->rect().right, 429);
    EXPECT_LT(label->rect().bottom, CProgressBarDlg::kBarTopUnits);
    EXPECT_EQ(dialog.Progress(), 25);

    dialog.ShowProgress(2, 4);
    EXPECT_EQ(dialog.Progress(), 50);
    const QImage halfway = dialog.window()->grab().toImage();
    loop.advance(1000);
    EXPECT_TRUE(dialog.IsShown()) << "it stays while reports are still to come";

    // At 50 % the bar is the "_ov" frame's track up to the middle of the track, the "_nr" frame
    // after it; nothing of it lies on the frame's border.
    const QImage empty =
        QImage(QString::fromStdString(SkinFile("Frame_progress_nr.bmp"))).convertToFormat(QImage::Format_RGB32);
    const QImage full =
        QImage(QString::fromStdString(SkinFile("Frame_progress_ov.bmp"))).convertToFormat(QImage::Format_RGB32);
    for (int x : {20, 100, 210}) {
        EXPECT_TRUE(Near(halfway.pixelColor(x, 72), full.pixelColor(x, 72))) << "x " << x;
        EXPECT_FALSE(Near(halfway.pixelColor(x, 72), empty.pixelColor(x, 72))) << "x " << x;
    }
    for (int x : {0, 8, 220, 300, 420, 428})
        EXPECT_TRUE(Near(halfway.pixelColor(x, 72), empty.pixelColor(x, 72))) << "x " << x;
    EXPECT_TRUE(Near(halfway.pixelColor(100, 60), empty.pixelColor(100, 60))); // above the bar
    EXPECT_TRUE(Near(full.pixelColor(0, 72), empty.pixelColor(0, 72))) << "the frame's border has no bar";

    dialog.ShowProgress(4, 4);
    EXPECT_EQ(dialog.Progress(), 100);
    loop.advance(CProgressBarDlg::kCloseMs - 1);
    EXPECT_TRUE(dialog.IsShown()) << "a full bar for a moment";
    loop.advance(1);
    EXPECT_FALSE(dialog.IsShown());

    // Shown again by the next download, from its own count; a download that stops short closes it too.
    dialog.ShowProgress(1, 3);
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_EQ(dialog.Progress(), 33);
    dialog.Finish();
    loop.advance(CProgressBarDlg::kCloseMs);
    EXPECT_FALSE(dialog.IsShown());
}

TEST_F(MainDialogsTest, ProgressBarScalesWithTheDisplay) {
    SetDisplayScaleFactor(1.5);
    CProgressBarDlg dialog(std::u16string(u"Scaled"), 0);
    dialog.ShowProgress(7, 7);
    ASSERT_TRUE(dialog.IsShown());
    EXPECT_EQ(dialog.Width(), 643);
    EXPECT_EQ(dialog.Height(), 210);
    EXPECT_EQ(dialog.FindControl(CProgressBarDlg::kLabelId)->rect(),
              ScaledRect(0, CProgressBarDlg::kLabelTopUnits, 429, CProgressBarDlg::kLabelBottomUnits));
    const QImage finished = dialog.window()->grab().toImage();
    // The whole track is filled, to its right end and no further.
    ASSERT_EQ(finished.size(), QSize(643, 210));
    SkinImage empty;
    empty.load(SkinFile("Frame_progress_nr.bmp"));
    QImage reference(643, 210, QImage::Format_RGB32);
    {
        QPainter p(&reference);
        empty.draw(p, QRect(0, 0, 643, 210));
    }
    const int barY = int(72 * 1.5);
    EXPECT_NE(finished.pixelColor(615, barY), reference.pixelColor(615, barY));
    EXPECT_NE(finished.pixelColor(30, barY), reference.pixelColor(30, barY));
    EXPECT_EQ(finished.pixelColor(640, barY), reference.pixelColor(640, barY));
    EXPECT_EQ(finished.pixelColor(2, barY), reference.pixelColor(2, barY));
}

// What the reset confirmation answers to each way of leaving it.
int Answer(const std::function<void(CDlgBase&)>& act) {
    CFirmwareResetDlg dialog(0);
    CDlgBase::OnNextDialogShown(act);
    return dialog.DoModal();
}

TEST_F(MainDialogsTest, ResetConfirmationAnswersOkOnlyToOkAndEnter) {
    auto clickOn = [this](int id) {
        return [this, id](CDlgBase& shown) {
            const Rect r = shown.FindControl(id)->rect();
            click(shown, r.left + 4, r.top + 4);
        };
    };
    EXPECT_EQ(Answer(clickOn(CFirmwareResetDlg::kOkId)), IDOK);
    EXPECT_EQ(Answer(clickOn(CFirmwareResetDlg::kCancelId)), IDCANCEL);
    EXPECT_EQ(Answer(clickOn(CFirmwareResetDlg::kCloseId)), IDCANCEL);
    EXPECT_EQ(Answer([](CDlgBase& shown) {
                  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                  QCoreApplication::sendEvent(shown.window(), &enter);
              }),
              IDOK);
    EXPECT_EQ(Answer([this](CDlgBase& shown) { loop.send(shown.hwnd(), WM_CLOSE, 0, 0); }), IDCANCEL);
    EXPECT_EQ(OpenWindowCount(), 0u);

    // Escape, as a message and as a typed key, leaves the question open; the dialog is listed
    // for the shutdown while it is open.
    bool stayedOpen = false;
    EXPECT_EQ(Answer([&](CDlgBase& shown) {
                  loop.send(shown.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
                  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                  QCoreApplication::sendEvent(shown.window(), &escape);
                  loop.runUntilIdle();
                  stayedOpen = shown.IsOpen() && shown.window()->isVisible();
                  EXPECT_EQ(OpenWindows()[0], shown.hwnd());
                  CloseOpenWindows(); // the main window's shutdown
              }),
              IDCANCEL);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(OpenWindowCount(), 0u);
}

TEST_F(MainDialogsTest, ResetConfirmationAsksWithTheLanguageTexts) {
    CDlgBase::OnNextDialogShown([](CDlgBase& shown) {
        EXPECT_EQ(shown.Width(), 429);
        EXPECT_EQ(shown.Height(), 140);
        EXPECT_EQ(shown.FindControl(CFirmwareResetDlg::kMessageId)->text(), u"Restore the factory settings?");
        EXPECT_EQ(shown.FindControl(CFirmwareResetDlg::kOkId)->text(), u"OK");
        EXPECT_EQ(shown.FindControl(CFirmwareResetDlg::kCancelId)->text(), u"Cancel");
        shown.EndDialog(IDCANCEL);
    });
    EXPECT_FALSE(CFirmwareResetDlg::Confirm(0));
}

} // namespace

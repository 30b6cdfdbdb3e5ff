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

// A window of the test that samples the state of a modal dialog on the loop's clock.
struct Probe : MessageHandler {
    std::function<void()> onTick;
    LRESULT handleMessage(unsigned message, WPARAM, LPARAM) override {
        if (message == WM_TIMER && onTick)
            onTick();
        return 0;
    }
};

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

struct Sample {
    std::uint64_t at;
    int progress;
    bool visible;
};

TEST_F(MainDialogsTest, ProgressFillsInHalfASecondThenClosesItself) {
    CProgressBarDlg dialog(146, 0);
    std::vector<Sample> samples;
    QImage halfway;
    Probe probe;
    const WindowHandle probeWindow = loop.registerWindow(&probe);
    const std::uint64_t start = loop.now();
    probe.onTick = [&] {
        samples.push_back({loop.now() - start, dialog.Progress(), dialog.window() && dialog.window()->isVisible()});
        if (loop.now() - start == 255)
            halfway = dialog.window()->grab().toImage();
    };
    CDlgBase::OnNextDialogShown([&](CDlgBase& shown) {
        EXPECT_EQ(shown.Width(), 429);
        EXPECT_EQ(shown.Height(), 140);
        auto* label = shown.FindControlAs<CStaticText>(CProgressBarDlg::kLabelId);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), u"Writing...");
        EXPECT_EQ(label->Colour(), QColor(0xBE, 0xBE, 0xBE));
        EXPECT_EQ(label->rect(), (Rect{10, 3, 164, 23}));
        EXPECT_EQ(OpenWindowCount(), 0u); // not one of the windows the shutdown closes
        EXPECT_EQ(dialog.Progress(), 0);
        loop.setTimer(probeWindow, 1, 1);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    loop.unregisterWindow(probeWindow);

    EXPECT_EQ(loop.now() - start, 520u); // 50 steps of 10 ms, then 20 ms
    ASSERT_GE(samples.size(), 515u);
    auto at = [&](std::uint64_t t) {
        for (const Sample& s : samples)
            if (s.at == t)
                return s;
        ADD_FAILURE() << "no sample at " << t;
        return Sample{};
    };
    EXPECT_EQ(at(5).progress, 0);
    EXPECT_EQ(at(255).progress, 50);
    EXPECT_EQ(at(495).progress, 98);
    EXPECT_EQ(at(505).progress, 100);
    EXPECT_TRUE(at(515).visible); // full for a moment before it goes
    EXPECT_FALSE(dialog.IsOpen());

    // At 50 % the bar is the "_ov" frame's row up to 214 units, the "_nr" frame after it.
    ASSERT_FALSE(halfway.isNull());
    const QImage empty =
        QImage(QString::fromStdString(SkinFile("Frame_progress_nr.bmp"))).convertToFormat(QImage::Format_RGB32);
    const QImage full =
        QImage(QString::fromStdString(SkinFile("Frame_progress_ov.bmp"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(CProgressBarDlg::BarWidthUnits(50), 214);
    auto near = [](QColor a, QColor b) {
        return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
               std::abs(a.blue() - b.blue()) <= 3;
    };
    for (int x : {2, 100, 212}) {
        EXPECT_TRUE(near(halfway.pixelColor(x, 72), full.pixelColor(x, 72))) << "x " << x;
        EXPECT_FALSE(near(halfway.pixelColor(x, 72), empty.pixelColor(x, 72))) << "x " << x;
    }
    for (int x : {216, 300, 427})
        EXPECT_TRUE(near(halfway.pixelColor(x, 72), empty.pixelColor(x, 72))) << "x " << x;
    EXPECT_TRUE(near(halfway.pixelColor(100, 60), empty.pixelColor(100, 60))); // above the bar
}

TEST_F(MainDialogsTest, ProgressBarScalesWithTheDisplay) {
    SetDisplayScaleFactor(1.5);
    CProgressBarDlg dialog(std::u16string(u"Scaled"), 0);
    QImage finished;
    CDlgBase::OnNextDialogShown([&](CDlgBase& shown) {
        EXPECT_EQ(shown.Width(), 643);
        EXPECT_EQ(shown.Height(), 210);
        EXPECT_EQ(shown.FindControl(CProgressBarDlg::kLabelId)->rect(), (Rect{15, 4, 246, 34}));
        loop.advance(500);
        EXPECT_EQ(dialog.Progress(), 100);
        finished = shown.window()->grab().toImage();
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    // The whole bar is uncovered, to the right edge: the filled row differs from the empty one.
    ASSERT_EQ(finished.size(), QSize(643, 210));
    SkinImage empty;
    empty.load(SkinFile("Frame_progress_nr.bmp"));
    QImage reference(643, 210, QImage::Format_RGB32);
    {
        QPainter p(&reference);
        empty.draw(p, QRect(0, 0, 643, 210));
    }
    const int barY = int(72 * 1.5);
    EXPECT_NE(finished.pixelColor(640, barY), reference.pixelColor(640, barY));
    EXPECT_NE(finished.pixelColor(5, barY), reference.pixelColor(5, barY));
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

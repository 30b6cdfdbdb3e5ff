// The DPI page end to end: its checks, sliders, value boxes and colour buttons driven with the
// mouse, the level rule, the DPI value dialog, a sensor change, and how the page looks.
#include "MainWindowHarness.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/main/DpiPage.h"
#include "ui/main/DpiValueSettingDlg.h"
#include "ui/main/MainIds.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/OpenWindowTable.h"
#include "ui/skin/Sliders.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <filesystem>

namespace quorvik::test {
namespace {

using device::Form;
using device::SettingGroup;
using namespace ui::main_ids;
using ui::CDPIValueSettingDlg;

class DpiPageTest : public MainWindowTest {
protected:
    void open() {
        start("0", {Form::Wired});
        ASSERT_TRUE(dlg().FindControlAs<ui::CCheckButton>(kHeaderDpi)->IsChecked());
    }
    ui::CDpiPage& page() { return *static_cast<ui::CDpiPage*>(dlg().PageFor(kDpiLevelCheck)); }
    template <class T> T& control(int id) {
        T* found = dlg().FindControlAs<T>(id);
        EXPECT_NE(found, nullptr) << id;
        return *found;
    }
    ui::CDPIRadioButton& label(int k) { return control<ui::CDPIRadioButton>(kDpiLabel + k); }
    ui::CVerticalSliderControl& slider(int k) { return control<ui::CVerticalSliderControl>(kDpiSlider + k); }
    ui::CDPIValueShowControl& box(int k) { return control<ui::CDPIValueShowControl>(kDpiValueBox + k); }
    bool marked() { return core().Download().IsMarked(SettingGroup::SensorLighting); }
    // The level mask and current level the page shows, put into the record and the page.
    void setLevels(std::uint8_t mask, std::uint8_t current) {
        profile().DPIOffOnFlagValue = mask;
        profile().CurrentDPILevelValue = current;
        dlg().RefreshAllPages();
    }
    // Lets the download run and returns the command codes the mouse received.
    std::vector<std::uint8_t> download() {
        loop.advance(device::kDownloadDelayMs);
        loop.runUntilIdle();
        return takeCodes();
    }
    // The pointer goes down at (x, y0) inside control `id`, moves to y1 and stays down.
    void pressAndDrag(int id, int y0, int y1) {
        const ui::Rect& r = dlg().FindControl(id)->rect();
        const int x = (r.left + r.right) / 2;
        mouse(dlg(), platform::WM_MOUSEMOVE, x, y0);
        mouse(dlg(), platform::WM_LBUTTONDOWN, x, y0, platform::MK_LBUTTON);
        mouse(dlg(), platform::WM_MOUSEMOVE, x, y1, platform::MK_LBUTTON);
    }
    void release(int id, int y) {
        const ui::Rect& r = dlg().FindControl(id)->rect();
        mouse(dlg(), platform::WM_LBUTTONUP, (r.left + r.right) / 2, y);
    }
    void clickIn(ui::CDlgBase& dialog, int id) {
        const ui::Rect& r = dialog.FindControl(id)->rect();
        click(dialog, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Opens the value dialog of level k and lets `act` work on it while it is open.
    void withValueDialog(int k, std::function<void(CDPIValueSettingDlg&)> act) {
        bool shown = false;
        ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& dialog) {
            shown = true;
            auto* value = dynamic_cast<CDPIValueSettingDlg*>(&dialog);
            ASSERT_NE(value, nullptr);
            act(*value);
        });
        clickControl(kDpiValueBox + k);
        EXPECT_TRUE(shown);
    }
    static QLineEdit* edit(CDPIValueSettingDlg& dialog) { return dialog.Edit(CDPIValueSettingDlg::kEditId); }
    static void type(CDPIValueSettingDlg& dialog, const QString& text) {
        edit(dialog)->clear();
        QTest::keyClicks(edit(dialog), text);
    }
    static void pressEnter(CDPIValueSettingDlg& dialog) { QTest::keyClick(edit(dialog), Qt::Key_Return); }
    static std::u16string readout(CDPIValueSettingDlg& dialog) {
        return dialog.FindControl(CDPIValueSettingDlg::kDpiTextId)->text();
    }
    static int sliderValue(CDPIValueSettingDlg& dialog) {
        return dialog.FindControlAs<ui::CSliderControl>(CDPIValueSettingDlg::kSliderId)->GetValue();
    }
};

// The labels: the current level red, the others grey, a level that is off dimmer.
const QColor kRed(0xFF, 0x40, 0x40);
const QColor kOn(0xB4, 0xB4, 0xB4);
const QColor kOff(0x80, 0x85, 0x8C);

TEST_F(DpiPageTest, TurningLevel3OffSendsOnlyTheLevelsAndKeepsLevel2Current) {
    open();
    ASSERT_EQ(profile().DPIOffOnFlagValue, 0x3F);
    ASSERT_EQ(profile().CurrentDPILevelValue, 1);
    clickControl(kDpiLevelCheck + 2);
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0x3B);
    EXPECT_EQ(profile().CurrentDPILevelValue, 1); // level 2 is below level 3: it stays current
    EXPECT_TRUE(marked());
    EXPECT_TRUE(label(2).isDisabled());
    EXPECT_EQ(label(1).TextColour(), kRed);
    EXPECT_EQ(label(2).TextColour(), kOff) << "a level that is off looks off";

    const auto reports = takeReports();
    EXPECT_TRUE(reports.empty()); // nothing before the 20 ms have passed
    loop.advance(device::kDownloadDelayMs);
    const auto sent = takeReports();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][device::kOffCommand], device::kCmdDpiLevels);
    EXPECT_EQ(mouse_->state().levelMask, 0x3B);
    EXPECT_EQ(mouse_->state().enabledLevels, 5);
    EXPECT_EQ(mouse_->state().currentLevel, 2);
    EXPECT_FALSE(marked());

    // And on again.
    clickControl(kDpiLevelCheck + 2);
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0x3F);
    EXPECT_FALSE(label(2).isDisabled());
    EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
}

TEST_F(DpiPageTest, TheCurrentLevelFollowsTheLevelRule) {
    open();
    struct Case {
        int level;
        std::uint8_t mask;
        std::uint8_t current;
        int red; // the level drawn red afterwards
    };
    // From levels 1 … 6 on with level 3 current.
    for (const Case& c : {Case{0, 0x3E, 1, 2}, Case{2, 0x3B, 1, 1}, Case{7, 0xBF, 2, 2}}) {
        setLevels(0x3F, 2);
        clickControl(kDpiLevelCheck + c.level);
        EXPECT_EQ(profile().DPIOffOnFlagValue, c.mask) << c.level;
        EXPECT_EQ(profile().CurrentDPILevelValue, c.current) << c.level;
        EXPECT_EQ(page().CurrentLevel(), c.current);
        for (int k = 0; k < ui::CDpiPage::kLevels; ++k) {
            const bool on = (c.mask >> k) & 1;
            EXPECT_EQ(label(k).TextColour(), k == c.red ? kRed : on ? kOn : kOff) << c.level << " " << k;
        }
        EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiLevels}) << c.level;
        EXPECT_EQ(mouse_->state().currentLevel, c.current + 1);
    }
}

TEST_F(DpiPageTest, TheLastLevelOnCannotBeTurnedOff) {
    open();
    setLevels(0x01, 0);
    download(); // the mouse takes the single level first
    clickControl(kDpiLevelCheck);
    EXPECT_TRUE(control<ui::CCheckButton>(kDpiLevelCheck).IsChecked());
    EXPECT_EQ(profile().DPIOffOnFlagValue, 0x01);
    EXPECT_FALSE(marked());
    EXPECT_EQ(download(), std::vector<std::uint8_t>{});
}

TEST_F(DpiPageTest, LabelClicksChangeNothing) {
    open();
    const model::ProfileRecord before = profile();
    clickControl(kDpiLabel + 4);
    EXPECT_EQ(profile(), before);
    EXPECT_FALSE(marked());
    EXPECT_EQ(download(), std::vector<std::uint8_t>{});
}

TEST_F(DpiPageTest, ASliderDragSendsNothingUntilTheRelease) {
    open();
    const ui::Rect r = slider(3).rect();
    const std::uint16_t before = profile().XYSetting[3];
    // Down near the bottom, then up to near the top.
    pressAndDrag(kDpiSlider + 3, r.bottom - 2, r.top + 2);
    const int top = slider(3).GetValue();
    EXPECT_EQ(top, slider(3).ValueFromY(r.top + 2));
    EXPECT_NE(top, before);
    EXPECT_EQ(profile().XYSetting[3], top);
    EXPECT_EQ(label(3).text(), model::DecimalText(core().Tables().Dpi(std::uint32_t(top))));
    EXPECT_EQ(box(3).GetValue(), top);
    EXPECT_TRUE(marked());
    loop.advance(500);
    EXPECT_EQ(takeCodes(), std::vector<std::uint8_t>{}); // still dragging

    const int middle = (r.top + r.bottom) / 2;
    mouse(dlg(), platform::WM_MOUSEMOVE, (r.left + r.right) / 2, middle, platform::MK_LBUTTON);
    release(kDpiSlider + 3, middle);
    const int step = slider(3).ValueFromY(middle);
    EXPECT_EQ(profile().XYSetting[3], step);
    EXPECT_EQ(label(3).text(), model::DecimalText(core().Tables().Dpi(std::uint32_t(step))));
    EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
    EXPECT_EQ(mouse_->state().dpiRegisters[3], core().Tables().RegisterValue(std::uint32_t(step)));

    // Levels 7 and 8 live in the profile only: nothing reaches the mouse.
    pressAndDrag(kDpiSlider + 7, r.bottom - 2, r.top + 10);
    release(kDpiSlider + 7, r.top + 10);
    EXPECT_EQ(profile().XYSetting[7], slider(7).GetValue());
    EXPECT_EQ(download(), std::vector<std::uint8_t>{});
}

TEST_F(DpiPageTest, ADragThatEndsBesideTheSliderIsSentToo) {
    open();
    const ui::Rect r = slider(0).rect();
    // Up past the top and a little to the side: the bar is narrow.
    pressAndDrag(kDpiSlider, r.bottom - 2, r.top - ui::Scaled(20));
    const int top = slider(0).ValueFromY(r.top);
    EXPECT_EQ(profile().XYSetting[0], top);
    mouse(dlg(), platform::WM_LBUTTONUP, r.right + ui::Scaled(10), r.top - ui::Scaled(20));
    EXPECT_FALSE(slider(0).IsDragging());
    EXPECT_EQ(profile().XYSetting[0], top);
    EXPECT_EQ(label(0).text(), model::DecimalText(core().Tables().Dpi(std::uint32_t(top))));
    EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
    EXPECT_EQ(mouse_->state().dpiRegisters[0], core().Tables().RegisterValue(std::uint32_t(top)));
}

TEST_F(DpiPageTest, TheValueDialogTurnsATypedNumberIntoAStep) {
    open();
    ASSERT_EQ(core().Tables().Sensor(), 0x3325);
    const std::uint16_t before = profile().XYSetting[1];
    withValueDialog(1, [&](CDPIValueSettingDlg& dialog) {
        EXPECT_EQ(dialog.StepCount(), 59);
        EXPECT_EQ(sliderValue(dialog), profile().XYSetting[1]);
        EXPECT_NE(std::find(ui::OpenWindows().begin(), ui::OpenWindows().end(), dialog.hwnd()),
                  ui::OpenWindows().end());
        type(dialog, QStringLiteral("850"));
        pressEnter(dialog);
        EXPECT_TRUE(dialog.IsOpen()); // Enter only takes the number
        EXPECT_EQ(sliderValue(dialog), 7);
        EXPECT_EQ(readout(dialog), u"900");
        EXPECT_EQ(edit(dialog)->text(), QStringLiteral("900"));
        EXPECT_EQ(profile().XYSetting[1], before); // not taken before OK
        EXPECT_FALSE(marked());
        type(dialog, QStringLiteral("99999"));
        clickIn(dialog, CDPIValueSettingDlg::kOkId);
    });
    EXPECT_EQ(profile().XYSetting[1], 58);
    EXPECT_EQ(box(1).GetValue(), 58);
    EXPECT_EQ(label(1).text(), u"10000");
    EXPECT_EQ(slider(1).GetValue(), 58);
    EXPECT_EQ(ui::OpenWindowCount(), 0u);
    EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
    EXPECT_EQ(mouse_->state().dpiRegisters[1], 59); // register value of step 58 is 58 + 1

    // OK on what the slider shows keeps the slider's step.
    withValueDialog(1, [&](CDPIValueSettingDlg& dialog) {
        const ui::Rect r = dialog.FindControl(CDPIValueSettingDlg::kSliderId)->rect();
        const auto* s = dialog.FindControlAs<ui::CSliderControl>(CDPIValueSettingDlg::kSliderId);
        const int thumbX = s->StopX(s->GetValue());
        const int y = (r.top + r.bottom) / 2;
        mouse(dialog, platform::WM_MOUSEMOVE, thumbX, y);
        mouse(dialog, platform::WM_LBUTTONDOWN, thumbX, y, platform::MK_LBUTTON);
        mouse(dialog, platform::WM_MOUSEMOVE, s->StopX(3), y, platform::MK_LBUTTON);
        EXPECT_EQ(sliderValue(dialog), 3); // step value 10
        EXPECT_EQ(readout(dialog), u"500");
        EXPECT_EQ(edit(dialog)->text(), QStringLiteral("500"));
        mouse(dialog, platform::WM_LBUTTONUP, s->StopX(3), y);
        clickIn(dialog, CDPIValueSettingDlg::kOkId);
    });
    EXPECT_EQ(profile().XYSetting[1], 3);
    EXPECT_EQ(label(1).text(), u"500");
    EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiLevels});
}

TEST_F(DpiPageTest, CancelCloseAndInputThatIsNoNumberKeepEverything) {
    open();
    const model::ProfileRecord before = profile();
    for (int button : {CDPIValueSettingDlg::kCancelId, CDPIValueSettingDlg::kCloseId}) {
        withValueDialog(4, [&](CDPIValueSettingDlg& dialog) {
            type(dialog, QStringLiteral("850"));
            pressEnter(dialog);
            EXPECT_EQ(sliderValue(dialog), 7);
            clickIn(dialog, button);
        });
        EXPECT_EQ(profile(), before) << button;
        EXPECT_EQ(box(4).GetValue(), before.XYSetting[4]);
    }
    // A sign or letters: a message, nothing taken, the dialog stays open.
    std::vector<std::u16string> messages;
    auto answerMessage = [&] {
        ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& message) {
            messages.push_back(message.FindControl(ui::CAttentionDlg::kMessageId)->text());
            message.EndDialog(platform::IDOK);
        });
    };
    withValueDialog(4, [&](CDPIValueSettingDlg& dialog) {
        const int start = sliderValue(dialog);
        type(dialog, QStringLiteral("-800"));
        answerMessage();
        pressEnter(dialog);
        EXPECT_EQ(sliderValue(dialog), start);
        type(dialog, QStringLiteral("8OO"));
        answerMessage();
        clickIn(dialog, CDPIValueSettingDlg::kOkId);
        EXPECT_TRUE(dialog.IsOpen());
        EXPECT_EQ(sliderValue(dialog), start);
        clickIn(dialog, CDPIValueSettingDlg::kCancelId);
    });
    EXPECT_EQ(messages, (std::vector<std::u16string>(2, model::LanguageText(CDPIValueSettingDlg::kNotANumberText))));
    EXPECT_FALSE(messages[0].empty());
    EXPECT_EQ(profile(), before);
    EXPECT_FALSE(marked());
    EXPECT_EQ(download(), std::vector<std::uint8_t>{});
}

TEST_F(DpiPageTest, ASensorChangeReRangesSlidersAndValueBoxes) {
    open();
    ASSERT_EQ(slider(0).Stops(), 59);
    auto status = mouse_->status();
    status.sensorCode = 0x95; // 520 steps
    mouse_->setStatus(status);
    loop.advance(22000); // the next status poll reports the other sensor
    ASSERT_EQ(core().Tables().Sensor(), 0x3395);
    for (int k = 0; k < ui::CDpiPage::kLevels; ++k) {
        EXPECT_EQ(slider(k).Stops(), 520) << k;
        EXPECT_EQ(box(k).StepCount(), 520) << k;
        EXPECT_EQ(slider(k).GetValue(), profile().XYSetting[std::size_t(k)]);
        EXPECT_EQ(label(k).text(), model::DecimalText(core().Tables().Dpi(profile().XYSetting[std::size_t(k)])));
    }
    // The slider now spans the new sensor's steps: its top is far beyond the old last step.
    const ui::Rect r = slider(2).rect();
    pressAndDrag(kDpiSlider + 2, r.bottom - 2, r.top);
    release(kDpiSlider + 2, r.top);
    const int top = slider(2).ValueFromY(r.top);
    EXPECT_GT(top, 500);
    EXPECT_EQ(profile().XYSetting[2], top);
    EXPECT_EQ(label(2).text(), model::DecimalText(core().Tables().Dpi(std::uint32_t(top))));
}

TEST_F(DpiPageTest, AColourChosenInThePaletteSendsOnlyTheLevelColours) {
    open();
    auto choose = [&](int k, std::array<int, 3> rgb, int endWith) {
        bool shown = false;
        ui::CDlgBase::OnNextDialogShown([&](ui::CDlgBase& dialog) {
            auto* palette = dynamic_cast<ui::CColorPaletteDlg*>(&dialog);
            ASSERT_NE(palette, nullptr);
            shown = true;
            palette->SetEditText(ui::CColorPaletteDlg::kRedField, model::DecimalText(rgb[0]));
            palette->SetEditText(ui::CColorPaletteDlg::kGreenField, model::DecimalText(rgb[1]));
            palette->SetEditText(ui::CColorPaletteDlg::kBlueField, model::DecimalText(rgb[2]));
            loop.runUntilIdle();
            if (endWith == platform::WM_CLOSE)
                loop.send(palette->hwnd(), platform::WM_CLOSE, 0, 0);
            else
                clickIn(*palette, endWith);
        });
        clickControl(kDpiColourButton + k);
        EXPECT_TRUE(shown);
    };
    choose(2, {10, 20, 30}, ui::CColorPaletteDlg::kOkId);
    EXPECT_EQ(profile().DPILevelIndication[2], model::MakeColour(10, 20, 30));
    EXPECT_EQ(control<ui::CColorSelectButton>(kDpiColourButton + 2).GetColor(), model::MakeColour(10, 20, 30));
    EXPECT_TRUE(marked());
    EXPECT_EQ(download(), std::vector<std::uint8_t>{device::kCmdDpiColours});
    EXPECT_EQ(mouse_->state().levelColours[2], (std::array<std::uint8_t, 3>{10, 20, 30}));

    // The close button and closing the window write nothing.
    const model::ProfileRecord before = profile();
    for (int endWith : {ui::CColorPaletteDlg::kCloseId, int(platform::WM_CLOSE)}) {
        choose(5, {200, 100, 50}, endWith);
        EXPECT_EQ(profile(), before) << endWith;
        EXPECT_EQ(control<ui::CColorSelectButton>(kDpiColourButton + 5).GetColor(), before.DPILevelIndication[5]);
        EXPECT_FALSE(marked());
        EXPECT_EQ(download(), std::vector<std::uint8_t>{}) << endWith;
    }
}

// Red pixels (the current level's label) inside `r` of `image`.
int redPixels(const QImage& image, const ui::Rect& r) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 180 && c.green() < 80 && c.blue() < 80;
        }
    return count;
}

class DpiPageLookTest : public DpiPageTest, public ::testing::WithParamInterface<double> {};

TEST_P(DpiPageLookTest, EveryControlIsShownInsideThePanelAndOnlyTheCurrentLabelIsRed) {
    platform::SetDisplayScaleFactor(GetParam());
    open();
    const ui::Rect panel = page().ContentRect();
    EXPECT_LE(panel.height(), ui::Scaled(200));
    std::vector<ui::Rect> rects;
    for (int k = 0; k < ui::CDpiPage::kLevels; ++k)
        for (int first : {kDpiLevelCheck, kDpiLabel, kDpiSlider, kDpiValueBox, kDpiColourButton}) {
            ui::CControlBase* c = dlg().FindControl(first + k);
            ASSERT_NE(c, nullptr);
            EXPECT_TRUE(c->isLive()) << first + k;
            const ui::Rect& r = c->rect();
            EXPECT_GE(r.left, panel.left);
            EXPECT_LE(r.right, panel.right);
            EXPECT_GE(r.top, panel.top);
            EXPECT_LE(r.bottom, panel.bottom);
            for (const ui::Rect& other : rects)
                EXPECT_FALSE(r.intersects(other)) << first + k;
            rects.push_back(r);
        }
    // The page with the lighting page below it fits the window.
    const ui::Rect lighting = dlg().Column().PageAt(ui::rules::Page::Lighting)->ContentRect();
    EXPECT_LE(lighting.bottom, ui::Scaled(kWindowHeightUnits));

    QImage image = dlg().window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.width(), ui::Scaled(kWindowWidthUnits));
    const int current = *profile().ActiveDpiLevel();
    for (int k = 0; k < ui::CDpiPage::kLevels; ++k) {
        const int red = redPixels(image, label(k).rect());
        if (k == current)
            EXPECT_GT(red, 10) << k;
        else
            EXPECT_EQ(red, 0) << k;
    }
    const std::string name = "/tmp/qv-dpi-page-" + std::to_string(int(GetParam() * 10)) + ".png";
    image.save(QString::fromStdString(name));

    // The picture of the page for the README, made only when asked for.
    if (GetParam() == 2.0 && qEnvironmentVariableIsSet("QV_WRITE_PICTURES")) {
        const ui::Rect header = dlg().FindControl(kHeaderDpi)->rect();
        const int margin = ui::Scaled(8);
        const QRect crop(header.left - margin, header.top - margin, header.width() + 2 * margin,
                         panel.bottom - header.top + 2 * margin);
        const std::filesystem::path out = std::filesystem::path(QV_SOURCE_DIR) / "docs/images/dpi-page.png";
        std::filesystem::create_directories(out.parent_path());
        EXPECT_TRUE(image.copy(crop).save(QString::fromStdString(out.string())));
    }
}

TEST_P(DpiPageLookTest, TheValueDialogKeepsItsControlsApartInsideItsFrame) {
    platform::SetDisplayScaleFactor(GetParam());
    open();
    withValueDialog(0, [&](CDPIValueSettingDlg& dialog) {
        EXPECT_EQ(dialog.Width(), ui::Scaled(429));
        EXPECT_EQ(dialog.Height(), ui::Scaled(140));
        std::vector<ui::Rect> rects;
        for (int id : {CDPIValueSettingDlg::kCloseId, CDPIValueSettingDlg::kOkId, CDPIValueSettingDlg::kCancelId,
                       CDPIValueSettingDlg::kDpiTextId, CDPIValueSettingDlg::kSliderId}) {
            ui::CControlBase* c = dialog.FindControl(id);
            ASSERT_NE(c, nullptr) << id;
            EXPECT_TRUE(c->isLive());
            rects.push_back(c->rect());
        }
        const QRect e = edit(dialog)->geometry();
        rects.push_back(ui::Rect{e.left(), e.top(), e.right() + 1, e.bottom() + 1});
        for (std::size_t i = 0; i < rects.size(); ++i) {
            EXPECT_TRUE(ui::Rect({0, 0, dialog.Width(), dialog.Height()}).contains(rects[i].left, rects[i].top));
            EXPECT_LE(rects[i].right, dialog.Width());
            EXPECT_LE(rects[i].bottom, dialog.Height());
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(rects[i].intersects(rects[j])) << i << " " << j;
        }
        dialog.window()->grab().toImage().save(
            QString::fromStdString("/tmp/qv-dpi-dialog-" + std::to_string(int(GetParam() * 10)) + ".png"));
        clickIn(dialog, CDPIValueSettingDlg::kCancelId);
    });
}

INSTANTIATE_TEST_SUITE_P(Scales, DpiPageLookTest, ::testing::Values(1.0, 1.5, 2.0));

} // namespace
} // namespace quorvik::test

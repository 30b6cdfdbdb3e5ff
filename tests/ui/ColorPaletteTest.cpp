// The colour palette: what a press on the picture takes, what the typed values do, and when the
// record is written.
#include "UiTestSupport.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "support/TestSupport.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/skin/AttentionDlg.h"

#include <QLineEdit>
#include <QTest>

#include <filesystem>

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;

namespace {

constexpr model::Colour kStored = model::MakeColour(1, 2, 3);
constexpr model::Colour kRed = model::MakeColour(255, 0, 0);
constexpr model::Colour kOrange = model::MakeColour(255, 128, 0);
constexpr int kSlot = 3;

// Centres of two of the ready colours and of the gap between them (units).
constexpr double kRedCell[2] = {261, 41};
constexpr double kOrangeCell[2] = {299, 41};
constexpr double kGap[2] = {280, 41};

class ColorPaletteTest : public test::UiTest, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override {
        UiTest::SetUp();
        SetDisplayScaleFactor(GetParam());
        savedDataFolder_ = DataFolder();
        std::filesystem::create_directories(dir_.path() / "config");
        test::writeBytes(dir_.path() / "config/LanSetting.ini", test::utf16File(u"[ChangeLanguage]\nLanguage=EN\n"));
        test::writeBytes(dir_.path() / "config/Lan_EN.txt",
                         test::utf16File(u"[Setting]\n0=English\n4=OK\n320=Colour\n380=Type a number\n"));
        SetDataFolder(dir_.str());
        model::ResetLanguageTables();
        ASSERT_TRUE(model::LoadLanguageTables());
        record_.ResetToFactory(0);
        record_.Lighting1ModeValue[0] = 2;
        record_.Lighting1FixedColor[2][kSlot] = kStored;
    }
    void TearDown() override {
        CDlgBase::OnNextDialogShown({});
        model::ResetLanguageTables();
        SetDataFolder(savedDataFolder_);
        SetDisplayScaleFactor(1.0);
    }

    // Runs the palette for `mode` and `index`; `act` works on it while it is open.
    int run(int mode, int index, const std::function<void(CColorPaletteDlg&)>& act) {
        CDlgBase::OnNextDialogShown([&](CDlgBase& shown) { act(static_cast<CColorPaletteDlg&>(shown)); });
        CColorPaletteDlg palette(record_, mode, index, 0);
        return palette.DoModal();
    }
    int runLighting(const std::function<void(CColorPaletteDlg&)>& act) {
        return run(CColorPaletteDlg::kModeLighting, kSlot, act);
    }

    // A press and release of the left button at a point given in units.
    void pressAt(CDlgBase& dlg, double x, double y) {
        mouse(dlg, WM_MOUSEMOVE, Scaled(x), Scaled(y));
        mouse(dlg, WM_LBUTTONDOWN, Scaled(x), Scaled(y), MK_LBUTTON);
        mouse(dlg, WM_LBUTTONUP, Scaled(x), Scaled(y));
    }
    void clickId(CDlgBase& dlg, int id) {
        const Rect& r = dlg.FindControl(id)->rect();
        click(dlg, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    static QColor previewColour(CDlgBase& dlg) {
        const Rect r = CColorPaletteDlg::PreviewRect();
        return dlg.window()->grab().toImage().pixelColor((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    static std::u16string fields(CDlgBase& dlg) {
        return dlg.GetEditText(CColorPaletteDlg::kRedField) + u"," + dlg.GetEditText(CColorPaletteDlg::kGreenField) +
               u"," + dlg.GetEditText(CColorPaletteDlg::kBlueField);
    }
    static void retype(CDlgBase& dlg, int field, const QString& keys) {
        QLineEdit* edit = dlg.Edit(field);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, keys);
    }

    model::ProfileRecord record_;
    test::TempDir dir_;
    std::string savedDataFolder_;
};

TEST_P(ColorPaletteTest, PressesTakeThePicturesColourExceptItsBackground) {
    const int result = runLighting([&](CColorPaletteDlg& dlg) {
        EXPECT_EQ(dlg.Width(), Scaled(500));
        EXPECT_EQ(dlg.Height(), Scaled(291));
        EXPECT_EQ(dlg.WorkingColour(), kStored);
        EXPECT_EQ(fields(dlg), u"1,2,3");

        pressAt(dlg, kGap[0], kGap[1]); // the #0F0F0F between two ready colours
        EXPECT_EQ(dlg.WorkingColour(), kStored);
        pressAt(dlg, 300, 280); // below the ready colours: outside both areas
        EXPECT_EQ(dlg.WorkingColour(), kStored);

        pressAt(dlg, kRedCell[0], kRedCell[1]);
        EXPECT_EQ(dlg.WorkingColour(), kRed);
        EXPECT_EQ(fields(dlg), u"255,0,0");
        EXPECT_EQ(previewColour(dlg), QColor(255, 0, 0));
        pressAt(dlg, kOrangeCell[0], kOrangeCell[1]);
        EXPECT_EQ(dlg.WorkingColour(), kOrange);

        // In the colour field the colour taken is the one drawn under the pointer.
        const QImage shown = dlg.window()->grab().toImage();
        for (const QPoint& p : {QPoint(30, 40), QPoint(120, 148), QPoint(210, 260)}) {
            pressAt(dlg, p.x(), p.y());
            const QColor under = shown.pixelColor(Scaled(p.x()), Scaled(p.y()));
            const QColor taken = FromColorValue(dlg.WorkingColour());
            EXPECT_LE(std::abs(taken.red() - under.red()) + std::abs(taken.green() - under.green()) +
                          std::abs(taken.blue() - under.blue()),
                      GetParam() == 1.5 ? 12 : 0)
                << p.x() << "," << p.y();
        }
        clickId(dlg, CColorPaletteDlg::kCloseId);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], kStored);
}

TEST_P(ColorPaletteTest, OkAndEnterWriteTheColourCloseWritesNothingEscapeIsIgnored) {
    EXPECT_EQ(runLighting([&](CColorPaletteDlg& dlg) {
                  pressAt(dlg, kRedCell[0], kRedCell[1]);
                  clickId(dlg, CColorPaletteDlg::kCloseId);
              }),
              IDCANCEL);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], kStored);

    EXPECT_EQ(runLighting([&](CColorPaletteDlg& dlg) {
                  pressAt(dlg, kRedCell[0], kRedCell[1]);
                  loop.send(dlg.hwnd(), WM_CLOSE); // the exit closes every open dialog
              }),
              IDCANCEL);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], kStored);

    EXPECT_EQ(runLighting([&](CColorPaletteDlg& dlg) {
                  pressAt(dlg, kRedCell[0], kRedCell[1]);
                  clickId(dlg, CColorPaletteDlg::kOkId);
              }),
              IDOK);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], kRed);

    EXPECT_EQ(runLighting([&](CColorPaletteDlg& dlg) {
                  pressAt(dlg, kOrangeCell[0], kOrangeCell[1]);
                  QLineEdit* field = dlg.Edit(CColorPaletteDlg::kBlueField);
                  QTest::keyClick(field, Qt::Key_Escape);
                  EXPECT_TRUE(dlg.window()->isVisible());
                  EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], kRed);
                  QTest::keyClick(field, Qt::Key_Return); // Enter in a field is Enter of the dialog
              }),
              IDOK);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], kOrange);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot + 1], model::MakeColour(255, 255, 0)); // its neighbour stays
}

TEST_P(ColorPaletteTest, TypedValuesSetTheColourAndWrongOnesAreRefused) {
    std::vector<std::u16string> told;
    auto expectRefusal = [&] {
        CDlgBase::OnNextDialogShown([&](CDlgBase& message) {
            told.push_back(message.FindControl(CAttentionDlg::kMessageId)->text());
            message.EndDialog(IDOK);
        });
        loop.runUntilIdle();
    };
    const int result = runLighting([&](CColorPaletteDlg& dlg) {
        retype(dlg, CColorPaletteDlg::kGreenField, QStringLiteral("200"));
        EXPECT_EQ(dlg.WorkingColour(), model::MakeColour(1, 200, 3));
        EXPECT_EQ(previewColour(dlg), QColor(1, 200, 3));

        // Each good keystroke counts, so a refused value falls back to what was typed before it.
        const std::pair<QString, std::u16string> wrongs[] = {
            {QStringLiteral("256"), u"25"}, {QStringLiteral("1a"), u"1"}, {QStringLiteral("-4"), u"1"}};
        for (const auto& [wrong, kept] : wrongs) {
            retype(dlg, CColorPaletteDlg::kRedField, wrong);
            expectRefusal();
            EXPECT_EQ(dlg.GetEditText(CColorPaletteDlg::kRedField), kept) << wrong.toStdString();
            EXPECT_EQ(dlg.WorkingColour(), model::MakeColour(std::uint8_t(model::ParseDecimal(kept)), 200, 3))
                << wrong.toStdString();
        }
        EXPECT_EQ(told, std::vector<std::u16string>(3, u"Type a number"));

        // An emptied field is a value being typed: no message, the colour keeps its last value.
        told.clear();
        retype(dlg, CColorPaletteDlg::kBlueField, QString());
        expectRefusal();
        EXPECT_TRUE(told.empty());
        EXPECT_EQ(dlg.WorkingColour(), model::MakeColour(1, 200, 3));
        CDlgBase::OnNextDialogShown({});
        QTest::keyClicks(dlg.Edit(CColorPaletteDlg::kBlueField), QStringLiteral("0"));
        retype(dlg, CColorPaletteDlg::kRedField, QStringLiteral("255"));
        EXPECT_EQ(dlg.WorkingColour(), model::MakeColour(255, 200, 0));
        clickId(dlg, CColorPaletteDlg::kOkId);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(record_.Lighting1FixedColor[2][kSlot], model::MakeColour(255, 200, 0));
}

TEST_P(ColorPaletteTest, ModesChooseTheColourEdited) {
    auto pickRedAndOk = [&](CColorPaletteDlg& dlg) {
        pressAt(dlg, kRedCell[0], kRedCell[1]);
        clickId(dlg, CColorPaletteDlg::kOkId);
    };
    const model::ProfileRecord before = record_;
    EXPECT_EQ(run(CColorPaletteDlg::kModeDpiLevel, 3, pickRedAndOk), IDOK);
    EXPECT_EQ(record_.DPILevelIndication[3], kRed);
    EXPECT_EQ(run(CColorPaletteDlg::kModeDpiLevel, 9, pickRedAndOk), IDOK);
    EXPECT_EQ(record_.DPILevelIndication[0], kRed);
    model::ProfileRecord expected = before;
    expected.DPILevelIndication[3] = expected.DPILevelIndication[0] = kRed;
    EXPECT_EQ(record_, expected);

    // No effect selected (a file's effect 12) or no such slot: nothing opens, nothing is written.
    bool opened = false;
    record_.Lighting1ModeValue[0] = 12;
    EXPECT_EQ(run(CColorPaletteDlg::kModeLighting, 0,
                  [&](CColorPaletteDlg& dlg) {
                      opened = true;
                      pickRedAndOk(dlg);
                  }),
              IDCANCEL);
    record_.Lighting1ModeValue[0] = 2;
    EXPECT_EQ(run(CColorPaletteDlg::kModeLighting, 10, [&](CColorPaletteDlg&) { opened = true; }), IDCANCEL);
    EXPECT_FALSE(opened);
    EXPECT_EQ(record_, expected);
}

INSTANTIATE_TEST_SUITE_P(Scales, ColorPaletteTest, ::testing::Values(1.0, 1.5, 2.0));

} // namespace

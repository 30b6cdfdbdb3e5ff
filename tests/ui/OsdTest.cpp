// The on-screen display: layout of its texts, its look, its place and its countdown.
#include "UiTestSupport.h"

#include "ui/main/OsdDisplay.h"
#include "ui/skin/OpenWindowTable.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QTest>

using namespace quorvik;
using namespace quorvik::ui;
using namespace quorvik::platform;
using quorvik::device::OsdTexts;

namespace {

// The main window as far as the display needs it: its timer 50 drives the countdown.
struct MainStandIn : quorvik::test::RecordingDlg {
    COsdDisplay osd;
    LRESULT handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == COsdDisplay::kTimerOsdCountdown) {
            osd.OnTimer50();
            return 0;
        }
        return RecordingDlg::handleMessage(message, wParam, lParam);
    }
};

class OsdTest : public quorvik::test::UiTest {
protected:
    const QRect workArea{100, 50, 1600, 900};
};

TEST(OsdLayoutTest, TextsArePlacedByFaceAndLength) {
    struct Row {
        std::u16string_view face;
        std::u16string value;
        int x;
    };
    const Row rows[] = {
        {u"宋体", u"12000", 34},   {u"宋体", u"1600", 44},   {u"宋体", u"800", 50},   {u"宋体", u"260000", 50},
        {u"Tahoma", u"12000", 16}, {u"Tahoma", u"1600", 34}, {u"Tahoma", u"800", 50}, {u"Tahoma", u"", 50},
    };
    for (const Row& row : rows) {
        const OsdTextPositions at = OsdLayout(row.face, OsdTexts{u"DPI-1", row.value, u"500Hz"});
        EXPECT_EQ(at.value, QPoint(row.x, 44)) << QString::fromStdU16String(row.value).toStdString();
        EXPECT_EQ(at.title, QPoint(58, 20));
    }
    EXPECT_EQ(OsdLayout(u"宋体", OsdTexts{u"DPI-1", u"800", u"1000Hz"}).rate, QPoint(50, 92));
    EXPECT_EQ(OsdLayout(u"Tahoma", OsdTexts{u"DPI-1", u"800", u"1000Hz"}).rate, QPoint(50, 92));
    EXPECT_EQ(OsdLayout(u"宋体", OsdTexts{u"DPI-1", u"800", u"500Hz"}).rate, QPoint(57, 92));
    EXPECT_EQ(OsdLayout(u"Tahoma", OsdTexts{u"DPI-1", u"800", u"125Hz"}).rate, QPoint(57, 92));
}

TEST_F(OsdTest, FontsTakeTheAskedAverageWidthAndScale) {
    for (double scale : {1.0, 2.0}) {
        const QFont a = OsdFont(kOsdTitleFont, u"Tahoma", scale);
        const QFont b = OsdFont(kOsdValueFont, u"Tahoma", scale);
        EXPECT_EQ(a.pixelSize(), int(std::lround(24 * scale * 13 / 16)));
        EXPECT_EQ(a.weight(), QFont::Bold);
        EXPECT_EQ(b.weight(), QFont::Normal);
        EXPECT_NEAR(QFontMetricsF(a).averageCharWidth(), 12 * scale, 1.0 * scale);
        EXPECT_NEAR(QFontMetricsF(b).averageCharWidth(), 24 * scale, 1.0 * scale);
    }
}

TEST_F(OsdTest, ASecondShowUpdatesTheOpenDisplayWhichClosesSoonAfter) {
    MainStandIn main;
    main.Create();
    main.osd.Show(OsdTexts{u"DPI-2", u"800", u"1000Hz"}, main.hwnd(), workArea);
    COSDDialog* first = main.osd.Dialog();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(loop.hasTimer(main.hwnd(), 50));
    EXPECT_EQ(main.osd.Countdown(), 5);

    loop.advance(1000);
    ASSERT_TRUE(main.osd.IsOpen());
    main.osd.Show(OsdTexts{u"DPI-3", u"1600", u"500Hz"}, main.hwnd(), workArea);
    EXPECT_EQ(main.osd.Dialog(), first); // one display, new texts
    EXPECT_EQ(first->Texts(), (OsdTexts{u"DPI-3", u"1600", u"500Hz"}));
    EXPECT_EQ(main.osd.Countdown(), 5);

    // The timer kept its rhythm (ticks at 1200, 1500, …): the sixth tick after the update closes it.
    std::uint64_t closedAt = 0;
    while (loop.now() < 4000 && !closedAt) {
        loop.advance(10);
        if (!main.osd.IsOpen())
            closedAt = loop.now();
    }
    EXPECT_EQ(closedAt, 2700u);
    EXPECT_GE(closedAt - 1000, 1500u);
    EXPECT_LE(closedAt - 1000, 1800u);
    EXPECT_FALSE(loop.hasTimer(main.hwnd(), 50));
    EXPECT_EQ(main.osd.Dialog(), nullptr);

    // A display shown once closes on the sixth tick, 1.8 s later; a new show opens a new one.
    const std::uint64_t shownAt = loop.now();
    main.osd.Show(OsdTexts{u"DPI-1", u"400", u"125Hz"}, main.hwnd(), workArea);
    loop.advance(1799);
    EXPECT_TRUE(main.osd.IsOpen());
    loop.advance(1);
    EXPECT_FALSE(main.osd.IsOpen());
    EXPECT_EQ(loop.now() - shownAt, 1800u);
}

TEST_F(OsdTest, TheDisplaySitsInTheCornerAndNeverTakesFocusOrPointer) {
    MainStandIn main;
    main.Create();
    main.window()->showCommand(SW_SHOW);
    // The offscreen platform activates every window it shows, whatever its flags: the check that
    // the main window stays active runs on a real display only.
    const bool mainWasActive =
        QGuiApplication::platformName() != QLatin1String("offscreen") && QTest::qWaitForWindowActive(main.window());
    const std::size_t listed = OpenWindowCount();

    main.osd.Show(OsdTexts{u"DPI-2", u"800", u"1000Hz"}, main.hwnd(), workArea);
    if (mainWasActive) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.osd.Dialog()->window()));
    }
    NativeWindow* w = main.osd.Dialog()->window();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->geometry(), QRect(1520, 810, 180, 140)); // bottom-right corner on the area's
    const Qt::WindowFlags flags = w->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
    EXPECT_NEAR(w->windowOpacity(), 128.0 / 255.0, 0.01);
    EXPECT_EQ(OpenWindowCount(), listed); // not one of the windows the shutdown closes
    if (mainWasActive) {
        EXPECT_EQ(QApplication::activeWindow(), main.window());
    }

    // An update changes the texts in place.
    main.osd.Show(OsdTexts{u"DPI-3", u"1600", u"500Hz"}, main.hwnd(), QRect(0, 0, 800, 600));
    EXPECT_EQ(w->geometry(), QRect(1520, 810, 180, 140));
    main.osd.Close();
    EXPECT_FALSE(main.osd.IsOpen());
    EXPECT_FALSE(loop.hasTimer(main.hwnd(), 50));

    // Scaled: a bigger box, still in the corner.
    SetDisplayScaleFactor(1.5);
    main.osd.Show(OsdTexts{u"DPI-2", u"800", u"1000Hz"}, main.hwnd(), workArea);
    EXPECT_EQ(main.osd.Dialog()->window()->geometry(), QRect(1430, 740, 270, 210));
}

// Leftmost column in rows [top, bottom) holding a pixel brighter than the fill (text).
int LeftmostText(const QImage& image, int top, int bottom) {
    for (int x = 0; x < image.width(); ++x)
        for (int y = top; y < bottom; ++y)
            if (image.pixelColor(x, y).green() > 140)
                return x;
    return -1;
}

QImage Render(MainStandIn& main, const OsdTexts& texts) {
    main.osd.Show(texts, main.hwnd(), QRect(0, 0, 1000, 800));
    QImage image = main.osd.Dialog()->window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    main.osd.Close();
    return image;
}

TEST_F(OsdTest, PaintsWhiteTextOnItsOwnColour) {
    MainStandIn main;
    main.Create();
    const QImage image = Render(main, OsdTexts{u"DPI-3", u"1600", u"500Hz"});
    ASSERT_EQ(image.size(), QSize(180, 140));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(164, 73, 164));
    EXPECT_EQ(image.pixelColor(177, 137), QColor(164, 73, 164));

    // Every pixel is the fill, white, or a blend of the two at a glyph's edge.
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ASSERT_LE(std::abs(c.red() - c.blue()), 2) << x << "," << y;
            ASSERT_GE(c.red(), 162) << x << "," << y;
            ASSERT_GE(c.green(), 71) << x << "," << y;
            if (c.red() >= 250 && c.green() >= 250)
                ++white;
        }
    EXPECT_GT(white, 200);

    // The title starts where the layout puts it, allowing for the first glyph's side bearing,
    // and nothing is drawn above it.
    const int title = LeftmostText(image, 20, 44);
    EXPECT_GE(title, 58);
    EXPECT_LE(title, 62);
    EXPECT_EQ(LeftmostText(image, 0, 19), -1);

    // Value and rate move by their length: texts that begin with the same glyph start exactly as
    // far apart as their places (the interface faces: 50, 34, 16; rates 57 and 50).
    const QImage three = Render(main, OsdTexts{u"DPI-3", u"160", u"100Hz"});
    const QImage four = Render(main, OsdTexts{u"DPI-3", u"1600", u"1000Hz"});
    const QImage five = Render(main, OsdTexts{u"DPI-3", u"12000", u"125Hz"});
    auto valueAt = [](const QImage& i) { return LeftmostText(i, 44, 92); };
    auto rateAt = [](const QImage& i) { return LeftmostText(i, 92, 120); };
    ASSERT_GE(valueAt(three), 50);
    EXPECT_EQ(valueAt(three) - valueAt(four), 16);
    EXPECT_EQ(valueAt(three) - valueAt(five), 34);
    ASSERT_GE(rateAt(three), 57);
    EXPECT_EQ(rateAt(three) - rateAt(four), 7);
    EXPECT_EQ(rateAt(three), rateAt(five));
}

} // namespace

// The focus mark at display factors 1 and 2: drawn in its colour around the focused control once
// the keyboard is used, and at every stop of the main window's focus order keeping a contrast of
// at least 3 : 1 to what lies where it is drawn. Pictures of it go to QV_RENDER_DIR when set.
#include "MainWindowHarness.h"
#include "TextContrast.h"

#include "ui/main/MainIds.h"

#include <QKeyEvent>

#include <algorithm>
#include <cstdlib>

namespace quorvik::test {
namespace {

using namespace ui::main_ids;

class FocusMarkLookTest : public MainWindowTest, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        platform::SetDisplayScaleFactor(GetParam());
        start("0", {device::Form::Wired});
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        platform::SetDisplayScaleFactor(1.0);
    }
    void tab() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(native(), &press);
    }
    // The pixels the mark covers around `control`: its ring, `width` pixels wide.
    static std::vector<QPoint> ring(const ui::Rect& control, int width) {
        const QRect outer = ui::CDlgBase::FocusMarkRect(control);
        std::vector<QPoint> points;
        for (int y = outer.top(); y <= outer.bottom(); ++y)
            for (int x = outer.left(); x <= outer.right(); ++x)
                if (x < outer.left() + width || x > outer.right() - width || y < outer.top() + width ||
                    y > outer.bottom() - width)
                    points.emplace_back(x, y);
        return points;
    }
    // The mark's contrast to the window's pixels under it: the tenth-lowest percent of the
    // ratios, as the text measure takes it (a corner on a neighbour does not decide).
    static double contrast(const QImage& plain, const std::vector<QPoint>& points) {
        std::vector<double> ratios;
        for (const QPoint& p : points)
            if (plain.rect().contains(p))
                ratios.push_back(ContrastRatio(ui::CDlgBase::FocusMarkColour(), plain.pixelColor(p)));
        if (ratios.empty())
            return 0;
        std::sort(ratios.begin(), ratios.end());
        return ratios[ratios.size() / 10];
    }
    std::string look() const { return GetParam() == 1.0 ? "" : "-2x"; }
};

TEST_P(FocusMarkLookTest, TheMarkShowsAfterTheKeyboardAndStandsOutAtEveryStop) {
    const int width = std::max(2, ui::Scaled(2));
    const QImage plain = native()->grab().toImage();

    // To the first DPI level check: the mark is drawn there, in its colour.
    int stops = 0;
    while (!dlg().FocusedControl() || dlg().FocusedControl()->id() != kDpiLevelCheck) {
        tab();
        ASSERT_LT(++stops, 400);
    }
    const QImage marked = native()->grab().toImage();
    const ui::Rect check = dlg().FocusedControl()->rect();
    int drawn = 0;
    const std::vector<QPoint> points = ring(check, width);
    for (const QPoint& p : points)
        drawn += marked.pixelColor(p) == ui::CDlgBase::FocusMarkColour();
    EXPECT_GE(drawn, int(points.size()) * 9 / 10);
    if (const char* dir = std::getenv("QV_RENDER_DIR")) {
        // The DPI page with the mark on its first level, as the documentation shows it.
        const QRect page = QRect(check.left, check.top, 1, 1)
                               .adjusted(-ui::Scaled(20), -ui::Scaled(40), ui::Scaled(250), ui::Scaled(190));
        marked.copy(page).save(QString::fromStdString(std::string(dir) + "/focus-mark" + look() + ".png"));
    }

    // Every stop of the window, each measured where its mark goes.
    std::string low;
    double lowest = 21;
    for (const ui::FocusStop& stop : dlg().FocusOrder()) {
        const double ratio = contrast(plain, ring(stop.rect, width));
        lowest = std::min(lowest, ratio);
        if (ratio < 3.0)
            low += " " + std::to_string(stop.control ? stop.control->id() : stop.editId) + ":" + std::to_string(ratio);
    }
    EXPECT_EQ(low, "") << "focus marks below 3 : 1";
    std::cout << "focus mark at factor " << GetParam() << ": lowest contrast " << lowest << " : 1 over "
              << dlg().FocusOrder().size() << " stops\n";

    // The mouse hides it again.
    mouse(dlg(), platform::WM_LBUTTONDOWN, 5, 300, platform::MK_LBUTTON);
    mouse(dlg(), platform::WM_LBUTTONUP, 5, 300);
    EXPECT_FALSE(dlg().FocusMarkShown());
}

INSTANTIATE_TEST_SUITE_P(Factors, FocusMarkLookTest, ::testing::Values(1.0, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                             return info.param == 1.0 ? std::string("x1") : std::string("x2");
                         });

} // namespace
} // namespace quorvik::test

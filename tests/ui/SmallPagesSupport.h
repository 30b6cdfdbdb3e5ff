// What the tests of the main window's small pages share: opening a page through its header,
// dragging sliders with the mouse, the group flags, restarting the program on the same data
// folder, and the layout checks of a page as it is drawn (inside its panel, nothing overlapping,
// every caption fitting its control).
#pragma once

#include "MainWindowHarness.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/DialGeometry.h"
#include "ui/skin/Sliders.h"

#include <QFontMetrics>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <utility>

namespace quorvik::test {

class SmallPagesTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        // A test at another display factor loaded fonts of that size; later tests expect the
        // program's usual ones.
        if (platform::DisplayScaleFactor() != 1.0) {
            platform::SetDisplayScaleFactor(1.0);
            model::LoadLanguageTables();
        }
    }

    template <class T> T* control(int id) {
        T* found = dlg().FindControlAs<T>(id);
        EXPECT_NE(found, nullptr) << "control " << id;
        return found;
    }

    bool headerOpen(int header) { return dlg().FindControlAs<ui::CCheckButton>(header)->IsChecked(); }
    void openPage(int header) {
        if (!headerOpen(header))
            clickControl(header);
        ASSERT_TRUE(headerOpen(header)) << header;
    }

    // Presses the slider's knob and moves it to `position`; with `release` lets go there.
    void dragSlider(int id, int position, bool release = true) {
        auto* slider = control<ui::CSliderControl>(id);
        const ui::Rect knob = slider->ThumbRect();
        const int y = (knob.top + knob.bottom) / 2;
        const int from = (knob.left + knob.right) / 2;
        mouse(dlg(), platform::WM_MOUSEMOVE, from, y);
        mouse(dlg(), platform::WM_LBUTTONDOWN, from, y, platform::MK_LBUTTON);
        const int to = slider->StopX(position);
        mouse(dlg(), platform::WM_MOUSEMOVE, (from + to) / 2, y, platform::MK_LBUTTON);
        mouse(dlg(), platform::WM_MOUSEMOVE, to, y, platform::MK_LBUTTON);
        if (release)
            mouse(dlg(), platform::WM_LBUTTONUP, to, y);
    }
    void releaseSlider(int id) {
        auto* slider = control<ui::CSliderControl>(id);
        const ui::Rect knob = slider->ThumbRect();
        mouse(dlg(), platform::WM_LBUTTONUP, (knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2);
    }

    // A click in the middle of the power dial's sector for `minutes`.
    void clickDial(int minutes) {
        const ui::Rect& r = control<ui::CControlBase>(ui::main_ids::kPowerDial)->rect();
        const QRectF box(r.left, r.top, r.width(), r.height());
        const int sector = minutes - 1;
        const double radius = ui::DialRadius(box) * (1 + ui::kDialHubRatio) / 2;
        const QPointF at = ui::DialPoint(box, radius, (ui::DialSectorStart(sector) + ui::DialSectorEnd(sector)) / 2);
        click(dlg(), int(at.x()), int(at.y()));
    }

    bool marked(device::SettingGroup group) { return core().Download().IsMarked(group); }
    // Lets the 20 ms download timer run (with the pacing of what it writes) and returns the codes.
    std::vector<std::uint8_t> codesAfterDownload() {
        loop.advance(300);
        return takeCodes();
    }

    // The mouse reports a sensor of class 1 (lift-off distance offered), as the 3360 does.
    void useLiftOffSensor() {
        auto status = mouse_->status();
        status.sensorCode = 0x60;
        mouse_->setStatus(status);
    }

    // The program ends (its window's end saves what is pending) and starts again on the same data
    // folder; nothing of the old run's records or radio choices is left in memory.
    void restart() {
        window_.reset();
        loop.runUntilIdle();
        for (int slot = 0; slot < 5; ++slot)
            model::Profile(slot).ResetToFactory(unsigned(slot));
        ui::SetRadioGroupWord(0);
        start("0", {device::Form::Wired});
    }

    // A control of a page and how much of its width its caption may use.
    struct Shown {
        int id;
        int captionMarginUnits = 0; // the left text margin of checks, radios and selectors
    };

    // The page of `header` as drawn: every control live, inside the page's panel, clear of every
    // other control (except the pairs given), its caption fitting its width. Saves a picture of
    // the window when QV_RENDER_DIR names a folder.
    void expectLaidOut(int header, const std::vector<Shown>& shown, const std::set<std::pair<int, int>>& overlapping,
                       const std::string& name) {
        auto page = dlg().Column().PageOfHeader(header);
        ASSERT_TRUE(page);
        const ui::Rect panel = dlg().Column().PageAt(*page)->ContentRect();
        EXPECT_LE(panel.bottom, ui::Scaled(ui::main_ids::kWindowHeightUnits)) << name;
        std::vector<ui::CControlBase*> controls;
        for (const Shown& s : shown) {
            ui::CControlBase* c = dlg().FindControl(s.id);
            ASSERT_NE(c, nullptr) << s.id;
            controls.push_back(c);
            const ui::Rect& r = c->rect();
            EXPECT_TRUE(c->isLive()) << name << " " << s.id;
            EXPECT_TRUE(r.left >= panel.left && r.right <= panel.right && r.top >= panel.top &&
                        r.bottom <= panel.bottom)
                << name << " " << s.id << " outside its panel";
            if (!c->text().empty()) {
                const int width = QFontMetrics(c->font()).horizontalAdvance(QString::fromStdU16String(c->text()));
                EXPECT_LE(width, r.width() - ui::Scaled(s.captionMarginUnits))
                    << name << " " << s.id << " caption cut off: " << model::ToUtf8(c->text());
            }
        }
        for (std::size_t i = 0; i < controls.size(); ++i)
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                const int a = controls[i]->id(), b = controls[j]->id();
                if (overlapping.count({a, b}) || overlapping.count({b, a}))
                    continue;
                EXPECT_FALSE(controls[i]->rect().intersects(controls[j]->rect())) << name << " " << a << " and " << b;
            }
        // Every other control of the window stays clear of the open page.
        for (int list = 1; list <= ui::kControlLists; ++list)
            for (const auto& other : dlg().ControlList(list)) {
                if (!other->isLive() || std::find(controls.begin(), controls.end(), other.get()) != controls.end())
                    continue;
                EXPECT_FALSE(other->rect().intersects(panel))
                    << name << ": control " << other->id() << " over the page";
            }
        if (const char* dir = std::getenv("QV_RENDER_DIR"))
            dlg().window()->grab().toImage().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
    }
};

} // namespace quorvik::test

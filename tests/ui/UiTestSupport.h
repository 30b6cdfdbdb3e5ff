// Shared set-up of the UI tests: a virtual-clock loop as the UI loop, skins from the build tree,
// and a dialog that records the messages its controls send.
#pragma once

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/VirtualClockLoop.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/DlgBase.h"
#include "ui/skin/ProgramWords.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <vector>

namespace quorvik::test {

struct Sent {
    unsigned message;
    platform::WPARAM wParam;
    platform::LPARAM lParam;
    friend bool operator==(const Sent&, const Sent&) = default;
};

// A dialog that keeps every message numbered above WM_USER, the way control notifications arrive.
class RecordingDlg : public ui::CDlgBase {
public:
    explicit RecordingDlg(int widthPx = 400, int heightPx = 300) : CDlgBase(100, 0) {
        width_ = widthPx;
        height_ = heightPx;
    }
    platform::LRESULT handleMessage(unsigned message, platform::WPARAM wParam, platform::LPARAM lParam) override {
        if (message >= platform::WM_USER)
            sent.push_back({message, wParam, lParam});
        return CDlgBase::handleMessage(message, wParam, lParam);
    }
    // Messages number `message` received so far.
    std::vector<Sent> of(unsigned message) const {
        std::vector<Sent> found;
        for (const auto& s : sent)
            if (s.message == message)
                found.push_back(s);
        return found;
    }
    std::vector<Sent> sent;
};

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetUiLoop(&loop);
        platform::SetProgramFolder(QV_BIN_DIR);
        platform::SetDisplayScaleFactor(1.0);
        // The language and the font it chose are process-wide: a test that loaded the settings
        // model would otherwise hand its font to every later test (the on-screen display places
        // its texts by the font's face).
        model::ResetLanguageTables();
        ui::SetRadioGroupWord(0);
        ui::SetDpiLevelWord(0);
    }
    // After the derived fixture's windows are gone, which still need the loop on their way out.
    ~UiTest() override { platform::SetUiLoop(nullptr); }

    // Window messages as the platform delivers them to a dialog.
    platform::LRESULT mouse(ui::CDlgBase& dlg, unsigned message, int x, int y, unsigned keys = 0) {
        return loop.send(dlg.hwnd(), message, keys, platform::MakePointParam(x, y));
    }
    void click(ui::CDlgBase& dlg, int x, int y) {
        mouse(dlg, platform::WM_MOUSEMOVE, x, y);
        mouse(dlg, platform::WM_LBUTTONDOWN, x, y, platform::MK_LBUTTON);
        mouse(dlg, platform::WM_LBUTTONUP, x, y);
    }

    platform::VirtualClockLoop loop;
};

// A Qt mouse event at a screen point, sent straight to a top-level widget as Qt delivers it.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint screen, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QPointF local = QPointF(screen - widget->pos());
    QMouseEvent event(type, local, local, QPointF(screen), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace quorvik::test

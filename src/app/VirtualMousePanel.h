// A plain window beside the program for trying it without the hardware: it presses the virtual
// mouse's DPI and report-rate buttons, plugs and unplugs each form, switches the mouse on and
// off, sets its battery, and lists the last reports the mouse received.
#pragma once

#include "emulator/VirtualMouse.h"

#include <QWidget>

#include <atomic>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;
class QWindow;

namespace quorvik::app {

class VirtualMousePanel : public QWidget {
public:
    explicit VirtualMousePanel(emulator::VirtualMouse& mouse, QWidget* parent = nullptr);
    ~VirtualMousePanel() override;

    // Shows the panel beside `mainWindow` (screen pixels) on the side with more room; where the
    // screen has room on neither side, over the window's middle (the mouse picture) and kept
    // above the window (`mainHandle` becomes its transient parent).
    void ShowBeside(const QRect& mainWindow, QWindow* mainHandle);

    // The lines of the report list (newest first), for tests.
    QStringList ReportLines() const;

private:
    void pressDpi();
    void pressRate();
    void setPlugged(device::Form form, bool plugged);
    void applyStatus();
    void refresh();
    device::Form buttonForm() const;

    emulator::VirtualMouse& mouse_;
    QCheckBox* wired_;
    QCheckBox* receiver_;
    QCheckBox* online_;
    QSpinBox* battery_;
    QComboBox* charge_;
    QLabel* state_;
    QListWidget* reports_;
    std::atomic<bool> refreshQueued_{false};
    std::size_t shownTrace_ = 0;
};

} // namespace quorvik::app

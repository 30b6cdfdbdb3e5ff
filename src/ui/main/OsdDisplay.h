// The main window's side of the on-screen display: opens it in the corner of the work area,
// updates it while it is open, and closes it a moment after the last change, counted down by
// the main window's timer 50.
#pragma once

#include "device/MainWindowPort.h"
#include "ui/main/OsdDialog.h"

#include <QRect>

#include <cstdint>
#include <memory>

namespace quorvik::ui {

class COsdDisplay {
public:
    // The main window's timer that counts the display down, and its period.
    static constexpr unsigned kTimerOsdCountdown = 50;
    static constexpr std::uint32_t kTickMs = 300;
    // Ticks left after a show or an update; the display closes on the tick after they ran out.
    static constexpr int kCountdownStart = 5;
    // Opacity of the display, of 255.
    static constexpr int kAlpha = 128;

    COsdDisplay() = default;
    ~COsdDisplay();
    COsdDisplay(const COsdDisplay&) = delete;
    COsdDisplay& operator=(const COsdDisplay&) = delete;

    // Shows `texts`. An open display takes the new texts and starts its countdown again (the
    // timer keeps running). Otherwise a display opens, topmost and without activation, with its
    // bottom-right corner at the bottom-right corner of `workArea` (the primary screen's
    // available area when empty), and timer 50 of `mainWindow` starts.
    void Show(const device::OsdTexts& texts, WindowHandle mainWindow, const QRect& workArea = QRect());
    // Shows `title` and a profile's name the same way.
    void ShowProfile(const std::u16string& title, const std::u16string& name, WindowHandle mainWindow,
                     const QRect& workArea = QRect());

    // The main window's timer 50: counts down, then stops the timer and closes the display.
    void OnTimer50();

    // Closes the display at once (the main window's end).
    void Close();

    bool IsOpen() const;
    COSDDialog* Dialog() const { return IsOpen() ? dialog_.get() : nullptr; }
    int Countdown() const { return countdown_; }

private:
    void show(const device::OsdTexts& texts, const std::u16string& profile, WindowHandle mainWindow,
              const QRect& workArea);
    void Open(const device::OsdTexts& texts, const std::u16string& profile, const QRect& workArea);

    std::unique_ptr<COSDDialog> dialog_;
    WindowHandle mainWindow_ = 0;
    int countdown_ = 0;
};

} // namespace quorvik::ui

// What the device link shows or changes on screen. The main window implements it with its
// windows and dialogs; the command-line tool prints; tests record the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvik::device {

// The three lines of the on-screen display after a level change made on the mouse.
struct OsdTexts {
    std::u16string title; // "DPI-3"
    std::u16string value; // "1600"
    std::u16string rate;  // "500Hz"
    friend bool operator==(const OsdTexts&, const OsdTexts&) = default;
};

class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;

    virtual void HideMainWindow() = 0;
    // Brings the main window to the front in its normal size.
    virtual void ShowMainWindowNormal() = 0;
    virtual void MinimiseMainWindow() = 0;
    // WM_CLOSE to every window of the open-window table.
    virtual void CloseOpenWindows() = 0;
    // Ends the main loop; the program ends after it.
    virtual void QuitProgram() = 0;
    // Shows the current profile's settings again.
    virtual void RefreshMainWindow() = 0;

    // The write-progress window with language text `textIndex`: shown when the first report of a
    // download reached the mouse, then told each report that followed (`written` of `total`). It
    // never takes the focus or the pointer, and returns at once.
    virtual void ShowWriteProgress(int textIndex, std::size_t written, std::size_t total) = 0;
    // The download ended (or stopped): the progress window goes a moment later.
    virtual void EndWriteProgress() = 0;
    // The attention dialog with language text `textIndex`, modeless and on top.
    virtual void ShowAttention(int textIndex) = 0;
    // The same for a mouse that is plugged in but whose device node `path` this user may not open:
    // which node, and how to grant the access.
    virtual void ShowNoAccess(const std::string& path) = 0;
    // The factory-reset confirmation; true when the user confirmed.
    virtual bool ConfirmFactoryReset() = 0;

    // The sensor changed: the lift-off section follows the class flag, the DPI step controls take
    // the new step count; then the whole window is repainted.
    virtual void UpdateSensorControls(std::uint8_t classFlag, std::uint16_t stepCount) = 0;
    // Battery gauge (level 0..100, charge state 0/1/2, animation phase) and its "%d%%" text,
    // which is shown only while not charging.
    virtual void ShowBattery(int level, int chargeState, int animationPhase) = 0;
    virtual void ShowOnScreenDisplay(const OsdTexts& texts) = 0;
};

} // namespace quorvik::device

// What the device link asks of the window that owns it. The main window implements this; tests
// record the calls. Every call comes on the main thread.
#pragma once

#include "device/CommandReports.h"

namespace quorvik::device {

class DeviceHost {
public:
    virtual ~DeviceHost() = default;

    // The status-poll tick counter (set to 19 after a device change, so the next poll comes soon).
    virtual void SetStatusTickCounter(int value) = 0;
    // Starts (or restarts) the one-second status timer (id 110, 1000 ms, periodic).
    virtual void StartStatusTimer() = 0;
    // After every scan: mark the button, sensor-and-lighting and power groups, suppress the
    // progress dialog for the coming download and (re)start the download timer (id 30, 20 ms).
    virtual void ScheduleDownloadAfterScan() = 0;
    virtual void RefreshMainWindow() = 0;
    // A status response with a non-zero payload length, as read (33 bytes).
    virtual void HandleStatusResponse(const Report& response) = 0;

    // The last form of the mouse went away; called in this order, then the program ends.
    virtual void ClearWindowOpenState() = 0;
    virtual void HideMainWindow() = 0;
    virtual void CloseOpenWindows() = 0; // WM_CLOSE to every window of the open-window table
    virtual void QuitProgram() = 0;      // posts the quit of the main loop
};

} // namespace quorvik::device

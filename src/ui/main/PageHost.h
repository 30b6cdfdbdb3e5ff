// What a page of the main window may use. The main window implements it; page tests fake it.
#pragma once

#include "device/SensorTables.h"
#include "device/SettingsDownload.h"
#include "model/ProfileRecord.h"
#include "ui/skin/DlgBase.h"

#include <cstdint>

namespace quorvik::ui {

class AppRulesPort;

class PageHost {
public:
    virtual ~PageHost() = default;

    // The window the page's controls live on (controls, popups, invalidation).
    virtual CDlgBase& Window() = 0;
    // The record every edit goes to: the current slot's, looked up at the moment of the edit.
    virtual model::ProfileRecord& CurrentRecord() = 0;
    // The sensor's step count, step values and class flag.
    virtual const device::SensorTables& Sensor() const = 0;

    // Marks `group` for the download and (re)starts the 20 ms download timer.
    virtual void MarkGroup(device::SettingGroup group) = 0;
    // Marks `group` without starting the timer: a slider being dragged.
    virtual void MarkGroupWithoutDownload(device::SettingGroup group) = 0;
    // (Re)starts the 20 ms download timer without marking anything.
    virtual void StartDownloadTimer() = 0;
    // Runs the download at once.
    virtual void DownloadNow() = 0;
    // Saves the configuration and the five profiles now, off the main thread.
    virtual void SaveSettingsSoon() = 0;

    // Every control of every page from the current record, then a repaint.
    virtual void RefreshAllPages() = 0;
    // The values the pages hold into the current record.
    virtual void CollectPageValues() = 0;
    // The page column again after a page's content changed size or visibility.
    virtual void RelayoutPages() = 0;

    // Window timers of the main window.
    virtual void SetTimer(unsigned id, std::uint32_t periodMs) = 0;
    virtual void KillTimer(unsigned id) = 0;

    // The attention dialog with language text `textIndex`, modal; IDOK or IDCANCEL.
    virtual int ShowMessage(int textIndex) = 0;

    // What the Applications dialog tells of its changes and asks for the open applications;
    // null when nothing around the window follows the rules.
    virtual AppRulesPort* ApplicationRulesPort() { return nullptr; }
};

} // namespace quorvik::ui

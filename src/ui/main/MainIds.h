// Control ids, shared message numbers and timers of the main window. A control's id is also the
// message number it sends; popups and selectors report with the 0x4xx numbers, the control id in
// wParam.
#pragma once

#include <cstdint>

namespace quorvik::ui::main_ids {

// ---- controls outside the pages ----
inline constexpr int kClose = 2001;
inline constexpr int kMinimise = 2002;
inline constexpr int kHideAlso = 2048; // hides the window like close and minimise
inline constexpr int kMouseSettings = 3330;
inline constexpr int kWebLink = 3503;
inline constexpr int kFactoryReset = 2045;
inline constexpr int kMacroManager = 2062;
inline constexpr int kApplyProfile = 2047;
inline constexpr int kBatteryText = 3405;
inline constexpr int kBattery = 3406;
// Where the battery is: "Mouse not connected" while no form of the mouse is plugged in.
inline constexpr int kMouseAbsentText = 3407;
inline constexpr int kPowerDial = 3500;
inline constexpr int kMoveLightingCheck = 3501;
inline constexpr int kMotionWakeCheck = 3504;
inline constexpr int kVersionText = 3021;
inline constexpr int kMousePicture = 3022;

// Button selectors: 2013 + i edits button i; 2020 and 2021 exist hidden.
inline constexpr int kFirstButtonSelector = 2013;
inline constexpr int kLastMouseButtonSelector = 2019;
inline constexpr int kLastButtonSelector = 2021;
// Choices reported for these ids are not stored.
inline constexpr int kFirstUnstoredSelector = 2020;
inline constexpr int kLastUnstoredSelector = 2026;

// Profile area.
inline constexpr int kProfileSelector = 3100;
inline constexpr int kFirstSlotTab = 2049; // … 2053, one per slot
inline constexpr int kLastSlotTab = 2053;
inline constexpr int kProfileAdd = 2068;
inline constexpr int kProfileRename = 2069;
inline constexpr int kProfileImport = 2070;
inline constexpr int kProfileExport = 2071;
inline constexpr int kProfileList = 3502;
inline constexpr int kProfileNameLabel = 3023;

// Page headers, top to bottom in the column: DPI, lighting, polling rate, lift-off, debounce,
// pointer.
inline constexpr int kHeaderDpi = 3001;
inline constexpr int kHeaderLighting = 3002;
inline constexpr int kHeaderPointer = 3003;
inline constexpr int kHeaderPollingRate = 3004;
inline constexpr int kHeaderLiftOff = 3011;
inline constexpr int kHeaderDebounce = 3012;
// Header-styled checks of the side panels, with no page: buttons, macros, power, profiles.
inline constexpr int kPanelHeaderButtons = 3007;
inline constexpr int kPanelHeaderMacros = 3008;
inline constexpr int kPanelHeaderPower = 3009;
inline constexpr int kPanelHeaderProfiles = 3010;

// ---- the pages' controls ----
// DPI page, level k = 0 … 7.
inline constexpr int kDpiLevelCheck = 3260;
inline constexpr int kDpiColourButton = 3270;
inline constexpr int kDpiSlider = 3280;
inline constexpr int kDpiLabel = 3290;
inline constexpr int kDpiValueBox = 3300;
// Lighting page.
inline constexpr int kEffectSelector = 3120;
inline constexpr int kLightingText1 = 3161; // … 3164
inline constexpr int kColourCheck = 3180;   // … 3187
inline constexpr int kSpeedImage = 3190;
inline constexpr int kBrightnessImage = 3191;
inline constexpr int kSpeedSlider = 3200;
inline constexpr int kSpeedText = 3210;
inline constexpr int kBrightnessSlider = 3220;
inline constexpr int kBrightnessText = 3230;
inline constexpr int kDirectionUp = 3240;
inline constexpr int kDirectionDown = 3250;
// Polling-rate page.
inline constexpr int kRateSelector = 3110;
inline constexpr int kRateRadio = 3030; // … 3033
inline constexpr int kRateText = 3142;  // … 3145
// Lift-off page.
inline constexpr int kLiftLow = 3510;
inline constexpr int kLiftHigh = 3511;
inline constexpr int kLiftText = 3520; // 3520, 3521
// Debounce page.
inline constexpr int kDebounceSlider = 3530;
inline constexpr int kDebounceImage = 3531;
inline constexpr int kDebounceText = 3532;
inline constexpr int kDebounceLabel = 3533;
// Pointer page.
inline constexpr int kWheelLines = 2009;
inline constexpr int kWheelPage = 2010;
inline constexpr int kAcceleration = 2030;
inline constexpr int kWheelLinesSlider = 2041;
inline constexpr int kPointerSpeedSlider = 2043;
inline constexpr int kDoubleClickSlider = 2044;
inline constexpr int kPointerFirstText = 3130; // … 3141

// ---- shared message numbers ----
inline constexpr unsigned kMsgButtonMenuChoice = 0x403;
inline constexpr unsigned kMsgButtonSelector = 0x404;
inline constexpr unsigned kMsgSelectorNoPopup = 0x405;
inline constexpr unsigned kMsgMenuPlainEntry = 0x409;
inline constexpr unsigned kMsgShortcutOpen = 0x40A;
inline constexpr unsigned kMsgShortcutFromMenu = 0x40B;
inline constexpr unsigned kMsgShortcutResult = 0x40C;
inline constexpr unsigned kMsgOpenDpiMenu = 0x410;
inline constexpr unsigned kMsgDpiMenuChoice = 0x411;
inline constexpr unsigned kMsgDpiMenuClosed = 0x412;
inline constexpr unsigned kMsgOpenMultimediaMenu = 0x413;
inline constexpr unsigned kMsgMultimediaChoice = 0x414;
inline constexpr unsigned kMsgMultimediaClosed = 0x415;
inline constexpr unsigned kMsgTrayNotify = 0x420;
inline constexpr unsigned kMsgFireKeyOpen = 0x425;
inline constexpr unsigned kMsgFireKeyFromMenu = 0x426;
inline constexpr unsigned kMsgFireKeyResult = 0x427;
inline constexpr unsigned kMsgMacroSelectOpen = 0x428;
inline constexpr unsigned kMsgMacroSelectFromMenu = 0x429;
inline constexpr unsigned kMsgMacroSelectResult = 0x42A;
inline constexpr unsigned kMsgProfileSelector = 0x464; // … 0x466
inline constexpr unsigned kMsgProfileLast = 0x466;
inline constexpr unsigned kMsgRateSelector = 0x46E; // … 0x470
inline constexpr unsigned kMsgRateLast = 0x470;
inline constexpr unsigned kMsgEffectSelector = 0x478; // … 0x47A
inline constexpr unsigned kMsgEffectLast = 0x47A;
inline constexpr unsigned kMsgOpenDpiLockMenu = 0x482;
inline constexpr unsigned kMsgDpiLockChoice = 0x483;
inline constexpr unsigned kMsgDpiLockClosed = 0x484;
inline constexpr unsigned kMsgOpenWindowsMenu = 0x485;
inline constexpr unsigned kMsgWindowsChoice = 0x486;
inline constexpr unsigned kMsgWindowsClosed = 0x487;
inline constexpr unsigned kMsgOpenOfficeMenu = 0x488;
inline constexpr unsigned kMsgOfficeChoice = 0x489;
inline constexpr unsigned kMsgOfficeClosed = 0x48A;
inline constexpr unsigned kMsgSlotMenuFirst = 0x48C; // 0x48C, 0x48D
inline constexpr unsigned kMsgSlotMenuLast = 0x48D;
// Posted to the window itself: show the file messages gathered since (one for a moment's saves).
inline constexpr unsigned kMsgShowFileNotice = 0x4F8;
// Posted at the start: the background's bytes are read while the mouse is given its time to
// answer the status read, not in the first paint.
inline constexpr unsigned kMsgPrepareFirstPaint = 0x4F9;
inline constexpr unsigned kMsgSlotTabFirst = 0x801; // … 0x805
inline constexpr unsigned kMsgSlotTabLast = 0x805;

// The tray menu's commands (WM_COMMAND wParam) and the tray icon's id.
inline constexpr unsigned kCmdTrayOpen = 2075;
inline constexpr unsigned kCmdTrayExit = 2076;
inline constexpr unsigned kTrayIconId = 128;

// ---- the window's own timers (the device link's are in device/DeviceCore.h) ----
inline constexpr unsigned kTimerColourFirst = 1; // … 8: toggle lighting colour slot id − 1
inline constexpr unsigned kTimerColourLast = 8;
inline constexpr unsigned kTimerLeftButtonWarning = 20;
inline constexpr unsigned kTimerSlotMenuCommand = 60;
// The tray icon shows with the window's first paint, as the window goes to the tray, or this long
// after the start, whichever comes first.
inline constexpr unsigned kTimerShowTray = 90;
inline constexpr std::uint32_t kShowTrayLatestMs = 1000;

// Popup slots of the window: the popup hanging off a control, then one per submenu of the
// button-function menu.
inline constexpr int kPopupSlotControl = 0;
inline constexpr int kPopupSlotDpiMenu = 1;
inline constexpr int kPopupSlotDpiLockMenu = 2;
inline constexpr int kPopupSlotMultimediaMenu = 3;
inline constexpr int kPopupSlotOfficeMenu = 4;
inline constexpr int kPopupSlotWindowsMenu = 5;

// The window in units (× the display scale factor).
inline constexpr int kWindowWidthUnits = 1127;
inline constexpr int kWindowHeightUnits = 740;

} // namespace quorvik::ui::main_ids

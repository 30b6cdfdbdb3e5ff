// Control ids, message numbers and language texts of the macro manager and its dialogs.
#pragma once

#include "platform/qt/KeyboardHook.h"

namespace quorvik::ui {

// Controls of the macro manager (each is also the message number it sends).
inline constexpr int kIdMacroClose = 2004;
inline constexpr int kIdNewMacro = 2012;
inline constexpr int kIdDeleteItem = 2013;
inline constexpr int kIdMacroTree = 2015;
inline constexpr int kIdRecordDelays = 2017;
inline constexpr int kIdRecord = 2018;
inline constexpr int kIdActionList = 2020;
inline constexpr int kIdTreeScroll = 2021;
inline constexpr int kIdActionScroll = 2022;
inline constexpr int kIdModifyAction = 2023;
inline constexpr int kIdDeleteAction = 2024;
inline constexpr int kIdLoopFirst = 2031;   // loop type 1
inline constexpr int kIdLoopSecond = 2032;  // loop type 4
inline constexpr int kIdLoopCounted = 2033; // loop type 2, with the count
inline constexpr int kIdLoopCount = 2034;   // the count's edit field
inline constexpr int kIdInsert = 2035;
// Labels the manager draws as controls (they send nothing).
inline constexpr int kIdEventCount = 2101;
inline constexpr int kIdLoopCountLabel = 2102;

// Controls of the small dialogs.
inline constexpr int kIdDialogClose = 2004;
inline constexpr int kIdDialogOk = 2010;
inline constexpr int kIdDialogCancel = 2011;
inline constexpr int kIdKeyName = 2012;   // the key dialog's captured key
inline constexpr int kIdNameEdit = 2017;  // the name dialogs' edit field
inline constexpr int kIdValueEdit = 2017; // the time and move dialogs' edit field
inline constexpr int kIdDialogPrompt = 2014;
inline constexpr int kIdDialogTitle = 2016;

// Messages.
// The key that stops a recording (Pause); it is never recorded.
inline constexpr unsigned kStopRecordingKey = 0x13;
// Codes from here on are the mouse's buttons, not keys.
inline constexpr unsigned kFirstMouseCode = 0xE0;
inline constexpr unsigned kMsgHookEvent = platform::kKeyboardHookMessage; // 0x401
inline constexpr unsigned kMsgOpenInsertMenu = 0x48E;                     // from the insert button
inline constexpr unsigned kMsgInsertChoice = 0x48F;
inline constexpr unsigned kMsgInsertMenuClosed = 0x490;
inline constexpr unsigned kMsgItemChoice = 0x491;
inline constexpr unsigned kMsgItemMenuClosed = 0x492;
inline constexpr unsigned kMsgMacroChosen = 0x42A; // the select dialog to its parent
// The manager's own: a menu command chosen before the last repaint runs now.
inline constexpr unsigned kMsgRunDeferred = 0x4F0;

// Popup kinds and the manager's popup slots.
inline constexpr int kInsertMenuKind = 14;
inline constexpr int kItemMenuKind = 15;
inline constexpr int kInsertMenuSlot = 0;
inline constexpr int kItemMenuSlot = 1;

// Language texts.
inline constexpr int kTextOk = 4;
inline constexpr int kTextCancel = 5;
inline constexpr int kTextDelayTitle = 220;
inline constexpr int kTextKeyTitle = 221;
inline constexpr int kTextMoveLeftTitle = 222; // 222 … 225: left, right, up, down
inline constexpr int kTextConfirmDelete = 232;
inline constexpr int kTextNothingToDelete = 233;
inline constexpr int kTextNoMacroSelected = 234;
inline constexpr int kTextRecordingFull = 235;
inline constexpr int kTextInsertWithoutMacro = 236;
inline constexpr int kTextInsertRefused = 237;
inline constexpr int kTextRenameTitle = 238;
inline constexpr int kTextNewMacroTitle = 239;
inline constexpr int kTextNameExists = 241;
inline constexpr int kTextEmptyName = 242;
inline constexpr int kTextNewFolderTitle = 243;
inline constexpr int kTextExportMacroTitle = 253;
inline constexpr int kTextImportMacroTitle = 254;
inline constexpr int kTextExportItemsTitle = 255;
inline constexpr int kTextImportItemsTitle = 256;
inline constexpr int kTextItemInUse = 257;
inline constexpr int kTextNotANumber = 258;
inline constexpr int kTextInsertFirst = 280; // 280 … 288: the insert menu in order
inline constexpr int kTextLoopFirst = 330;   // 330 … 332: loop types 1, 4, 2
inline constexpr int kTextLoopTimes = 333;
inline constexpr int kTextRecordDelays = 334;
inline constexpr int kTextRecord = 335;
inline constexpr int kTextNewMacroButton = 336;
inline constexpr int kTextDeleteButton = 337;
inline constexpr int kTextModifyButton = 338;
inline constexpr int kTextDeleteActionButton = 339;
inline constexpr int kTextInsertButton = 340;
inline constexpr int kTextManagerTitle = 341;
inline constexpr int kTextSelectTitle = 342;
inline constexpr int kTextMacrosHeading = 343;
inline constexpr int kTextActionsHeading = 344;
inline constexpr int kTextLoopHeading = 345;
inline constexpr int kTextStopRecording = 346;
inline constexpr int kTextEventCount = 347;
inline constexpr int kTextItemMenuFirst = 350; // 350 … 357: item menu ids 1 … 8
inline constexpr int kTextKeyPrompt = 360;
inline constexpr int kTextDelayPrompt = 361;
inline constexpr int kTextMovePrompt = 362;

} // namespace quorvik::ui

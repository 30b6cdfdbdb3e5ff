#include "ui/main/QuorvikDlg.h"

#include "macro/MacroFiles.h"
#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/qt/TrayIcon.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/ButtonSelectors.h"
#include "ui/main/DebouncePage.h"
#include "ui/main/DpiPage.h"
#include "ui/main/LiftOffPage.h"
#include "ui/main/LightingPage.h"
#include "ui/main/MainLayout.h"
#include "ui/main/OsdDisplay.h"
#include "ui/main/PointerPage.h"
#include "ui/main/PollingRatePage.h"
#include "ui/main/PowerControls.h"
#include "ui/main/ProfileArea.h"
#include "ui/main/ProgressBarDlg.h"
#include "ui/rules/WindowPlacement.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/OpenWindowTable.h"

#include <QCursor>
#include <QIcon>

#include <utility>

namespace quorvik::ui {

using namespace platform;
using namespace main_ids;
using rules::Page;

namespace {

constexpr int kTextTrayOpen = 1;
constexpr int kTextTrayExit = 2;
constexpr int kTextMacroManager = 8;
constexpr int kTextFactoryReset = 7;
constexpr int kTextNoMouseSettings = 158;
constexpr int kTextNoDocumentation = 159;
constexpr const char16_t* kVersionCaption = u":1.1.4";
constexpr int kTextDocumentation = 160;
constexpr int kTextMouseNotConnected = 442;

constexpr unsigned kTrayDoubleClick = WM_LBUTTONDBLCLK;
constexpr unsigned kTrayRightButtonUp = WM_RBUTTONUP;

// The main background, a built-in picture stretched over the whole window.
constexpr int kBackgroundResource = 364;
constexpr std::uint32_t kDestroyPauseMs = 50;

// Which area of the window owns the messages of a range of ids.
enum class Owner { Buttons, Profiles, Power, Dpi, Lighting, PollingRate, LiftOff, Debounce, Pointer };

struct Route {
    unsigned first;
    unsigned last;
    Owner owner;
};

constexpr Route kRoutes[] = {
    {kFirstButtonSelector, kLastUnstoredSelector, Owner::Buttons},
    {kMsgButtonMenuChoice, kMsgShortcutResult, Owner::Buttons},
    {kMsgOpenDpiMenu, kMsgMultimediaClosed, Owner::Buttons},
    {kMsgFireKeyOpen, kMsgMacroSelectResult, Owner::Buttons},
    {kMsgOpenDpiLockMenu, kMsgOfficeClosed, Owner::Buttons},
    {kProfileSelector, kProfileSelector, Owner::Profiles},
    {kFirstSlotTab, kLastSlotTab, Owner::Profiles},
    {kProfileAdd, kProfileExport, Owner::Profiles},
    {kProfileList, kProfileList, Owner::Profiles},
    {kMsgProfileSelector, kMsgProfileLast, Owner::Profiles},
    {kMsgSlotTabFirst, kMsgSlotTabLast, Owner::Profiles},
    {kMsgSlotMenuFirst, kMsgSlotMenuLast, Owner::Profiles},
    {kPowerDial, kPowerDial, Owner::Power},
    {kMoveLightingCheck, kMoveLightingCheck, Owner::Power},
    {kMotionWakeCheck, kMotionWakeCheck, Owner::Power},
    {kDpiLevelCheck, kDpiValueBox + 7, Owner::Dpi},
    {kEffectSelector, kEffectSelector, Owner::Lighting},
    {kLightingText1, kDirectionDown, Owner::Lighting},
    {kMsgEffectSelector, kMsgEffectLast, Owner::Lighting},
    {kRateRadio, kRateRadio + 3, Owner::PollingRate},
    {kRateSelector, kRateSelector, Owner::PollingRate},
    {kMsgRateSelector, kMsgRateLast, Owner::PollingRate},
    {kLiftLow, kLiftHigh, Owner::LiftOff},
    {kDebounceSlider, kDebounceSlider, Owner::Debounce},
    {kWheelLines, kWheelPage, Owner::Pointer},
    {kAcceleration, kAcceleration, Owner::Pointer},
    {kWheelLinesSlider, kDoubleClickSlider, Owner::Pointer},
};

std::unique_ptr<CCheckButton> panelHeader(WindowHandle parent, int id, int panel, int text) {
    const auto& p = layout::kPanels[std::size_t(panel)];
    const int top = p.y - layout::kPanelHeaderHeight - 2;
    auto header = std::make_unique<CCheckButton>(
        parent, id,
        ScaledRect(layout::kPanelLeft, top, layout::kPanelLeft + layout::kPanelWidth, top + layout::kPanelHeaderHeight),
        model::LanguageText(text), true, true, false, Qt::AlignLeft);
    header->SetImages(SkinFile("header2_nr.png"), SkinFile("header2_ov.png"));
    header->SetTextMargins(Scaled(12), Scaled(12));
    return header;
}

} // namespace

CQuorvikDlg::CQuorvikDlg(platform::HidBus& bus, Services services)
    : CDlgBase(kTemplate, 0), bus_(bus), services_(std::move(services)), column_(*this),
      power_(std::make_unique<CPowerControls>(*this)), buttons_(std::make_unique<CButtonSelectors>(*this)),
      profiles_(std::make_unique<CProfileArea>(*this)), osd_(std::make_unique<COsdDisplay>()) {
    width_ = Scaled(kWindowWidthUnits);
    height_ = Scaled(kWindowHeightUnits);
}

CQuorvikDlg::~CQuorvikDlg() {
    // The window's end runs the shutdown, which still needs the device link and the display.
    DestroyWindow();
    warning_.reset();
}

// ---- start-up ----

bool CQuorvikDlg::OnInitDialog() {
    startedAt_ = UiLoop().now();
    // The device link needs the window's handle; it exists from here on.
    core_ = std::make_unique<device::DeviceCore>(bus_, UiLoop(), hwnd(), static_cast<device::MainWindowPort&>(*this));
    core_->Tables().Rebuild(model::SensorIdentifier());
    CDlgBase::OnInitDialog(); // the controls, the icon, the title
    placeWindow();

    // Shared state back to its start: no open dialogs, and the device link starts afresh.
    if (services_.trayIcon) {
        platform::TraySetup setup;
        setup.owner = hwnd();
        setup.message = kMsgTrayNotify;
        setup.iconId = kTrayIconId;
        setup.icon = WindowIcon();
        setup.tip = QString::fromUtf16(kTrayTip);
        setup.menu = {{kCmdTrayOpen, QString::fromStdU16String(model::LanguageText(kTextTrayOpen))},
                      {0, {}},
                      {kCmdTrayExit, QString::fromStdU16String(model::LanguageText(kTextTrayExit))}};
        tray_ = std::make_unique<platform::TrayIcon>(std::move(setup));
        // Asking the desktop for its tray takes a few round trips to the display and the session
        // bus: not before the window's first paint.
        UiLoop().setTimer(hwnd(), kTimerShowTray, kShowTrayLatestMs);
    }
    RefreshAllPages();
    // NeedPassword, notifications, priming, the first scan with its status read, timers 40 and 80.
    core_->Start();
    ShowMouseConnection();
    SetFrameResource(kBackgroundResource);
    panel_.load(SkinFile("Frame_Lighting_Setting.bmp"));
    UiLoop().post(hwnd(), kMsgPrepareFirstPaint, 0, 0);
    // What the start could not save, or found broken, is told once the loop runs; failed saves
    // are tried again.
    if (!saveFailures_.empty())
        core_->ScheduleSave();
    if (!saveFailures_.empty() || !notices_.empty())
        ShowFileNotice({});
    return true;
}

bool CQuorvikDlg::DrawsWhileMinimised() const {
    // Only for a window about to be shown: open, or minimised while the mouse is being asked
    // (the start's status read) whether it is online. Its picture is made while the mouse is
    // given its time to answer (where the display asks for a paint of the minimised window), and
    // its first paint on the screen finds the pictures, glyphs and backing store ready. A window
    // that stays in the tray keeps the pages unread.
    return !painted_ && core_ && (core_->WindowOpen() || (core_->Busy() && model::Config().NeedPassword() == 1));
}

void CQuorvikDlg::placeWindow() {
    const rules::Placement placed = rules::MainWindowPlacement(
        services_.screenLeft, services_.screenTop, services_.screenWidth, services_.screenHeight, width_, height_);
    window()->setPosition(placed.x, placed.y, placed.width, placed.height);
    // A window that starts minimised is mapped minimised: shown and then minimised in one go, the
    // window manager would put it on the screen for a moment.
    window()->showCommand(model::Config().NeedPassword() == 1 ? SW_SHOWMINIMIZED : SW_SHOW);
}

void CQuorvikDlg::CreateControls(const Rect&) {
    // In the order the window has always created them: it decides what is drawn over what.
    auto battery = std::make_unique<CBattery>(hwnd(), kBattery, ScaledRect(968, 9, 1008, 27));
    battery->SetImages(SkinFile("battery_full.png"), SkinFile("battery_empty.png"), SkinFile("battery_charging.png"),
                       SkinFile("battery_lighting.png"), SkinFile("battery_green.png"), SkinFile("battery_orange.png"),
                       SkinFile("battery_red.png"));
    AddControl(2, std::move(battery));
    AddControl(2, std::make_unique<CStaticText>(hwnd(), kBatteryText, ScaledRect(1012, 8, 1056, 28), u"",
                                                Rgb(kTextNormal), Qt::AlignLeft));
    auto absent =
        std::make_unique<CStaticText>(hwnd(), kMouseAbsentText, ScaledRect(840, 8, 1056, 28),
                                      model::LanguageText(kTextMouseNotConnected), Rgb(kTextNormal), Qt::AlignRight);
    absent->SetShown(false);
    AddControl(2, std::move(absent));
    power_->CreateControls();
    createOutsideControls();
}

void CQuorvikDlg::createOutsideControls() {
    auto close = std::make_unique<CImageButton>(hwnd(), kClose, ScaledRect(1095, 6, 1117, 28), u"");
    close->SetImages(SkinFile("exit_nr.png"), SkinFile("exit_ov.png"));
    close->SetAccessibleName(model::LanguageText(kTextNameClose));
    AddControl(1, std::move(close));
    auto minimise = std::make_unique<CImageButton>(hwnd(), kMinimise, ScaledRect(1068, 6, 1090, 28), u"");
    minimise->SetImages(SkinFile("min_nr.png"), SkinFile("min_ov.png"));
    minimise->SetAccessibleName(model::LanguageText(kTextNameMinimise));
    AddControl(1, std::move(minimise));

    auto picture = std::make_unique<CStaticImage>(hwnd(), kMousePicture,
                                                  ScaledRect(layout::kMouseLeft, layout::kMouseTop,
                                                             layout::kMouseLeft + layout::kMouseWidth,
                                                             layout::kMouseTop + layout::kMouseHeight));
    picture->SetImage(SkinFile("mouse/serial_number1.png"));
    picture->SetHitTestable(false);
    AddControl(3, std::move(picture));

    buttons_->CreateControls();

    const auto& macros = layout::kPanels[layout::kPanelMacros];
    auto manager =
        std::make_unique<CImageButton>(hwnd(), kMacroManager, ScaledRect(91, macros.y + 9, 211, macros.y + 35),
                                       model::LanguageText(kTextMacroManager));
    manager->SetImages(SkinFile("button4_nr.png"));
    AddControl(1, std::move(manager));

    profiles_->CreateControls();

    AddControl(1, panelHeader(hwnd(), kPanelHeaderButtons, layout::kPanelButtons, 15));
    AddControl(1, panelHeader(hwnd(), kPanelHeaderMacros, layout::kPanelMacros, 9));
    AddControl(1, panelHeader(hwnd(), kPanelHeaderPower, layout::kPanelPower, 265));
    AddControl(1, panelHeader(hwnd(), kPanelHeaderProfiles, layout::kPanelProfiles, 10));

    column_.SetPage(Page::Dpi, std::make_unique<CDpiPage>(*this));
    column_.SetPage(Page::Lighting, std::make_unique<CLightingPage>(*this));
    column_.SetPage(Page::PollingRate, std::make_unique<CPollingRatePage>(*this));
    column_.SetPage(Page::LiftOff, std::make_unique<CLiftOffPage>(*this));
    column_.SetPage(Page::Debounce, std::make_unique<CDebouncePage>(*this));
    column_.SetPage(Page::Pointer, std::make_unique<CPointerPage>(*this));
    column_.CreateHeaders();

    auto reset = std::make_unique<CImageButton>(hwnd(), kFactoryReset, ScaledRect(496, 684, 616, 710),
                                                model::LanguageText(kTextFactoryReset));
    reset->SetImages(SkinFile("button4_nr.png"));
    AddControl(1, std::move(reset));

    AddControl(2, std::make_unique<CStaticText>(hwnd(), kVersionText, ScaledRect(290, 712, 390, 730), kVersionCaption,
                                                Rgb(kTextNormal), Qt::AlignLeft));
    AddControl(1, std::make_unique<CLinkButton>(hwnd(), kWebLink, ScaledRect(700, 712, 830, 730),
                                                model::LanguageText(kTextDocumentation)));

    for (Page page : {Page::Dpi, Page::Lighting, Page::Pointer, Page::PollingRate, Page::LiftOff, Page::Debounce})
        column_.PageAt(page)->CreateControls();

    pages_ = {power_.get(), buttons_.get(), profiles_.get()};
    for (Page page : rules::kColumnOrder)
        pages_.push_back(column_.PageAt(page));
    column_.SetLiftOffActive(core_->Tables().ClassFlag() == 1);
    column_.ApplyStartState();
}

// ---- messages ----

CPage* CQuorvikDlg::PageFor(int controlId) const {
    for (const Route& route : kRoutes) {
        if (unsigned(controlId) < route.first || unsigned(controlId) > route.last)
            continue;
        switch (route.owner) {
        case Owner::Buttons:
            return buttons_.get();
        case Owner::Profiles:
            return profiles_.get();
        case Owner::Power:
            return power_.get();
        case Owner::Dpi:
            return column_.PageAt(Page::Dpi);
        case Owner::Lighting:
            return column_.PageAt(Page::Lighting);
        case Owner::PollingRate:
            return column_.PageAt(Page::PollingRate);
        case Owner::LiftOff:
            return column_.PageAt(Page::LiftOff);
        case Owner::Debounce:
            return column_.PageAt(Page::Debounce);
        case Owner::Pointer:
            return column_.PageAt(Page::Pointer);
        }
    }
    return nullptr;
}

LRESULT CQuorvikDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        onDestroy();
        return CDlgBase::handleMessage(message, wParam, lParam);
    }
    // Enter and Escape are swallowed before the dialog sees them: neither closes the main window.
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE))
        return 1;
    if (message == WM_TIMER && wParam == device::kTimerDownload && holdDownloadForFirstPaint())
        return 0;
    if (core_ && core_->HandleMessage(message, wParam, lParam)) {
        if (message == WM_DEVICECHANGE)
            ShowMouseConnection();
        return 0;
    }
    if (handleOwnMessage(message, wParam, lParam))
        return 0;
    if (message >= WM_USER) {
        if (CPage* page = PageFor(int(message)); page && page->HandleMessage(message, wParam, lParam))
            return 0;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

bool CQuorvikDlg::handleOwnMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        onTimer(unsigned(wParam));
        return true;
    case WM_COMMAND:
        if (wParam == kCmdTrayOpen) {
            core_->OpenRequest();
            return true;
        }
        if (wParam == kCmdTrayExit) {
            Exit();
            return true;
        }
        return false;
    case kMsgTrayNotify:
        onTrayNotify(wParam, lParam);
        return true;
    case kMsgShowFileNotice:
        showFileNotices();
        return true;
    case WM_SHOWWINDOW:
        // A picture drawn while minimised leaves Qt nothing to paint as the window opens: the
        // first paint on the screen is asked for, and what waits for it follows.
        if (wParam && !painted_ && window() && window()->isVisible() && !window()->isMinimized())
            InvalidateAll();
        return false;
    case kMsgPrepareFirstPaint:
        // The background is read once meanwhile and the backing store made ready, so that the
        // first paint finds both (where the display paints a minimised window, that paint does).
        if (DrawsWhileMinimised()) {
            TouchFrame();
            if (window())
                window()->prepareBackingStore();
        }
        return true;
    case kClose:
    case kMinimise:
    case kHideAlso:
        if (lParam == kCodeClick)
            HideMainWindow();
        return true;
    case kMouseSettings:
        if (lParam == kCodeClick && !(services_.openMouseSettings && services_.openMouseSettings()))
            ShowMessage(kTextNoMouseSettings);
        return true;
    case kWebLink:
        if (lParam == kCodeClick && !(services_.openDocumentation && services_.openDocumentation()))
            ShowMessage(kTextNoDocumentation);
        return true;
    case kFactoryReset:
        if (lParam == kCodeClick)
            core_->HandleMessage(device::kMsgFactoryReset, 0, 2);
        return true;
    case kMacroManager:
        if (lParam == kCodeClick)
            onMacroManager();
        return true;
    case kApplyProfile:
        if (lParam == kCodeClick)
            onApplyProfile();
        return true;
    case kHeaderDpi:
    case kHeaderLighting:
    case kHeaderPointer:
    case kHeaderPollingRate:
    case kHeaderLiftOff:
    case kHeaderDebounce:
        if (lParam == kCodeClick) {
            column_.OnHeaderClicked(int(message));
            RefreshAllPages();
        }
        return true;
    case kPanelHeaderButtons:
    case kPanelHeaderMacros:
    case kPanelHeaderPower:
    case kPanelHeaderProfiles:
        return true; // headers of the side panels only look like the page headers
    default:
        return false;
    }
}

void CQuorvikDlg::onTimer(unsigned id) {
    if (id == COsdDisplay::kTimerOsdCountdown) {
        osd_->OnTimer50();
        return;
    }
    if (id == kTimerShowTray) {
        showTray();
        return;
    }
    for (CPage* page : pages_)
        if (page->OnTimer(id))
            return;
    // A timer nobody owns any more must not fire for ever.
    KillTimer(id);
}

void CQuorvikDlg::showTray() {
    KillTimer(kTimerShowTray);
    if (tray_ && !tray_->IsShown() && !exiting_)
        tray_->Show();
}

void CQuorvikDlg::onTrayNotify(WPARAM iconId, LPARAM event) {
    if (iconId != kTrayIconId)
        return;
    if (event == LPARAM(kTrayDoubleClick))
        core_->OpenRequest();
    else if (event == LPARAM(kTrayRightButtonUp) && tray_)
        tray_->PopupMenuAt(QCursor::pos());
}

void CQuorvikDlg::onMacroManager() {
    if (services_.runMacroManager)
        services_.runMacroManager(hwnd());
    // What the manager saved is what counts: edits it did not save are dropped. A library that
    // could not be saved stays as edited (the user was told), and is saved with the settings.
    if (!model::SaveFailing(macro::MacroLibraryFilePath()))
        macro::ReadMacroLibraryAtStartup();
    const model::ProfileRecord& record = CurrentRecord();
    bool anyMacro = false;
    for (const auto& button : record.buttons)
        anyMacro = anyMacro || button.PlaysMacro();
    if (anyMacro) {
        core_->Download().Mark(device::SettingGroup::Buttons);
        core_->RunDownload();
    }
    // The buttons' own copies follow the library from the next download on.
    core_->RequestMacroRefresh();
    RefreshAllPages();
}

void CQuorvikDlg::onApplyProfile() {
    core_->Download().Mark(device::SettingGroup::Buttons);
    core_->Download().Mark(device::SettingGroup::SensorLighting);
    core_->RunDownload();
}

void CQuorvikDlg::Exit() {
    exiting_ = true;
    ui::CloseOpenWindows();
    // What is on its way to the mouse goes out first (a few seconds at most); the window stays
    // live meanwhile, then the end of the window saves.
    if (core_)
        core_->FinishWrites(device::kExitWaitMs);
    EndDialog(IDOK);
}

void CQuorvikDlg::RequestExit() {
    SavePendingNow();
    if (hwnd())
        UiLoop().post(hwnd(), WM_COMMAND, kCmdTrayExit, 0);
}

void CQuorvikDlg::OnCancel() {
    // The window manager's close: the program keeps running in the tray, as with the close button.
    HideMainWindow();
}

void CQuorvikDlg::onDestroy() {
    // A short pause before the handles close, as the window always made (on the loop's clock).
    UiLoop().sleep(kDestroyPauseMs);
    if (core_)
        core_->Shutdown();
    KillTimer(kTimerShowTray);
    if (tray_)
        tray_->Remove();
    osd_->Close();
    if (progress_)
        progress_->DestroyWindow();
}

} // namespace quorvik::ui

#include "ui/main/OsdDisplay.h"

#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorvik::ui {

using namespace platform;

COsdDisplay::~COsdDisplay() {
    Close();
}

bool COsdDisplay::IsOpen() const {
    return dialog_ && dialog_->IsOpen();
}

void COsdDisplay::Show(const device::OsdTexts& texts, WindowHandle mainWindow, const QRect& workArea) {
    show(texts, {}, mainWindow, workArea);
}

void COsdDisplay::ShowProfile(const std::u16string& title, const std::u16string& name, WindowHandle mainWindow,
                              const QRect& workArea) {
    device::OsdTexts texts;
    texts.title = title;
    show(texts, name, mainWindow, workArea);
}

void COsdDisplay::show(const device::OsdTexts& texts, const std::u16string& profile, WindowHandle mainWindow,
                       const QRect& workArea) {
    mainWindow_ = mainWindow;
    if (IsOpen()) {
        dialog_->SetTexts(texts, profile);
        if (dialog_->window())
            dialog_->window()->updateNow();
        // The running countdown timer is kept (an update does not restart it); only a display
        // whose timer went away with it starts one, so that it cannot stay open for good.
        if (!UiLoop().hasTimer(mainWindow_, kTimerOsdCountdown))
            UiLoop().setTimer(mainWindow_, kTimerOsdCountdown, kTickMs);
        countdown_ = kCountdownStart;
        return;
    }
    Open(texts, profile, workArea);
    UiLoop().setTimer(mainWindow_, kTimerOsdCountdown, kTickMs);
    countdown_ = kCountdownStart;
}

void COsdDisplay::Open(const device::OsdTexts& texts, const std::u16string& profile, const QRect& workArea) {
    // No owner window: the display must show while the main window is hidden in the tray or
    // minimised, which is when the user plays.
    dialog_ = std::make_unique<COSDDialog>();
    dialog_->Create();
    NativeWindow* window = dialog_->window();
    window->setOpacity(kAlpha / 255.0);

    QRect area = workArea;
    if (area.isEmpty())
        if (auto* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    const int width = dialog_->Width();
    const int height = dialog_->Height();
    window->setPosition(area.x() + area.width() - width, area.y() + area.height() - height, width, height);
    window->setTopmost(true);
    dialog_->SetTexts(texts, profile);
    window->showCommand(SW_SHOWNOACTIVATE);
}

void COsdDisplay::OnTimer50() {
    if (countdown_ > 0 && IsOpen()) {
        --countdown_;
        return;
    }
    Close();
}

void COsdDisplay::Close() {
    if (mainWindow_ && HasUiLoop())
        UiLoop().killTimer(mainWindow_, kTimerOsdCountdown);
    if (dialog_)
        dialog_->DestroyWindow();
    dialog_.reset();
    countdown_ = 0;
}

} // namespace quorvik::ui

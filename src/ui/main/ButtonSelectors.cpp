#include "ui/main/ButtonSelectors.h"

#include "macro/MacroLibrary.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/MacroSelectDlg.h"
#include "ui/main/ComboPopup.h"
#include "ui/main/FireKeyDlg.h"
#include "ui/main/MainIds.h"
#include "ui/main/MainLayout.h"
#include "ui/main/ShortcutDlg.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"

#include <QGuiApplication>

namespace quorvik::ui {

using namespace main_ids;
using platform::UiLoop;

namespace {
constexpr int kSelectorLeft = 51;
constexpr int kSelectorTop = 70;
constexpr int kSelectorPitch = 32;
constexpr int kSelectorWidth = 200;
constexpr int kSelectorHeight = 26;

constexpr int kTextLastLeftButton = 151;
constexpr std::uint32_t kLeftButtonWarningMs = 100;

constexpr int kPictureCount = 9;

Rect onScreen(CDlgBase& window, const Rect& r) {
    const QPoint topLeft = window.window()->mapToGlobal(QPoint(r.left, r.top));
    return Rect{topLeft.x(), topLeft.y(), topLeft.x() + r.width(), topLeft.y() + r.height()};
}
} // namespace

std::optional<int> CButtonSelectors::ButtonOfSelector(int selectorId) {
    if (selectorId < kFirstButtonSelector || selectorId > kLastMouseButtonSelector)
        return std::nullopt;
    return selectorId - kFirstButtonSelector;
}

void CButtonSelectors::CreateControls() {
    for (int i = 0; i < int(selectors_.size()); ++i) {
        const int id = kFirstButtonSelector + i;
        const bool mouseButton = id <= kLastMouseButtonSelector;
        // The two selectors past the mouse's buttons exist hidden, below the others.
        const int row = mouseButton ? i : i - 7;
        const int top = kSelectorTop + row * kSelectorPitch;
        auto selector = std::make_unique<CComboButton>(
            hwnd(), id, ScaledRect(kSelectorLeft, top, kSelectorLeft + kSelectorWidth, top + kSelectorHeight),
            u"Disable", kMsgButtonSelector, mouseButton);
        selector->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
        selectors_[std::size_t(i)] = Add(1, std::move(selector));
    }
    // Picture n lights button n - 1, shown as the pointer moves over the selectors; each is loaded
    // when first shown (the window starts with picture 1), a missing one is named now.
    for (int n = 1; n <= kPictureCount; ++n)
        SkinFilePresent(pictureFile(n));
}

std::string CButtonSelectors::pictureFile(int n) {
    return SkinFile("mouse/serial_number" + std::to_string(n) + ".png");
}

void CButtonSelectors::Refresh(const model::ProfileRecord& record) {
    for (int i = 0; i < model::kButtonCount; ++i)
        selectors_[std::size_t(i)]->SetText(record.buttons[std::size_t(i)].Name);
}

CComboButton* CButtonSelectors::selectorById(int id) const {
    if (id < kFirstButtonSelector || id > kLastButtonSelector)
        return nullptr;
    return selectors_[std::size_t(id - kFirstButtonSelector)];
}

bool CButtonSelectors::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    const int id = int(wParam);
    if (message >= unsigned(kFirstButtonSelector) && message <= unsigned(kLastUnstoredSelector))
        return true; // a selector's own press; its click comes with 0x404
    if (const SubMenuInfo* sub = SubMenuByMessage(message)) {
        onSubMenuMessage(*sub, message, wParam, lParam);
        return true;
    }
    switch (message) {
    case kMsgButtonSelector:
        onSelector(id, lParam);
        return true;
    case kMsgSelectorNoPopup:
        onMenuLostActivation(id);
        return true;
    case kMsgButtonMenuChoice:
        if (wParam == 0)
            bringPopupsForward();
        else
            onMenuChoice(id, lParam);
        return true;
    case kMsgMenuPlainEntry:
        closeSubMenus();
        bringPopupsForward();
        return true;
    case kMsgFireKeyFromMenu:
        onDialogRequested(id, kMsgFireKeyOpen);
        return true;
    case kMsgMacroSelectFromMenu:
        onDialogRequested(id, kMsgMacroSelectOpen);
        return true;
    case kMsgShortcutFromMenu:
        onDialogRequested(id, kMsgShortcutOpen);
        return true;
    case kMsgFireKeyOpen:
    case kMsgMacroSelectOpen:
    case kMsgShortcutOpen:
        runDialog(message, id);
        return true;
    case kMsgFireKeyResult:
    case kMsgShortcutResult:
        if (const auto* choice = reinterpret_cast<const rules::ButtonChoice*>(lParam))
            onDialogResult(*choice);
        return true;
    case kMsgMacroSelectResult:
        // The dialog names no macro: the parent takes the one at the library's current location.
        onDialogResult(rules::MacroChoice(macro::TheMacroLibrary(), macro::CurrentMacroLocation()));
        return true;
    default:
        return false;
    }
}

bool CButtonSelectors::OnTimer(unsigned id) {
    if (id != kTimerLeftButtonWarning)
        return false;
    host_.KillTimer(id);
    host_.ShowMessage(kTextLastLeftButton);
    return true;
}

// ---- the selectors ----

void CButtonSelectors::onSelector(int id, LPARAM code) {
    CComboButton* selector = selectorById(id);
    if (!selector)
        return;
    if (code == kCodeEnter) {
        hovered_ = id;
        showPicture(id);
        return;
    }
    if (code == kCodeLeave) {
        hovered_ = 0;
        showPicture(openSelector_); // while a menu is up its button stays lit
        return;
    }
    if (code != kCodeClick)
        return;
    if (closingClick_.IsClosingClick(id, UiLoop().now()))
        return;
    const bool sameSelector = menuOpen() && openSelector_ == id;
    closeMenus();
    if (sameSelector)
        return; // a second click on the selector folds its menu
    // Another control's popup gives way: one popup hangs off a control at a time.
    host_.Window().ClosePopup(kPopupSlotControl);
    openMenu(id);
}

void CButtonSelectors::openMenu(int id) {
    CDlgBase& window = host_.Window();
    CComboButton* selector = selectorById(id);
    if (!selector || !window.window())
        return;
    std::optional<int> current;
    if (auto button = ButtonOfSelector(id))
        current = rules::MenuEntryOfCode(host_.CurrentRecord().buttons[std::size_t(*button)].Value);
    const Rect area = onScreen(window, window.ClientRect());
    // Beside the selector's row, clear of the buttons panel's frame.
    Rect row = selector->rect();
    row.right = std::max(row.right, Scaled(layout::kPanelLeft + layout::kPanelWidth));
    CComboPopup* menu = CComboPopup::Open(window.hwnd(), onScreen(window, row), area, id, current);
    if (!menu)
        return;
    menu_ = menu;
    menuHandle_ = menu->hwnd();
    window.SetPopup(kPopupSlotControl, menuHandle_);
    openSelector_ = id;
    selector->SetOpenMark(true);
    showPicture(id);
}

bool CButtonSelectors::menuOpen() const {
    return menuHandle_ != 0 && host_.Window().Popup(kPopupSlotControl) == menuHandle_;
}

bool CButtonSelectors::anyPopupOpen() const {
    if (menuOpen())
        return true;
    for (const SubMenuInfo& info : SubMenus())
        if (host_.Window().Popup(info.popupSlot))
            return true;
    return false;
}

void CButtonSelectors::closeSubMenus() {
    for (const SubMenuInfo& info : SubMenus())
        if (host_.Window().Popup(info.popupSlot))
            host_.Window().ClosePopup(info.popupSlot);
    if (menuOpen())
        menu_->SetSubMenuEntry(std::nullopt);
}

void CButtonSelectors::closeMenus() {
    closeSubMenus();
    if (menuOpen())
        host_.Window().ClosePopup(kPopupSlotControl);
    menu_ = nullptr;
    menuHandle_ = 0;
    if (CComboButton* selector = selectorById(openSelector_))
        selector->SetOpenMark(false);
    openSelector_ = 0;
    showPicture(hovered_);
}

void CButtonSelectors::bringPopupsForward() {
    // The offscreen platform keeps no stacking order and complains when asked for one.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    // The menu first, so that the submenus beside it end up over it.
    if (menuOpen())
        if (auto* native = platform::NativeWindow::fromHandle(menuHandle_))
            native->raise();
    for (const SubMenuInfo& info : SubMenus())
        if (auto* native = platform::NativeWindow::fromHandle(host_.Window().Popup(info.popupSlot)))
            native->raise();
}

void CButtonSelectors::onMenuLostActivation(int id) {
    // The user went elsewhere: the menu and its submenus fold. When that was a press on the menu's
    // own selector, the click that follows must not open it again at once.
    if (id != 0 && openSelector_ == id && host_.Window().HotControl() == selectorById(id))
        closingClick_.ListClosed(id, UiLoop().now());
    const int selector = openSelector_ ? openSelector_ : id;
    closeMenus();
    if (CComboButton* combo = selectorById(selector); combo && !anyPopupOpen())
        combo->ClearHover();
}

void CButtonSelectors::showPicture(int selectorId) {
    const int n = selectorById(selectorId) ? selectorId - kFirstButtonSelector + 1 : 1;
    if (n == picture_ || n < 1 || n > kPictureCount)
        return;
    auto* picture = host_.Window().FindControlAs<CStaticImage>(kMousePicture);
    if (!picture)
        return;
    QImage& shown = pictures_[std::size_t(n - 1)];
    if (shown.isNull()) {
        SkinImage image; // the sharper twin on a scaled display
        image.load(pictureFile(n));
        shown = image.image();
    }
    if (shown.isNull())
        return;
    picture->SetImage(shown);
    picture_ = n;
    host_.Window().InvalidateControl(picture);
}

// ---- choices ----

void CButtonSelectors::onMenuChoice(int id, LPARAM lParam) {
    const auto* chosen = reinterpret_cast<const PopupChoice*>(lParam);
    if (!chosen)
        return;
    if (auto choice = rules::FunctionEntryChoice(chosen->index))
        apply(id, *choice);
}

void CButtonSelectors::onSubMenuMessage(const SubMenuInfo& info, unsigned message, WPARAM wParam, LPARAM lParam) {
    const int id = int(wParam);
    CDlgBase& window = host_.Window();
    if (message == info.openMessage) {
        // A rest noted before the menu went, or on another selector's menu, opens nothing.
        if (!menuOpen() || openSelector_ != id || window.Popup(info.popupSlot))
            return;
        closeSubMenus(); // one submenu at a time
        std::optional<int> current;
        if (auto button = ButtonOfSelector(id))
            current = rules::SubMenuEntryOfCode(info.menu, host_.CurrentRecord().buttons[std::size_t(*button)].Value);
        const Rect area = onScreen(window, window.ClientRect());
        if (auto* sub =
                CSubMenuPopup::Open(window.hwnd(), info, menu_->EntryOnScreen(int(lParam)), area, id, current)) {
            window.SetPopup(info.popupSlot, sub->hwnd());
            menu_->SetSubMenuEntry(int(lParam));
        }
        return;
    }
    if (message == info.choiceMessage) {
        const auto* chosen = reinterpret_cast<const PopupChoice*>(lParam);
        if (!chosen)
            return;
        if (auto choice = rules::SubMenuChoice(info.menu, chosen->index))
            apply(id, *choice);
        return;
    }
    // The submenu lost the activation: it folds; the selector's look follows once nothing is up.
    window.ClosePopup(info.popupSlot);
    if (menuOpen())
        menu_->SetSubMenuEntry(std::nullopt);
    if (!anyPopupOpen()) {
        const int selector = openSelector_ ? openSelector_ : id;
        closeMenus();
        if (CComboButton* combo = selectorById(selector))
            combo->ClearHover();
    }
}

void CButtonSelectors::onDialogRequested(int id, unsigned openMessage) {
    if (!selectorById(id))
        return;
    dialogSelector_ = id;
    closeMenus();
    // Run from the loop, once the menu's click has been handled and the menu is gone.
    UiLoop().post(hwnd(), openMessage, WPARAM(id), 0);
}

void CButtonSelectors::runDialog(unsigned openMessage, int id) {
    if (!selectorById(id))
        return;
    dialogSelector_ = id;
    if (openMessage == kMsgFireKeyOpen) {
        CFireKeyDlg dialog(hwnd());
        dialog.DoModal();
    } else if (openMessage == kMsgMacroSelectOpen) {
        CMacroSelectDlg dialog(hwnd());
        dialog.DoModal();
    } else {
        CShortcutDlg dialog(hwnd());
        dialog.DoModal();
    }
    dialogSelector_ = 0;
}

void CButtonSelectors::onDialogResult(const rules::ButtonChoice& choice) {
    if (dialogSelector_ == 0)
        return; // no dialog of ours asked for it
    apply(dialogSelector_, choice);
}

void CButtonSelectors::apply(int selectorId, const rules::ButtonChoice& choice) {
    closeMenus();
    const std::optional<int> button = ButtonOfSelector(selectorId);
    if (!button)
        return;
    model::ProfileRecord& record = host_.CurrentRecord();
    rules::StoreChoice(record, *button, choice);
    if (rules::KeepsLeftButton(record, *button))
        host_.MarkGroup(device::SettingGroup::Buttons);
    else
        host_.SetTimer(kTimerLeftButtonWarning, kLeftButtonWarningMs);
    Refresh(record);
    if (CComboButton* selector = selectorById(selectorId))
        host_.Window().InvalidateControl(selector);
}

} // namespace quorvik::ui

#include "ui/main/ProfileArea.h"

#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/ProfileFile.h"
#include "platform/Messages.h"
#include "platform/qt/FileDialogs.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/AppRulesDlg.h"
#include "ui/main/ComboProfilePopup.h"
#include "ui/main/MainIds.h"
#include "ui/main/ProfileNameDlgs.h"
#include "ui/main/ProfileRKeyPopup.h"
#include "ui/rules/ProfileSlots.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"
#include "ui/skin/Displays.h"
#include "ui/skin/FileMessages.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

using namespace main_ids;

namespace {

// Language texts of the profile buttons and messages.
constexpr int kTextAdd = 200;
constexpr int kTextImport = 90;
constexpr int kTextExport = 91;
constexpr int kTextRename = 92;
constexpr int kTextApply = 6;
constexpr int kTextImportTitle = 142;
constexpr int kTextExportTitle = 143;
constexpr int kTextLimit = 145;
constexpr int kTextDeleteCurrent = 152;
constexpr int kTextExportFailed = 416;

constexpr std::u16string_view kProfileFilter = u"psf file(*.psf)|*.psf||";
constexpr std::u16string_view kProfileExtension = u"psf";
constexpr std::u16string_view kProposedName = u".psf";

// The panel in units: a selector row, then five rows of the tab list at the left and the
// buttons at the right.
constexpr int kAreaLeft = 44;
constexpr int kAreaRight = 258;
constexpr int kAreaSelectorTop = 555;
constexpr int kSelectorBottom = 579;
constexpr int kListButtonLeft = 236;
constexpr int kRowTop = 583;
constexpr int kRowPitch = 22;
constexpr int kRowHeight = 20;
constexpr int kTabRight = 148;
constexpr int kButtonLeft = 154;
// The name sits in the selector's caption area, clear of its arrow.
constexpr int kNameInset = 8;
constexpr int kSelectorArrow = 22;

// The tabs' context menu keeps this far inside the main window's edges, as the other menus do.
constexpr int kMenuMarginUnits = 6;

Rect rowRect(int left, int right, int row) {
    const int top = kRowTop + row * kRowPitch;
    return ScaledRect(left, top, right, top + kRowHeight);
}

// The open and save dialogs of profile files.
platform::FileDialogRequest profileFileRequest(platform::FileDialogRequest::Kind kind, int title, WindowHandle owner) {
    platform::FileDialogRequest request;
    request.kind = kind;
    request.owner = owner;
    request.title = model::LanguageText(title);
    request.filter = kProfileFilter;
    request.defaultExtension = kProfileExtension;
    request.fileName = kProposedName;
    request.fileMustExist = kind == platform::FileDialogRequest::Kind::Open;
    request.showReadOnlyBox = true;
    return request;
}

const std::u16string& profileName(int slot) {
    return model::Profile(slot).PairValue(model::kPairProfileName);
}

} // namespace

void CProfileArea::CreateControls() {
    auto selector = std::make_unique<CComboButton>(
        hwnd(), kProfileSelector, ScaledRect(kAreaLeft, kAreaSelectorTop, kListButtonLeft - 4, kSelectorBottom), u"",
        kMsgProfileSelector);
    selector->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
    selector_ = Add(1, std::move(selector));
    auto list = std::make_unique<CImageButton>(
        hwnd(), kProfileList, ScaledRect(kListButtonLeft, kAreaSelectorTop, kAreaRight, kSelectorBottom), u"");
    list->SetImages(SkinFile("profile_list_nr.png"), SkinFile("profile_list_ov.png"));
    list->SetAccessibleName(model::LanguageText(10));
    listButton_ = Add(1, std::move(list));

    for (int slot = 0; slot < 5; ++slot) {
        auto tab =
            std::make_unique<CTabControl>(hwnd(), kFirstSlotTab + slot, rowRect(kAreaLeft, kTabRight, slot), u"");
        tab->SetImages(SkinFile("profile_tab_nr.png"), SkinFile("profile_tab_ov.png"), SkinFile("profile_tab_dn.png"),
                       SkinFile("profile_tab_dn_ov.png"));
        tabs_[std::size_t(slot)] = Add(1, std::move(tab));
    }
    // The selector's caption is the name label: it shows the profile in use, and the pointer
    // passes through it to the selector below.
    auto name = std::make_unique<CStaticText>(
        hwnd(), kProfileNameLabel,
        ScaledRect(kAreaLeft + kNameInset, kAreaSelectorTop, kListButtonLeft - 4 - kSelectorArrow, kSelectorBottom),
        u"", Rgb(kTextNormal), Qt::AlignLeft);
    name->SetHitTestable(false);
    name_ = Add(2, std::move(name));

    const int ids[] = {kProfileAdd, kProfileRename, kProfileImport, kProfileExport};
    const int texts[] = {kTextAdd, kTextRename, kTextImport, kTextExport};
    for (int i = 0; i < 4; ++i)
        Add(1, MakeTextButton(hwnd(), ids[i], rowRect(kButtonLeft, kAreaRight, i), model::LanguageText(texts[i])));
    Add(1, MakeTextButton(hwnd(), kApplyProfile, rowRect(kButtonLeft, kAreaRight, 4), model::LanguageText(kTextApply)));
}

void CProfileArea::Refresh(const model::ProfileRecord& record) {
    const rules::VisibleSlots visible = rules::VisibleProfiles(model::Config());
    for (CTabControl* tab : tabs_)
        tab->SetShown(false);
    // The visible slots in show-list order, one row each.
    for (int position = 0; position < visible.count; ++position) {
        const int slot = visible.order[std::size_t(position)];
        CTabControl* tab = tabs_[std::size_t(slot)];
        const Rect r = rowRect(kAreaLeft, kTabRight, position);
        tab->SetRect(r.left, r.top, r.right, r.bottom);
        tab->SetText(profileName(slot));
        tab->SetShown(true);
    }
    SetTabSelectionA(model::CurrentSlot());
    name_->SetText(record.PairValue(model::kPairProfileName));
    selector_->SetAccessibleName(name_->text()); // the name drawn over it is what it shows
    host_.Window().InvalidateAll();
}

bool CProfileArea::HandleMessage(unsigned message, WPARAM, LPARAM lParam) {
    if (message >= unsigned(kFirstSlotTab) && message <= unsigned(kLastSlotTab)) {
        const int slot = int(message) - kFirstSlotTab;
        if (lParam == kCodeClick)
            SelectSlot(slot);
        else if (lParam == kCodeRightClick)
            openSlotMenu(slot);
        return true;
    }
    switch (message) {
    case kProfileSelector: // the press itself; the click comes with the popup message
        return true;
    case kMsgProfileSelector:
        if (lParam == kCodeClick)
            onAnchorClick();
        else if (lParam == kCodeEnter || lParam == kCodeLeave)
            name_->SetColour(lParam == kCodeEnter ? Rgb(kTextHover) : Rgb(kTextNormal));
        return true;
    case kProfileList: // a click opens the same list as the selector; its hover note needs nothing
        if (lParam == kCodeClick)
            onAnchorClick();
        return true;
    case CComboProfilePopup::kChoiceMessage:
        onListChoice(lParam);
        return true;
    case kMsgProfileLast: // the list lost its activation
        onListClosed();
        return true;
    case CProfileRKeyPopup::kChoiceMessage:
        onMenuChoice(lParam);
        return true;
    case kMsgSlotMenuLast: // the context menu lost its activation
        menuSlot_ = -1;
        host_.Window().ClosePopup(kPopupSlotControl);
        return true;
    case kProfileAdd:
        if (lParam == kCodeClick)
            AddProfile();
        return true;
    case kProfileRename: // the buttons act on the profile in use
        if (lParam == kCodeClick)
            RenameProfile(model::CurrentSlot());
        return true;
    case kProfileImport:
        if (lParam == kCodeClick)
            ImportProfile(model::CurrentSlot());
        return true;
    case kProfileExport:
        if (lParam == kCodeClick)
            ExportProfile(model::CurrentSlot());
        return true;
    default:
        return false;
    }
}

bool CProfileArea::OnTimer(unsigned id) {
    if (id != kTimerSlotMenuCommand)
        return false;
    host_.KillTimer(kTimerSlotMenuCommand);
    const int operation = std::exchange(pendingOperation_, -1);
    const int slot = std::exchange(pendingSlot_, -1);
    runOperation(operation, slot);
    return true;
}

// ---- the operations ----

void CProfileArea::commit() {
    host_.SaveSettingsSoon();
    host_.RefreshAllPages();
}

void CProfileArea::SelectSlot(int slot) {
    if (slot < 0 || slot >= model::kProfileSlotCount)
        return;
    model::SetCurrentSlot(slot);
    model::Config().SetCurrentProfile(slot); // reaches the file with the next save
    host_.RefreshAllPages();
    // Not primed: the download writes every difference between the old slot and the new one.
    host_.MarkGroup(device::SettingGroup::Buttons);
    host_.MarkGroup(device::SettingGroup::SensorLighting);
}

void CProfileArea::AddProfile() {
    model::ConfigPairs& config = model::Config();
    const std::optional<int> slot = rules::SlotForNewProfile(config, model::CurrentSlot());
    if (!slot) {
        host_.ShowMessage(kTextLimit);
        return;
    }
    CAddProfileDlg dialog(hwnd());
    if (dialog.DoModal() != platform::IDOK)
        return;
    rules::AddProfile(config, *slot, dialog.Name());
    commit();
}

void CProfileArea::RenameProfile(int slot) {
    if (slot < 0 || slot >= model::kProfileSlotCount)
        return;
    CEditProfileDlg dialog(profileName(slot), hwnd());
    if (dialog.DoModal() != platform::IDOK)
        return;
    model::Profile(slot).SetPairValue(model::kPairProfileName, dialog.Name());
    commit();
}

void CProfileArea::DeleteProfile(int slot) {
    switch (rules::DeleteProfile(model::Config(), slot, model::CurrentSlot())) {
    case rules::DeleteOutcome::IsCurrent:
        host_.ShowMessage(kTextDeleteCurrent);
        return;
    case rules::DeleteOutcome::Deleted:
        commit();
        return;
    case rules::DeleteOutcome::NotShown:
    case rules::DeleteOutcome::LastShown:
        return;
    }
}

void CProfileArea::ImportProfile(int slot) {
    if (slot < 0 || slot >= model::kProfileSlotCount)
        return;
    const auto path =
        platform::RunFileDialog(profileFileRequest(platform::FileDialogRequest::Kind::Open, kTextImportTitle, hwnd()));
    if (!path)
        return;
    // A file refused before it was read (no regular file, too large, not readable) changes
    // nothing and is named with the reason. One that is read but is no profile gives the slot its
    // factory profile, silently. Nothing is sent: the mouse gets the imported settings with the
    // next download of each group.
    const model::FileProblem problem = model::ImportProfile(slot, *path);
    if (problem && problem.fault != model::FileFault::Damaged) {
        CAttentionDlg message(ImportRefusedMessage(*path, problem), hwnd());
        message.DoModal();
        return;
    }
    commit();
}

void CProfileArea::ExportProfile(int slot) {
    if (slot < 0 || slot >= model::kProfileSlotCount)
        return;
    const auto path =
        platform::RunFileDialog(profileFileRequest(platform::FileDialogRequest::Kind::Save, kTextExportTitle, hwnd()));
    if (!path)
        return;
    // The user asked for this file: one that could not be written is said so.
    if (!model::WriteProfile(slot, *path))
        host_.ShowMessage(kTextExportFailed);
}

void CProfileArea::EditApplicationRules() {
    CAppRulesDlg dialog(hwnd(), host_.ApplicationRulesPort());
    dialog.DoModal();
}

// ---- the profile list ----

WindowHandle CProfileArea::List() const {
    return list_ && host_.Window().Popup(kPopupSlotControl) == list_ ? list_ : 0;
}

void CProfileArea::onAnchorClick() {
    if (closingClick_.IsClosingClick(kProfileSelector, platform::UiLoop().now()))
        return;
    if (List()) {
        closeList(); // a click on the selector of an open list closes it
        return;
    }
    // Another control's popup gives way: one popup hangs off a control at a time.
    host_.Window().ClosePopup(kPopupSlotControl);
    openList();
}

void CProfileArea::openList() {
    CDlgBase& window = host_.Window();
    // Under the selector and the list button, as wide as both.
    const Rect& from = selector_->rect();
    const Rect& to = listButton_->rect();
    const QPoint topLeft = window.window()->mapToGlobal(QPoint(from.left, from.top));
    const Rect anchor{topLeft.x(), topLeft.y(), topLeft.x() + (to.right - from.left), topLeft.y() + from.height()};
    CComboProfilePopup::Contents contents;
    const rules::VisibleSlots visible = rules::VisibleProfiles(model::Config());
    for (int position = 0; position < visible.count; ++position) {
        const int slot = visible.order[std::size_t(position)];
        contents.names.push_back(profileName(slot));
        if (slot == model::CurrentSlot())
            contents.current = position;
    }
    if (auto* list = CComboProfilePopup::Open(window.hwnd(), anchor, kProfileSelector, std::move(contents))) {
        list_ = list->hwnd();
        window.SetPopup(kPopupSlotControl, list_);
    }
}

void CProfileArea::closeList() {
    if (List())
        host_.Window().ClosePopup(kPopupSlotControl);
    list_ = 0;
    selector_->ClearHover();
    name_->SetColour(Rgb(kTextNormal));
}

void CProfileArea::onListChoice(LPARAM lParam) {
    const auto* choice = reinterpret_cast<const PopupChoice*>(lParam);
    if (!choice)
        return;
    const int entry = choice->index;
    if (entry == rules::kPopupAddEntry) {
        closeList();
        runLater(rules::SlotForNewProfile(model::Config(), model::CurrentSlot()) ? kAdd : kLimitMessage, -1);
        return;
    }
    const std::optional<int> slot = rules::SlotOfPopupEntry(model::Config(), entry);
    if (!slot)
        return; // the header
    closeList();
    SelectSlot(*slot);
}

void CProfileArea::onListClosed() {
    CControlBase* hot = host_.Window().HotControl();
    // The selector and the list button are one anchor: either counts as the selector.
    closingClick_.ListClosed(hot == selector_ || hot == listButton_ ? kProfileSelector : 0, platform::UiLoop().now());
    closeList();
}

// ---- the context menu of a tab ----

void CProfileArea::openSlotMenu(int slot) {
    CDlgBase& window = host_.Window();
    window.ClosePopup(kPopupSlotControl);
    list_ = 0;
    // At the click point: the pointer is over the tab when its right button comes up.
    QPoint at = window.LastPointer();
    const Rect& tab = tabs_[std::size_t(slot)]->rect();
    if (!tab.contains(at.x(), at.y()))
        at = QPoint(tab.left, tab.bottom);
    const QPoint screen = window.window()->mapToGlobal(at);
    // Inside the main window, clear of its edges, like the button-function menu.
    const Rect client = window.ClientRect();
    const QPoint origin = window.window()->mapToGlobal(QPoint(client.left, client.top));
    const int margin = Scaled(kMenuMarginUnits);
    const Rect bounds{origin.x() + margin, origin.y() + margin, origin.x() + client.width() - margin,
                      origin.y() + client.height() - margin};
    if (auto* menu = CProfileRKeyPopup::Open(window.hwnd(), screen.x(), screen.y(), bounds, kFirstSlotTab + slot)) {
        menuSlot_ = slot;
        window.SetPopup(kPopupSlotControl, menu->hwnd());
    }
}

void CProfileArea::onMenuChoice(LPARAM lParam) {
    const auto* choice = reinterpret_cast<const PopupChoice*>(lParam);
    const int slot = std::exchange(menuSlot_, -1);
    if (!choice || choice->index < 0 || choice->index >= CProfileRKeyPopup::kEntryCount || slot < 0)
        return;
    runLater(choice->index, slot);
}

void CProfileArea::runLater(int operation, int slot) {
    pendingOperation_ = operation;
    pendingSlot_ = slot;
    for (int popup = 0; popup < kPopupSlots; ++popup)
        host_.Window().ClosePopup(popup);
    host_.SetTimer(kTimerSlotMenuCommand, kCommandDelayMs);
}

void CProfileArea::runOperation(int operation, int slot) {
    switch (operation) {
    case kImport:
        ImportProfile(slot);
        break;
    case kExport:
        ExportProfile(slot);
        break;
    case kRename:
        RenameProfile(slot);
        break;
    case kDelete:
        DeleteProfile(slot);
        break;
    case kApplications:
        EditApplicationRules();
        break;
    case kAdd:
        AddProfile();
        break;
    case kLimitMessage:
        host_.ShowMessage(kTextLimit);
        break;
    default:
        break;
    }
}

} // namespace quorvik::ui

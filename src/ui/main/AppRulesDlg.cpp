#include "ui/main/AppRulesDlg.h"

#include "model/AppRules.h"
#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "model/ProfileFile.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/ListScrolling.h"
#include "ui/macro/MacroSmallDlg.h"
#include "ui/main/AppRuleControls.h"
#include "ui/rules/ProfileSlots.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {

constexpr int kTextTitle = 460;
constexpr int kTextSwitch = 462;
constexpr int kTextRulesHeading = 463;
constexpr int kTextApplicationColumn = 464;
constexpr int kTextProfileColumn = 465;
constexpr int kTextNotShown = 466;
constexpr int kTextNoSuchProfile = 467;
constexpr int kTextRemove = 468;
constexpr int kTextNewRuleHeading = 469;
constexpr int kTextNameLabel = 470;
constexpr int kTextOpenLabel = 471;
constexpr int kTextAdd = 472;
constexpr int kTextNameRefused = 473;
constexpr int kTextListFull = 474;
constexpr int kTextProfileOfNewRule = 475; // "%1": the profile's name
constexpr int kTextNoRules = 476;
constexpr int kTextNoneOpen = 477;

// The layout in units: the switch under the title bar, the rules in a panel at the left, the
// new rule in a panel at the right, Close below them.
struct Box {
    double left, top, right, bottom;
};
constexpr double kTitleStrip = 32;
constexpr Box kSwitch{16, 42, 544, 62};
constexpr Box kRulesPanel{8, 72, 318, 392};
constexpr Box kNewPanel{324, 72, 552, 392};
constexpr double kScrollWidth = 14;
constexpr double kHeadingTop = 78;
constexpr double kLabelHeight = 16;
// Rules: column captions, then eleven rows.
constexpr double kColumnTop = 100;
constexpr double kRulesTop = 118;
constexpr double kRulesBottom = 338;
constexpr double kFirstColumnShare = 0.52;
// The new rule, top to bottom: the name, the open applications (six rows), the profile.
constexpr double kNameLabelTop = 100;
constexpr Box kNameEdit{332, 118, 544, 142};
constexpr double kOpenLabelTop = 150;
constexpr double kOpenTop = 168;
constexpr double kOpenBottom = 288;
constexpr double kOpenFirstShare = 0.6;
constexpr double kProfileLabelTop = 296;
constexpr Box kSelector{332, 314, 544, 340};
// Buttons of both panels on one line; Close under the right panel.
constexpr double kButtonTop = 352;
constexpr double kButtonBottom = 376;
constexpr Box kCloseButton{464, 404, 544, 428};

constexpr std::uint32_t kPanelFill = 0x17191D;
constexpr std::uint32_t kPanelBorder = 0x2A2E35;
constexpr std::uint32_t kTitleText = 0xE6E6E6;

Rect scaled(const Box& b) {
    return ScaledRect(b.left, b.top, b.right, b.bottom);
}

std::u16string text(int index) {
    return model::LanguageText(index);
}

const std::u16string& profileName(int slot) {
    return model::Profile(slot).PairValue(model::kPairProfileName);
}

std::vector<int> shownSlots() {
    const rules::VisibleSlots visible = rules::VisibleProfiles(model::Config());
    return std::vector<int>(visible.order.begin(), visible.order.begin() + visible.count);
}

// A rule as its row shows it: the profile it selects, or why it selects none.
CTwoColumnList::Row ruleRow(const model::AppRule& rule) {
    switch (rules::RuleSlotStateOf(model::Config(), rule.slot)) {
    case rules::RuleSlotState::NoSuchProfile:
        return {rule.match, text(kTextNoSuchProfile), true};
    case rules::RuleSlotState::NotShown:
        return {rule.match, text(kTextNotShown), true};
    case rules::RuleSlotState::Followed:
        break;
    }
    return {rule.match, profileName(rule.slot), false};
}

} // namespace

namespace {
CAppRulesDlg* g_shown = nullptr;
} // namespace

CAppRulesDlg::CAppRulesDlg(WindowHandle parent, AppRulesPort* port) : CDlgBase(kTemplate, parent), port_(port) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

CAppRulesDlg::~CAppRulesDlg() {
    if (g_shown == this)
        g_shown = nullptr;
}

CAppRulesDlg* CAppRulesDlg::Shown() {
    return g_shown;
}

CTwoColumnList* CAppRulesDlg::rules() const {
    return FindControlAs<CTwoColumnList>(kRuleListId);
}
CTwoColumnList* CAppRulesDlg::openList() const {
    return FindControlAs<CTwoColumnList>(kOpenListId);
}
CComboButton* CAppRulesDlg::selector() const {
    return FindControlAs<CComboButton>(kProfileSelectorId);
}

bool CAppRulesDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_Macro_Manager.bmp"));
    const bool ok = CDlgBase::OnInitDialog();
    g_shown = this;
    // The applications open now, asked once: the list does not change under the user's pointer.
    if (port_)
        open_ = port_->OpenApplications();
    std::vector<CTwoColumnList::Row> rows;
    for (const OpenApplication& application : open_)
        rows.push_back({application.name, application.title, false});
    if (CTwoColumnList* list = openList()) {
        list->SetEmptyText(text(kTextNoneOpen));
        list->SetRows(std::move(rows));
        if (auto* bar = FindControlAs<CVScrollBar>(kOpenScrollId))
            bar->SetScroll(0, list->VisibleRows(), list->RowCount());
    }
    chosenSlot_ = model::CurrentSlot();
    Reload();
    // The dialog opens ready for a name to be typed.
    if (QLineEdit* edit = Edit(kNameEditId))
        edit->setFocus();
    return ok;
}

void CAppRulesDlg::CreateControls(const Rect&) {
    const WindowHandle h = hwnd();
    auto R = [](double l, double t, double r, double b) { return ScaledRect(l, t, r, b); };
    auto label = [&](double l, double t, double r, int caption) {
        AddControl(2,
                   std::make_unique<CStaticText>(h, 0, R(l, t, r, t + kLabelHeight), text(caption), Rgb(kTextNormal)));
    };
    auto heading = [&](const Box& panel, int caption) {
        AddControl(3, std::make_unique<CHeadingText>(h, 0,
                                                     R(panel.left + 8, kHeadingTop, panel.right - 8, kHeadingTop + 18),
                                                     text(caption), Rgb(kAccent)));
    };
    auto list = [&](int id, int barId, double left, double top, double right, double bottom, double share, int name) {
        const double barLeft = right - kScrollWidth;
        auto made = std::make_unique<CTwoColumnList>(h, id, R(left, top, barLeft, bottom), share);
        made->SetAccessibleName(text(name));
        CTwoColumnList* added = AddControl(1, std::move(made));
        added->SetWheelTarget(AddControl(1, std::make_unique<CVScrollBar>(h, barId, R(barLeft, top, right, bottom))));
        return added;
    };

    // Title bar.
    AddControl(3,
               std::make_unique<CHeadingText>(h, 0, R(14, 2, 400, 30), text(kTextTitle), Rgb(kTitleText), Scaled(18)));
    AddControl(1, MakeCloseButton(h, kCloseId, R(530, 4, 552, 26)));

    AddControl(1, std::make_unique<CWideCheckButton>(h, kSwitchId, scaled(kSwitch), text(kTextSwitch)));

    // The rules.
    const double rulesRight = kRulesPanel.right - 8;
    heading(kRulesPanel, kTextRulesHeading);
    const double split = 16 + (rulesRight - kScrollWidth - 16) * kFirstColumnShare;
    label(16 + 6, kColumnTop, split, kTextApplicationColumn);
    label(split, kColumnTop, rulesRight, kTextProfileColumn);
    list(kRuleListId, kRuleScrollId, 16, kRulesTop, rulesRight, kRulesBottom, kFirstColumnShare, kTextRulesHeading)
        ->SetEmptyText(text(kTextNoRules));
    AddControl(1, MakeTextButton(h, kRemoveId, R(16, kButtonTop, 96, kButtonBottom), text(kTextRemove)));

    // The new rule.
    heading(kNewPanel, kTextNewRuleHeading);
    label(kNameEdit.left, kNameLabelTop, kNameEdit.right, kTextNameLabel);
    if (QLineEdit* edit = AddEdit(kNameEditId, scaled(kNameEdit), u"", Qt::AlignLeft)) {
        edit->setMaxLength(int(model::kAppRuleMatchMax));
        edit->setAccessibleName(QString::fromStdU16String(text(kTextNameLabel)));
    }
    label(kNameEdit.left, kOpenLabelTop, kNameEdit.right, kTextOpenLabel);
    list(kOpenListId, kOpenScrollId, kNameEdit.left, kOpenTop, kNameEdit.right, kOpenBottom, kOpenFirstShare,
         kTextOpenLabel);
    label(kSelector.left, kProfileLabelTop, kSelector.right, kTextProfileColumn);
    auto profile = std::make_unique<CComboButton>(h, kProfileSelectorId, scaled(kSelector), u"", kMsgProfileSelector);
    profile->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
    AddControl(1, std::move(profile));
    AddControl(1, MakeTextButton(h, kAddId, R(kNameEdit.left, kButtonTop, kNameEdit.left + 80, kButtonBottom),
                                 text(kTextAdd)));

    AddControl(1, MakeTextButton(h, kCloseButtonId, scaled(kCloseButton), text(kTextNameClose)));
}

void CAppRulesDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    p.save();
    p.setPen(QPen(Rgb(kPanelBorder), std::max(1, Scaled(1))));
    p.setBrush(Rgb(kPanelFill));
    const double radius = Scaled(4);
    for (const Box& panel : {kRulesPanel, kNewPanel})
        p.drawRoundedRect(QRectF(scaled(panel).toQRect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
    DrawControls(p, client);
}

int CAppRulesDlg::FocusBand(const Rect& rect) const {
    if (rect.bottom <= Scaled(kTitleStrip))
        return 4;
    if (rect.top < Scaled(kRulesPanel.top))
        return 0;
    if (rect.top >= Scaled(kRulesPanel.bottom))
        return 3;
    return rect.left < Scaled(kNewPanel.left) ? 1 : 2;
}

void CAppRulesDlg::Reload() {
    if (auto* check = FindControlAs<CCheckButton>(kSwitchId)) {
        check->SetChecked(model::Rules().autoSwitch);
        InvalidateControl(check);
    }
    offered_ = shownSlots();
    // A rule is made for a profile the user sees: the one in use, else the first shown.
    if (std::find(offered_.begin(), offered_.end(), chosenSlot_) == offered_.end()) {
        const bool currentShown = std::find(offered_.begin(), offered_.end(), model::CurrentSlot()) != offered_.end();
        chosenSlot_ = currentShown || offered_.empty() ? model::CurrentSlot() : offered_.front();
    }
    showChosenProfile();
    const CTwoColumnList* list = rules();
    showRules(list ? std::max(0, list->SelectedRow()) : 0);
}

void CAppRulesDlg::showRules(int select) {
    CTwoColumnList* list = rules();
    if (!list)
        return;
    std::vector<CTwoColumnList::Row> rows;
    for (const model::AppRule& rule : model::Rules().rules)
        rows.push_back(ruleRow(rule));
    list->SetRows(std::move(rows));
    // A row stays selected while there are rules, so Remove always has one to act on.
    const int count = list->RowCount();
    list->SetSelectedRow(count == 0 ? -1 : std::clamp(select, 0, count - 1));
    int first = FirstRowShowing(list->SelectedRow(), list->FirstVisibleRow(), list->VisibleRows());
    first = std::clamp(first, 0, std::max(0, count - list->VisibleRows()));
    list->SetFirstVisibleRow(first);
    if (auto* bar = FindControlAs<CVScrollBar>(kRuleScrollId))
        bar->SetScroll(first, list->VisibleRows(), count);
    InvalidateAll();
}

void CAppRulesDlg::showChosenProfile() {
    CComboButton* combo = selector();
    if (!combo)
        return;
    const std::u16string& name =
        chosenSlot_ >= 0 && chosenSlot_ < model::kProfileSlotCount ? profileName(chosenSlot_) : std::u16string();
    combo->SetText(name);
    std::u16string accessible = text(kTextProfileOfNewRule);
    if (const std::size_t at = accessible.find(u"%1"); at != std::u16string::npos)
        accessible.replace(at, 2, name);
    combo->SetAccessibleName(std::move(accessible));
    InvalidateControl(combo);
}

void CAppRulesDlg::changed() {
    if (port_)
        port_->AppRulesChanged();
    InvalidateAll();
}

void CAppRulesDlg::addRule() {
    const std::u16string name = model::AppRules::CleanMatch(GetEditText(kNameEditId));
    if (name.empty()) {
        CAttentionDlg message(text(kTextNameRefused), hwnd());
        message.DoModal();
        return;
    }
    model::AppRules& all = model::Rules();
    if (!all.Add(name, chosenSlot_)) {
        CAttentionDlg message(text(kTextListFull), hwnd());
        message.DoModal();
        return;
    }
    SetEditText(kNameEditId, u"");
    showRules(int(all.Find(name).value_or(0)));
    changed();
}

void CAppRulesDlg::removeRule() {
    const CTwoColumnList* list = rules();
    model::AppRules& all = model::Rules();
    const int row = list ? list->SelectedRow() : -1;
    // By the name the row shows: the rules may have changed from outside since it was drawn.
    if (row < 0 || row >= list->RowCount() || !all.Remove(list->Rows()[std::size_t(row)].first))
        return;
    showRules(row); // the row after it, or the last
    changed();
}

void CAppRulesDlg::pickOpen(bool andAdd) {
    const CTwoColumnList* list = openList();
    const int row = list ? list->SelectedRow() : -1;
    if (row < 0 || row >= int(open_.size()))
        return;
    SetEditText(kNameEditId, open_[std::size_t(row)].name);
    if (andAdd)
        addRule();
}

void CAppRulesDlg::onSwitch() {
    const auto* check = FindControlAs<CCheckButton>(kSwitchId);
    if (!check)
        return;
    model::Rules().autoSwitch = check->IsChecked();
    changed();
}

void CAppRulesDlg::openProfileMenu() {
    if (closingClick_.IsClosingClick(kProfileSelectorId, UiLoop().now()))
        return;
    if (Popup(kProfileMenuSlot)) {
        onProfileMenuClosed(); // a click on the selector of an open menu closes it
        return;
    }
    CComboButton* combo = selector();
    if (!combo || !window())
        return;
    const Rect& r = combo->rect();
    const QPoint corner = window()->mapToGlobal(QPoint(r.left, r.top));
    const Rect anchor{corner.x(), corner.y(), corner.x() + r.width(), corner.y() + r.height()};
    std::vector<std::u16string> names;
    for (int slot : offered_)
        names.push_back(profileName(slot));
    const auto chosen = std::find(offered_.begin(), offered_.end(), chosenSlot_);
    const int mark = chosen == offered_.end() ? -1 : int(chosen - offered_.begin());
    if (auto* menu =
            CRuleProfilePopup::Open(hwnd(), anchor, kProfileSelectorId, kMsgProfileChoice, std::move(names), mark)) {
        SetPopup(kProfileMenuSlot, menu->hwnd());
        combo->SetOpenMark(true);
    }
}

void CAppRulesDlg::onProfileChoice(LPARAM lParam) {
    const auto* choice = reinterpret_cast<const PopupChoice*>(lParam);
    if (choice && choice->index >= 0 && choice->index < int(offered_.size()))
        chosenSlot_ = offered_[std::size_t(choice->index)];
    ClosePopup(kProfileMenuSlot);
    if (CComboButton* combo = selector()) {
        combo->SetOpenMark(false);
        combo->ClearHover();
    }
    showChosenProfile();
}

void CAppRulesDlg::onProfileMenuClosed() {
    // Closed by a press on the selector: the click that press ends in must not open it again.
    closingClick_.ListClosed(HotControl() == selector() ? kProfileSelectorId : 0, UiLoop().now());
    ClosePopup(kProfileMenuSlot);
    if (CComboButton* combo = selector()) {
        combo->SetOpenMark(false);
        combo->ClearHover();
        InvalidateControl(combo);
    }
}

void CAppRulesDlg::scroll(int listId, int barId, WPARAM part, LPARAM code) {
    auto* bar = FindControlAs<CVScrollBar>(barId);
    auto* list = FindControlAs<CTwoColumnList>(listId);
    if (!bar || !list)
        return;
    if (const std::optional<int> first = ScrollBarMoved(*bar, part, code))
        list->SetFirstVisibleRow(*first);
}

void CAppRulesDlg::OnOK() {
    if (!model::AppRules::CleanMatch(GetEditText(kNameEditId)).empty())
        addRule();
}

LRESULT CAppRulesDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kCloseId:
    case kCloseButtonId:
        if (lParam == kCodeClick)
            EndDialog(IDOK);
        return 0;
    case kSwitchId:
        if (lParam == kCodeClick)
            onSwitch();
        return 0;
    case kRuleListId:
        InvalidateAll();
        return 0;
    case kOpenListId:
        if (lParam == kCodeClick || lParam == kCodeDoubleClick)
            pickOpen(lParam == kCodeDoubleClick);
        return 0;
    case kRuleScrollId:
        scroll(kRuleListId, kRuleScrollId, wParam, lParam);
        return 0;
    case kOpenScrollId:
        scroll(kOpenListId, kOpenScrollId, wParam, lParam);
        return 0;
    case kRemoveId:
        if (lParam == kCodeClick)
            removeRule();
        return 0;
    case kAddId:
        if (lParam == kCodeClick)
            addRule();
        return 0;
    case kMsgProfileSelector:
        if (lParam == kCodeClick)
            openProfileMenu();
        return 0;
    case kProfileSelectorId: // the press; the click comes with the selector's message
        return 0;
    case kMsgProfileChoice:
        onProfileChoice(lParam);
        return 0;
    case kMsgProfileMenuClosed:
        onProfileMenuClosed();
        return 0;
    default:
        return CDlgBase::handleMessage(message, wParam, lParam);
    }
}

} // namespace quorvik::ui

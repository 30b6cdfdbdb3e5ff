#include "ui/main/PollingRatePage.h"

#include "platform/qt/UiLoop.h"
#include "ui/main/ComboPollingRatePopup.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

using namespace main_ids;

namespace {

constexpr int kRateHeaderText = 13;
constexpr std::array<const char*, 4> kRateImages = {"125hz", "250hz", "500hz", "1000hz"};
constexpr std::array<std::u16string_view, 4> kRadioNames = {u"125HZ", u"250HZ", u"500HZ", u"1000HZ"};

// Layout inside the page, in units from its top-left corner.
constexpr int kSelectorLeft = 30;
constexpr int kSelectorTop = 10;
constexpr int kSelectorWidth = 200; // the selector picture's own width
constexpr int kSelectorHeight = 26;
constexpr int kRadioLeft = 12;
constexpr int kRadioPitch = 60;
constexpr int kRadioWidth = 56;
constexpr int kRadioTop = 46;
constexpr int kRadioHeight = 24;
constexpr int kTextTop = kRadioTop + kRadioHeight + 2;
constexpr int kTextHeight = 16;

} // namespace

CPollingRatePage::CPollingRatePage(PageHost& host)
    : CColumnPage(host, kHeaderPollingRate, kRateHeaderText, kContentHeight) {}

std::u16string CPollingRatePage::RadioRateName(int code) {
    if (code < 0 || code >= int(kRadioNames.size()))
        return {};
    return std::u16string(kRadioNames[std::size_t(code)]);
}

void CPollingRatePage::CreateControls() {
    auto selector = std::make_unique<CComboButton>(
        hwnd(), kRateSelector,
        ScaledRect(kSelectorLeft, kSelectorTop, kSelectorLeft + kSelectorWidth, kSelectorTop + kSelectorHeight), u"",
        kMsgRateSelector);
    selector->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
    selector_ = AddContent(1, std::move(selector));

    for (int i = 0; i < 4; ++i) {
        const int left = kRadioLeft + i * kRadioPitch;
        auto radio = std::make_unique<CRadioButton>(
            hwnd(), kRateRadio + i, ScaledRect(left, kRadioTop, left + kRadioWidth, kRadioTop + kRadioHeight), u"");
        const std::string image = kRateImages[std::size_t(i)];
        radio->SetImages(SkinFile(image + "_nr.png"), {}, SkinFile(image + "_dn.png"));
        // The picture carries the rate: a screen reader reads it as the list does.
        radio->SetAccessibleName(CComboPollingRatePopup::EntryCaption(i));
        radios_[std::size_t(i)] = AddContent(1, std::move(radio));

        // Each label is centred under its button, two units wider on either side.
        auto text = std::make_unique<CStaticText>(
            hwnd(), kRateText + i, ScaledRect(left - 2, kTextTop, left + kRadioWidth + 2, kTextTop + kTextHeight),
            CComboPollingRatePopup::EntryCaption(i), Rgb(kTextNormal), Qt::AlignHCenter);
        texts_[std::size_t(i)] = AddContent(2, std::move(text));
    }
}

void CPollingRatePage::Refresh(const model::ProfileRecord& record) {
    const std::optional<int> code = record.PollingRateCode();
    if (code)
        SelectRadio(kRateRadio + *code);
    else // a file's rate code outside the table: no button is chosen
        SetRadioGroupWord(RadioGroupWord() & ~RadioGroupMask(kRateRadio));
    for (int i = 0; i < 4; ++i) {
        texts_[std::size_t(i)]->SetColour(code == i ? Rgb(kTextHover) : Rgb(kTextNormal));
        host_.Window().InvalidateControl(radios_[std::size_t(i)]);
    }
    // One spelling on the page, whichever control stored the name; a file's own name where its
    // code is not a rate.
    selector_->SetText(code ? CComboPollingRatePopup::EntryCaption(*code) : record.PollingRateName);
    // The list belongs to the open page.
    if (!IsOpen())
        closeList();
}

bool CPollingRatePage::HandleMessage(unsigned message, WPARAM, LPARAM lParam) {
    if (message >= unsigned(kRateRadio) && message < unsigned(kRateRadio + 4)) {
        if (lParam == kCodeClick)
            onRadio(int(message) - kRateRadio);
        return true;
    }
    switch (message) {
    case kRateSelector: // the press itself; the click comes with the popup message
        return true;
    case kMsgRateSelector:
        onSelector(lParam);
        return true;
    case CComboPollingRatePopup::kChoiceMessage:
        onChoice(lParam);
        return true;
    case kMsgRateLast:
        onListClosed();
        return true;
    default:
        return false;
    }
}

void CPollingRatePage::onRadio(int code) {
    model::ProfileRecord& record = host_.CurrentRecord();
    record.PollingRateValue[0] = std::uint8_t(code);
    record.PollingRateName = RadioRateName(code);
    host_.RefreshAllPages();
    host_.MarkGroup(device::SettingGroup::SensorLighting);
}

void CPollingRatePage::onSelector(LPARAM code) {
    if (code != kCodeClick)
        return; // entering and leaving: the selector keeps its own hover look
    if (closingClick_.IsClosingClick(kRateSelector, platform::UiLoop().now()))
        return;
    if (listOpen()) {
        closeList(); // a click on the selector of an open list closes it
        return;
    }
    // Another control's popup gives way: one popup hangs off a control at a time.
    host_.Window().ClosePopup(kPopupSlotControl);
    openList();
}

bool CPollingRatePage::listOpen() const {
    return list_ && host_.Window().Popup(kPopupSlotControl) == list_;
}

void CPollingRatePage::closeList() {
    if (listOpen())
        host_.Window().ClosePopup(kPopupSlotControl);
    list_ = 0;
    selector_->ClearHover();
}

void CPollingRatePage::openList() {
    CDlgBase& window = host_.Window();
    const Rect& r = selector_->rect();
    const QPoint topLeft = window.window()->mapToGlobal(QPoint(r.left, r.top));
    const Rect onScreen{topLeft.x(), topLeft.y(), topLeft.x() + r.width(), topLeft.y() + r.height()};
    const int current = host_.CurrentRecord().PollingRateCode().value_or(-1);
    if (auto* list = CComboPollingRatePopup::Open(window.hwnd(), onScreen, kRateSelector, current)) {
        list_ = list->hwnd();
        window.SetPopup(kPopupSlotControl, list_);
    }
}

void CPollingRatePage::onChoice(LPARAM lParam) {
    const auto* choice = reinterpret_cast<const PopupChoice*>(lParam);
    if (!choice || choice->index < 0 || choice->index >= CComboPollingRatePopup::kEntryCount)
        return;
    model::ProfileRecord& record = host_.CurrentRecord();
    record.PollingRateName = CComboPollingRatePopup::EntryText(choice->index);
    record.PollingRateValue[0] = std::uint8_t(choice->index);
    closeList();
    host_.RefreshAllPages();
    // Sent as the rate buttons are: the window must not show a rate the mouse does not run at.
    host_.MarkGroup(device::SettingGroup::SensorLighting);
}

void CPollingRatePage::onListClosed() {
    closingClick_.ListClosed(host_.Window().HotControl() == selector_ ? kRateSelector : 0, platform::UiLoop().now());
    closeList();
}

} // namespace quorvik::ui

#include "ui/main/LightingPage.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/main/ColorPaletteDlg.h"
#include "ui/main/ComboLightingPopup.h"
#include "ui/main/MainIds.h"
#include "ui/rules/ColourSlotRule.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"
#include "ui/skin/Sliders.h"

#include <initializer_list>

namespace quorvik::ui {

using namespace main_ids;
using device::SettingGroup;

namespace {

constexpr unsigned kMsgEffectList = kMsgEffectSelector;   // 0x478: the selector (click, enter, leave)
constexpr unsigned kMsgEffectListClosed = kMsgEffectLast; // 0x47A: the list lost activation

constexpr int kSlotCount = 8;
// How long after the list lost activation to a press on the selector that press's click still folds.
constexpr std::uint64_t kFoldMs = 500;
constexpr int kSpeedStops = 3;
constexpr int kBrightnessStops = 4;
constexpr const char16_t* kBrightnessTexts[kBrightnessStops] = {u"25%", u"50%", u"75%", u"100%"};

// Captions: colour, speed, brightness, direction (rows in that order).
constexpr int kCaptionIds[4] = {kLightingText1, kLightingText1 + 2, kLightingText1 + 1, kLightingText1 + 3};
constexpr int kCaptionTexts[4] = {320, 322, 321, 323};

// Layout in units, from the content's top-left corner (the column is 260 wide).
constexpr int kSelectorLeft = 30;
constexpr int kSelectorTop = 10;
constexpr int kSelectorWidth = 200;
constexpr int kSelectorHeight = 26;
constexpr int kFirstRowTop = 46;
constexpr int kRowPitch = 48;
constexpr int kRowLeft = 16;
constexpr int kRowRight = 244;
constexpr int kCaptionHeight = 16;
constexpr int kLineTop = 18; // the control line below the caption
constexpr int kLineHeight = 24;
constexpr int kValueLeft = 180;
constexpr int kSwatch = 24;
constexpr int kSwatchPitch = 29;
constexpr int kSwatchInset = 3; // the swatch shows inside the frame picture
constexpr int kArrow = 26;
constexpr int kArrowPitch = 34;
constexpr int kSliderMargin = 8; // half the knob: the first and last stops sit this far in
constexpr int kEndGap = 10;      // from the last control shown to the page's end
static_assert(kFirstRowTop + (CLightingPage::kMostRows - 1) * kRowPitch + kLineTop + kLineHeight + kEndGap ==
              CLightingPage::kContentHeightUnits);

// Effects (bit e) that show a group of the page; effects 10 and up select nothing and show none.
constexpr std::uint16_t effects(std::initializer_list<int> list) {
    std::uint16_t bits = 0;
    for (int e : list)
        bits = std::uint16_t(bits | (1u << e));
    return bits;
}
constexpr std::array<std::uint16_t, kSlotCount> kSlotEffects = {
    effects({2, 3, 6, 7}), effects({2, 6, 7}), effects({2, 6}), effects({2, 6}),
    effects({2, 6}),       effects({2}),       effects({2}),    0,
};
constexpr std::uint16_t kColourEffects = effects({2, 3, 6, 7});
constexpr std::uint16_t kSpeedEffects = effects({1, 2, 4, 5, 7, 8, 9});
constexpr std::uint16_t kBrightnessEffects = effects({3});
constexpr std::uint16_t kDirectionEffects = effects({1});

bool shows(std::uint16_t effectsMask, std::optional<int> effect) {
    return effect && (effectsMask >> *effect) & 1u;
}

// The parts of a row whose top is `top` (units from the content's top), scaled.
Rect captionRect(int top) {
    return ScaledRect(kRowLeft, top, kValueLeft, top + kCaptionHeight);
}
Rect valueRect(int top) {
    return ScaledRect(kValueLeft, top, kRowRight, top + kCaptionHeight);
}
Rect lineRect(int top) {
    return ScaledRect(kRowLeft, top + kLineTop, kRowRight, top + kLineTop + kLineHeight);
}
Rect swatchRect(int top, int k) {
    const int left = kRowLeft + k * kSwatchPitch;
    return ScaledRect(left, top + kLineTop, left + kSwatch, top + kLineTop + kSwatch);
}
Rect arrowRect(int top, int k) {
    const int left = kRowLeft + k * kArrowPitch;
    return ScaledRect(left, top + kLineTop - 1, left + kArrow, top + kLineTop - 1 + kArrow);
}

// Small marks under a slider's stops, so that the few positions read as steps.
QImage stopMarks(const CSliderControl& slider) {
    const Rect& r = slider.rect();
    QImage image(std::max(1, r.width()), std::max(1, r.height()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5A, 0x5F, 0x66));
    const double w = std::max(2, Scaled(2));
    const double h = std::max(3, Scaled(3));
    for (int i = 0; i < slider.Stops(); ++i) {
        const double x = slider.StopX(i) - r.left;
        p.drawRoundedRect(QRectF(x - w / 2 + 1, r.height() - h, w, h), w / 2, w / 2);
    }
    return image;
}

} // namespace

CLightingPage::CLightingPage(PageHost& host) : CColumnPage(host, kHeaderLighting, kHeaderText, kContentHeightUnits) {}

void CLightingPage::CreateControls() {
    auto selector = std::make_unique<CComboButton>(
        hwnd(), kEffectSelector,
        ScaledRect(kSelectorLeft, kSelectorTop, kSelectorLeft + kSelectorWidth, kSelectorTop + kSelectorHeight), u"",
        kMsgEffectList);
    selector->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
    selector_ = AddContent(1, std::move(selector));

    for (int row = 0; row < kRowCount; ++row)
        captions_[std::size_t(row)] =
            AddContent(2, std::make_unique<CStaticText>(hwnd(), kCaptionIds[row], captionRect(kFirstRowTop),
                                                        model::LanguageText(kCaptionTexts[row]), Rgb(kTextNormal)));

    for (int k = 0; k < kSlotCount; ++k) {
        const Rect rect = swatchRect(kFirstRowTop, k);
        const Rect inner{rect.left + Scaled(kSwatchInset), rect.top + Scaled(kSwatchInset),
                         rect.right - Scaled(kSwatchInset), rect.bottom - Scaled(kSwatchInset)};
        auto check = std::make_unique<CColorSelectCheckButton>(hwnd(), kColourCheck + k, rect, inner);
        check->SetImages(SkinFile("color_select_nr.png"), SkinFile("color_select_check.png"));
        check->SetAccessibleName(NumberedText(kTextNameLightingColour, k + 1));
        checks_[std::size_t(k)] = AddContent(1, std::move(check));
    }

    auto addSlider = [&](int id, int imageId, int valueId, int stops, CStaticImage*& marks, CStaticText*& value) {
        const Rect line = lineRect(kFirstRowTop);
        auto slider =
            std::make_unique<CSliderControl>(hwnd(), id, line, stops, Scaled(kSliderMargin), Scaled(kSliderMargin));
        slider->SetImages(SkinFile("Slider_bar.png"), SkinFile("Slider_Circle.png"));
        auto image = std::make_unique<CStaticImage>(hwnd(), imageId, line);
        image->SetImage(stopMarks(*slider));
        image->SetHitTestable(false);
        marks = AddContent(1, std::move(image)); // drawn under the slider
        CSliderControl* added = AddContent(1, std::move(slider));
        value = AddContent(2, std::make_unique<CStaticText>(hwnd(), valueId, valueRect(kFirstRowTop), u"",
                                                            Rgb(kTextHover), Qt::AlignRight));
        return added;
    };
    speed_ = addSlider(kSpeedSlider, kSpeedImage, kSpeedText, kSpeedStops, speedTicks_, speedValue_);
    brightness_ = addSlider(kBrightnessSlider, kBrightnessImage, kBrightnessText, kBrightnessStops, brightnessTicks_,
                            brightnessValue_);

    auto addArrow = [&](int id, int k, const char* name) {
        auto radio = std::make_unique<CRadioButton>(hwnd(), id, arrowRect(kFirstRowTop, k), u"");
        const std::string base = name;
        radio->SetImages(SkinFile(base + "_nr.png"), SkinFile(base + "_ov.png"), SkinFile(base + "_check.png"));
        return AddContent(1, std::move(radio));
    };
    up_ = addArrow(kDirectionUp, 0, "up");
    down_ = addArrow(kDirectionDown, 1, "down");
    // Named from the captions beside them.
    speed_->SetAccessibleName(model::LanguageText(kCaptionTexts[1]));
    brightness_->SetAccessibleName(model::LanguageText(kCaptionTexts[2]));
    up_->SetAccessibleName(model::LanguageText(kCaptionTexts[3]) + u" \u25B2");
    down_->SetAccessibleName(model::LanguageText(kCaptionTexts[3]) + u" \u25BC");
}

// ---- showing the record ----

void CLightingPage::placeRow(Row row, int slotIndex) {
    const int top = kFirstRowTop + slotIndex * kRowPitch;
    MoveContent(captions_[std::size_t(row)], captionRect(top));
    switch (row) {
    case kColourRow:
        for (int k = 0; k < kSlotCount; ++k)
            MoveContent(checks_[std::size_t(k)], swatchRect(top, k));
        break;
    case kSpeedRow:
        MoveContent(speedTicks_, lineRect(top));
        MoveContent(speed_, lineRect(top));
        MoveContent(speedValue_, valueRect(top));
        break;
    case kBrightnessRow:
        MoveContent(brightnessTicks_, lineRect(top));
        MoveContent(brightness_, lineRect(top));
        MoveContent(brightnessValue_, valueRect(top));
        break;
    case kDirectionRow:
        MoveContent(up_, arrowRect(top, 0));
        MoveContent(down_, arrowRect(top, 1));
        break;
    case kRowCount:
        break;
    }
}

void CLightingPage::showEffect(std::optional<int> effect) {
    const std::array<bool, kRowCount> rows = {shows(kColourEffects, effect), shows(kSpeedEffects, effect),
                                              shows(kBrightnessEffects, effect), shows(kDirectionEffects, effect)};
    // The rows an effect shows stack from the top, in this order, without gaps.
    int next = 0;
    for (int row = 0; row < kRowCount; ++row)
        if (rows[std::size_t(row)])
            placeRow(Row(row), next++);
    // The panel ends below the last row shown; the pages below it move up or down with it.
    const bool resized = next != shownRows_;
    shownRows_ = next;

    for (int row = 0; row < kRowCount; ++row)
        SetContentVisible(captions_[std::size_t(row)], rows[std::size_t(row)]);
    for (int k = 0; k < kSlotCount; ++k)
        SetContentVisible(checks_[std::size_t(k)], shows(kSlotEffects[std::size_t(k)], effect));
    for (CControlBase* c : std::initializer_list<CControlBase*>{speedTicks_, speed_, speedValue_})
        SetContentVisible(c, rows[kSpeedRow]);
    for (CControlBase* c : std::initializer_list<CControlBase*>{brightnessTicks_, brightness_, brightnessValue_})
        SetContentVisible(c, rows[kBrightnessRow]);
    SetContentVisible(up_, rows[kDirectionRow]);
    SetContentVisible(down_, rows[kDirectionRow]);
    if (resized)
        host_.RelayoutPages();
}

int CLightingPage::ContentHeightUnits() const {
    const int lastBottom = shownRows_ == 0 ? kSelectorTop + kSelectorHeight
                                           : kFirstRowTop + (shownRows_ - 1) * kRowPitch + kLineTop + kLineHeight;
    return lastBottom + kEndGap;
}

void CLightingPage::showSpeedText() {
    speedValue_->SetText(model::DecimalText(speed_->GetValue() + 1));
}

void CLightingPage::showBrightnessText() {
    brightnessValue_->SetText(kBrightnessTexts[std::clamp(brightness_->GetValue(), 0, kBrightnessStops - 1)]);
}

void CLightingPage::Refresh(const model::ProfileRecord& record) {
    selector_->SetText(record.EffectName(1));
    const std::optional<int> effect = record.SelectedEffect();
    // A click waiting to toggle a slot meant the slot of the effect it was made on, on the open page.
    if (!IsOpen() || effect != shownEffect_)
        dropPendingToggles();
    showEffect(effect);
    shownEffect_ = effect;
    if (effect) {
        const std::size_t e = std::size_t(*effect);
        speed_->SetValue(record.Lighting1Speed[e]);
        shownSpeed_.Shown(speed_->GetValue());
        brightness_->SetValue(record.Lighting1Brightness[e]);
        shownBrightness_.Shown(brightness_->GetValue());
        for (int k = 0; k < kSlotCount; ++k) {
            checks_[std::size_t(k)]->SetColor(record.Lighting1FixedColor[e][std::size_t(k)]);
            checks_[std::size_t(k)]->SetChecked(record.Lighting1ColorSelected[e][std::size_t(k)] != 0);
        }
        const bool up = record.Lighting1Direction[e] == 0;
        SelectRadio(up ? kDirectionUp : kDirectionDown);
        shownUp_.Shown(up);
    }
    showSpeedText();
    showBrightnessText();
    // The list belongs to the open page.
    if (!IsOpen())
        closeList();
}

void CLightingPage::Collect(model::ProfileRecord& record) {
    const std::optional<int> effect = record.SelectedEffect();
    // The controls show the effect of the last refresh; another effect's values are not theirs.
    if (!effect || effect != shownEffect_)
        return;
    const std::size_t e = std::size_t(*effect);
    const int speed = speed_->GetValue();
    if (shownSpeed_.Writes(speed, record.Lighting1Speed[e] < speed_->Stops()))
        record.Lighting1Speed[e] = std::uint8_t(speed);
    const int brightness = brightness_->GetValue();
    if (shownBrightness_.Writes(brightness, record.Lighting1Brightness[e] < brightness_->Stops()))
        record.Lighting1Brightness[e] = std::uint8_t(brightness);
    const bool up = up_->IsSelected();
    if (shownUp_.Writes(up, record.Lighting1Direction[e] <= 1))
        record.Lighting1Direction[e] = up ? 0 : 1;
}

// ---- messages ----

bool CLightingPage::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgEffectList:
        onSelectorMessage(wParam, lParam);
        return true;
    case CComboLightingPopup::kChoiceMessage:
        onEffectChosen(lParam);
        return true;
    case kMsgEffectListClosed:
        // The list lost activation. When that came from a press on the selector, the click that
        // follows is meant to fold the list away, not to open it again.
        foldUntil_ = selector_->mouseState() != kStateNormal ? platform::UiLoop().now() + kFoldMs : 0;
        closeList();
        return true;
    case unsigned(kSpeedSlider):
        onSlider(true, wParam, lParam);
        return true;
    case unsigned(kBrightnessSlider):
        onSlider(false, wParam, lParam);
        return true;
    case unsigned(kDirectionUp):
    case unsigned(kDirectionDown):
        if (lParam == kCodeClick)
            onDirection();
        return true;
    default:
        break;
    }
    if (message >= unsigned(kColourCheck) && message < unsigned(kColourCheck + kSlotCount)) {
        onColourCheck(int(message) - kColourCheck, lParam);
        return true;
    }
    // The selector's press, the labels and the pictures: nothing to do.
    return message == unsigned(kEffectSelector) ||
           (message >= unsigned(kLightingText1) && message <= unsigned(kDirectionDown));
}

bool CLightingPage::OnTimer(unsigned id) {
    if (id < kTimerColourFirst || id > kTimerColourLast)
        return false;
    host_.KillTimer(id); // one-shot
    const int slot = int(id - kTimerColourFirst);
    const std::optional<int> clickedOn = pendingToggle_[std::size_t(slot)];
    pendingToggle_[std::size_t(slot)].reset();
    if (!clickedOn || !IsOpen() || host_.CurrentRecord().SelectedEffect() != clickedOn) {
        syncCheck(slot); // the click went with its effect or its page
        return true;
    }
    toggleSlot(slot);
    return true;
}

void CLightingPage::dropPendingToggles() {
    for (int k = 0; k < kSlotCount; ++k)
        if (pendingToggle_[std::size_t(k)]) {
            host_.KillTimer(kTimerColourFirst + unsigned(k));
            pendingToggle_[std::size_t(k)].reset();
        }
}

} // namespace quorvik::ui

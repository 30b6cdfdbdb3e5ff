#include "ui/main/DpiValueSettingDlg.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "ui/rules/DpiLevelRule.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"
#include "ui/skin/Displays.h"
#include "ui/skin/Sliders.h"

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {
// The knob of "Slider_Circle.png" is 16 units wide: half of it on either side of a stop.
constexpr double kKnobHalfUnits = 8;
// The DPI readout above the slider is drawn large.
constexpr int kReadoutFontUnits = 22;
} // namespace

CDPIValueSettingDlg::CDPIValueSettingDlg(int step, int stepCount, std::span<const std::uint16_t> stepValues,
                                         WindowHandle parent)
    : CDlgBase(kTemplate, parent),
      values_(stepValues.begin(), stepValues.begin() + std::clamp<std::ptrdiff_t>(stepCount, 0, stepValues.size())) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
    step_ = values_.empty() ? 0 : std::clamp(step, 0, int(values_.size()) - 1);
}

int CDPIValueSettingDlg::dpiOf(int step) const {
    if (values_.empty())
        return 0;
    return int(values_[std::size_t(std::clamp(step, 0, int(values_.size()) - 1))]) * 50;
}

bool CDPIValueSettingDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_common.bmp"));
    return CDlgBase::OnInitDialog();
}

void CDPIValueSettingDlg::CreateControls(const Rect&) {
    AddControl(1, MakeCommonFrameClose(hwnd(), kCloseId));
    AddOkCancel(*this, kOkId, ScaledRect(119.5, 104, 199.5, 128), kCancelId, ScaledRect(229.5, 104, 309.5, 128));

    auto readout = std::make_unique<CStaticText>(hwnd(), kDpiTextId, ScaledRect(24, 36, 405, 62), u"", Rgb(kTextHover),
                                                 Qt::AlignHCenter);
    readout->SetFont(Scaled(kReadoutFontUnits), {});
    AddControl(2, std::move(readout));

    auto slider =
        std::make_unique<CSliderControl>(hwnd(), kSliderId, ScaledRect(24, 68, 322, 88), std::max(1, StepCount()),
                                         Scaled(kKnobHalfUnits), Scaled(kKnobHalfUnits));
    slider->SetImages(SkinFile("Slider_bar.png"), SkinFile("Slider_Circle.png"));
    slider_ = AddControl(1, std::move(slider));

    if (QLineEdit* edit = AddEdit(kEditId, ScaledRect(334, 66, 405, 90), u"")) {
        edit->setMaxLength(9);
        edit->setFocus();
    }
    show(step_);
    if (QLineEdit* edit = Edit(kEditId))
        edit->selectAll();
}

void CDPIValueSettingDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    DrawCommonFrameCaption(p, *this, model::LanguageText(kCaptionText));
    DrawControls(p, client);
}

void CDPIValueSettingDlg::show(int step) {
    step_ = values_.empty() ? 0 : std::clamp(step, 0, int(values_.size()) - 1);
    const std::u16string dpi = model::DecimalText(dpiOf(step_));
    if (slider_) {
        slider_->SetValue(step_);
        InvalidateControl(slider_);
    }
    if (CControlBase* text = FindControl(kDpiTextId))
        text->SetText(dpi);
    if (GetEditText(kEditId) != dpi)
        SetEditText(kEditId, dpi);
}

bool CDPIValueSettingDlg::takeTyped() {
    const auto typed = rules::ParseDpiText(GetEditText(kEditId));
    if (!typed) {
        CAttentionDlg message(model::LanguageText(kNotANumberText), hwnd());
        message.DoModal();
        if (QLineEdit* edit = Edit(kEditId)) {
            edit->setFocus();
            edit->selectAll();
        }
        return false;
    }
    show(rules::StepForDpi(values_, *typed));
    return true;
}

LRESULT CDPIValueSettingDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        takeTyped(); // Enter only takes the number: OK closes
        return 1;
    }
    if (message == unsigned(kSliderId)) {
        if (lParam == kCodeDragValue)
            show(int(wParam));
        else if (lParam == kCodeClick && slider_)
            show(slider_->GetValue());
        return 0;
    }
    if (lParam == kCodeClick) {
        if (message == unsigned(kOkId)) {
            if (takeTyped())
                EndDialog(IDOK);
            return 0;
        }
        if (message == unsigned(kCancelId) || message == unsigned(kCloseId)) {
            EndDialog(IDCANCEL);
            return 0;
        }
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui

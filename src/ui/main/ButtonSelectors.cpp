#include "ui/main/ButtonSelectors.h"

#include "ui/main/MainIds.h"
#include "ui/main/MainLayout.h"
#include "ui/skin/Buttons.h"

namespace quorvik::ui {

using namespace main_ids;

namespace {
constexpr int kSelectorLeft = 51;
constexpr int kSelectorTop = 70;
constexpr int kSelectorPitch = 32;
constexpr int kSelectorWidth = 200;
constexpr int kSelectorHeight = 26;
} // namespace

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
}

void CButtonSelectors::Refresh(const model::ProfileRecord& record) {
    for (int i = 0; i < model::kButtonCount; ++i)
        selectors_[std::size_t(i)]->SetText(record.buttons[std::size_t(i)].Name);
}

bool CButtonSelectors::HandleMessage(unsigned, WPARAM, LPARAM) {
    return false;
}

} // namespace quorvik::ui

#include "ui/main/ProfileArea.h"

#include "model/ConfigPairs.h"
#include "model/LanguageTable.h"
#include "ui/main/MainIds.h"
#include "ui/skin/Buttons.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"

namespace quorvik::ui {

using namespace main_ids;

namespace {

// Language texts of the profile buttons.
constexpr int kTextAdd = 200;
constexpr int kTextImport = 90;
constexpr int kTextExport = 91;
constexpr int kTextRename = 92;
constexpr int kTextApply = 6;

constexpr int kLeft = 46;
constexpr int kRight = 256;
constexpr int kTabTop = 588;
constexpr int kTabPitch = 42;
constexpr int kTabWidth = 40;

std::unique_ptr<CImageButton> textButton(WindowHandle parent, int id, const Rect& rect, int text) {
    auto button = std::make_unique<CImageButton>(parent, id, rect, model::LanguageText(text));
    button->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    return button;
}

} // namespace

void CProfileArea::CreateControls() {
    auto selector = std::make_unique<CComboButton>(hwnd(), kProfileSelector, ScaledRect(kLeft, 556, 226, 582), u"",
                                                   kMsgProfileSelector);
    selector->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
    selector_ = Add(1, std::move(selector));
    auto list = std::make_unique<CImageButton>(hwnd(), kProfileList, ScaledRect(230, 556, kRight, 582), u"");
    list->SetImages(SkinFile("combo3_nr.png"), SkinFile("combo3_ov.png"));
    Add(1, std::move(list));

    for (int slot = 0; slot < 5; ++slot) {
        const int left = kLeft + slot * kTabPitch;
        auto tab = std::make_unique<CTabControl>(hwnd(), kFirstSlotTab + slot,
                                                 ScaledRect(left, kTabTop, left + kTabWidth, kTabTop + 24), u"");
        tab->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"), SkinFile("button2_ov.png"));
        tabs_[std::size_t(slot)] = Add(1, std::move(tab));
    }
    name_ = Add(2, std::make_unique<CStaticText>(hwnd(), kProfileNameLabel, ScaledRect(kLeft, 616, kRight, 634), u"",
                                                 Rgb(kTextHover), Qt::AlignHCenter));

    const int ids[] = {kProfileAdd, kProfileRename, kProfileImport, kProfileExport};
    const int texts[] = {kTextAdd, kTextRename, kTextImport, kTextExport};
    for (int i = 0; i < 4; ++i) {
        const int left = kLeft + i * 53;
        Add(1, textButton(hwnd(), ids[i], ScaledRect(left, 640, left + 50, 662), texts[i]));
    }
    Add(1, textButton(hwnd(), kApplyProfile, ScaledRect(kLeft, 668, kLeft + 100, 692), kTextApply));
}

void CProfileArea::Refresh(const model::ProfileRecord& record) {
    const model::ConfigPairs& config = model::Config();
    const int visible = config.ShowCountClamped();
    // Visible slots in show-list order, the others hidden.
    for (int slot = 0; slot < 5; ++slot)
        tabs_[std::size_t(slot)]->SetShown(false);
    for (int position = 0; position < visible; ++position) {
        const int slot = config.ShowListSlot(position);
        CTabControl* tab = tabs_[std::size_t(slot)];
        const int left = kLeft + position * kTabPitch;
        const Rect r = ScaledRect(left, kTabTop, left + kTabWidth, kTabTop + 24);
        tab->SetRect(r.left, r.top, r.right, r.bottom);
        tab->SetText(model::Profile(slot).PairValue(model::kPairProfileName));
        tab->SetShown(true);
    }
    SetTabSelectionA(model::CurrentSlot());
    const std::u16string& name = record.PairValue(model::kPairProfileName);
    name_->SetText(name);
    selector_->SetText(name);
    host_.Window().InvalidateAll();
}

bool CProfileArea::HandleMessage(unsigned, WPARAM, LPARAM) {
    return false;
}

} // namespace quorvik::ui

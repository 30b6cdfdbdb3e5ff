#include "ui/main/Page.h"

#include <algorithm>

namespace quorvik::ui {

CColumnPage::CColumnPage(PageHost& host, int headerId, int headerText, int contentHeightUnits)
    : CPage(host), headerId_(headerId), headerText_(headerText), contentHeight_(contentHeightUnits) {}

void CColumnPage::track(CControlBase* control) {
    members_.push_back({control, control->rect(), true});
    apply(members_.back());
}

void CColumnPage::apply(Member& member) const {
    const Rect& r = member.relative;
    member.control->SetRect(content_.left + r.left, content_.top + r.top, content_.left + r.right,
                            content_.top + r.bottom);
    member.control->SetShown(open_ && member.visible);
}

void CColumnPage::Place(int left, int top, int width, bool open) {
    open_ = open;
    content_ = Rect{left, top, left + width, top + (open ? Scaled(ContentHeightUnits()) : 0)};
    for (Member& member : members_)
        apply(member);
}

void CColumnPage::SetContentVisible(CControlBase* control, bool visible) {
    auto it = std::find_if(members_.begin(), members_.end(), [&](const Member& m) { return m.control == control; });
    if (it == members_.end() || it->visible == visible)
        return;
    it->visible = visible;
    apply(*it);
    host_.Window().InvalidateControl(control);
}

void CColumnPage::MoveContent(CControlBase* control, const Rect& relative) {
    auto it = std::find_if(members_.begin(), members_.end(), [&](const Member& m) { return m.control == control; });
    if (it == members_.end() || it->relative == relative)
        return;
    host_.Window().InvalidateControl(control);
    it->relative = relative;
    apply(*it);
    host_.Window().InvalidateControl(control);
}

} // namespace quorvik::ui

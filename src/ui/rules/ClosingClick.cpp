#include "ui/rules/ClosingClick.h"

namespace quorvik::ui::rules {

bool ClosingClick::IsClosingClick(int selector, std::uint64_t nowMs) {
    const bool closing = selector_ == selector && nowMs - closedAtMs_ <= kClosingClickWindowMs;
    selector_ = 0;
    return closing;
}

} // namespace quorvik::ui::rules

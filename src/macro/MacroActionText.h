// How one macro step is shown in the action lists: its text and its icon.
#pragma once

#include "model/MacroRecord.h"

#include <string>

namespace quorvik::macro {

// "50ms" for a delay, "Move Left 1" / "Wheel Up 3" for pointer and wheel steps, otherwise the
// key-name of b0 ("A", "L Key").
std::u16string MacroActionText(const model::MacroAction& action);
// The icon beside it: the clock for a delay, otherwise an up arrow for a release and a down arrow
// for a press. Paths are relative to the program folder.
const char* MacroActionIcon(const model::MacroAction& action);

inline constexpr const char* kDelayIcon = "skins/macro_time.png";
inline constexpr const char* kReleaseIcon = "skins/macro_up.png";
inline constexpr const char* kPressIcon = "skins/macro_down.png";

} // namespace quorvik::macro

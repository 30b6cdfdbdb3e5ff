// The popup menus and drop-down lists for Qt's accessibility: a menu whose children are its
// entries, each pressed as the keys choose it.
#pragma once

class QAccessibleInterface;

namespace quorvik::platform {
class NativeWindow;
}

namespace quorvik::ui {

// The interface of a popup's window (its owner a CWndPopup).
QAccessibleInterface* MakePopupAccessible(platform::NativeWindow* window);

} // namespace quorvik::ui

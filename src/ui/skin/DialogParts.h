// What the skinned dialogs share: a text button (OK, Cancel, Save …) drawn on the "button2"
// pictures with its caption, the close button of a title bar drawn on the "exit" pictures, and
// the parts of the common frame ("Frame_common.bmp", 429 units wide, a title bar 30 units high).
#pragma once

#include "ui/skin/Buttons.h"

#include <QPainter>

#include <memory>
#include <string>

namespace quorvik::ui {

class CDlgBase;

// Language texts of the OK and Cancel captions.
inline constexpr int kOkButtonText = 4;
inline constexpr int kCancelButtonText = 5;

std::unique_ptr<CImageButton> MakeTextButton(WindowHandle parent, int id, const Rect& rect, std::u16string text);
std::unique_ptr<CImageButton> MakeCloseButton(WindowHandle parent, int id, const Rect& rect);

// The close button at the right end of the common frame's title bar.
std::unique_ptr<CImageButton> MakeCommonFrameClose(WindowHandle parent, int id);
// A caption in the common frame's title bar, at its left, in the dialog's font.
void DrawCommonFrameCaption(QPainter& p, const CDlgBase& dialog, const std::u16string& text);

// OK and then Cancel, with their language captions, into the dialog's list 1 (the buttons' list).
void AddOkCancel(CDlgBase& dialog, int okId, const Rect& ok, int cancelId, const Rect& cancel);

} // namespace quorvik::ui

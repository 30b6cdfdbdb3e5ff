#include "ui/skin/DialogParts.h"

#include "model/LanguageTable.h"
#include "ui/skin/DlgBase.h"

namespace quorvik::ui {

namespace {
constexpr std::uint32_t kCaptionColour = 0xBEBEBE;
constexpr double kTitleBarUnits = 30;
} // namespace

std::unique_ptr<CImageButton> MakeTextButton(WindowHandle parent, int id, const Rect& rect, std::u16string text) {
    auto button = std::make_unique<CImageButton>(parent, id, rect, std::move(text));
    button->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    return button;
}

std::unique_ptr<CImageButton> MakeCloseButton(WindowHandle parent, int id, const Rect& rect) {
    auto button = std::make_unique<CImageButton>(parent, id, rect, u"");
    button->SetImages(SkinFile("exit_nr.png"), SkinFile("exit_ov.png"));
    return button;
}

std::unique_ptr<CImageButton> MakeCommonFrameClose(WindowHandle parent, int id) {
    return MakeCloseButton(parent, id, ScaledRect(401, 4, 423, 26));
}

void DrawCommonFrameCaption(QPainter& p, const CDlgBase& dialog, const std::u16string& text) {
    const QRect caption(Scaled(12), 0, Scaled(380), Scaled(kTitleBarUnits));
    DrawSingleLine(p, caption, QString::fromStdU16String(text), Rgb(kCaptionColour), dialog.DialogFont(),
                   Qt::AlignLeft);
}

void AddOkCancel(CDlgBase& dialog, int okId, const Rect& ok, int cancelId, const Rect& cancel) {
    dialog.AddControl(1, MakeTextButton(dialog.hwnd(), okId, ok, model::LanguageText(kOkButtonText)));
    dialog.AddControl(1, MakeTextButton(dialog.hwnd(), cancelId, cancel, model::LanguageText(kCancelButtonText)));
}

} // namespace quorvik::ui

#include "ui/skin/AttentionDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "ui/skin/DialogParts.h"
#include "ui/skin/Displays.h"

#include <QFontMetrics>
#include <QPainterPath>

#include <algorithm>

namespace quorvik::ui {

using namespace platform;

namespace {
// The message's box in units; the dialog grows downwards when a long message needs more lines.
constexpr int kTextLeft = 24;
constexpr int kTextTop = 22;
constexpr int kTextRight = 295;
constexpr int kTextBottom = 66;
// From the bottom edge: the OK button's top and bottom.
constexpr int kOkTopFromBottom = 32;
constexpr int kOkBottomFromBottom = 8;
} // namespace

CAttentionDlg::CAttentionDlg(std::u16string message, WindowHandle parent)
    : CDlgBase(kTemplate, parent), message_(std::move(message)) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits) + ExtraHeight(message_);
}

int CAttentionDlg::ExtraHeight(const std::u16string& message) {
    const QRect box = ScaledRect(kTextLeft, kTextTop, kTextRight, kTextBottom).toQRect();
    const QRect needed = QFontMetrics(ControlFont())
                             .boundingRect(QRect(0, 0, box.width(), 100000), int(Qt::AlignHCenter | Qt::TextWordWrap),
                                           QString::fromStdU16String(message));
    return std::max(0, needed.height() - box.height());
}

bool CAttentionDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_warning.bmp"));
    return CDlgBase::OnInitDialog();
}

void CAttentionDlg::CreateControls(const Rect&) {
    AddControl(1, MakeCloseButton(hwnd(), kCloseId, ScaledRect(291, 6, 313, 28)));

    const int extra = height_ - Scaled(kHeightUnits);
    const Rect okRect = ScaledRect(119.5, kHeightUnits - kOkTopFromBottom, 199.5, kHeightUnits - kOkBottomFromBottom);
    AddControl(1,
               MakeTextButton(hwnd(), kOkId, Rect{okRect.left, okRect.top + extra, okRect.right, okRect.bottom + extra},
                              model::LanguageText(kOkButtonText)));

    Rect box = ScaledRect(kTextLeft, kTextTop, kTextRight, kTextBottom);
    box.bottom += extra;
    auto text = std::make_unique<CStaticText>(hwnd(), kMessageId, box, message_, Rgb(kTextNormal), Qt::AlignHCenter);
    text->SetWordWrap(true);
    AddControl(2, std::move(text));
}

void CAttentionDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    // The frame is shared with the editing dialogs; the attention mark is this dialog's own.
    const QRectF mark(Scaled(10), Scaled(9), Scaled(14), Scaled(13));
    QPainterPath triangle;
    triangle.moveTo(mark.center().x(), mark.top());
    triangle.lineTo(mark.right(), mark.bottom());
    triangle.lineTo(mark.left(), mark.bottom());
    triangle.closeSubpath();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(kAccent));
    p.drawPath(triangle);
    p.setPen(QPen(Rgb(0x101113), mark.width() / 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(mark.center().x(), mark.top() + mark.height() * 0.38),
               QPointF(mark.center().x(), mark.top() + mark.height() * 0.66));
    p.drawPoint(QPointF(mark.center().x(), mark.top() + mark.height() * 0.84));
    p.restore();
    DrawControls(p, client);
}

LRESULT CAttentionDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (message == unsigned(kOkId) && lParam == 2) {
        EndDialog(IDOK);
        return 0;
    }
    if (message == unsigned(kCloseId) && lParam == 2) {
        EndDialog(IDCANCEL);
        return 0;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui

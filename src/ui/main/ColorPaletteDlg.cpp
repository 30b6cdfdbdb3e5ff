#include "ui/main/ColorPaletteDlg.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"

#include <QLineEdit>

namespace quorvik::ui {

using namespace platform;

namespace {

constexpr int kTextPaletteTitle = 320; // "Colour"
constexpr int kTextOk = 4;

// A rejected field is put right once the edit that typed into it has finished.
constexpr unsigned kMsgRejectField = WM_USER + 0xA0;

// Layout in units: the picture's areas, then the values and the preview below the ready colours.
constexpr double kAreas[2][4] = {{18, 26, 222, 270}, {244, 26, 473, 190}};
constexpr double kPreview[4] = {244, 202, 318, 270};
constexpr double kFieldLeft = 342;
constexpr double kFieldRight = 384;
constexpr double kLabelLeft = 326;
constexpr double kFieldTop = 202;
constexpr double kFieldPitch = 24;
constexpr double kFieldHeight = 20;

constexpr int kFields[3] = {CColorPaletteDlg::kRedField, CColorPaletteDlg::kGreenField, CColorPaletteDlg::kBlueField};
constexpr char16_t kFieldLetters[3] = {u'R', u'G', u'B'};

int fieldSlot(int id) {
    for (int k = 0; k < 3; ++k)
        if (kFields[k] == id)
            return k;
    return -1;
}

// A typed value: digits only, 0 … 255. Empty text is a value still being typed.
enum class Typed { Empty, Bad, Good };
Typed parseByte(const std::u16string& text, int& value) {
    if (text.empty())
        return Typed::Empty;
    long v = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return Typed::Bad;
        v = v * 10 + (c - u'0');
        if (v > 255)
            return Typed::Bad;
    }
    value = int(v);
    return Typed::Good;
}

model::Colour withComponent(model::Colour c, int slot, int value) {
    const int shift = 8 * slot; // red lowest, then green, then blue
    return (c & ~(model::Colour(0xFF) << shift)) | (model::Colour(value) << shift);
}

} // namespace

CColorPaletteDlg::CColorPaletteDlg(model::ProfileRecord& record, int mode, int index, WindowHandle parent)
    : CDlgBase(kTemplate, parent), record_(record), mode_(mode), index_(index) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
    if (mode_ == kModeLighting)
        effect_ = record_.SelectedEffect();
    if (const model::Colour* colour = target())
        working_ = *colour;
    picture_.loadBuiltin(kPictureResource);
}

model::Colour* CColorPaletteDlg::target() {
    if (mode_ == kModeLighting) {
        if (!effect_ || index_ < 0 || index_ >= model::kEffectColourCount)
            return nullptr;
        return &record_.Lighting1FixedColor[std::size_t(*effect_)][std::size_t(index_)];
    }
    if (mode_ == kModeDpiLevel) {
        const int level = index_ >= 0 && index_ < model::kDpiLevelCount ? index_ : 0;
        return &record_.DPILevelIndication[std::size_t(level)];
    }
    return nullptr;
}

std::array<Rect, 2> CColorPaletteDlg::PickAreas() {
    return {ScaledRect(kAreas[0][0], kAreas[0][1], kAreas[0][2], kAreas[0][3]),
            ScaledRect(kAreas[1][0], kAreas[1][1], kAreas[1][2], kAreas[1][3])};
}

Rect CColorPaletteDlg::PreviewRect() {
    return ScaledRect(kPreview[0], kPreview[1], kPreview[2], kPreview[3]);
}

int CColorPaletteDlg::DoModal() {
    // Nothing to edit (no effect selected, an unknown mode): nothing is shown or written.
    if (!target())
        return IDCANCEL;
    return CDlgBase::DoModal();
}

bool CColorPaletteDlg::OnInitDialog() {
    SetFrameResource(kPictureResource);
    return CDlgBase::OnInitDialog();
}

void CColorPaletteDlg::CreateControls(const Rect&) {
    AddControl(1, MakeCloseButton(hwnd(), kCloseId, ScaledRect(472, 3, 494, 25)));
    AddControl(1, MakeTextButton(hwnd(), kOkId, ScaledRect(393, 246, 473, 270), model::LanguageText(kTextOk)));

    for (int k = 0; k < 3; ++k) {
        const double top = kFieldTop + k * kFieldPitch;
        if (QLineEdit* edit = AddEdit(kFields[k], ScaledRect(kFieldLeft, top, kFieldRight, top + kFieldHeight), u""))
            edit->setMaxLength(8); // enough to type a wrong value and be told why
    }
    showWorkingColour();
}

void CColorPaletteDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    const QFont font = ControlFont();
    QFont title = font;
    title.setWeight(QFont::DemiBold);
    DrawSingleLine(p, ScaledRect(18, 3, 300, 25).toQRect(),
                   QString::fromStdU16String(model::LanguageText(kTextPaletteTitle)), Rgb(kTextHover), title,
                   Qt::AlignLeft);
    for (int k = 0; k < 3; ++k) {
        const double top = kFieldTop + k * kFieldPitch;
        DrawSingleLine(p, ScaledRect(kLabelLeft, top, kFieldLeft - 2, top + kFieldHeight).toQRect(),
                       QString(QChar(kFieldLetters[k])), Rgb(kTextNormal), font, Qt::AlignLeft);
    }
    const QColor colour = FromColorValue(working_);
    const QRect preview = PreviewRect().toQRect();
    p.fillRect(preview, colour);
    p.save();
    p.setPen(QPen(Rgb(0x3A3F46), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(preview).adjusted(0.5, 0.5, -0.5, -0.5));
    p.restore();
    DrawSingleLine(p, ScaledRect(393, 202, 473, 222).toQRect(), colour.name(QColor::HexRgb).toUpper(), Rgb(kTextNormal),
                   font, Qt::AlignHCenter);
    DrawControls(p, client);
}

bool CColorPaletteDlg::pickAt(int x, int y) {
    const auto areas = PickAreas();
    if (!areas[0].contains(x, y) && !areas[1].contains(x, y))
        return false;
    const QImage& image = picture_.image();
    if (image.isNull() || width_ <= 0 || height_ <= 0)
        return true;
    // The picture is stretched over the window: the window's pixel maps back onto the picture's.
    const int ix = std::clamp(int(std::int64_t(x) * image.width() / width_), 0, image.width() - 1);
    const int iy = std::clamp(int(std::int64_t(y) * image.height() / height_), 0, image.height() - 1);
    const QColor c = image.pixelColor(ix, iy);
    const model::Colour picked =
        model::MakeColour(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
    if (picked == kPictureBackground)
        return true;
    working_ = picked;
    showWorkingColour();
    return true;
}

int CColorPaletteDlg::componentOf(int fieldId) const {
    const int slot = fieldSlot(fieldId);
    return slot < 0 ? 0 : int((working_ >> (8 * slot)) & 0xFF);
}

void CColorPaletteDlg::showWorkingColour() {
    settingFields_ = true;
    for (int id : kFields)
        SetEditText(id, model::DecimalText(componentOf(id)));
    settingFields_ = false;
    InvalidateAll();
}

void CColorPaletteDlg::onFieldChanged(int id) {
    const int slot = fieldSlot(id);
    if (settingFields_ || slot < 0)
        return;
    int value = 0;
    switch (parseByte(GetEditText(id), value)) {
    case Typed::Empty:
        return; // still typing; the working colour keeps the last good value
    case Typed::Bad:
        if (!rejectPending_[std::size_t(slot)]) {
            rejectPending_[std::size_t(slot)] = true;
            UiLoop().post(hwnd(), kMsgRejectField, WPARAM(id), 0);
        }
        return;
    case Typed::Good:
        working_ = withComponent(working_, slot, value);
        InvalidateAll();
        return;
    }
}

void CColorPaletteDlg::onRejectedField(int id) {
    const int slot = fieldSlot(id);
    if (slot < 0)
        return;
    rejectPending_[std::size_t(slot)] = false;
    int value = 0;
    if (parseByte(GetEditText(id), value) != Typed::Bad)
        return; // put right meanwhile
    settingFields_ = true;
    SetEditText(id, model::DecimalText(componentOf(id)));
    settingFields_ = false;
    CAttentionDlg message(model::LanguageText(kTextBadValue), hwnd());
    message.DoModal();
    if (QLineEdit* edit = Edit(id)) {
        edit->setFocus();
        edit->selectAll();
    }
}

void CColorPaletteDlg::OnOK() {
    if (model::Colour* colour = target())
        *colour = working_;
    EndDialog(IDOK);
}

LRESULT CColorPaletteDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case unsigned(kOkId):
        if (lParam == kCodeClick)
            OnOK();
        return 0;
    case unsigned(kCloseId):
        if (lParam == kCodeClick)
            EndDialog(IDCANCEL);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            return 1; // Escape does not close the palette: only OK and the close button do
        break;
    case WM_LBUTTONDOWN:
        if (pickAt(PointX(lParam), PointY(lParam))) {
            picking_ = true;
            if (window())
                window()->setCapture();
            return 0; // a press on the picture picks; it does not move the window
        }
        break;
    case WM_MOUSEMOVE:
        // Holding the button down and moving keeps picking, as in any colour field.
        if (picking_ && (wParam & MK_LBUTTON))
            pickAt(PointX(lParam), PointY(lParam));
        break;
    case WM_LBUTTONUP:
        if (picking_) {
            picking_ = false;
            if (window())
                window()->releaseCapture();
        }
        break;
    case WM_COMMAND:
        if ((wParam >> 16) == EN_CHANGE)
            onFieldChanged(int(wParam & 0xFFFF));
        return 0;
    case kMsgRejectField:
        onRejectedField(int(wParam));
        return 0;
    default:
        break;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui

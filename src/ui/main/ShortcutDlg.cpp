#include "ui/main/ShortcutDlg.h"

#include "model/KeyCodes.h"
#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/MacroSmallDlg.h"
#include "ui/main/MainIds.h"
#include "ui/skin/DialogParts.h"

#include <QFontMetrics>

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr int kTextTitle = 180;
constexpr int kTextNoModifier = 363;
constexpr int kTextPressKey = 364;

// The checks stack in a column at the left; the captured key shows in a panel at the right.
constexpr int kCheckLeft = 20;
constexpr int kCheckRight = 180;
constexpr int kCheckTop = 44;
constexpr int kCheckPitch = 24;
constexpr int kCheckHeight = 20;
constexpr int kPanelLeft = 196;
constexpr int kPanelRight = 413;
constexpr int kPanelTop = 42;
constexpr int kPanelBottom = 158;
// Rows of the frame picture that make its title bar and the line under it.
constexpr int kFrameTitleBar = 31;

struct Modifier {
    int id;
    const char16_t* caption; // null: the Super key's name of the language
};
// Top to bottom in the order the name spells them.
constexpr Modifier kModifiers[] = {
    {CShortcutDlg::kCtrlId, u"Ctrl"},
    {CShortcutDlg::kShiftId, u"Shift"},
    {CShortcutDlg::kAltId, u"Alt"},
    {CShortcutDlg::kWinId, nullptr},
};

const TextColours kEnabledColours{};
// A check that "no modifier keys" switched off still shows its state, dimmed but readable.
const TextColours kDisabledColours{Rgb(0x80858C), Rgb(0x80858C), Rgb(0x8C8C5A)};

std::unique_ptr<CCheckButton> makeCheck(WindowHandle parent, int id, int row, std::u16string caption) {
    const int top = kCheckTop + row * kCheckPitch;
    auto check =
        std::make_unique<CCheckButton>(parent, id, ScaledRect(kCheckLeft, top, kCheckRight, top + kCheckHeight),
                                       std::move(caption), true, true, false, Qt::AlignLeft);
    check->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    check->SetTextMargins(Scaled(24), 0);
    return check;
}
} // namespace

CShortcutDlg::CShortcutDlg(WindowHandle parent) : CDlgBase(kTemplate, parent), parent_(parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

bool CShortcutDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_common.bmp"));
    frame_.load(SkinFile("Frame_common.bmp"));
    const bool ok = CDlgBase::OnInitDialog();
    // No key yet: the name is only what the checks give.
    key_.reset();
    hook_.StartHook(hwnd());
    showPreview();
    return ok;
}

void CShortcutDlg::CreateControls(const Rect&) {
    const WindowHandle h = hwnd();
    AddControl(3, std::make_unique<CHeadingText>(h, 2100, ScaledRect(14, 2, 380, 30), model::LanguageText(kTextTitle),
                                                 Rgb(0xE6E6E6), Scaled(18)));
    AddControl(1, MakeCommonFrameClose(h, kCloseId));

    AddControl(1, makeCheck(h, kNoModifierId, 0, model::LanguageText(kTextNoModifier)));
    for (int i = 0; i < 4; ++i)
        AddControl(1, makeCheck(h, kModifiers[i].id, i + 1,
                                kModifiers[i].caption ? kModifiers[i].caption : model::SuperKeyName()));

    AddControl(2, std::make_unique<CStaticText>(
                      h, 2101, ScaledRect(kPanelLeft + 8, kPanelTop + 8, kPanelRight - 8, kPanelTop + 28),
                      model::LanguageText(kTextPressKey), Rgb(kTextNormal), Qt::AlignHCenter));
    AddControl(2, std::make_unique<CHeadingText>(
                      h, kKeyTextId, ScaledRect(kPanelLeft + 8, kPanelTop + 34, kPanelRight - 8, kPanelTop + 74), u"",
                      Rgb(kTextHover), Scaled(26), Qt::AlignHCenter));
    AddControl(2, std::make_unique<CStaticText>(
                      h, kPreviewId, ScaledRect(kPanelLeft + 8, kPanelTop + 80, kPanelRight - 8, kPanelTop + 104), u"",
                      Rgb(kAccent), Qt::AlignHCenter));

    AddOkCancel(*this, kOkId, ScaledRect(126, 168, 206, 192), kCancelId, ScaledRect(222, 168, 302, 192));
}

void CShortcutDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    // The frame is made for a lower dialog: its title bar keeps its height and the body below it
    // stretches to this one's.
    if (!frame_.isNull()) {
        const double w = frame_.width(), h = frame_.height();
        const int bar = Scaled(kFrameTitleBar);
        frame_.draw(p, QRect(0, 0, Width(), bar), QRectF(0, 0, w, kFrameTitleBar));
        frame_.draw(p, QRect(0, bar, Width(), Height() - bar), QRectF(0, kFrameTitleBar, w, h - kFrameTitleBar));
    }
    p.save();
    p.setPen(QPen(Rgb(0x2A2E35), std::max(1, Scaled(1))));
    p.setBrush(Rgb(0x17191D));
    const QRectF panel =
        QRectF(ScaledRect(kPanelLeft, kPanelTop, kPanelRight, kPanelBottom).toQRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.drawRoundedRect(panel, Scaled(4), Scaled(4));
    // A hairline between "no modifier keys" and the modifiers it switches off.
    const int y = Scaled(kCheckTop + kCheckHeight + 2);
    p.fillRect(QRect(Scaled(kCheckLeft), y, Scaled(kCheckRight - kCheckLeft), std::max(1, Scaled(1))), Rgb(0x2A2E35));
    p.restore();
    DrawControls(p, client);
}

bool CShortcutDlg::checked(int id) const {
    auto* check = FindControlAs<CCheckButton>(id);
    return check && check->IsChecked();
}

rules::ShortcutInput CShortcutDlg::Input() const {
    rules::ShortcutInput input;
    input.noModifier = checked(kNoModifierId);
    input.ctrl = checked(kCtrlId);
    input.shift = checked(kShiftId);
    input.alt = checked(kAltId);
    input.win = checked(kWinId);
    input.key = key_;
    return input;
}

void CShortcutDlg::onNoModifier() {
    const bool off = checked(kNoModifierId);
    for (const Modifier& modifier : kModifiers) {
        auto* check = FindControlAs<CCheckButton>(modifier.id);
        if (!check)
            continue;
        check->SetDisabled(off);
        check->SetTextColours(off ? kDisabledColours : kEnabledColours);
        InvalidateControl(check);
    }
}

void CShortcutDlg::onHookEvent(WPARAM wParam) {
    // Above the low byte is no key: a popup's closing note uses the same number.
    if (wParam > 0xFF)
        return;
    const auto vk = std::uint8_t(wParam);
    if (!rules::ShortcutTakesKey(vk))
        return;
    key_ = vk;
    if (CControlBase* text = FindControl(kKeyTextId))
        text->SetText(model::VirtualKeyName(vk));
}

void CShortcutDlg::showPreview() {
    const auto choice = rules::ShortcutChoice(Input());
    CControlBase* preview = FindControl(kPreviewId);
    if (!preview)
        return;
    const std::u16string name = choice ? choice->name : std::u16string();
    // The longest names (four modifiers and "Print Screen") are wider than the panel in the usual
    // font: the text gets smaller until it fits, down to two thirds of its height.
    const QString text = QString::fromStdU16String(name);
    const int usual = model::FontHeight();
    int cell = usual;
    while (cell > usual * 2 / 3 && QFontMetrics(ControlFont(cell)).horizontalAdvance(text) > preview->rect().width())
        --cell;
    preview->SetFont(cell, {});
    preview->SetText(name);
    InvalidateControl(preview);
}

void CShortcutDlg::OnOK() {
    hook_.StopHook();
    if (const auto choice = rules::ShortcutChoice(Input()))
        UiLoop().send(parent_, main_ids::kMsgShortcutResult, 0, reinterpret_cast<LPARAM>(&*choice));
    EndDialog(IDOK);
}

void CShortcutDlg::OnCancel() {
    hook_.StopHook();
    EndDialog(IDCANCEL);
}

LRESULT CShortcutDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kKeyboardHookMessage:
        onHookEvent(wParam);
        showPreview();
        return 0;
    case kNoModifierId:
        if (lParam == kCodeClick) {
            onNoModifier();
            showPreview();
        }
        return 0;
    case kCtrlId:
    case kShiftId:
    case kAltId:
    case kWinId:
        if (lParam == kCodeClick)
            showPreview();
        return 0;
    case kOkId:
        if (lParam == kCodeClick)
            OnOK();
        return 0;
    case kCancelId:
    case kCloseId:
        if (lParam == kCodeClick)
            OnCancel();
        return 0;
    case WM_KEYDOWN:
        return 1; // Enter and Escape are keys to capture
    case WM_DESTROY:
        hook_.StopHook();
        break;
    default:
        break;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui

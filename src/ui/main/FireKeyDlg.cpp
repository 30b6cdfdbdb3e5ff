#include "ui/main/FireKeyDlg.h"

#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/MacroSmallDlg.h"
#include "ui/main/MainIds.h"
#include "ui/rules/ButtonAssignment.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr int kTextTitle = 170;
constexpr int kTextInterval = 171;
constexpr int kTextShots = 172;
constexpr int kTextShotsNote = 173;
constexpr int kTextIntervalRange = 174;
constexpr int kTextDigitsOnly = 175;
constexpr int kTextShotsRange = 176;

constexpr const char16_t* kIntervalStart = u"50";
constexpr const char16_t* kShotsStart = u"0";
constexpr const char16_t* kCutValue = u"255";

// Posted to itself when a typed character was refused: the message shows once the key is done.
constexpr unsigned kMsgRefused = WM_USER + 0x200;
} // namespace

// Refuses characters that are neither digits nor backspace before the field sees them. Keys
// without a character (arrows, Delete, Home) and control shortcuts pass, and Enter and Escape go
// on to the dialog: a typed Escape presses its close button, and the bare key messages are
// swallowed.
class CFireKeyDlg::CharacterFilter : public QObject {
public:
    explicit CharacterFilter(CFireKeyDlg& dialog) : dialog_(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint() || text.at(0).isDigit())
            return false;
        dialog_.refuse();
        return true;
    }

private:
    CFireKeyDlg& dialog_;
};

CFireKeyDlg::CFireKeyDlg(WindowHandle parent) : CDlgBase(kTemplate, parent), parent_(parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

CFireKeyDlg::~CFireKeyDlg() = default;

void CFireKeyDlg::refuse() {
    // One message for a burst of refused characters (a key held down repeats).
    if (refusalPending_ || !hwnd())
        return;
    refusalPending_ = true;
    UiLoop().post(hwnd(), kMsgRefused, 0, 0);
}

bool CFireKeyDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_common.bmp"));
    const bool ok = CDlgBase::OnInitDialog();
    UiLoop().setTimer(hwnd(), kTimerCheck, kCheckPeriodMs);
    if (QLineEdit* interval = Edit(kIntervalEdit)) {
        interval->setFocus();
        interval->selectAll();
    }
    return ok;
}

void CFireKeyDlg::CreateControls(const Rect&) {
    const WindowHandle h = hwnd();
    AddControl(3, std::make_unique<CHeadingText>(h, 2100, ScaledRect(14, 2, 380, 30), model::LanguageText(kTextTitle),
                                                 Rgb(0xE6E6E6), Scaled(18)));
    AddControl(1, MakeCommonFrameClose(h, kCloseId));

    AddControl(2, std::make_unique<CStaticText>(h, 2101, ScaledRect(16, 44, 130, 68),
                                                model::LanguageText(kTextInterval), Rgb(kTextNormal), Qt::AlignRight));
    AddControl(2, std::make_unique<CStaticText>(h, 2102, ScaledRect(216, 44, 316, 68), model::LanguageText(kTextShots),
                                                Rgb(kTextNormal), Qt::AlignRight));
    auto note = std::make_unique<CStaticText>(h, 2103, ScaledRect(16, 74, 413, 94), model::LanguageText(kTextShotsNote),
                                              Rgb(0x8C929A), Qt::AlignHCenter);
    AddControl(2, std::move(note));

    filter_ = std::make_unique<CharacterFilter>(*this);
    for (auto [id, rect, text] : {std::tuple{kIntervalEdit, ScaledRect(136, 44, 206, 68), kIntervalStart},
                                  std::tuple{kShotsEdit, ScaledRect(322, 44, 392, 68), kShotsStart}})
        if (QLineEdit* edit = AddEdit(id, rect, text))
            edit->installEventFilter(filter_.get());

    AddOkCancel(*this, kOkId, ScaledRect(126, 104, 206, 128), kCancelId, ScaledRect(222, 104, 302, 128));
}

void CFireKeyDlg::DrawBackground(QPainter& p, const Rect& client) {
    FillBehindFrame(p, client);
    DrawFrame(p);
    DrawControls(p, client);
}

void CFireKeyDlg::attention(int text) {
    CAttentionDlg dialog(model::LanguageText(text), hwnd());
    dialog.DoModal();
}

bool CFireKeyDlg::cutValues() {
    // While a message of this check is up the timer keeps running; it must not stack another.
    if (checking_)
        return false;
    checking_ = true;
    bool cut = false;
    for (auto [id, text] : {std::pair{kIntervalEdit, kTextIntervalRange}, std::pair{kShotsEdit, kTextShotsRange}}) {
        if (rules::FireFieldValue(GetEditText(id)) <= rules::kFireValueMax)
            continue;
        SetEditText(id, kCutValue);
        cut = true;
        attention(text);
    }
    checking_ = false;
    return cut;
}

void CFireKeyDlg::OnOK() {
    // A value typed a moment ago may not have met the timer yet: it is cut first, and the user
    // sees what the button would get before choosing it.
    if (cutValues())
        return;
    const auto choice = rules::FireKeyChoice(rules::FireFieldValue(GetEditText(kIntervalEdit)),
                                             rules::FireFieldValue(GetEditText(kShotsEdit)));
    if (!choice) {
        attention(kTextIntervalRange);
        return;
    }
    UiLoop().send(parent_, main_ids::kMsgFireKeyResult, 0, reinterpret_cast<LPARAM>(&*choice));
    EndDialog(IDOK);
}

LRESULT CFireKeyDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kOkId:
        if (lParam == kCodeClick)
            OnOK();
        return 0;
    case kCancelId:
    case kCloseId:
        if (lParam == kCodeClick)
            EndDialog(IDCANCEL);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE)
            return 1; // the bare messages neither choose nor cancel
        break;
    case WM_TIMER:
        if (wParam == kTimerCheck) {
            cutValues();
            return 0;
        }
        break;
    case WM_COMMAND:
        if ((wParam >> 16) == EN_CHANGE) {
            // Pasted text is held to digits too.
            const int id = int(wParam & 0xFFFF);
            const std::u16string text = GetEditText(id);
            const std::u16string digits = rules::DigitsOnly(text);
            if (digits != text) {
                SetEditText(id, digits);
                refuse();
            }
            return 0;
        }
        break;
    case kMsgRefused:
        attention(kTextDigitsOnly);
        refusalPending_ = false;
        return 0;
    case WM_DESTROY:
        UiLoop().killTimer(hwnd(), kTimerCheck);
        break;
    default:
        break;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui

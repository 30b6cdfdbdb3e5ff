#include "ui/macro/MacroManagerDlg.h"

#include "macro/MacroFiles.h"
#include "model/LanguageTable.h"
#include "model/Text.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/ActionModifyDlgs.h"
#include "ui/macro/ListScrolling.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroPopups.h"
#include "ui/macro/MacroSmallDlg.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"
#include "ui/skin/ProgramWords.h"

#include <QRegularExpressionValidator>

namespace quorvik::ui {

using namespace platform;
using macro::InsertCommand;
using macro::MacroLocation;

namespace {

// The layout, in units: three panels under the title bar.
struct Panel {
    double left, top, right, bottom;
};
constexpr Panel kTreePanel{8, 40, 184, 354};
constexpr Panel kActionPanel{190, 40, 340, 354};
constexpr Panel kToolPanel{346, 40, 520, 354};
constexpr double kListTop = 66;
constexpr double kListBottom = 306; // twelve rows
constexpr double kButtonTop = 318;
constexpr double kButtonBottom = 342;
constexpr double kScrollWidth = 14;
constexpr double kToolLeft = 353;
constexpr double kToolRight = 513;
constexpr double kMeterTop = 330;

constexpr std::uint32_t kPanelFill = 0x17191D;
constexpr std::uint32_t kPanelBorder = 0x2A2E35;
constexpr std::uint32_t kTitleText = 0xE6E6E6;

QRect scaledBox(const Panel& panel) {
    return ScaledRect(panel.left, panel.top, panel.right, panel.bottom).toQRect();
}

std::u16string text(int n) {
    return model::LanguageText(n);
}

} // namespace

CMacroManagerDlg::CMacroManagerDlg(WindowHandle parent) : CDlgBase(kTemplate, parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

CMacroManagerDlg::~CMacroManagerDlg() {
    // Destroyed while open: the window goes now, while its WM_DESTROY still reaches this class.
    DestroyWindow();
    hook_.StopHook();
}

bool CMacroManagerDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_Macro_Manager.bmp"));
    recording_ = false;
    finished_ = false;
    pendingInsert_ = pendingItem_ = false;
    bool ok = CDlgBase::OnInitDialog();
    refreshTree();
    refreshSelection();
    return ok;
}

CEditShowList* CMacroManagerDlg::tree() const {
    return FindControlAs<CEditShowList>(kIdMacroTree);
}
CImageShowList* CMacroManagerDlg::actions() const {
    return FindControlAs<CImageShowList>(kIdActionList);
}
CCheckButton* CMacroManagerDlg::recordButton() const {
    return FindControlAs<CCheckButton>(kIdRecord);
}

model::MacroRecord* CMacroManagerDlg::SelectedMacro() const {
    macro::MacroLibraryNode* node = macro::TheMacroLibrary().SlotAt(macro::CurrentMacroLocation());
    return node && node->IsMacroSlot() ? node->macro.get() : nullptr;
}

// ---- controls ----

void CMacroManagerDlg::CreateControls(const Rect&) {
    const WindowHandle h = hwnd();
    auto R = [](double l, double t, double r, double b) { return ScaledRect(l, t, r, b); };
    auto button = [&](int id, const Rect& rect, int label) { AddControl(1, MakeTextButton(h, id, rect, text(label))); };
    auto heading = [&](int id, double l, double t, double r, int label) {
        AddControl(3, std::make_unique<CHeadingText>(h, id, R(l, t, r, t + 18), text(label), Rgb(kAccent)));
    };

    // Title bar.
    AddControl(3, std::make_unique<CHeadingText>(h, 2100, R(14, 2, 400, 30), text(kTextManagerTitle), Rgb(kTitleText),
                                                 Scaled(18)));
    AddControl(1, MakeCloseButton(h, kIdMacroClose, R(498, 4, 520, 26)));

    // The library.
    heading(2103, kTreePanel.left + 8, 45, kTreePanel.right - 8, kTextMacrosHeading);
    const double treeRight = kTreePanel.right - 8 - kScrollWidth;
    auto list = std::make_unique<CEditShowList>(
        h, kIdMacroTree, R(kTreePanel.left + 8, kListTop, treeRight, kListBottom), macro::TheMacroLibrary());
    list->SetFolderImages(SkinFile("foldr_open.png"), SkinFile("foldr_close.png"));
    CEditShowList* treeList = AddControl(1, std::move(list));
    treeList->SetWheelTarget(
        AddControl(1, std::make_unique<CVScrollBar>(h, kIdTreeScroll,
                                                    R(treeRight, kListTop, treeRight + kScrollWidth, kListBottom))));
    button(kIdNewMacro, R(16, kButtonTop, 94, kButtonBottom), kTextNewMacroButton);
    button(kIdDeleteItem, R(98, kButtonTop, 176, kButtonBottom), kTextDeleteButton);

    // The actions of the selected macro.
    heading(2104, kActionPanel.left + 8, 45, kActionPanel.right - 8, kTextActionsHeading);
    const double actionsRight = kActionPanel.right - 8 - kScrollWidth;
    CImageShowList* actionList =
        AddControl(1, std::make_unique<CImageShowList>(h, kIdActionList,
                                                       R(kActionPanel.left + 8, kListTop, actionsRight, kListBottom)));
    actionList->SetWheelTarget(
        AddControl(1, std::make_unique<CVScrollBar>(
                          h, kIdActionScroll, R(actionsRight, kListTop, actionsRight + kScrollWidth, kListBottom))));
    button(kIdModifyAction, R(198, kButtonTop, 262, kButtonBottom), kTextModifyButton);
    button(kIdDeleteAction, R(268, kButtonTop, 332, kButtonBottom), kTextDeleteActionButton);

    // Recording and inserting.
    auto record = std::make_unique<CCheckButton>(h, kIdRecord, R(388, 50, 478, 76), text(kTextRecord));
    record->SetImages(SkinFile("macro_record_nr.png"), {}, SkinFile("macro_record_dn.png"));
    record->SetCheckedText(text(kTextStopRecording));
    record->SetTextMargins(Scaled(18), 0);
    AddControl(1, std::move(record));
    auto delays = std::make_unique<CCheckButton>(h, kIdRecordDelays, R(kToolLeft, 84, kToolRight, 104),
                                                 text(kTextRecordDelays), true, true, false, Qt::AlignLeft);
    delays->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    delays->SetTextMargins(Scaled(24), 0);
    delays->SetChecked(true);
    AddControl(1, std::move(delays));
    auto insert = std::make_unique<CComboButton>(h, kIdInsert, R(kToolLeft, 112, kToolRight, 136),
                                                 text(kTextInsertButton), kMsgOpenInsertMenu);
    insert->SetImages(SkinFile("combo3_nr.png"), SkinFile("combo3_ov.png"));
    AddControl(1, std::move(insert));

    // Loop options.
    heading(2105, kToolLeft, 156, kToolRight, kTextLoopHeading);
    const int radios[] = {kIdLoopFirst, kIdLoopSecond, kIdLoopCounted};
    for (int i = 0; i < 3; ++i) {
        const double top = 180 + i * 24;
        auto radio = std::make_unique<CRadioButton>(h, radios[i], R(kToolLeft, top, kToolRight, top + 20),
                                                    text(kTextLoopFirst + i), true, true, false, Qt::AlignLeft);
        radio->SetImages(SkinFile("radio_nr.png"), SkinFile("radio_ov.png"), SkinFile("radio_dn.png"));
        radio->SetTextMargins(Scaled(24), 0);
        AddControl(1, std::move(radio));
    }
    if (QLineEdit* count = AddEdit(kIdLoopCount, R(377, 254, 425, 276), u"1")) {
        count->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), count));
        count->setMaxLength(5);
        count->setStyleSheet(count->styleSheet() +
                             QStringLiteral("QLineEdit:disabled { color: #5A5E66; border-color: #2A2E35; }"));
    }
    AddControl(2, std::make_unique<CStaticText>(h, kIdLoopCountLabel, R(431, 254, kToolRight, 276),
                                                text(kTextLoopTimes), Rgb(kTextNormal)));

    // How full the macro is.
    AddControl(
        2, std::make_unique<CStaticText>(h, kIdEventCount, R(kToolLeft, 308, kToolRight, 326), u"", Rgb(kTextNormal)));
}

void CMacroManagerDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    p.save();
    p.setPen(QPen(Rgb(kPanelBorder), std::max(1, Scaled(1))));
    p.setBrush(Rgb(kPanelFill));
    const double radius = Scaled(4);
    for (const Panel& panel : {kTreePanel, kActionPanel, kToolPanel})
        p.drawRoundedRect(QRectF(scaledBox(panel)).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // Section rule between recording and the loop options.
    p.fillRect(ScaledRect(kToolLeft, 146, kToolRight, 147).toQRect(), Rgb(kPanelBorder));
    // The event meter: how much of the mouse's 168 events the macro takes.
    const QRect meter = ScaledRect(kToolLeft, kMeterTop, kToolRight, kMeterTop + 6).toQRect();
    p.setPen(Qt::NoPen);
    p.setBrush(Rgb(0x0E0F12));
    p.drawRoundedRect(meter, meter.height() / 2.0, meter.height() / 2.0);
    if (const model::MacroRecord* macro = SelectedMacro(); macro && macro->MacroCommandActionNum > 0) {
        const double used = std::min(1.0, double(macro->MacroCommandActionNum) / double(model::kMaxMacroEvents));
        QRectF filled = QRectF(meter);
        filled.setWidth(std::max(double(meter.height()), filled.width() * used));
        p.setBrush(used >= 1.0 ? Rgb(0xD94545) : Rgb(kAccent));
        p.drawRoundedRect(filled, meter.height() / 2.0, meter.height() / 2.0);
    }
    p.restore();
    DrawControls(p, client);
    if (recording_) {
        // What recording has switched off is dimmed; the actions being recorded stay clear.
        const QColor veil(0x0B, 0x0C, 0x0E, 150);
        p.fillRect(scaledBox(kTreePanel), veil);
        p.fillRect(ScaledRect(kActionPanel.left, kButtonTop - 4, kActionPanel.right, kActionPanel.bottom).toQRect(),
                   veil);
        p.fillRect(ScaledRect(kToolPanel.left, 80, kToolPanel.right, 107).toQRect(), veil);
        p.fillRect(ScaledRect(kToolPanel.left, 150, kToolPanel.right, 300).toQRect(), veil);
    }
    // A menu choice waits for this repaint; it runs from the loop, once the painting is done, as
    // it may open dialogs of its own.
    if (pendingInsert_) {
        pendingInsert_ = false;
        UiLoop().post(hwnd(), kMsgRunDeferred, 0, pendingInsertIndex_);
    }
    if (pendingItem_) {
        pendingItem_ = false;
        UiLoop().post(hwnd(), kMsgRunDeferred, 1, pendingItemIndex_);
    }
}

// ---- messages ----

int CMacroManagerDlg::attention(int textNumber) {
    CAttentionDlg dialog(text(textNumber), hwnd());
    return dialog.DoModal();
}

void CMacroManagerDlg::OnOK() {
    // Enter closes nothing here: while recording it is a key like any other.
}

void CMacroManagerDlg::OnCancel() {
    // Closed from outside (Alt+F4, the main window closing every dialog): saved all the same.
    finish();
    EndDialog(IDCANCEL);
}

void CMacroManagerDlg::finish() {
    // The hook goes first, so that no key arrives behind the saved file's back.
    hook_.StopHook();
    recording_ = false;
    macro::CurrentMacroLocation() = MacroLocation::None();
    if (finished_)
        return;
    finished_ = true;
    macro::SaveMacroLibraryFile();
}

LRESULT CMacroManagerDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kIdMacroClose:
        if (lParam == kCodeClick) {
            finish();
            EndDialog(IDOK);
        }
        return 0;
    case kIdNewMacro:
        if (lParam == kCodeClick)
            RunItemCommand(kNewMacro);
        return 0;
    case kIdDeleteItem:
        if (lParam == kCodeClick)
            RunItemCommand(kDelete);
        return 0;
    case kIdMacroTree:
        if (lParam == kCodeClick || lParam == kCodeDoubleClick) {
            refreshTree();
            refreshSelection();
        } else if (lParam == kCodeRightClick) {
            refreshTree();
            refreshSelection();
            openItemMenu(*reinterpret_cast<const ClickPoint*>(wParam));
        }
        return 0;
    case kIdRecord:
        if (lParam == kCodeClick) {
            if (recordButton()->IsChecked())
                startRecording();
            else if (recording_)
                stopRecording();
        }
        return 0;
    case kIdActionList:
        if (lParam == kCodeDoubleClick)
            modifyAction();
        return 0;
    case kIdTreeScroll:
        if (auto* bar = FindControlAs<CVScrollBar>(kIdTreeScroll))
            if (auto first = ScrollBarMoved(*bar, wParam, lParam))
                tree()->SetFirstVisibleRow(*first);
        return 0;
    case kIdActionScroll:
        if (auto* bar = FindControlAs<CVScrollBar>(kIdActionScroll))
            if (auto first = ScrollBarMoved(*bar, wParam, lParam))
                actions()->SetFirstVisibleRow(*first);
        return 0;
    case kIdModifyAction:
        if (lParam == kCodeClick)
            modifyAction();
        return 0;
    case kIdDeleteAction:
        if (lParam == kCodeClick)
            deleteAction();
        return 0;
    case kIdLoopFirst:
    case kIdLoopSecond:
    case kIdLoopCounted:
        if (lParam == kCodeClick) {
            const std::uint8_t type = message == unsigned(kIdLoopFirst)    ? model::kLoopFirstOption
                                      : message == unsigned(kIdLoopSecond) ? model::kLoopSecondOption
                                                                           : model::kLoopCounted;
            setLoopType(type, int(message));
        }
        return 0;
    case WM_COMMAND:
        if ((wParam & 0xFFFF) == WPARAM(kIdLoopCount) && (wParam >> 16) == EN_CHANGE)
            onLoopCountChanged();
        return 0;
    case kMsgHookEvent:
        onHookEvent(wParam, lParam);
        return 0;
    case kMsgOpenInsertMenu:
        if (lParam == kCodeClick)
            openInsertMenu();
        return 0;
    case kMsgInsertChoice:
        if (wParam != 0) {
            const int index = reinterpret_cast<const PopupChoice*>(lParam)->index;
            if (index >= 0 && index < macro::kInsertCommandCount) {
                pendingInsertIndex_ = index;
                pendingInsert_ = true;
            }
            ClosePopup(kInsertMenuSlot);
            InvalidateAll();
        }
        return 0;
    case kMsgInsertMenuClosed:
        ClosePopup(kInsertMenuSlot);
        if (auto* insert = FindControlAs<CComboButton>(kIdInsert)) {
            insert->ClearHover();
            InvalidateControl(insert);
        }
        return 0;
    case kMsgItemChoice:
        if (wParam != 0) {
            const int index = reinterpret_cast<const PopupChoice*>(lParam)->index;
            if (index >= 0 && index <= kExportItems) {
                pendingItemIndex_ = index;
                pendingItem_ = true;
            }
            ClosePopup(kItemMenuSlot);
            InvalidateAll();
        }
        return 0;
    case kMsgItemMenuClosed:
        ClosePopup(kItemMenuSlot);
        InvalidateAll();
        return 0;
    case kMsgRunDeferred:
        runDeferred(wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        return 1; // the bare key messages do nothing (a typed Escape presses close first)
    case WM_LBUTTONUP: {
        LRESULT r = CDlgBase::handleMessage(message, wParam, lParam);
        if (IsOpen())
            syncSelectionIfMoved();
        return r;
    }
    case WM_DESTROY:
        // Every way out ends here, the program quitting under the manager too.
        finish();
        break;
    default:
        break;
    }
    return CDlgBase::handleMessage(message, wParam, lParam);
}

} // namespace quorvik::ui

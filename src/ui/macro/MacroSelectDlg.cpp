#include "ui/macro/MacroSelectDlg.h"

#include "macro/MacroLibrary.h"
#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/qt/UiLoop.h"
#include "ui/macro/ListScrolling.h"
#include "ui/macro/Lists.h"
#include "ui/macro/MacroIds.h"
#include "ui/macro/MacroSmallDlg.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/DialogParts.h"

namespace quorvik::ui {

using namespace platform;

namespace {
constexpr double kListTop = 50;
constexpr double kListBottom = 290; // twelve rows
constexpr double kListLeft = 16;
constexpr double kBarLeft = 230;
constexpr double kBarRight = 244;
} // namespace

CMacroSelectDlg::CMacroSelectDlg(WindowHandle parent) : CDlgBase(kTemplate, parent), parent_(parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

bool CMacroSelectDlg::OnInitDialog() {
    SetFrameBitmap(SkinFile("Frame_Macro_Manager.bmp"));
    bool ok = CDlgBase::OnInitDialog();
    refreshTree();
    return ok;
}

void CMacroSelectDlg::CreateControls(const Rect&) {
    const WindowHandle h = hwnd();
    AddControl(3, std::make_unique<CHeadingText>(h, 2100, ScaledRect(14, 2, 220, 30),
                                                 model::LanguageText(kTextSelectTitle), Rgb(0xE6E6E6), Scaled(18)));
    AddControl(1, MakeCloseButton(h, kIdDialogClose, ScaledRect(232, 4, 254, 26)));

    auto tree = std::make_unique<CEditShowList>(h, kIdMacroTree, ScaledRect(kListLeft, kListTop, kBarLeft, kListBottom),
                                                macro::TheMacroLibrary());
    tree->SetFolderImages(SkinFile("foldr_open.png"), SkinFile("foldr_close.png"));
    CEditShowList* treeList = AddControl(1, std::move(tree));
    treeList->SetWheelTarget(AddControl(
        1, std::make_unique<CVScrollBar>(h, kIdTreeScroll, ScaledRect(kBarLeft, kListTop, kBarRight, kListBottom))));

    AddControl(1, MakeTextButton(h, kIdDialogOk, ScaledRect(90, 306, 170, 330), model::LanguageText(kTextOk)));
}

void CMacroSelectDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    p.save();
    p.setPen(QPen(Rgb(0x2A2E35), std::max(1, Scaled(1))));
    p.setBrush(Rgb(0x17191D));
    const QRectF panel = QRectF(ScaledRect(8, 42, 252, 298).toQRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.drawRoundedRect(panel, Scaled(4), Scaled(4));
    p.restore();
    DrawControls(p, client);
}

void CMacroSelectDlg::refreshTree() {
    auto* tree = FindControlAs<CEditShowList>(kIdMacroTree);
    if (!tree)
        return;
    const int rows = int(tree->Rows().size());
    tree->SetSelectedRow(tree->RowOf(macro::CurrentMacroLocation()));
    int first = FirstRowShowing(tree->SelectedRow(), tree->FirstVisibleRow(), tree->VisibleRows());
    first = std::clamp(first, 0, std::max(0, rows - tree->VisibleRows()));
    tree->SetFirstVisibleRow(first);
    if (auto* bar = FindControlAs<CVScrollBar>(kIdTreeScroll))
        bar->SetScroll(first, tree->VisibleRows(), rows);
    InvalidateControl(tree);
}

void CMacroSelectDlg::choose(WPARAM wParam) {
    const macro::MacroLibraryNode* node = macro::TheMacroLibrary().SlotAt(macro::CurrentMacroLocation());
    if (!node || !node->IsMacroSlot()) {
        CAttentionDlg dialog(model::LanguageText(kTextNoMacroSelected), hwnd());
        dialog.DoModal();
        return;
    }
    UiLoop().send(parent_, kMsgMacroChosen, wParam, 0);
    EndDialog(IDOK);
}

void CMacroSelectDlg::OnOK() {
    choose(WPARAM(kIdDialogOk));
}

LRESULT CMacroSelectDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kIdDialogOk:
        if (lParam == kCodeClick)
            choose(wParam);
        return 0;
    case kIdDialogClose:
        if (lParam == kCodeClick)
            EndDialog(IDCANCEL);
        return 0;
    case kIdMacroTree:
        if (lParam == kCodeClick || lParam == kCodeDoubleClick)
            refreshTree();
        return 0;
    case kIdTreeScroll:
        if (auto* bar = FindControlAs<CVScrollBar>(kIdTreeScroll))
            if (auto first = ScrollBarMoved(*bar, wParam, lParam))
                FindControlAs<CEditShowList>(kIdMacroTree)->SetFirstVisibleRow(*first);
        return 0;
    default:
        return CDlgBase::handleMessage(message, wParam, lParam);
    }
}

} // namespace quorvik::ui

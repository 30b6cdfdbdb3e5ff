#include "GalleryDlg.h"

#include "macro/MacroLibrary.h"
#include "platform/Messages.h"
#include "ui/macro/Lists.h"
#include "ui/skin/AttentionDlg.h"
#include "ui/skin/Displays.h"
#include "ui/skin/ProgramWords.h"
#include "ui/skin/Sliders.h"

#include <QString>

namespace quorvik::gallery {

using namespace ui;
using platform::SW_MINIMIZE;

namespace {
const char16_t* const kChoices[] = {u"Left button", u"Right button", u"Middle button", u"Forward",
                                    u"Back",        u"DPI loop",     u"Fire key",      u"Macro"};

// Panels of the background: x, y, width, height in units, and their titles.
struct Panel {
    int x, y, w, h;
    const char16_t* title;
};
constexpr Panel kPanels[] = {
    {16, 52, 270, 248, u"Buttons"},
    {300, 52, 300, 248, u"DPI levels"},
    {614, 52, 270, 248, u"Power, battery, rate"},
    {16, 314, 420, 260, u"Macro lists"},
    {450, 314, 434, 260, u"Tabs, selectors, sliders"},
};

std::u16string u16(const QString& s) {
    return s.toStdU16String();
}
} // namespace

void GalleryPopup::BuildItems() {
    for (const char16_t* choice : kChoices)
        AddItem(choice, SkinFile("menu_nr.png"), SkinFile("menu_ov.png"));
    AddSeparator();
    AddItem(u"More", SkinFile("menusub_nr.png"), SkinFile("menusub_ov.png"), true);
    LayoutRows(Scaled(26), Scaled(3));
}

const model::MacroRecord* FillSampleLibrary() {
    using macro::MacroLocation;
    macro::MacroLibrary& library = macro::TheMacroLibrary();
    library.Clear();
    auto burst = std::make_unique<model::MacroRecord>();
    burst->name = u"Burst fire";
    const model::MacroAction steps[] = {
        model::MakeKeyEvent(model::kMouseLeft, false),
        model::MakeDelay(50),
        model::MakeKeyEvent(model::kMouseLeft, true),
        model::MakeDelay(40),
        model::MakeKeyEvent('R', false),
        model::MakeDelay(30),
        model::MakeKeyEvent('R', true),
        model::MakeMotion(model::kWheel, -3),
        model::MakeMotion(model::kMoveX, -5),
        model::MakeDelay(100),
        model::MakeKeyEvent(0x10, false),
        model::MakeKeyEvent(0x10, true),
    };
    for (const auto& step : steps)
        burst->InsertAction(burst->MacroActionNum, step);
    const model::MacroRecord* shown = burst.get();
    library.AddFolderAt(MacroLocation::At(0), u"Shooters", true);
    library.AddMacroAt(MacroLocation::At(0, 0), u"Burst fire", std::move(burst));
    library.AddMacroAt(MacroLocation::At(0, 1), u"Reload cancel", std::make_unique<model::MacroRecord>());
    library.AddFolderAt(MacroLocation::At(0, 2), u"Snipers", true);
    library.AddMacroAt(MacroLocation::At(0, 2, 0), u"Hold breath", std::make_unique<model::MacroRecord>());
    library.AddFolderAt(MacroLocation::At(1), u"Strategy", false);
    library.AddMacroAt(MacroLocation::At(1, 0), u"Build order", std::make_unique<model::MacroRecord>());
    library.AddMacroAt(MacroLocation::At(2), u"Greeting", std::make_unique<model::MacroRecord>());
    library.AddMacroAt(MacroLocation::At(3), u"Copy and paste", std::make_unique<model::MacroRecord>());
    return shown;
}

GalleryDlg::GalleryDlg(WindowHandle parent) : CDlgBase(3000, parent) {
    width_ = Scaled(kWidthUnits);
    height_ = Scaled(kHeightUnits);
}

bool GalleryDlg::OnInitDialog() {
    SetFrameResource(364);
    panel_.load(SkinFile("Frame_Lighting_Setting.bmp"));
    return CDlgBase::OnInitDialog();
}

void GalleryDlg::DrawBackground(QPainter& p, const Rect& client) {
    p.fillRect(client.toQRect(), BackgroundColour());
    DrawFrame(p);
    QFont titleFont = ControlFont(Scaled(17));
    titleFont.setWeight(QFont::DemiBold);
    for (const Panel& panel : kPanels) {
        QRect box(Scaled(panel.x), Scaled(panel.y), Scaled(panel.w), Scaled(panel.h));
        panel_.draw(p, box);
        DrawSingleLine(p, QRect(box.left() + Scaled(10), box.top() + Scaled(4), box.width() - Scaled(20), Scaled(16)),
                       QString::fromStdU16String(panel.title), Rgb(kAccent), titleFont, Qt::AlignLeft);
    }
    DrawControls(p, client);
}

void GalleryDlg::CreateControls(const Rect&) {
    const WindowHandle h = hwnd();
    auto R = [](double l, double t, double r, double b) { return ScaledRect(l, t, r, b); };

    // Window buttons.
    auto exit = std::make_unique<CImageButton>(h, 2001, R(864, 8, 886, 30), u"");
    exit->SetImages(SkinFile("exit_nr.png"), SkinFile("exit_ov.png"));
    AddControl(1, std::move(exit));
    auto minimise = std::make_unique<CImageButton>(h, 2002, R(836, 8, 858, 30), u"");
    minimise->SetImages(SkinFile("min_nr.png"), SkinFile("min_ov.png"));
    AddControl(1, std::move(minimise));

    // Buttons panel.
    auto header =
        std::make_unique<CCheckButton>(h, 3001, R(24, 76, 278, 104), u"Page header", true, true, false, Qt::AlignLeft);
    header->SetImages(SkinFile("header_nr.png"), SkinFile("header_ov.png"));
    header->SetTextMargins(Scaled(14), Scaled(30));
    AddControl(1, std::move(header));
    auto accel = std::make_unique<CCheckButton>(h, 2030, R(26, 110, 186, 130), u"Acceleration", true, true, false,
                                                Qt::AlignLeft);
    accel->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    accel->SetTextMargins(Scaled(24), 0);
    AddControl(1, std::move(accel));
    auto delays = std::make_unique<CCheckButton>(h, 2017, R(26, 132, 186, 152), u"Record delays", true, true, false,
                                                 Qt::AlignLeft);
    delays->SetImages(SkinFile("check_nr.png"), SkinFile("check_ov.png"), SkinFile("check_dn.png"));
    delays->SetTextMargins(Scaled(24), 0);
    delays->SetChecked(true);
    AddControl(1, std::move(delays));
    const char16_t* loops[] = {u"Loop while held", u"Loop until pressed", u"Loop n times"};
    for (int i = 0; i < 3; ++i) {
        auto radio = std::make_unique<CRadioButton>(h, 2031 + i, R(26, 160 + i * 22, 186, 180 + i * 22), loops[i], true,
                                                    true, false, Qt::AlignLeft);
        radio->SetImages(SkinFile("radio_nr.png"), SkinFile("radio_ov.png"), SkinFile("radio_dn.png"));
        radio->SetTextMargins(Scaled(24), 0);
        AddControl(1, std::move(radio));
    }
    SelectRadio(2033);
    auto ok = std::make_unique<CImageButton>(h, 2010, R(26, 232, 106, 256), u"OK");
    ok->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    AddControl(1, std::move(ok));
    auto message = std::make_unique<CImageButton>(h, 3331, R(116, 232, 196, 256), u"Message");
    message->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"));
    AddControl(1, std::move(message));
    auto panelButton = std::make_unique<CImageButton>(h, 3330, R(26, 266, 146, 292), u"Mouse settings");
    panelButton->SetImages(SkinFile("button4_nr.png"));
    AddControl(1, std::move(panelButton));
    auto record = std::make_unique<CCheckButton>(h, 2018, R(156, 266, 246, 292), u"Record");
    record->SetImages(SkinFile("macro_record_nr.png"), {}, SkinFile("macro_record_dn.png"));
    record->SetTextMargins(Scaled(18), 0);
    AddControl(1, std::move(record));

    // DPI panel: four levels.
    const int steps[] = {16, 32, 64, 96};
    const std::uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF}; // stored colour values
    for (int k = 0; k < 4; ++k) {
        const int x0 = 318 + k * 70;
        auto check = std::make_unique<CCheckButton>(h, 3260 + k, R(x0 + 17, 76, x0 + 35, 94), u"");
        check->SetImages(SkinFile("check_button_dpi_nr.png"), SkinFile("check_button_dpi_ov.png"),
                         SkinFile("check_button_dpi_dn.png"));
        check->SetChecked(k != 3);
        AddControl(1, std::move(check));
        auto slider = std::make_unique<CVerticalSliderControl>(h, 3280 + k, R(x0 + 14, 100, x0 + 38, 198), 100, 0, 0);
        slider->SetValue(steps[k]);
        slider->SetBarColour(FromColorValue(colours[k]));
        slider->SetDisabled(k == 3);
        AddControl(1, std::move(slider));
        auto value = std::make_unique<CDPIValueShowControl>(h, 3300 + k, R(x0, 206, x0 + 52, 228),
                                                            u16(QString::number((steps[k] + 1) * 50)));
        value->SetValue(steps[k], 100);
        value->SetDisabled(k == 3);
        AddControl(1, std::move(value));
        auto level = std::make_unique<CDPIRadioButton>(h, 3290 + k, R(x0, 232, x0 + 52, 250),
                                                       u16(QStringLiteral("Level %1").arg(k + 1)));
        level->SetTextColour(k == 1 ? Rgb(0xFF0000) : Rgb(kTextNormal));
        level->SetDisabled(k == 3);
        AddControl(1, std::move(level));
        Rect button = R(x0 + 14, 256, x0 + 38, 280);
        auto colour = std::make_unique<CColorSelectButton>(
            h, 3270 + k, button, Rect{button.left + 3, button.top + 3, button.right - 3, button.bottom - 3});
        colour->SetColor(colours[k]);
        AddControl(1, std::move(colour));
    }

    // Power, battery and rate panel.
    auto dial = std::make_unique<CPowerManageButton>(h, 3500, R(626, 74, 746, 194));
    std::array<std::string, 8> dialImages;
    for (int m = 3; m <= 10; ++m)
        dialImages[std::size_t(m - 3)] = SkinFile(QStringLiteral("power_manage_%1min.png").arg(m).toStdString());
    dial->SetImages(dialImages);
    dial->SetChoice(5);
    AddControl(1, std::move(dial));
    auto addBattery = [&](int id, double top, int level, int charge) {
        auto battery = std::make_unique<CBattery>(h, id, R(766, top, 806, top + 18));
        battery->SetImages(SkinFile("battery_full.png"), SkinFile("battery_empty.png"),
                           SkinFile("battery_charging.png"), SkinFile("battery_lighting.png"),
                           SkinFile("battery_green.png"), SkinFile("battery_orange.png"), SkinFile("battery_red.png"));
        battery->SetStatus(level, charge, 50);
        AddControl(2, std::move(battery));
        AddControl(2, std::make_unique<CStaticText>(h, id + 100, R(812, top, 880, top + 18),
                                                    charge == 1 ? std::u16string(u"charging")
                                                                : u16(QStringLiteral("%1%").arg(level)),
                                                    Rgb(kTextNormal)));
    };
    addBattery(3406, 80, 76, 0);
    addBattery(3407, 104, 35, 0);
    addBattery(3408, 128, 12, 0);
    addBattery(3409, 152, 60, 1);
    const char* rates[] = {"125", "250", "500", "1000"};
    for (int k = 0; k < 4; ++k) {
        auto rate = std::make_unique<CRadioButton>(h, 3030 + k, R(626 + k * 64, 206, 686 + k * 64, 232), u"");
        std::string base = std::string(rates[k]) + "hz_";
        rate->SetImages(SkinFile(base + "nr.png"), {}, SkinFile(base + "dn.png"));
        AddControl(1, std::move(rate));
    }
    SelectRadio(3033);
    auto up = std::make_unique<CRadioButton>(h, 3240, R(626, 250, 652, 276), u"");
    up->SetImages(SkinFile("up_nr.png"), SkinFile("up_ov.png"), SkinFile("up_check.png"));
    AddControl(1, std::move(up));
    auto down = std::make_unique<CRadioButton>(h, 3250, R(658, 250, 684, 276), u"");
    down->SetImages(SkinFile("down_nr.png"), SkinFile("down_ov.png"), SkinFile("down_check.png"));
    AddControl(1, std::move(down));
    SelectRadio(3240);
    const std::uint32_t slotColours[] = {0x0000FF, 0x00A5FF, 0x00FFFF, 0xFF00FF};
    for (int i = 0; i < 4; ++i) {
        Rect box = R(730 + i * 36, 250, 756 + i * 36, 276);
        auto swatch = std::make_unique<CColorSelectCheckButton>(
            h, 3180 + i, box,
            Rect{box.left + Scaled(4), box.top + Scaled(4), box.right - Scaled(4), box.bottom - Scaled(4)});
        swatch->SetImages(SkinFile("color_select_nr.png"), SkinFile("color_select_check.png"));
        swatch->SetColor(slotColours[i]);
        swatch->SetChecked(i < 2);
        AddControl(1, std::move(swatch));
    }

    // Macro lists.
    const model::MacroRecord* shown = FillSampleLibrary();
    auto tree = std::make_unique<CEditShowList>(h, 2015, R(26, 340, 206, 560), macro::TheMacroLibrary());
    tree->SetFolderImages(SkinFile("foldr_open.png"), SkinFile("foldr_close.png"));
    tree->SetSelectedRow(1);
    AddControl(1, std::move(tree));
    AddControl(1, std::make_unique<CVScrollBar>(h, 2021, R(206, 340, 220, 560)));
    auto actions = std::make_unique<CImageShowList>(h, 2020, R(232, 340, 410, 540));
    actions->SetMacro(shown);
    actions->SetSelectedRow(2);
    AddControl(1, std::move(actions));
    AddControl(1, std::make_unique<CVScrollBar>(h, 2022, R(410, 340, 424, 540)));
    AddControl(1, std::make_unique<CLinkButton>(h, 3503, R(232, 546, 424, 566), u"Open the maker's web site"));
    syncScrollBars();

    // Tabs, selectors and sliders.
    for (int i = 0; i < 5; ++i) {
        auto tab = std::make_unique<CTabControl>(h, 2049 + i, R(462 + i * 84, 340, 540 + i * 84, 364),
                                                 u16(QStringLiteral("Profile %1").arg(i + 1)));
        tab->SetImages(SkinFile("button2_nr.png"), SkinFile("button2_ov.png"), SkinFile("button2_ov.png"));
        AddControl(1, std::move(tab));
    }
    auto selector = std::make_unique<CComboButton>(h, 2013, R(462, 376, 662, 402), u"Left button", kSelectorMessage);
    selector->SetImages(SkinFile("combo2_nr.png"), SkinFile("combo2_ov.png"));
    AddControl(1, std::move(selector));
    auto insert = std::make_unique<CComboButton>(h, 2035, R(676, 377, 826, 401), u"Insert", kInsertMessage);
    insert->SetImages(SkinFile("combo3_nr.png"), SkinFile("combo3_ov.png"));
    insert->SetOff(true);
    AddControl(1, std::move(insert));
    auto speed = std::make_unique<CSliderControl>(h, 3200, R(462, 414, 662, 434), 3, Scaled(8), Scaled(8));
    speed->SetImages(SkinFile("Slider_bar.png"), SkinFile("Slider_Circle.png"));
    speed->SetValue(1);
    AddControl(1, std::move(speed));
    AddControl(2, std::make_unique<CStaticText>(h, 3210, R(670, 414, 740, 434), u"Speed 2", Rgb(kTextNormal)));
    auto pointer = std::make_unique<CSliderControl>(h, 2043, R(462, 444, 662, 464), 11, Scaled(8), Scaled(8));
    pointer->SetImages(SkinFile("Slider_bar2.png"), SkinFile("Slider_Circle.png"));
    pointer->SetValue(5);
    AddControl(1, std::move(pointer));
    AddControl(2, std::make_unique<CStaticText>(h, 3130, R(670, 444, 740, 464), u"Pointer 6", Rgb(kTextNormal)));
    auto header2 = std::make_unique<CCheckButton>(h, 3007, R(462, 476, 722, 506), u"Second header", true, true, false,
                                                  Qt::AlignLeft);
    header2->SetImages(SkinFile("header2_nr.png"), SkinFile("header2_ov.png"));
    header2->SetTextMargins(Scaled(14), Scaled(30));
    AddControl(1, std::move(header2));
    auto mouse = std::make_unique<CStaticImage>(h, 3400, R(770, 412, 857, 512));
    mouse->SetImage(SkinFile("mouse/serial_number1.png"));
    AddControl(3, std::move(mouse));
    auto note = std::make_unique<CStaticText>(
        h, 3020, R(462, 514, 876, 566),
        u"Hover, click and drag: every control reports to this window. Drag the free background to move it.",
        Rgb(0x8C8C8C), Qt::AlignLeft);
    note->SetWordWrap(true);
    AddControl(3, std::move(note));
}

void GalleryDlg::syncScrollBars() {
    if (auto* tree = FindControlAs<CEditShowList>(2015))
        if (auto* bar = FindControlAs<CVScrollBar>(2021))
            bar->SetScroll(tree->FirstVisibleRow(), tree->VisibleRows(), int(tree->Rows().size()));
    if (auto* list = FindControlAs<CImageShowList>(2020))
        if (auto* bar = FindControlAs<CVScrollBar>(2022))
            bar->SetScroll(list->FirstVisibleRow(), list->VisibleRows(), list->RowCount());
}

void GalleryDlg::scroll(int scrollBarId, WPARAM part) {
    auto* bar = FindControlAs<CVScrollBar>(scrollBarId);
    if (!bar)
        return;
    int position = bar->Position();
    if (part == kScrollLineUp)
        position -= 1;
    else if (part == kScrollLineDown)
        position += 1;
    else if (part == kScrollPageUp)
        position -= bar->Page() - 1;
    else if (part == kScrollPageDown)
        position += bar->Page() - 1;
    position = std::clamp(position, 0, bar->MaxPosition());
    bar->SetScroll(position, bar->Page(), bar->Total());
    followThumb(scrollBarId);
}

void GalleryDlg::followThumb(int scrollBarId) {
    auto* bar = FindControlAs<CVScrollBar>(scrollBarId);
    if (!bar)
        return;
    const int position = bar->Position();
    if (auto* tree = FindControlAs<CEditShowList>(2015); tree && scrollBarId == 2021)
        tree->SetFirstVisibleRow(position);
    if (auto* list = FindControlAs<CImageShowList>(2020); list && scrollBarId == 2022)
        list->SetFirstVisibleRow(position);
}

CWndPopup* GalleryDlg::OpenSelector(int controlId) {
    ClosePopup(0);
    CControlBase* control = FindControl(controlId);
    if (!control || !window())
        return nullptr;
    QPoint corner = window()->mapToGlobal(QPoint(control->rect().left, control->rect().bottom + Scaled(2)));
    int rows = int(std::size(kChoices)) + 1;
    Rect screen{corner.x(), corner.y(), corner.x() + control->rect().width(),
                corner.y() + rows * Scaled(26) + Scaled(3)};
    auto* popup = new GalleryPopup();
    popup->Create(hwnd(), screen, 0, controlId, kChoiceMessage);
    SetPopup(0, popup->hwnd());
    return popup;
}

CDlgBase* GalleryDlg::ShowMessage(bool modeless) {
    const std::u16string text = u"This is the attention dialog: a message, an OK button and a close button.";
    if (!modeless) {
        CAttentionDlg dialog(text, hwnd());
        dialog.DoModal();
        return nullptr;
    }
    modelessMessage_ = std::make_unique<CAttentionDlg>(text, hwnd());
    modelessMessage_->Create();
    modelessMessage_->window()->showCommand(platform::SW_SHOWNOACTIVATE);
    return modelessMessage_.get();
}

LRESULT GalleryDlg::handleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case 2001:
        if (lParam == kCodeClick)
            EndDialog(platform::IDCANCEL);
        return 0;
    case 2002:
        if (lParam == kCodeClick && window())
            window()->showCommand(SW_MINIMIZE);
        return 0;
    case 3331:
        if (lParam == kCodeClick)
            ShowMessage(false);
        return 0;
    case kSelectorMessage:
        if (lParam == kCodeClick)
            OpenSelector(int(wParam));
        return 0;
    case kChoiceMessage: {
        const auto* choice = reinterpret_cast<const PopupChoice*>(lParam);
        if (choice->index >= 0 && choice->index < int(std::size(kChoices)))
            if (CControlBase* selector = FindControl(int(wParam)))
                selector->SetText(kChoices[choice->index]);
        ClosePopup(0);
        return 0;
    }
    case 1029: // the selector's drop-down lost the focus
        ClosePopup(0);
        return 0;
    case 2021:
    case 2022:
        if (lParam == kCodeDown && wParam != kScrollThumb)
            scroll(int(message), wParam);
        else if (lParam == kCodeDragValue)
            followThumb(int(message));
        return 0;
    case 2015:
        if (lParam == kCodeDown || lParam == kCodeDoubleClick || lParam == kCodeClick)
            syncScrollBars();
        InvalidateControl(FindControl(2015));
        return 0;
    case 3200:
    case 2043:
        if (lParam == kCodeDragValue || lParam == kCodeClick) {
            auto* slider = FindControlAs<CSliderControl>(int(message));
            int value = slider ? slider->GetValue() : 0;
            FindControl(message == 3200 ? 3210 : 3130)
                ->SetText(u16(QStringLiteral("%1 %2").arg(message == 3200 ? "Speed" : "Pointer").arg(value + 1)));
        }
        return 0;
    default:
        if (message >= 3280 && message <= 3283 && (lParam == kCodeDragValue || lParam == kCodeDown)) {
            auto* slider = FindControlAs<CVerticalSliderControl>(int(message));
            auto* box = FindControlAs<CDPIValueShowControl>(int(message) + 20);
            if (slider && box) {
                box->SetValue(slider->GetValue(), slider->Stops());
                box->SetText(u16(QString::number((slider->GetValue() + 1) * 50)));
            }
            return 0;
        }
        return CDlgBase::handleMessage(message, wParam, lParam);
    }
}

} // namespace quorvik::gallery

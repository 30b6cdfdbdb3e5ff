#include "Pictures.h"

namespace quorvik::skingen {

std::vector<Skin> skins() {
    std::vector<Skin> list;
    auto add = [&](QString name, int w, int h, Paint paint) {
        bool bmp = name.endsWith(QStringLiteral(".bmp"));
        list.push_back(Skin{std::move(name), w, h, std::move(paint), bmp});
    };
    const char* looks[] = {"nr", "ov", "dn"};
    for (int look = 0; look < 3; ++look) {
        QString s = QString::fromLatin1(looks[look]);
        add("check_" + s + ".png", 160, 20, [look](QPainter& p, double w, double h) { checkBox(p, w, h, look); });
        add("radio_" + s + ".png", 160, 20, [look](QPainter& p, double w, double h) { radio(p, w, h, look); });
        add("check_button_dpi_" + s + ".png", 18, 18,
            [look](QPainter& p, double w, double h) { dpiCheck(p, w, h, look); });
    }
    add("dpi_value_nr.png", 28, 18, [](QPainter& p, double w, double h) { dpiValueButton(p, w, h, false); });
    add("dpi_value_ov.png", 28, 18, [](QPainter& p, double w, double h) { dpiValueButton(p, w, h, true); });
    for (int look = 0; look < 2; ++look) {
        QString s = QString::fromLatin1(looks[look]);
        bool hover = look == 1;
        add("exit_" + s + ".png", 22, 22, [hover](QPainter& p, double w, double h) { exitButton(p, w, h, hover); });
        add("min_" + s + ".png", 22, 22, [hover](QPainter& p, double w, double h) { minButton(p, w, h, hover); });
        add("button2_" + s + ".png", 80, 24, [look](QPainter& p, double w, double h) { textButton(p, w, h, look); });
        add("header_" + s + ".png", 260, 30,
            [hover](QPainter& p, double w, double h) { header(p, w, h, hover, false); });
        add("header2_" + s + ".png", 260, 30,
            [hover](QPainter& p, double w, double h) { header(p, w, h, hover, true); });
        add("combo2_" + s + ".png", 200, 26, [hover](QPainter& p, double w, double h) { combo(p, w, h, hover); });
        add("combo3_" + s + ".png", 150, 24, [hover](QPainter& p, double w, double h) { combo(p, w, h, hover); });
        add("menu_" + s + ".png", 160, 26,
            [hover](QPainter& p, double w, double h) { menuRow(p, w, h, hover, false); });
        add("menusub_" + s + ".png", 160, 26,
            [hover](QPainter& p, double w, double h) { menuRow(p, w, h, hover, true); });
        add("profile_list_" + s + ".png", 24, 24,
            [hover](QPainter& p, double w, double h) { profileListButton(p, w, h, hover); });
    }
    add("button4_nr.png", 120, 26, [](QPainter& p, double w, double h) { textButton(p, w, h, 0); });
    const char* tabLooks[] = {"nr", "ov", "dn", "dn_ov"};
    for (int look = 0; look < 4; ++look)
        add(QStringLiteral("profile_tab_%1.png").arg(QLatin1String(tabLooks[look])), 104, 20,
            [look](QPainter& p, double w, double h) { profileTab(p, w, h, look); });
    const char* arrowLooks[] = {"nr", "ov", "check"};
    for (int look = 0; look < 3; ++look) {
        QString s = QString::fromLatin1(arrowLooks[look]);
        add("up_" + s + ".png", 26, 26, [look](QPainter& p, double w, double h) { arrowButton(p, w, h, true, look); });
        add("down_" + s + ".png", 26, 26,
            [look](QPainter& p, double w, double h) { arrowButton(p, w, h, false, look); });
    }
    for (int rate : {125, 250, 500, 1000}) {
        QString r = QString::number(rate);
        add(r + "hz_nr.png", 60, 26, [r](QPainter& p, double w, double h) { rateButton(p, w, h, r, false); });
        add(r + "hz_dn.png", 60, 26, [r](QPainter& p, double w, double h) { rateButton(p, w, h, r, true); });
    }
    add("color_select_nr.png", 24, 24, [](QPainter& p, double w, double h) { colourFrame(p, w, h, false); });
    add("color_select_check.png", 24, 24, [](QPainter& p, double w, double h) { colourFrame(p, w, h, true); });
    add("foldr_open.png", 16, 16, [](QPainter& p, double w, double h) { folder(p, w, h, true); });
    add("foldr_close.png", 16, 16, [](QPainter& p, double w, double h) { folder(p, w, h, false); });
    add("macro_up.png", 12, 12, [](QPainter& p, double w, double h) { macroArrow(p, w, h, true); });
    add("macro_down.png", 12, 12, [](QPainter& p, double w, double h) { macroArrow(p, w, h, false); });
    add("macro_time.png", 12, 12, [](QPainter& p, double w, double h) { clock(p, w, h); });
    add("macro_record_nr.png", 90, 26, [](QPainter& p, double w, double h) { recordButton(p, w, h, false); });
    add("macro_record_dn.png", 90, 26, [](QPainter& p, double w, double h) { recordButton(p, w, h, true); });
    add("Slider_bar.png", 200, 8, [](QPainter& p, double w, double h) { sliderBar(p, w, h, false); });
    add("Slider_bar2.png", 200, 8, [](QPainter& p, double w, double h) { sliderBar(p, w, h, true); });
    add("Slider_Circle.png", 16, 16, [](QPainter& p, double w, double h) { sliderKnob(p, w, h); });
    const QColor green(0x4C, 0xC2, 0x5E), orange(0xF0, 0x9A, 0x3E), red(0xE5, 0x48, 0x48);
    add("battery_full.png", 40, 18, [green](QPainter& p, double w, double h) {
        batteryOutline(p, w, h, QColor(0x8C, 0x92, 0x9A));
        batteryFill(p, w, h, green);
    });
    add("battery_empty.png", 40, 18,
        [](QPainter& p, double w, double h) { batteryOutline(p, w, h, QColor(0x8C, 0x92, 0x9A)); });
    add("battery_charging.png", 40, 18, [](QPainter& p, double w, double h) { batteryOutline(p, w, h, kAccent); });
    add("battery_lighting.png", 40, 18, [](QPainter& p, double w, double h) { bolt(p, w, h); });
    add("battery_green.png", 40, 18, [green](QPainter& p, double w, double h) { batteryFill(p, w, h, green); });
    add("battery_orange.png", 40, 18, [orange](QPainter& p, double w, double h) { batteryFill(p, w, h, orange); });
    add("battery_red.png", 40, 18, [red](QPainter& p, double w, double h) { batteryFill(p, w, h, red); });
    for (int minutes = 3; minutes <= 10; ++minutes)
        add(QStringLiteral("power_manage_%1min.png").arg(minutes), 120, 120,
            [minutes](QPainter& p, double w, double h) { powerDial(p, w, h, minutes); });
    for (int n = 1; n <= 9; ++n)
        add(QStringLiteral("mouse/serial_number%1.png").arg(n), 260, 300,
            [n](QPainter& p, double w, double h) { mousePicture(p, w, h, n); });
    // Shared by the message box and the small editing dialogs, which draw their own titles.
    add("Frame_warning.bmp", 319, 102, [](QPainter& p, double w, double h) { framePanel(p, w, h, false); });
    add("Frame_common.bmp", 429, 140, [](QPainter& p, double w, double h) { framePanel(p, w, h, true); });
    add("Frame_progress_nr.bmp", 429, 140, [](QPainter& p, double w, double h) { progressFrame(p, w, h, false); });
    add("Frame_progress_ov.bmp", 429, 140, [](QPainter& p, double w, double h) { progressFrame(p, w, h, true); });
    add("Frame_Lighting_Setting.bmp", 230, 82, [](QPainter& p, double w, double h) {
        QRectF r(0, 0, w, h);
        p.fillRect(r, QColor(0x17, 0x19, 0x1D));
        p.setPen(QPen(kBorder, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    });
    add("Frame_Macro_Manager.bmp", 528, 365, [](QPainter& p, double w, double h) { framePanel(p, w, h, true); });
    return list;
}

std::vector<Skin> builtins() {
    return {
        {"364.png", 1127, 740, mainBackground, true},
        {"287.png", 500, 291, colourPicture, true},
        {"128.png", 256, 256, appIcon, false},
        {"151.png", 200, 300, popupBackground, true},
    };
}

} // namespace quorvik::skingen

// Every picture the generator draws, by kind: the frames, buttons and small icons of the controls,
// the sliders, battery, dial and mouse, and the pictures built into the program. Each paints w × h
// units; the list in SkinList.cpp says which file each becomes.
#pragma once

#include "Paint.h"

#include <QByteArray>

#include <vector>

namespace quorvik::skingen {

// Frames and buttons (Controls.cpp).
void framePanel(QPainter& p, double w, double h, bool titleBar);
void progressFrame(QPainter& p, double w, double h, bool filled);
void textButton(QPainter& p, double w, double h, int look);
void exitButton(QPainter& p, double w, double h, bool hover);
void minButton(QPainter& p, double w, double h, bool hover);
void checkBox(QPainter& p, double w, double h, int look);
void radio(QPainter& p, double w, double h, int look);
void dpiCheck(QPainter& p, double w, double h, int look);
void dpiValueButton(QPainter& p, double w, double h, bool hover);
void header(QPainter& p, double w, double h, bool hover, bool second);
void combo(QPainter& p, double w, double h, bool hover);
void profileTab(QPainter& p, double w, double h, int look);
void profileListButton(QPainter& p, double w, double h, bool hover);
void menuRow(QPainter& p, double w, double h, bool hover, bool sub);
void rateButton(QPainter& p, double w, double h, const QString& rate, bool checked);
void arrowButton(QPainter& p, double w, double h, bool up, int look);
void colourFrame(QPainter& p, double w, double h, bool checked);

// Small icons (Controls.cpp).
void folder(QPainter& p, double w, double h, bool open);
void macroArrow(QPainter& p, double w, double h, bool up);
void clock(QPainter& p, double w, double h);
void recordButton(QPainter& p, double w, double h, bool on);

// Sliders, battery, dial and mouse (Devices.cpp).
void sliderBar(QPainter& p, double w, double h, bool ticks);
void sliderKnob(QPainter& p, double w, double h);
void batteryOutline(QPainter& p, double w, double h, const QColor& line);
void batteryFill(QPainter& p, double w, double h, const QColor& c);
void bolt(QPainter& p, double w, double h);
void powerDial(QPainter& p, double w, double h, int minutes);
void mousePicture(QPainter& p, double w, double h, int n);

// Built into the program (Builtins.cpp).
void mainBackground(QPainter& p, double w, double h);
void colourPicture(QPainter& p, double w, double h);
void appIcon(QPainter& p, double w, double h);
// The icon as SVG, the same shapes as appIcon, for the icon theme's scalable folder.
QByteArray appIconSvg(double size);
void popupBackground(QPainter& p, double w, double h);

// The lists (SkinList.cpp): the files under skins/, and the pictures built into the program.
std::vector<Skin> skins();
std::vector<Skin> builtins();

} // namespace quorvik::skingen

// The baseline of the start-up benchmark: a bare Qt Widgets program that shows one frameless
// 1127 × 740 window, as the main window is, with one line of text in the program's interface font
// (so that both pay for the fonts), and ends after its first paint. With
// --print-startup-ms it prints the same figure as `quorvik --print-startup-ms`.
//
// The baseline of the idle benchmark: with --idle-tick MS it hides the window after its first
// paint and keeps running with one precise Qt timer of MS milliseconds that does nothing, what a
// hidden program that keeps one periodic timer costs at the least (the program keeps its 100 ms
// keep-hidden timer while hidden).
//
// Usage: bench_bare_window [--print-startup-ms | --idle-tick MS]
#include "app/StartupClock.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class BareWindow : public QWidget {
public:
    BareWindow(bool print, bool idle)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), print_(print), idle_(idle) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x1B, 0x1E, 0x24));
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(16);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(40, 40), QStringLiteral("Gaming Mouse"));
        if (painted_)
            return;
        painted_ = true;
        if (print_) {
            std::printf("first-paint-ms %.1f\n", quorvik::app::MillisecondsSinceProcessStart());
            std::fflush(stdout);
        }
        if (idle_)
            QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }

private:
    bool print_;
    bool idle_;
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const bool print = argc > 1 && std::strcmp(argv[1], "--print-startup-ms") == 0;
    const int tickMs = argc > 2 && std::strcmp(argv[1], "--idle-tick") == 0 ? std::atoi(argv[2]) : 0;
    // As the program does: no scaling by Qt itself.
    ::setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication app(argc, argv);
    BareWindow window(print, tickMs > 0);
    window.resize(1127, 740);
    window.show();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    if (tickMs > 0)
        tick.start(tickMs);
    return app.exec();
}

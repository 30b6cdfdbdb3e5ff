// The baseline of the start-up benchmark: a bare Qt Widgets program that shows one frameless
// 1127 × 740 window, as the main window is, and ends after its first paint. With
// --print-startup-ms it prints the same figure as `quorvik --print-startup-ms`.
//
// Usage: bench_bare_window [--print-startup-ms]
#include "app/StartupClock.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class BareWindow : public QWidget {
public:
    explicit BareWindow(bool print) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), print_(print) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x1B, 0x1E, 0x24));
        if (painted_)
            return;
        painted_ = true;
        if (print_) {
            std::printf("first-paint-ms %.1f\n", quorvik::app::MillisecondsSinceProcessStart());
            std::fflush(stdout);
        }
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }

private:
    bool print_;
    bool painted_ = false;
};

} // namespace

int main(int argc, char** argv) {
    const bool print = argc > 1 && std::strcmp(argv[1], "--print-startup-ms") == 0;
    // As the program does: no scaling by Qt itself.
    ::setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    QApplication app(argc, argv);
    BareWindow window(print);
    window.resize(1127, 740);
    window.show();
    return app.exec();
}

// The toolkit gallery: one dialog with one of each skinned control, a drop-down and the
// attention dialog, for people to look at and click under a real display.
//
//   gallery                      opens the gallery
//   gallery --render out.png     draws it off screen with an open drop-down and a message box
//                                into a picture; exits 1 when a skin picture is missing
//   --scale 1.5                  display scale factor (1.0, 1.5 or 2.0)
#include "GalleryDlg.h"

#include "model/LanguageTable.h"
#include "platform/Messages.h"
#include "platform/ProcessGlobals.h"
#include "platform/RealClockLoop.h"
#include "platform/qt/QtLoopDriver.h"
#include "platform/qt/UiLoop.h"
#include "ui/skin/SkinSupport.h"

#include <QApplication>
#include <QPainter>

#include <cstdio>
#include <cstring>

using namespace quorvik;

namespace {

// The gallery window with its open drop-down and message box, as a person would see them.
QImage composeScreen(gallery::GalleryDlg& dialog) {
    dialog.window()->showCommand(platform::SW_SHOW);
    ui::CWndPopup* popup = dialog.OpenSelector(2013);
    ui::CDlgBase* message = dialog.ShowMessage(true);
    QCoreApplication::processEvents();

    QRect frame = dialog.window()->geometry();
    QImage shot(frame.size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    QPainter p(&shot);
    p.drawPixmap(0, 0, dialog.window()->grab());
    if (popup && popup->window())
        p.drawPixmap(popup->window()->geometry().topLeft() - frame.topLeft(), popup->window()->grab());
    if (message && message->window())
        p.drawPixmap(message->window()->geometry().topLeft() - frame.topLeft(), message->window()->grab());
    p.end();
    return shot;
}

} // namespace

int main(int argc, char** argv) {
    const char* renderPath = nullptr;
    double scale = 0.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--render") == 0 && i + 1 < argc) {
            renderPath = argv[++i];
        } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            scale = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: gallery [--render out.png] [--scale 1.0|1.5|2.0]\n");
            return 2;
        }
    }
    if (renderPath && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Our own display scale sizes the windows; Qt must not scale them a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);

    const std::string folder = QCoreApplication::applicationDirPath().toStdString();
    platform::SetProgramFolder(folder);
    platform::SetDataFolder(folder); // the delivered language files are in config/ beside it
    platform::SetDisplayScaleFactor(scale > 0 ? scale : 1.0);
    model::LoadLanguageTables();

    platform::RealClockLoop loop;
    platform::SetUiLoop(&loop);
    platform::QtLoopDriver driver(loop);

    gallery::GalleryDlg dialog;
    if (!renderPath) {
        dialog.DoModal();
        return 0;
    }

    dialog.Create();
    QImage shot = composeScreen(dialog);
    if (!shot.save(QString::fromLocal8Bit(renderPath))) {
        std::fprintf(stderr, "gallery: cannot write %s\n", renderPath);
        return 1;
    }
    const auto& missing = ui::MissingSkinImages();
    for (const auto& path : missing)
        std::fprintf(stderr, "gallery: missing skin picture %s\n", path.c_str());
    return missing.empty() ? 0 : 1;
}

// Draws every skin picture the program loads by name, and the pictures built into the program,
// with QPainter: one dark look with the accent #35A0DE.
//
// Usage: skingen <skins folder> <built-in folder> [<icon theme folder>]
// Each skin is written at its size in units and, as "<name>@2x.<ext>", at twice that size, which
// the program picks on scaled displays; then all of them, decoded, into the skins folder's picture
// cache. Built-in pictures go to the second folder together with
// the Qt resource file that lists them. The icon theme folder, when given, receives the program's
// icon for the desktop as <n>x<n>/apps/quorvik.png and scalable/apps/quorvik.svg (the hicolor
// theme's layout).
#include "PictureCacheWriter.h"
#include "Pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

using namespace quorvik::skingen;

QImage render(const Skin& skin, double factor) {
    QImage image(int(skin.width * factor + 0.5), int(skin.height * factor + 0.5),
                 skin.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(skin.opaque ? QColor(0x0F, 0x0F, 0x0F) : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(factor, factor);
    skin.paint(p, skin.width, skin.height);
    p.end();
    return image;
}

bool save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    const char* format = path.endsWith(QStringLiteral(".bmp")) ? "BMP" : "PNG";
    if (!image.save(path, format)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// The sizes desktops look up in the hicolor theme; each is drawn at its size, not scaled down.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool writeIconTheme(const QString& folder) {
    bool ok = true;
    const Skin icon{QStringLiteral("quorvik.png"), 0, 0, appIcon, false};
    for (int size : kIconSizes) {
        Skin sized = icon;
        sized.width = sized.height = size;
        ok &= save(render(sized, 1.0), QStringLiteral("%1/%2x%2/apps/quorvik.png").arg(folder).arg(size));
    }
    const QString svgPath = folder + QStringLiteral("/scalable/apps/quorvik.svg");
    QDir().mkpath(QFileInfo(svgPath).path());
    QFile svg(svgPath);
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(appIconSvg(256)) < 0 || !svg.flush()) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(svgPath));
        return false;
    }
    return ok;
}

QString twinName(const QString& name) {
    int dot = name.lastIndexOf('.');
    return name.left(dot) + QStringLiteral("@2x") + name.mid(dot);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: skingen <skins folder> <built-in folder> [<icon theme folder>]\n");
        return 2;
    }
    const QString skinDir = QString::fromLocal8Bit(argv[1]);
    const QString builtinDir = QString::fromLocal8Bit(argv[2]);
    bool ok = true;
    int count = 0;
    for (const Skin& skin : skins()) {
        ok &= save(render(skin, 1.0), skinDir + "/" + skin.name);
        ok &= save(render(skin, 2.0), skinDir + "/" + twinName(skin.name));
        ++count;
    }
    QFile qrc(builtinDir + "/builtin_images.qrc");
    QDir().mkpath(builtinDir);
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(qrc.fileName()));
        return 1;
    }
    QTextStream out(&qrc);
    out << "<RCC>\n  <qresource prefix=\"/quorvik/builtin\">\n";
    for (const Skin& skin : builtins()) {
        ok &= save(render(skin, 1.0), builtinDir + "/" + skin.name);
        out << "    <file>" << skin.name << "</file>\n";
        if (skin.name != QStringLiteral("128.png")) { // the icon is drawn large already
            ok &= save(render(skin, 2.0), builtinDir + "/" + twinName(skin.name));
            out << "    <file>" << twinName(skin.name) << "</file>\n";
        }
    }
    out << "  </qresource>\n</RCC>\n";
    qrc.close();
    if (argc == 4)
        ok &= writeIconTheme(QString::fromLocal8Bit(argv[3]));
    // The skins decoded once, for the program's start.
    if (!ok || !writePictureCache(skinDir, builtinDir, QStringLiteral(":/quorvik/builtin/")))
        return 1;
    // The stamp tells the build the set is complete.
    QFile stamp(skinDir + "/.generated");
    if (!stamp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    stamp.write(QByteArray::number(count) + " skins\n");
    return 0;
}

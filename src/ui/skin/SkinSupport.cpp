#include "ui/skin/SkinSupport.h"

#include "model/LanguageTable.h"
#include "platform/ProcessGlobals.h"
#include "ui/skin/PictureCache.h"
#include "ui/skin/PictureCacheFormat.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QHash>
#include <QImageReader>
#include <QPixmap>
#include <QSet>

#include <algorithm>
#include <utility>

static void initBuiltinImages() {
    Q_INIT_RESOURCE(builtin_images);
}

namespace quorvik::ui {

namespace {
// Beyond these a picture is no skin of ours: the generator's largest, the main window's
// double-size background, is 2254 × 1480 pixels and well under 1 MiB.
constexpr qint64 kMaxSkinFileBytes = 32 * 1024 * 1024;
constexpr int kMaxSkinSide = 8192;

std::vector<std::string>& missing() {
    static std::vector<std::string> paths;
    return paths;
}
std::vector<SkinProblem>& problems() {
    static std::vector<SkinProblem> found;
    return found;
}

// What keeps the picture at `path` from loading, in words for the person who installed it.
std::string whatIsWrong(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        return "missing";
    if (!info.isFile())
        return "not a regular file";
    if (info.size() == 0)
        return "empty";
    if (info.size() > kMaxSkinFileBytes)
        return "larger than " + std::to_string(kMaxSkinFileBytes / (1024 * 1024)) + " MiB";
    QImageReader reader(file);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxSkinSide || size.height() > kMaxSkinSide))
        return "too large (" + std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels)";
    if (!reader.canRead())
        return "not a picture (" + reader.errorString().toStdString() + ")";
    return "cannot be read as a picture (truncated or damaged)";
}

SkinProblemObserver& problemObserver() {
    static SkinProblemObserver observer;
    return observer;
}

void noteBroken(const std::string& path, std::string what) {
    auto& paths = missing();
    if (std::find(paths.begin(), paths.end(), path) != paths.end())
        return;
    paths.push_back(path);
    problems().push_back({path, std::move(what)});
    if (problemObserver())
        problemObserver()(problems().back());
}
void noteMissing(const std::string& path) {
    noteBroken(path, whatIsWrong(QString::fromStdString(path)));
}

// Mean colours of the pictures taken from the cache, which has them worked out, by image.
QHash<qint64, QRgb>& cachedMeans() {
    static QHash<qint64, QRgb> means;
    return means;
}

// Decoded pictures by file, shared by the controls that show them (a QImage shares its pixels
// when copied): the main window alone uses many pictures several times (twelve selectors, eight
// DPI levels), and each is decoded and held once. A picture that only this table still holds
// is let go at the next decode. The skins do not change while the program runs. The picture
// cache has most of them decoded already.
QHash<QString, QImage>& decodedTable() {
    static QHash<QString, QImage> table;
    return table;
}
// A picture that did not decode is not tried again by every control that shows it.
QSet<QString>& failedTable() {
    static QSet<QString> failed;
    return failed;
}

QImage decodeShared(const QString& file) {
    auto& table = decodedTable();
    auto& failed = failedTable();
    if (auto it = table.constFind(file); it != table.constEnd())
        return it.value();
    if (failed.contains(file))
        return {};
    QRgb mean = 0;
    QImage image = CachedPicture(file, &mean);
    if (!image.isNull())
        cachedMeans().insert(image.cacheKey(), mean);
    else
        image = QImage(file);
    if (image.isNull()) {
        failed.insert(file);
        return image;
    }
    table.removeIf([](const QHash<QString, QImage>::iterator& entry) { return entry.value().isDetached(); });
    table.insert(file, image);
    return image;
}
} // namespace

const std::vector<std::string>& MissingSkinImages() {
    return missing();
}
const std::vector<SkinProblem>& SkinImageProblems() {
    return problems();
}
SkinProblemObserver SetSkinProblemObserver(SkinProblemObserver observer) {
    return std::exchange(problemObserver(), std::move(observer));
}

void ForgetDecodedPictures() {
    decodedTable().clear();
    failedTable().clear();
}

void ClearMissingSkinImages() {
    missing().clear();
    problems().clear();
}

int Scaled(double units) {
    return static_cast<int>(units * platform::DisplayScaleFactor());
}

Rect ScaledRect(double left, double top, double right, double bottom) {
    return Rect{Scaled(left), Scaled(top), Scaled(right), Scaled(bottom)};
}

std::string SkinFile(std::string_view name) {
    std::string path = platform::ProgramFolder();
    path += "skins/";
    path += name;
    return path;
}

bool SkinImage::load(const std::string& path) {
    clear();
    QString file = QString::fromStdString(path);
    if (platform::DisplayScaleFactor() > 1.0) {
        QFileInfo info(file);
        const QString twin = info.path() + "/" + info.completeBaseName() + "@2x." + info.suffix();
        if (takeTwin(decodeShared(twin)))
            return true;
        // Most pictures have no twin; one that is there but does not load is broken.
        if (QFileInfo::exists(twin))
            noteMissing(twin.toStdString());
    }
    QImage plain = decodeShared(file);
    if (plain.isNull()) {
        noteMissing(path);
        return false;
    }
    setImage(std::move(plain));
    return true;
}

bool SkinImage::loadBuiltin(int resourceId) {
    clear();
    if (platform::DisplayScaleFactor() > 1.0 && takeTwin(BuiltinImage(resourceId, true)))
        return true;
    setImage(BuiltinImage(resourceId));
    return !image_.isNull();
}

bool SkinImage::takeTwin(QImage big) {
    if (big.isNull())
        return false;
    image_ = std::move(big);
    ratio_ = 2.0;
    width_ = image_.width() / 2;
    height_ = image_.height() / 2;
    return true;
}

void SkinImage::setImage(QImage image) {
    image_ = std::move(image);
    ratio_ = 1.0;
    width_ = image_.width();
    height_ = image_.height();
}

bool SkinFilePresent(const std::string& path) {
    // Its header only: the picture itself is decoded when first shown.
    const QString file = QString::fromStdString(path);
    if (!CachedPicture(file).isNull())
        return true;
    const QFileInfo info(file);
    QImageReader reader(file);
    const QSize size = info.isFile() && info.size() > 0 && info.size() <= kMaxSkinFileBytes ? reader.size() : QSize();
    if (size.isValid() && size.width() <= kMaxSkinSide && size.height() <= kMaxSkinSide)
        return true;
    noteMissing(path);
    return false;
}

void SkinImage::clear() {
    image_ = QImage();
    width_ = height_ = 0;
    ratio_ = 1.0;
}

void SkinImage::draw(QPainter& p, const QRect& target) const {
    if (!image_.isNull())
        p.drawImage(QRectF(target), image_, QRectF(image_.rect()));
}

void SkinImage::draw(QPainter& p, const QRect& target, const QRectF& source) const {
    if (image_.isNull())
        return;
    QRectF src(source.x() * ratio_, source.y() * ratio_, source.width() * ratio_, source.height() * ratio_);
    p.drawImage(QRectF(target), image_, src);
}

QImage BuiltinImage(int resourceId, bool doubleSize) {
    static bool initialised = false;
    if (!initialised) {
        initBuiltinImages();
        initialised = true;
    }
    return decodeShared(QStringLiteral(":/quorvik/builtin/%1%2.png").arg(resourceId).arg(doubleSize ? "@2x" : ""));
}

const QIcon& WindowIcon() {
    // The sizes title bars, task bars and trays draw. Every window hands each of its sizes to the
    // display: the 256-pixel picture alone would be a quarter of a megabyte on every window's
    // creation (the installed icon theme has the large sizes for launchers).
    static const QIcon icon = [] {
        const QImage picture = BuiltinImage(128);
        if (picture.isNull())
            return QIcon();
        QIcon sized;
        const QImage largest = picture.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (const int side : {16, 24, 32, 48})
            sized.addPixmap(
                QPixmap::fromImage(largest.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        sized.addPixmap(QPixmap::fromImage(largest));
        // The 256-pixel picture is not drawn again: its quarter of a megabyte goes.
        ReleaseCachedPicture(QStringLiteral(":/quorvik/builtin/128.png"));
        return sized;
    }();
    return icon;
}

QFont ControlFont(int height, const std::u16string& face) {
    const std::u16string& name = face.empty() ? model::FontFace() : face;
    int cell = height > 0 ? height : model::FontHeight();
    QFont font(QString::fromStdU16String(name));
    font.setStyleHint(QFont::SansSerif); // family swiss
    font.setWeight(QFont::Normal);
    // A positive height is the cell height; the glyphs take about 13/16 of it.
    font.setPixelSize(std::max(1, cell * 13 / 16));
    return font;
}

QColor MeanColor(const QImage& image) {
    if (image.isNull())
        return QColor();
    if (auto it = cachedMeans().constFind(image.cacheKey()); it != cachedMeans().constEnd())
        return QColor(it.value());
    return QColor(picture_cache::MeanRgb(image));
}

void DrawSingleLine(QPainter& p, const QRect& box, const QString& text, const QColor& colour, const QFont& font,
                    Qt::Alignment align) {
    if (text.isEmpty() || box.width() <= 0)
        return;
    p.save();
    p.setFont(font);
    p.setPen(colour);
    QFontMetrics metrics(font);
    QString shown = metrics.elidedText(text, Qt::ElideRight, box.width());
    p.drawText(box, int(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    p.restore();
}

} // namespace quorvik::ui

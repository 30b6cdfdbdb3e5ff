// The picture cache beside the skins: every picture under the skins folder and every one built into
// the program, decoded as the program decodes them, in the layout of PictureCacheFormat.h.
#include "PictureCacheWriter.h"

#include "ui/skin/PictureCacheFormat.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace quorvik::skingen {

namespace pc = ui::picture_cache;

namespace {
struct Picture {
    QByteArray name; // under the skins folder
    QImage image;    // in its cached layout
    QRgb mean = 0;
    std::uint64_t stamp = 0;
    std::uint64_t fileBytes = 0;
    std::uint64_t offset = 0;
};

std::uint64_t aligned(std::uint64_t n) {
    return (n + pc::kPixelAlignment - 1) / pc::kPixelAlignment * pc::kPixelAlignment;
}

// The picture at `path` decoded and described, named `name` in the cache; false when it cannot be.
bool describe(const QString& path, const QByteArray& name, bool builtin, Picture& picture) {
    picture.name = name;
    const QImage decoded(path);
    struct stat st {};
    if (decoded.isNull() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        std::size_t(name.size()) >= pc::kNameBytes) {
        std::fprintf(stderr, "skingen: cannot cache %s\n", qPrintable(path));
        return false;
    }
    picture.mean = pc::MeanRgb(decoded);
    picture.image = decoded.convertToFormat(pc::CachedFormat(decoded));
    picture.fileBytes = std::uint64_t(st.st_size);
    if (builtin) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        picture.stamp = pc::ContentHash(bytes.constData(), std::size_t(bytes.size()));
    } else {
        picture.stamp = pc::ModificationStamp(st);
    }
    return true;
}
} // namespace

bool writePictureCache(const QString& skinDir, const QString& builtinDir, const QString& builtinPrefix) {
    const QDir root(skinDir);
    std::vector<Picture> pictures;
    QDirIterator it(skinDir, {QStringLiteral("*.png"), QStringLiteral("*.bmp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        pictures.emplace_back();
        if (!describe(path, root.relativeFilePath(path).toUtf8(), false, pictures.back()))
            return false;
    }
    for (const QFileInfo& info : QDir(builtinDir).entryInfoList({QStringLiteral("*.png")}, QDir::Files)) {
        pictures.emplace_back();
        if (!describe(info.filePath(), (builtinPrefix + info.fileName()).toUtf8(), true, pictures.back()))
            return false;
    }
    // The pictures of one scale together: a start at scale 1 maps in (with the pages the system reads
    // around each one it touches) none of the double-size pictures.
    auto twin = [](const Picture& p) { return p.name.contains("@2x."); };
    std::sort(pictures.begin(), pictures.end(),
              [&](const Picture& a, const Picture& b) { return twin(a) != twin(b) ? twin(b) : a.name < b.name; });

    std::uint64_t end = aligned(pc::kHeaderBytes + pictures.size() * pc::kEntryBytes);
    for (Picture& picture : pictures) {
        picture.offset = end;
        end = aligned(end + std::uint64_t(picture.image.sizeInBytes()));
    }
    QByteArray file(qsizetype(end), '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(file.data());
    std::copy(std::begin(pc::kMagic), std::end(pc::kMagic), bytes + pc::kHeaderMagic);
    pc::Put32(bytes + pc::kHeaderVersion, pc::kVersion);
    pc::Put32(bytes + pc::kHeaderCount, std::uint32_t(pictures.size()));
    pc::Put32(bytes + pc::kHeaderEntryBytes, std::uint32_t(pc::kEntryBytes));
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const Picture& picture = pictures[i];
        unsigned char* entry = bytes + pc::kHeaderBytes + i * pc::kEntryBytes;
        std::copy(picture.name.begin(), picture.name.end(), entry + pc::kEntryName);
        pc::Put32(entry + pc::kEntryWidth, std::uint32_t(picture.image.width()));
        pc::Put32(entry + pc::kEntryHeight, std::uint32_t(picture.image.height()));
        pc::Put32(entry + pc::kEntryBytesPerLine, std::uint32_t(picture.image.bytesPerLine()));
        pc::Put32(entry + pc::kEntryFormat, std::uint32_t(picture.image.format()));
        pc::Put64(entry + pc::kEntryOffset, picture.offset);
        pc::Put64(entry + pc::kEntryStamp, picture.stamp);
        pc::Put64(entry + pc::kEntryFileBytes, picture.fileBytes);
        pc::Put32(entry + pc::kEntryMean, picture.mean | 0xFF000000u);
        std::copy_n(picture.image.constBits(), picture.image.sizeInBytes(), bytes + picture.offset);
    }
    // Replaced whole: a program that has the old cache mapped keeps reading the old file.
    QSaveFile out(root.filePath(QString::fromLatin1(pc::kFileName)));
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit()) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(out.fileName()));
        return false;
    }
    return true;
}

} // namespace quorvik::skingen

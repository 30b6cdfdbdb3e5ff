#include "ui/skin/PictureCache.h"

#include "platform/ProcessGlobals.h"
#include "ui/skin/PictureCacheFormat.h"

#include <QFile>
#include <QHash>
#include <QResource>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quorvik::ui {

namespace pc = picture_cache;

namespace {

struct Entry {
    std::uint64_t offset = 0;
    const uchar* pixels = nullptr; // mapped when first asked for
    int width = 0;
    int height = 0;
    qsizetype bytesPerLine = 0;
    QImage::Format format = QImage::Format_Invalid;
    std::uint64_t stamp = 0;
    std::uint64_t fileBytes = 0;
    QRgb mean = 0;
};

// One cache file: its index, read once, and the file kept open. Each picture is mapped on its own
// when first asked for, and never unmapped: images made from it may live to the end.
struct Mapping {
    QHash<QString, Entry> entries;
    std::uint64_t fileMtimeNs = 0;
    int fd = -1;
};

// Reads the index of the cache at `path`; entries that do not fit the file are left out, and a
// file that is not a cache of this layout gives none. The file stays open for the pictures' maps.
std::unique_ptr<Mapping> mapCache(const std::string& path) {
    auto mapping = std::make_unique<Mapping>();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return mapping;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || std::uint64_t(st.st_size) < pc::kHeaderBytes) {
        ::close(fd);
        return mapping;
    }
    const std::uint64_t size = std::uint64_t(st.st_size);
    unsigned char header[pc::kHeaderBytes];
    const std::uint64_t count =
        ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header) ? pc::Get32(header + pc::kHeaderCount) : 0;
    if (count == 0 || std::memcmp(header + pc::kHeaderMagic, pc::kMagic, sizeof pc::kMagic) != 0 ||
        pc::Get32(header + pc::kHeaderVersion) != pc::kVersion ||
        pc::Get32(header + pc::kHeaderEntryBytes) != pc::kEntryBytes ||
        pc::kHeaderBytes + count * pc::kEntryBytes > size) {
        ::close(fd);
        return mapping;
    }
    std::vector<unsigned char> index(std::size_t(count * pc::kEntryBytes));
    if (::pread(fd, index.data(), index.size(), pc::kHeaderBytes) != ssize_t(index.size())) {
        ::close(fd);
        return mapping;
    }
    mapping->fd = fd;
    mapping->fileMtimeNs = pc::ModificationStamp(st);
    mapping->entries.reserve(qsizetype(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const unsigned char* e = index.data() + i * pc::kEntryBytes;
        const char* name = reinterpret_cast<const char*>(e + pc::kEntryName);
        const std::size_t nameLength = ::strnlen(name, pc::kNameBytes);
        const std::uint32_t width = pc::Get32(e + pc::kEntryWidth);
        const std::uint32_t height = pc::Get32(e + pc::kEntryHeight);
        const std::uint32_t perLine = pc::Get32(e + pc::kEntryBytesPerLine);
        const std::uint32_t format = pc::Get32(e + pc::kEntryFormat);
        const std::uint64_t offset = pc::Get64(e + pc::kEntryOffset);
        const bool known = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied;
        if (nameLength == 0 || nameLength == pc::kNameBytes || !known || width == 0 || height == 0 ||
            width > pc::kMaxSide || height > pc::kMaxSide || perLine < 4 * width || perLine % 4 != 0 ||
            offset % pc::kPixelAlignment != 0 || offset > size || std::uint64_t(perLine) * height > size - offset)
            continue;
        Entry entry;
        entry.offset = offset;
        entry.width = int(width);
        entry.height = int(height);
        entry.bytesPerLine = qsizetype(perLine);
        entry.format = QImage::Format(format);
        entry.stamp = pc::Get64(e + pc::kEntryStamp);
        entry.fileBytes = pc::Get64(e + pc::kEntryFileBytes);
        entry.mean = pc::Get32(e + pc::kEntryMean);
        mapping->entries.insert(QString::fromUtf8(name, qsizetype(nameLength)), entry);
    }
    return mapping;
}

// The picture's pixels, mapped now if they are not yet; null when the mapping fails.
const uchar* pixelsOf(Entry& entry, const Mapping& mapping) {
    if (!entry.pixels) {
        const std::size_t length = std::size_t(entry.bytesPerLine) * std::size_t(entry.height);
        void* at = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, mapping.fd, off_t(entry.offset));
        if (at != MAP_FAILED)
            entry.pixels = static_cast<const uchar*>(at);
    }
    return entry.pixels;
}

// The cache of the current program folder (tests change it between runs).
Mapping& currentMapping() {
    static std::map<std::string, std::unique_ptr<Mapping>> mappings;
    const std::string path = platform::ProgramFolder() + "skins/" + pc::kFileName;
    auto& slot = mappings[path];
    if (!slot)
        slot = mapCache(path);
    return *slot;
}

bool g_use = true;

// Whether the entry still describes `file`: a built-in picture's bytes hash the same; a skin file
// is there, as large as it was, and not changed since (its time as recorded, or not newer than the
// cache: a copy that did not keep the times).
bool stillFresh(const QString& file, const Entry& entry, const Mapping& mapping) {
    if (file.startsWith(u':')) {
        const QResource resource(file);
        if (!resource.isValid())
            return false;
        const QByteArray bytes = resource.uncompressedData();
        return std::uint64_t(bytes.size()) == entry.fileBytes &&
               pc::ContentHash(bytes.constData(), std::size_t(bytes.size())) == entry.stamp;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        std::uint64_t(st.st_size) != entry.fileBytes)
        return false;
    const std::uint64_t changed = pc::ModificationStamp(st);
    return changed == entry.stamp || changed <= mapping.fileMtimeNs;
}

// The cache's name for `file`: a built-in picture's resource name, or the path under skins/;
// empty for a file outside the skins.
QString cacheKey(const QString& file) {
    if (file.startsWith(u':'))
        return file;
    const QString skins = QString::fromStdString(platform::ProgramFolder() + "skins/");
    return file.startsWith(skins) ? file.mid(skins.size()) : QString();
}

} // namespace

QImage CachedPicture(const QString& file, QRgb* mean) {
    if (!g_use)
        return {};
    const QString key = cacheKey(file);
    if (key.isEmpty())
        return {};
    Mapping& mapping = currentMapping();
    const auto it = mapping.entries.find(key);
    if (it == mapping.entries.end() || !stillFresh(file, it.value(), mapping))
        return {};
    Entry& entry = it.value();
    const uchar* pixels = pixelsOf(entry, mapping);
    if (!pixels)
        return {};
    if (mean)
        *mean = entry.mean;
    return QImage(pixels, entry.width, entry.height, entry.bytesPerLine, entry.format);
}

void ReleaseCachedPicture(const QString& file) {
    const QString key = cacheKey(file);
    if (key.isEmpty())
        return;
    Mapping& mapping = currentMapping();
    const auto it = mapping.entries.find(key);
    if (it == mapping.entries.end() || !it->pixels)
        return;
    // A read-only mapping of the file: nothing of ours is lost, the pages come back on a read.
    const std::size_t length = std::size_t(it->bytesPerLine) * std::size_t(it->height);
    ::madvise(const_cast<uchar*>(it->pixels), length, MADV_DONTNEED);
}

bool UsePictureCache(bool use) {
    return std::exchange(g_use, use);
}

} // namespace quorvik::ui

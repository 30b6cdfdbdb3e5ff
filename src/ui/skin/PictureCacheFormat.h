// The skins' picture cache: every picture under skins/ decoded once, when the skins are drawn,
// into one file the program maps read-only at start, so that no start pays for PNG decoding. The
// skin generator writes it; the program reads it. All numbers are little-endian.
//
//   header (kHeaderBytes)       0 magic "QVPICS01"   8 u32 version   12 u32 entry count
//                              16 u32 entry size    20..31 zero
//   entries (kEntryBytes each)  0 name: the path under skins/, UTF-8, NUL-padded (kNameBytes)
//                             112 u32 width   116 u32 height   120 u32 bytes per line
//                             124 u32 QImage format   128 u64 offset of the pixels in the file
//                             136 u64 stamp: the PNG's modification time (ns), or for a picture
//                                 built into the program (named by its resource path) ContentHash
//                                 of its bytes   144 u64 the PNG's size
//                             152 u32 mean colour 0xFFRRGGBB   156 zero
//   pixels                      each picture's rows at an offset aligned to kPixelAlignment
//
// A picture is cached as the PNG decodes, except that one with an alpha channel is kept
// premultiplied, the layout the painter draws from without converting.
#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace quorvik::ui::picture_cache {

inline constexpr char kFileName[] = "pictures.cache";
inline constexpr char kMagic[8] = {'Q', 'V', 'P', 'I', 'C', 'S', '0', '1'};
inline constexpr std::uint32_t kVersion = 1;

inline constexpr std::size_t kHeaderBytes = 32;
inline constexpr std::size_t kHeaderMagic = 0;
inline constexpr std::size_t kHeaderVersion = 8;
inline constexpr std::size_t kHeaderCount = 12;
inline constexpr std::size_t kHeaderEntryBytes = 16;

inline constexpr std::size_t kEntryBytes = 160;
inline constexpr std::size_t kNameBytes = 112;
inline constexpr std::size_t kEntryName = 0;
inline constexpr std::size_t kEntryWidth = 112;
inline constexpr std::size_t kEntryHeight = 116;
inline constexpr std::size_t kEntryBytesPerLine = 120;
inline constexpr std::size_t kEntryFormat = 124;
inline constexpr std::size_t kEntryOffset = 128;
inline constexpr std::size_t kEntryStamp = 136;
inline constexpr std::size_t kEntryFileBytes = 144;
inline constexpr std::size_t kEntryMean = 152;

// A page: each picture is mapped on its own, so that the system's reading around a touched page
// stays within the picture.
inline constexpr std::size_t kPixelAlignment = 4096;
// No skin of ours comes near it; a larger side is a damaged cache.
inline constexpr std::uint32_t kMaxSide = 8192;

inline void Put32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void Put64(unsigned char* at, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline std::uint32_t Get32(const unsigned char* at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}
inline std::uint64_t Get64(const unsigned char* at) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

// A file's modification time in nanoseconds: the stamp of a skin file.
inline std::uint64_t ModificationStamp(const struct stat& st) {
    return std::uint64_t(st.st_mtim.tv_sec) * 1000000000u + std::uint64_t(st.st_mtim.tv_nsec);
}

// A hash of a built-in picture's PNG bytes, which have no file time to tell a stale cache by.
inline std::uint64_t ContentHash(const char* data, std::size_t size) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ size;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        h = (h ^ word) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < size; ++i)
        h = (h ^ static_cast<unsigned char>(data[i])) * 0x100000001B3ull;
    return h;
}

// The layout a decoded picture is cached in.
inline QImage::Format CachedFormat(const QImage& decoded) {
    return decoded.format() == QImage::Format_RGB32 ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
}

// The mean of the picture's colours: each pixel's red, green and blue in its RGB32 form, averaged.
// A dialog fills what its background picture leaves uncovered with it.
inline QRgb MeanRgb(const QImage& image) {
    if (image.isNull())
        return 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::uint64_t r = 0, g = 0, b = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            r += qRed(line[x]);
            g += qGreen(line[x]);
            b += qBlue(line[x]);
        }
    }
    const std::uint64_t count = std::uint64_t(rgb.width()) * std::uint64_t(rgb.height());
    return qRgb(int(r / count), int(g / count), int(b / count));
}

} // namespace quorvik::ui::picture_cache

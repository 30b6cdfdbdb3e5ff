// The skins' picture cache (skins/pictures.cache beside the program), mapped read-only once and
// kept for the whole run: the pictures it holds cost no decoding, and their pixels are shared
// with the page cache.
#pragma once

#include <QImage>
#include <QString>

namespace quorvik::ui {

// The cached picture of `file` (a path under the program folder's skins/, or a built-in picture's
// resource name), with its mean colour in `mean`; a null image when there is no usable cache, or
// it does not hold the file as it is now (a PNG changed or replaced since, or one that is gone).
// The image reads the mapped pixels; painting on it makes it a copy of its own.
QImage CachedPicture(const QString& file, QRgb* mean = nullptr);

// Lets the pages of `file`'s cached picture go from this process's memory, for a picture read
// once to make another (the window icon's sizes): they stay in the system's file cache, and an
// image still showing them reads them back when it is drawn again.
void ReleaseCachedPicture(const QString& file);

// Whether CachedPicture uses the cache (true unless switched off here); returns the old setting.
// For the tests that compare pictures from the cache with those decoded from the PNGs.
bool UsePictureCache(bool use);

} // namespace quorvik::ui

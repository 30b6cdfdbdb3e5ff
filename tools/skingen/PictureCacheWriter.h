#pragma once

#include <QString>

namespace quorvik::skingen {

// Writes the picture cache of the PNGs now in `skinDir` and in `builtinDir` (run after they are all
// written); the built-in ones are named by `builtinPrefix` and their file name, as the program
// finds them among its resources.
bool writePictureCache(const QString& skinDir, const QString& builtinDir, const QString& builtinPrefix);

} // namespace quorvik::skingen

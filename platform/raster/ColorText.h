#pragma once

#include <QString>

#include <optional>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// A colour as the desktop's "Background" value keeps it: red, green and blue
// in decimal, separated by blanks ("0 128 255").
QString RgbText(ColorRef color);
// Reads that form: exactly three parts between blanks (any number of them),
// each a whole number held to 0..255; a part that is not a number reads as 0.
// No colour when there are not exactly three parts.
std::optional<ColorRef> ParseRgbText(const QString &text);

}  // namespace pellimore

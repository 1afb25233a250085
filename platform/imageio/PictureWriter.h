#pragma once

#include <QString>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// Writes the bitmap as a baseline JPEG of quality 0..100 (clamped),
// ignoring alpha. Atomic: a temporary file beside path is renamed over it; a
// failure leaves any previous file untouched. Returns false with an error text
// for a null bitmap or a write failure.
bool SaveJpeg(const Bitmap &bitmap, const QString &path, int quality, QString *error = nullptr);

// Writes the bitmap as a BMP at its BitCount (see WriteBmp), atomically.
bool SaveBmp(const Bitmap &bitmap, const QString &path, QString *error = nullptr);

}  // namespace pellimore

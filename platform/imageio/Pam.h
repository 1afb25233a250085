#pragma once

#include <QByteArray>
#include <QString>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// A bitmap as a PAM (Netpbm "P7") file of 8-bit samples: TUPLTYPE RGB_ALPHA
// with the alpha byte as stored when withAlpha is set, else TUPLTYPE RGB.
// Rows top to bottom. An empty array for a null bitmap.
QByteArray EncodePam(const Bitmap &bitmap, bool withAlpha);
// Writes EncodePam's result atomically (temporary file, then rename).
bool WritePam(const Bitmap &bitmap, const QString &path, bool withAlpha, QString *error = nullptr);

}  // namespace pellimore

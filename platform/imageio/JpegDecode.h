#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>

class QIODevice;

#include "platform/raster/Bitmap.h"
#include "platform/raster/Raster.h"

namespace pellimore {

// What a JPEG decode gives: the picture (opaque, BitCount 24), the size the
// file stores, or the reason there is none.
struct JpegDecodeResult {
    Bitmap bitmap;
    QSize storedSize;
    QString error;  // empty on success
    // The bitmap is the canvas asked for, the picture halftoned into its block.
    bool onCanvas = false;
};

// The memory one JPEG decode may take beyond its output (the coefficient
// buffers of a progressive file); larger files are refused, not swapped.
inline constexpr long kJpegWorkMemoryBytes = 192L * 1024 * 1024;

// How much larger than its shown size a reduced decode stays.
inline constexpr double kJpegReductionMargin = 1.5;

// Decodes a JPEG with libjpeg-turbo. `shownSize` (when given) tells, from the
// stored size, the size the picture will be shown at: the decoder then works
// at the largest of its reductions M/8 (M = 1 ... 8) that still leaves the
// picture kJpegReductionMargin times that size both ways (or at the full
// size), so a large photo never exists at full size. Refused,
// before any picture memory is taken: a size a Bitmap cannot hold, a scan
// too short to code one bit per 8 x 8 block (a tiny file claiming a huge
// picture). Refused after decoding: data that ends early or is damaged
// (libjpeg's warnings that it filled in missing data). CMYK files are read
// as Adobe writes them (inverted). EXIF orientation is not applied.
// With toShownSize, a picture shown smaller comes at exactly the shown size:
// the reduced decode is halftoned to it row by row (the same pixels as a
// halftone stretch of the whole reduced decode), so not even the reduced
// picture is held whole. With a canvas as well, whose block for the picture
// has the shown size, the rows are halftoned straight into that block of the
// canvas (filled with its colour first), so the fitted wallpaper is the only
// picture memory the decode takes.
JpegDecodeResult DecodeJpeg(const QByteArray &data, const std::function<QSize(QSize)> &shownSize = {},
                            bool toShownSize = false, const ShownCanvasFunction &canvas = {});
// The same, reading the file from the device's position a block at a time as
// the decode goes, so that the file is never held whole.
JpegDecodeResult DecodeJpeg(QIODevice &device, const std::function<QSize(QSize)> &shownSize = {},
                            bool toShownSize = false, const ShownCanvasFunction &canvas = {});

// The reduction DecodeJpeg picks: the smallest M of M/8 whose scaled size
// (rounded up, as libjpeg rounds) still covers `cover`; 8 when none smaller does.
int JpegScaleEighths(QSize stored, QSize cover);

}  // namespace pellimore

#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

#include "platform/raster/Bitmap.h"
#include "platform/raster/Raster.h"

namespace pellimore {

// The outcome of loading a picture: a bitmap, or the reason there is none.
struct PictureResult {
    Bitmap bitmap;
    QString error;  // empty on success
    // The size the file stores; larger than the bitmap when a JPEG was decoded
    // at a reduced scale.
    QSize storedSize;
    // The bitmap is the canvas PictureLoadOptions::shownCanvas asked for,
    // with the picture drawn into its block.
    bool onCanvas = false;
    bool Ok() const { return error.isEmpty() && !bitmap.IsNull(); }
};

// How a picture is wanted.
struct PictureLoadOptions {
    // Given the stored size, the size the picture will be shown at (an empty
    // size: its own). A JPEG is then decoded at the largest reduction that
    // still covers it (see DecodeJpeg); other formats come at full size.
    std::function<QSize(QSize stored)> shownSize;
    // A JPEG shown smaller then comes at exactly the shown size, halftoned
    // from its reduced decode as the rows come (see DecodeJpeg).
    bool jpegToShownSize = false;
    // With jpegToShownSize, the canvas such a JPEG is drawn into as it is
    // decoded (see DecodeJpeg); PictureResult::onCanvas tells when it was.
    ShownCanvasFunction shownCanvas;
};

// The platform picture loader: JPEG, BMP and the first image of a GIF. The
// format is recognised from the content (a JPEG named ".bmp" still loads);
// other formats are refused. BMP goes through our own reader (DecodeBmp): it
// keeps the depth and colour table a saved wallpaper follows, reads OS/2 and
// RLE files, and refuses damaged files by checked rules. JPEG goes through
// DecodeJpeg, which reads a file a block at a time as it decodes (a JPEG in
// memory is first checked for its end marker); data that ends early is
// refused. GIF goes through Qt's reader after a check that the first image
// has its closing block (Qt would otherwise pad a cut-off picture with grey
// and report success). EXIF orientation is not applied
// (autoTransform off): pictures come as stored, as the classic loader gave
// them, so a picture and its saved copies agree. The result is opaque
// with BitCount 24, except BMPs with an alpha mask or 32 bits (BitCount 32)
// and BMPs of 8 bits or fewer (their depth and colour table). A GIF's
// transparent pixels have alpha 0 in the first image (BitCount 32).
// Broken or truncated files give an error text, never a crash.
PictureResult LoadPicture(const QString &path, const PictureLoadOptions &options = {});
// The same from bytes in memory (for example a one-frame GIF built by the GIF
// reader).
PictureResult LoadPictureFromData(const QByteArray &data, const PictureLoadOptions &options = {});

// Why ReadImageFile gave no image.
enum class ImageReadFailure { None, UnknownFormat, TooLarge, Unreadable };

struct ImageReadResult {
    QImage image;
    ImageReadFailure failure = ImageReadFailure::None;
    QString error;  // empty on success
    bool Ok() const { return failure == ImageReadFailure::None; }
};

// Any format Qt's image readers know, recognised from the content and the
// file name, under the limits LoadPicture applies to its JPEGs and GIFs: no
// picture larger than a Bitmap may be (refused before decoding), no larger
// allocation, EXIF orientation not applied. For callers that open more than
// the loader's formats (the designer's pictures); the image comes as Qt
// decoded it.
ImageReadResult ReadImageFile(const QString &path);

}  // namespace pellimore

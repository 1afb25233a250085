#pragma once

// Builders of small GIF files for the reader's and the control's tests, with
// real (uncompressed-style) LZW image data that any decoder reads, and a few
// helpers around the third-party test pictures and ImageMagick.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include "platform/raster/Bitmap.h"

namespace pellimore::test {

// LZW image data for colour indices (min code size, then sub-blocks, then the
// terminator). Clear codes come often enough that the code size never grows.
QByteArray GifImageData(const std::vector<uint8_t> &indices, int minCodeSize = 2);

class GifBuilder {
public:
    explicit GifBuilder(int width, int height, const QByteArray &signature = "GIF89a");

    // A global colour table (padded to a power of two) and the background index.
    GifBuilder &GlobalTable(const std::vector<ColorRef> &colours, int backgroundIndex = 0);
    GifBuilder &Netscape(int loops);
    GifBuilder &Comment(const QByteArray &text);
    // A graphic control extension: disposal, delay in hundredths of a
    // second, and the transparent index (-1 for none).
    GifBuilder &Control(int disposal, int delayCs, int transparentIndex = -1);
    // An image descriptor with its data; a non-empty localTable is written as
    // the frame's local colour table.
    GifBuilder &Image(int left, int top, int width, int height, const std::vector<uint8_t> &indices,
                      const std::vector<ColorRef> &localTable = {});
    // An image whose every pixel has colour index `index`.
    GifBuilder &SolidImage(int left, int top, int width, int height, uint8_t index);
    GifBuilder &Raw(const QByteArray &bytes);
    GifBuilder &Trailer();

    QByteArray Bytes() const { return bytes_; }
    // Writes the file under the temporary home and returns its path.
    QString Write(const QString &name) const;

private:
    QByteArray bytes_;
};

// Writes data to a new file under the temporary home and returns its path.
QString WriteGifFile(const QString &name, const QByteArray &data);

// The path of a file of the GIF corpus (tests/data/gif/...).
QString GifCorpusPath(const QString &relative);

// Runs ImageMagick's convert; nothing when it is missing or fails.
std::optional<QByteArray> RunConvert(const QStringList &arguments);
// Reads a binary PPM (P6) or PAM of RGB/RGB_ALPHA written by ImageMagick.
Bitmap ReadNetpbm(const QByteArray &data);

}  // namespace pellimore::test

#include "platform/imageio/PictureLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>

#include "platform/imageio/JpegDecode.h"
#include "platform/raster/BmpFile.h"

namespace pellimore {

namespace {

enum class Kind { Unknown, Bmp, Jpeg, Gif, Png };

Kind Sniff(const QByteArray &data)
{
    if (data.startsWith("BM"))
        return Kind::Bmp;
    if (data.size() >= 3 && uint8_t(data[0]) == 0xFF && uint8_t(data[1]) == 0xD8 && uint8_t(data[2]) == 0xFF)
        return Kind::Jpeg;
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return Kind::Gif;
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return Kind::Png;
    return Kind::Unknown;
}

PictureResult Fail(const QString &text)
{
    PictureResult result;
    result.error = text;
    return result;
}

// libjpeg fills a cut-off scan with grey and only warns, so a truncated file
// would load as a damaged picture. Walk the marker segments to the first
// scan of the main picture (an EXIF thumbnail sits inside a segment and is
// skipped with it), then require an end-of-image marker after it.
bool JpegIsComplete(const QByteArray &data)
{
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
    const qsizetype n = data.size();
    qsizetype pos = 2;
    while (pos + 4 <= n) {
        if (p[pos] != 0xFF)
            return false;
        const uint8_t marker = p[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9)
            return false;  // end of image before any scan
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        const qsizetype length = (p[pos + 2] << 8) | p[pos + 3];
        if (marker == 0xDA) {
            // Entropy-coded data never holds FF D9; stuffed bytes are FF 00.
            for (qsizetype i = pos + 2 + length; i + 1 < n; ++i) {
                if (p[i] == 0xFF && p[i + 1] == 0xD9)
                    return true;
            }
            return false;
        }
        if (length < 2)
            return false;
        pos += 2 + length;
    }
    return false;
}

// Qt's GIF reader pads an image cut short and reports success, so check the
// block structure first: the first image's data sub-blocks must end with
// their terminator inside the file.
bool GifFirstImageIsComplete(const QByteArray &data)
{
    const auto *p = reinterpret_cast<const uint8_t *>(data.constData());
    const qsizetype n = data.size();
    qsizetype pos = 13;  // signature and logical screen descriptor
    if (n < pos)
        return false;
    if (p[10] & 0x80)
        pos += 3 * (qsizetype(1) << ((p[10] & 0x07) + 1));
    // Skips data sub-blocks; false when the data ends first.
    auto skipSubBlocks = [&]() {
        while (pos < n) {
            const uint8_t length = p[pos++];
            if (length == 0)
                return true;
            pos += length;
        }
        return false;
    };
    while (pos < n) {
        const uint8_t introducer = p[pos++];
        if (introducer == 0x21) {
            if (pos >= n)
                return false;
            ++pos;  // label
            if (!skipSubBlocks())
                return false;
        } else if (introducer == 0x2C) {
            if (pos + 9 > n)
                return false;
            const uint8_t packed = p[pos + 8];
            const int64_t image = int64_t(p[pos + 4] | (p[pos + 5] << 8)) * (p[pos + 6] | (p[pos + 7] << 8));
            pos += 9;
            if (packed & 0x80)
                pos += 3 * (qsizetype(1) << ((packed & 0x07) + 1));
            ++pos;  // LZW minimum code size
            const qsizetype start = pos;
            if (pos > n || !skipSubBlocks())
                return false;
            // Each 12-bit LZW code stands for at most 4096 pixels: data
            // shorter than that bound cannot fill the picture Qt would
            // allocate (the logical screen, or the image when larger).
            const int64_t screen = int64_t(p[6] | (p[7] << 8)) * (p[8] | (p[9] << 8));
            const int64_t coded = int64_t(pos - start) * 8 / 12 * 4096;
            return std::max(screen, image) <= coded + 65536;
        } else {
            return false;  // trailer or garbage before any image
        }
    }
    return false;
}

// The one set of limits for every picture Qt's readers decode: as large as a
// Bitmap may be (checked before decoding, and as Qt's allocation limit in MiB
// of 32-bit pixels); pictures come as stored, EXIF orientation not applied.
ImageReadResult ReadLimited(QImageReader &reader, const QString &name)
{
    const QString subject =
        name.isEmpty() ? QStringLiteral("The picture") : QStringLiteral("The %1 picture").arg(name);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(int(Bitmap::kMaxPixels * 4 / (1024 * 1024)));
    ImageReadResult result;
    const QSize size = reader.size();
    if (size.isValid() && !Bitmap::SizeIsAllowed(size.width(), size.height())) {
        result.failure = ImageReadFailure::TooLarge;
        result.error =
            QStringLiteral("%1 is too large (%2 x %3 pixels).").arg(subject).arg(size.width()).arg(size.height());
        return result;
    }
    if (!reader.read(&result.image) || result.image.isNull()) {
        result.image = QImage();
        result.failure = reader.error() == QImageReader::UnsupportedFormatError ? ImageReadFailure::UnknownFormat
                                                                                : ImageReadFailure::Unreadable;
        result.error = QStringLiteral("%1 cannot be read: %2").arg(subject, reader.errorString());
    }
    return result;
}

PictureResult ReadWithQt(const QByteArray &data, const char *format, const QString &name)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const ImageReadResult read = ReadLimited(reader, name);
    if (!read.Ok())
        return Fail(read.error);
    const QImage &image = read.image;
    PictureResult result;
    result.bitmap = Bitmap::FromImage(image);
    // Opaque pictures stand for 24 bits whatever format Qt chose.
    bool opaque = true;
    for (int y = 0; y < result.bitmap.Height() && opaque; ++y) {
        const Pixel *row = result.bitmap.Row(y);
        for (int x = 0; x < result.bitmap.Width(); ++x) {
            if (PixelAlpha(row[x]) != 255) {
                opaque = false;
                break;
            }
        }
    }
    result.bitmap.SetBitCount(opaque ? 24 : 32);
    return result;
}

PictureResult FromJpegDecode(JpegDecodeResult decoded)
{
    PictureResult result;
    result.storedSize = decoded.storedSize;
    result.onCanvas = decoded.onCanvas;
    result.error = decoded.error;
    result.bitmap = std::move(decoded.bitmap);
    return result;
}

PictureResult Decode(const QByteArray &data, const PictureLoadOptions &options)
{
    switch (Sniff(data)) {
    case Kind::Bmp: {
        BmpResult bmp = DecodeBmp(data);
        PictureResult result;
        result.bitmap = std::move(bmp.bitmap);
        result.error = bmp.error;
        return result;
    }
    case Kind::Jpeg:
        if (!JpegIsComplete(data))
            return Fail(QStringLiteral("The JPEG picture is truncated or damaged."));
        return FromJpegDecode(DecodeJpeg(data, options.shownSize, options.jpegToShownSize, options.shownCanvas));
    case Kind::Gif:
        if (!GifFirstImageIsComplete(data))
            return Fail(QStringLiteral("The GIF picture is truncated or damaged."));
        return ReadWithQt(data, "gif", QStringLiteral("GIF"));
    case Kind::Png:
        return Fail(QStringLiteral("PNG pictures are not read by the platform picture loader."));
    case Kind::Unknown:
        break;
    }
    if (data.isEmpty())
        return Fail(QStringLiteral("The picture file is empty."));
    return Fail(QStringLiteral("The file is not a JPEG, BMP or GIF picture."));
}

}  // namespace

PictureResult LoadPictureFromData(const QByteArray &data, const PictureLoadOptions &options)
{
    PictureResult result = Decode(data, options);
    if (result.storedSize.isEmpty() && !result.bitmap.IsNull())
        result.storedSize = QSize(result.bitmap.Width(), result.bitmap.Height());
    return result;
}

PictureResult LoadPicture(const QString &path, const PictureLoadOptions &options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    // No picture file of a size a Bitmap can hold comes near this.
    constexpr qint64 kMaxFileSize = Bitmap::kMaxPixels * 4 + (qint64(1) << 20);
    if (file.size() > kMaxFileSize)
        return Fail(QStringLiteral("The picture file \"%1\" is too large.").arg(path));
    PictureResult result;
    if (Sniff(file.peek(3)) == Kind::Jpeg) {
        // Decoded as it is read: a photo's file is never held whole. Data
        // that ends early is found by the decoder.
        result = FromJpegDecode(DecodeJpeg(file, options.shownSize, options.jpegToShownSize, options.shownCanvas));
    } else {
        const QByteArray data = file.readAll();
        if (file.error() == QFileDevice::NoError)
            result = LoadPictureFromData(data, options);
    }
    if (file.error() != QFileDevice::NoError)
        return Fail(QStringLiteral("Cannot read \"%1\": %2").arg(path, file.errorString()));
    if (!result.Ok() && result.error.isEmpty())
        result.error = QStringLiteral("The picture \"%1\" cannot be read.").arg(path);
    return result;
}

ImageReadResult ReadImageFile(const QString &path)
{
    QImageReader reader(path);
    if (reader.format() == "jpeg") {
        // The one JPEG decoder, so the designer sees what the changer sees.
        reader.setDevice(nullptr);
        ImageReadResult result;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.failure = ImageReadFailure::Unreadable;
            result.error = QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString());
            return result;
        }
        const JpegDecodeResult decoded = DecodeJpeg(file.readAll());
        if (!decoded.error.isEmpty()) {
            const QSize stored = decoded.storedSize;
            result.failure = !stored.isEmpty() && !Bitmap::SizeIsAllowed(stored.width(), stored.height())
                                 ? ImageReadFailure::TooLarge
                                 : ImageReadFailure::Unreadable;
            result.error = decoded.error;
            return result;
        }
        result.image = decoded.bitmap.ToImage().convertToFormat(QImage::Format_RGB32);
        return result;
    }
    return ReadLimited(reader, QString::fromLatin1(reader.format()).toUpper());
}

}  // namespace pellimore

#include "wallpaper/designer/cGdiPlus.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <array>

#include "platform/imageio/PictureLoader.h"
#include "platform/raster/BmpFile.h"
#include "platform/raster/PictureSurface.h"

namespace pellimore {

namespace {

constexpr std::array<const char *, 21> kStatusTexts = {
    "Unknown GDI+ Error",  // 0 is success: there is no error text for it
    "Generic Error",
    "Invalid Parameter",
    "Out Of Memory",
    "Object Busy",
    "Insufficient Buffer",
    "Not Implemented",
    "Win32 Error",
    "Wrong State",
    "Aborted",
    "File Not Found",
    "Value Overflow",
    "Access Denied",
    "Unknown Image Format",
    "FontFamily Not Found",
    "FontStyle Not Found",
    "Not TrueType Font",
    "Unsupported Gdiplus Version",
    "Gdiplus Not Initialized",
    "Property Not Found",
    "Property Not Supported",
};

// Encoders with more than one name or pattern. Formats Qt writes that are not
// listed here get one encoder each, answering to "*.<FORMAT>".
struct KnownEncoder {
    const char *format;
    std::array<const char *, 3> names;  // Qt format names it covers
    const char *extensions;
};

constexpr std::array<KnownEncoder, 5> kKnownEncoders = {{
    {"bmp", {"bmp", "dib", nullptr}, "*.BMP;*.DIB;*.RLE"},
    {"jpeg", {"jpeg", "jpg", "jfif"}, "*.JPG;*.JPEG;*.JPE;*.JFIF"},
    {"gif", {"gif", nullptr, nullptr}, "*.GIF"},
    {"tiff", {"tiff", "tif", nullptr}, "*.TIF;*.TIFF"},
    {"png", {"png", nullptr, nullptr}, "*.PNG"},
}};

// libjpeg's largest width or height.
constexpr int kJpegMaxDimension = 65500;

bool HasNoWriteBit(const QFileInfo &info)
{
    // The mode bits, not access(): a file nobody may write counts as
    // read-only even for a user (root) whom the system would let through.
    return !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

// A failure of the target file, named as the platform would: refusals of
// permission are AccessDenied, every other system failure Win32Error.
GpStatus FileStatus(const QSaveFile &file, const QString &path)
{
    if (file.error() == QFileDevice::PermissionsError)
        return GpStatus::AccessDenied;
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (folder.isDir() && (!folder.isWritable() || HasNoWriteBit(folder)))
        return GpStatus::AccessDenied;
    return GpStatus::Win32Error;
}

// A read-only view of the picture's pixels for Qt's writers. The fourth byte
// is not looked at: the saved picture is opaque, as the surface shows it.
QImage OpaqueView(const Bitmap &picture)
{
    return QImage(picture.Bits(), picture.Width(), picture.Height(), picture.Stride(), QImage::Format_RGB32);
}

}  // namespace

cGdiPlus::cGdiPlus(ErrorEvent onError) : onError_(std::move(onError)) { BuildEncoderTable(); }

void cGdiPlus::BuildEncoderTable()
{
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    QList<QByteArray> claimed;
    for (const KnownEncoder &known : kKnownEncoders) {
        // BMP is written by our own encoder; the rest need Qt's writer.
        const bool available = QByteArray(known.format) == "bmp" || writable.contains(QByteArray(known.format));
        for (const char *name : known.names) {
            if (name)
                claimed.append(QByteArray(name));
        }
        if (available)
            encoders_.push_back({QByteArray(known.format), QString::fromLatin1(known.extensions)});
    }
    for (const QByteArray &format : writable) {
        if (!claimed.contains(format))
            encoders_.push_back({format, QStringLiteral("*.") + QString::fromLatin1(format).toUpper()});
    }

    extensionIndex_.clear();
    for (int i = int(encoders_.size()) - 1; i >= 0; --i)
        AddExtensionKeys(encoders_[std::size_t(i)].extensions, QStringLiteral(";"), i);
}

void cGdiPlus::AddExtensionKeys(const QString &list, const QString &separator, int encoder)
{
    auto add = [&](const QString &key) {
        const QString upper = key.toUpper();
        if (!upper.isEmpty() && !extensionIndex_.contains(upper))
            extensionIndex_.insert(upper, encoder);
    };
    if (separator.isEmpty()) {
        add(list.trimmed());
        return;
    }
    qsizetype from = 0;
    for (qsizetype at = list.indexOf(separator); at >= 0; at = list.indexOf(separator, from)) {
        add(list.mid(from, at - from));
        from = at + separator.size();
    }
    add(list.mid(from).trimmed());
}

int cGdiPlus::EncoderIndex(const QString &pattern) const { return extensionIndex_.value(pattern.toUpper(), -1); }

QString cGdiPlus::FileExtension(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return QString();
    return path.mid(dot + 1);
}

QString cGdiPlus::GdiErrorString(int32_t lError)
{
    if (lError <= 0 || lError >= int32_t(kStatusTexts.size()))
        return QString::fromLatin1(kStatusTexts[0]);
    return QString::fromLatin1(kStatusTexts[std::size_t(lError)]);
}

void cGdiPlus::RaiseError(GpStatus status)
{
    if (onError_)
        onError_(int32_t(status), GdiErrorString(int32_t(status)));
}

bool cGdiPlus::PictureBoxToFile(const PictureSurface &pic, const QString &sFilename, int32_t lQuality)
{
    const QString extension = FileExtension(sFilename);
    const int encoder = EncoderIndex(QStringLiteral("*.") + extension);
    if (encoder < 0)
        return false;
    if (!pic.HasPicture()) {
        RaiseError(GpStatus::InvalidParameter);
        return false;
    }
    std::optional<int> quality;
    if (extension.left(1).toUpper() == QLatin1String("J")) {
        if (lQuality < 0 || lQuality > 100) {
            RaiseError(GpStatus::InvalidParameter);
            return false;
        }
        quality = lQuality;
    }
    const GpStatus status = WriteFile(pic.Picture(), encoders_[std::size_t(encoder)], sFilename, quality);
    if (status != GpStatus::Ok) {
        RaiseError(status);
        return false;
    }
    return true;
}

GpStatus cGdiPlus::WriteFile(const Bitmap &picture, const PictureEncoder &encoder, const QString &path,
                             std::optional<int> quality)
{
    const QFileInfo target(path);
    // A replacement is renamed over the target, which would bypass a
    // read-only mark: refuse such a target as the platform refuses it.
    if (target.isDir() || (target.exists() && (!target.isWritable() || HasNoWriteBit(target))))
        return GpStatus::AccessDenied;
    if (encoder.format == "jpeg" && (picture.Width() > kJpegMaxDimension || picture.Height() > kJpegMaxDimension))
        return GpStatus::ValueOverflow;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return FileStatus(file, path);
    if (encoder.format == "bmp") {
        const QByteArray data = EncodeBmp(picture);
        if (data.isEmpty())
            return GpStatus::GenericError;
        if (file.write(data) != data.size())
            return FileStatus(file, path);
    } else {
        QImageWriter writer(&file, encoder.format);
        if (quality)
            writer.setQuality(*quality);
        if (!writer.write(OpaqueView(picture)))
            return writer.error() == QImageWriter::DeviceError ? FileStatus(file, path) : GpStatus::GenericError;
    }
    if (!file.commit())
        return FileStatus(file, path);
    return GpStatus::Ok;
}

std::optional<Bitmap> cGdiPlus::FilenameToIPicture(const QString &sFilename)
{
    const QFileInfo info(sFilename);
    if (!info.exists()) {
        RaiseError(GpStatus::FileNotFound);
        return std::nullopt;
    }
    if (info.isDir() || !info.isReadable()) {
        RaiseError(GpStatus::AccessDenied);
        return std::nullopt;
    }
    const ImageReadResult read = ReadImageFile(sFilename);
    switch (read.failure) {
    case ImageReadFailure::None:
        break;
    case ImageReadFailure::TooLarge:
        RaiseError(GpStatus::OutOfMemory);
        return std::nullopt;
    case ImageReadFailure::UnknownFormat:
        RaiseError(GpStatus::UnknownImageFormat);
        return std::nullopt;
    case ImageReadFailure::Unreadable:
        RaiseError(GpStatus::GenericError);
        return std::nullopt;
    }
    const QImage &image = read.image;
    if (!image.hasAlphaChannel()) {
        Bitmap bitmap = Bitmap::FromImage(image);
        bitmap.SetBitCount(24);
        return bitmap;
    }
    // Composited over transparent black: each colour times its alpha.
    QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    premultiplied.reinterpretAsFormat(QImage::Format_ARGB32);
    Bitmap bitmap = Bitmap::FromImage(premultiplied);
    bitmap.SetBitCount(32);
    return bitmap;
}

}  // namespace pellimore

#include "platform/imageio/PictureWriter.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>

#include "platform/raster/BmpFile.h"

namespace pellimore {

bool SaveJpeg(const Bitmap &bitmap, const QString &path, int quality, QString *error)
{
    auto fail = [&](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (bitmap.IsNull())
        return fail(QStringLiteral("There is no picture to write."));
    // The colour bytes as they are; JPEG has no alpha.
    const QImage view(bitmap.Bits(), bitmap.Width(), bitmap.Height(), bitmap.Stride(), QImage::Format_RGB32);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(std::clamp(quality, 0, 100));
    if (!writer.write(view))
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, writer.errorString()));
    if (!file.commit())
        return fail(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
    return true;
}

bool SaveBmp(const Bitmap &bitmap, const QString &path, QString *error)
{
    return WriteBmp(bitmap, path, error);
}

}  // namespace pellimore

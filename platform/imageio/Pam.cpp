#include "platform/imageio/Pam.h"

#include <QSaveFile>

namespace pellimore {

QByteArray EncodePam(const Bitmap &bitmap, bool withAlpha)
{
    if (bitmap.IsNull())
        return {};
    const int depth = withAlpha ? 4 : 3;
    QByteArray out = QStringLiteral("P7\nWIDTH %1\nHEIGHT %2\nDEPTH %3\nMAXVAL 255\nTUPLTYPE %4\nENDHDR\n")
                         .arg(bitmap.Width())
                         .arg(bitmap.Height())
                         .arg(depth)
                         .arg(withAlpha ? QStringLiteral("RGB_ALPHA") : QStringLiteral("RGB"))
                         .toLatin1();
    const qsizetype headerSize = out.size();
    out.resize(headerSize + qsizetype(bitmap.Width()) * bitmap.Height() * depth);
    auto *dst = reinterpret_cast<uint8_t *>(out.data() + headerSize);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const Pixel *row = bitmap.Row(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            *dst++ = PixelRed(row[x]);
            *dst++ = PixelGreen(row[x]);
            *dst++ = PixelBlue(row[x]);
            if (withAlpha)
                *dst++ = PixelAlpha(row[x]);
        }
    }
    return out;
}

bool WritePam(const Bitmap &bitmap, const QString &path, bool withAlpha, QString *error)
{
    const QByteArray bytes = EncodePam(bitmap, withAlpha);
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("There is no picture to write.");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace pellimore

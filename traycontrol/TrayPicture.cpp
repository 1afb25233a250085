#include "traycontrol/TrayPicture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace pellimore {

TrayPicture TrayPicture::FromIcon(const QIcon &icon)
{
    TrayPicture picture;
    if (!icon.isNull()) {
        picture.type_ = kIcon;
        picture.icon_ = icon;
    }
    return picture;
}

TrayPicture TrayPicture::FromBitmap(const QImage &image)
{
    TrayPicture picture;
    if (!image.isNull()) {
        picture.type_ = kBitmap;
        picture.bitmap_ = image;
    }
    return picture;
}

TrayPicture TrayPicture::Load(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("ico")) {
        // QIcon reads lazily: make sure the file holds a picture.
        if (QImageReader(fileName).read().isNull())
            return TrayPicture();
        return FromIcon(QIcon(fileName));
    }
    return FromBitmap(QImageReader(fileName).read());
}

QImage TrayPicture::Image(QSize size) const
{
    switch (type_) {
    case kIcon:
        return icon_.pixmap(size).toImage();
    case kBitmap:
    case kMetafile:
        return bitmap_;
    case kNone:
        break;
    }
    return QImage();
}

namespace {

// A bell on a blue tile: "something in the notification area".
QImage DrawDesignPicture(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 32.0, side / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xb4));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    QPainterPath bell;
    bell.moveTo(16, 6);
    bell.cubicTo(10, 6, 9, 11, 9, 15);
    bell.lineTo(9, 20);
    bell.lineTo(6.5, 23);
    bell.lineTo(25.5, 23);
    bell.lineTo(23, 20);
    bell.lineTo(23, 15);
    bell.cubicTo(23, 11, 22, 6, 16, 6);
    p.setBrush(QColor(0xff, 0xd8, 0x4a));
    p.drawPath(bell);
    p.drawEllipse(QPointF(16, 25.5), 2.6, 2.6);
    return image;
}

}  // namespace

TrayPicture TrayPicture::DesignPicture()
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48})
        icon.addPixmap(QPixmap::fromImage(DrawDesignPicture(side)));
    return FromIcon(icon);
}

}  // namespace pellimore

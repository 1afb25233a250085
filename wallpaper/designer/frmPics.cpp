#include "wallpaper/designer/frmPics.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace pellimore {

namespace {

constexpr int kTileSize = 64;
constexpr int kSideBezel = 11;
constexpr int kBottomBezel = 16;
constexpr int kNeckHeight = 14;
constexpr int kBaseHeight = 7;

QImage Canvas(QSize logical, double scale)
{
    const QSize pixels(int(std::ceil(logical.width() * scale)), int(std::ceil(logical.height() * scale)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

Bitmap ToBitmap(const QImage &image)
{
    return Bitmap::FromImage(image.convertToFormat(QImage::Format_ARGB32));
}

}  // namespace

QSize MonitorFrameSize(MonitorShape shape)
{
    const QSize screen = shape == MonitorShape::Wide ? kWideScreenSize : kSquareScreenSize;
    return {screen.width() + 2 * kSideBezel,
            kMonitorScreenOffset.y() + screen.height() + kBottomBezel + kNeckHeight + kBaseHeight};
}

// A seamless woven texture in quiet blue-greys: two sets of soft diagonal
// bands crossing, with a faint highlight where they meet. Everything drawn
// repeats at the tile's edges, so tiles join without seams.
Bitmap DrawPellimoreTile(double scale)
{
    QImage image = Canvas(QSize(kTileSize, kTileSize), scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.fillRect(QRectF(0, 0, kTileSize, kTileSize), QColor(0x5B, 0x6E, 0x84));
    // A 45-degree band through (offset, 0), repeated every tile width so that
    // it wraps at the edges.
    const auto band = [&painter](double offset, bool rising, const QColor &color, double width) {
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap));
        for (int shift = -2; shift <= 2; ++shift) {
            const double x = offset + shift * kTileSize;
            const double dx = rising ? -kTileSize : kTileSize;
            painter.drawLine(QPointF(x - dx, -kTileSize), QPointF(x + 2 * dx, 2 * kTileSize));
        }
    };
    const QColor light(0x7A, 0x8F, 0xA6, 150);
    const QColor dark(0x3F, 0x50, 0x63, 120);
    for (double offset : {0.0, 32.0}) {
        band(offset, true, light, 9);
        band(offset + 16, true, dark, 3);
        band(offset, false, dark, 9);
        band(offset + 16, false, light, 3);
    }
    QRadialGradient glow(QPointF(kTileSize / 2.0, kTileSize / 2.0), kTileSize / 2.0);
    glow.setColorAt(0, QColor(255, 255, 255, 28));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawRect(QRectF(0, 0, kTileSize, kTileSize));
    painter.end();
    return ToBitmap(image);
}

// A flat-panel monitor seen from the front: a dark bezel with a soft top
// light, the screen recess, a neck and a base. The screen area itself is
// black; the thumbnail is shown over it.
Bitmap DrawMonitorFrame(MonitorShape shape, double scale)
{
    const QSize screen = shape == MonitorShape::Wide ? kWideScreenSize : kSquareScreenSize;
    const QSize size = MonitorFrameSize(shape);
    QImage image = Canvas(size, scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);

    const double bodyHeight = kMonitorScreenOffset.y() + screen.height() + kBottomBezel;
    const double centre = size.width() / 2.0;

    // Base and neck first, so that the body overlaps the neck's top.
    QLinearGradient metal(0, bodyHeight, 0, size.height());
    metal.setColorAt(0, QColor(0x8A, 0x90, 0x98));
    metal.setColorAt(1, QColor(0x4A, 0x4F, 0x56));
    painter.setPen(Qt::NoPen);
    painter.setBrush(metal);
    const double neckWidth = screen.width() * 0.16;
    painter.drawRect(QRectF(centre - neckWidth / 2, bodyHeight - 2, neckWidth, kNeckHeight + 3));
    const double baseWidth = screen.width() * 0.5;
    painter.drawRoundedRect(QRectF(centre - baseWidth / 2, size.height() - kBaseHeight, baseWidth, kBaseHeight), 3, 3);

    // The bezel.
    const QRectF body(0.5, 0.5, size.width() - 1.0, bodyHeight - 1.0);
    QLinearGradient bezel(0, 0, 0, bodyHeight);
    bezel.setColorAt(0, QColor(0x4C, 0x52, 0x5A));
    bezel.setColorAt(0.5, QColor(0x2E, 0x32, 0x38));
    bezel.setColorAt(1, QColor(0x22, 0x25, 0x2A));
    painter.setPen(QPen(QColor(0x16, 0x18, 0x1B), 1.0));
    painter.setBrush(bezel);
    painter.drawRoundedRect(body, 6, 6);
    // A thin highlight along the top edge.
    painter.setPen(QPen(QColor(255, 255, 255, 60), 1.0));
    painter.drawLine(QPointF(6, 1.5), QPointF(size.width() - 6, 1.5));

    // The screen recess and the screen.
    const QRectF screenRect(kMonitorScreenOffset, screen);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x10, 0x11, 0x13));
    painter.drawRect(screenRect.adjusted(-1.5, -1.5, 1.5, 1.5));
    painter.setBrush(Qt::black);
    painter.drawRect(screenRect);

    // The power light, centred on the bottom bezel.
    painter.setBrush(QColor(0x6C, 0xC2, 0x6C));
    painter.drawEllipse(QPointF(centre, kMonitorScreenOffset.y() + screen.height() + kBottomBezel / 2.0), 1.4, 1.4);
    painter.end();
    return ToBitmap(image);
}

Bitmap DrawProgramIcon(int side)
{
    side = std::max(side, 8);
    QImage image = Canvas(QSize(side, side), 1.0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / 64.0, side / 64.0);
    // The stand.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x5A, 0x60, 0x68));
    painter.drawRect(QRectF(27, 46, 10, 9));
    painter.drawRoundedRect(QRectF(16, 54, 32, 6), 3, 3);
    // The bezel.
    painter.setBrush(QColor(0x2A, 0x2E, 0x34));
    painter.drawRoundedRect(QRectF(2, 6, 60, 42), 5, 5);
    // The screen: a sky, a sun and two hills.
    const QRectF screen(6, 10, 52, 33);
    QLinearGradient sky(0, screen.top(), 0, screen.bottom());
    sky.setColorAt(0, QColor(0x3C, 0x8D, 0xE0));
    sky.setColorAt(1, QColor(0xA8, 0xD8, 0xF5));
    painter.setBrush(sky);
    painter.drawRect(screen);
    painter.save();
    painter.setClipRect(screen);
    painter.setBrush(QColor(0xFF, 0xD0, 0x40));
    painter.drawEllipse(QPointF(44, 19), 5, 5);
    painter.setBrush(QColor(0x3E, 0x9A, 0x4A));
    painter.drawEllipse(QPointF(18, 50), 22, 14);
    painter.setBrush(QColor(0x2C, 0x7A, 0x3A));
    painter.drawEllipse(QPointF(46, 52), 20, 13);
    painter.restore();
    painter.end();
    return ToBitmap(image);
}

bool IsWideDesktop(QSize desktop)
{
    return qint64(desktop.width()) * 3 > qint64(desktop.height()) * 4;
}

frmPics::frmPics(double scale)
    : imgPellimore_(DrawPellimoreTile(scale)),
      imgMonitorWS_(DrawMonitorFrame(MonitorShape::Wide, scale)),
      imgMonitorSq_(DrawMonitorFrame(MonitorShape::Square, scale))
{
    for (PictureSurface *surface : {&picBack_, &picFront_})
        surface->Dc().SetStretchBltMode(StretchMode::Halftone);
}

const Bitmap &frmPics::MonitorFor(QSize desktop) const
{
    return IsWideDesktop(desktop) ? imgMonitorWS_ : imgMonitorSq_;
}

}  // namespace pellimore

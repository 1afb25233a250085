#include "platform/desktop/RootLayout.h"

#include "platform/raster/Raster.h"

namespace pellimore {

std::vector<Placement> PlaceOnMonitor(QSize picture, const QRect &monitor, WallpaperStyle style)
{
    std::vector<Placement> placements;
    const QRect whole(QPoint(0, 0), picture);
    if (picture.isEmpty() || monitor.isEmpty())
        return placements;
    switch (style) {
    case WallpaperStyle::Centered: {
        const int x = monitor.x() + (monitor.width() - picture.width()) / 2;
        const int y = monitor.y() + (monitor.height() - picture.height()) / 2;
        placements.push_back({whole, QRect(QPoint(x, y), picture), monitor});
        break;
    }
    case WallpaperStyle::Tiled:
        for (int y = monitor.y(); y < monitor.y() + monitor.height(); y += picture.height()) {
            for (int x = monitor.x(); x < monitor.x() + monitor.width(); x += picture.width())
                placements.push_back({whole, QRect(QPoint(x, y), picture), monitor});
        }
        break;
    case WallpaperStyle::Stretched:
        placements.push_back({whole, monitor, monitor});
        break;
    }
    return placements;
}

namespace {

// Draws one placement; the one routine every style shares.
void Draw(Bitmap &screen, const Bitmap &picture, const Placement &placement)
{
    const QRect visible = placement.target.intersected(placement.clip);
    if (visible.isEmpty())
        return;
    if (placement.source.size() == placement.target.size()) {
        const QPoint offset = visible.topLeft() - placement.target.topLeft() + placement.source.topLeft();
        BitBlt(screen, visible.x(), visible.y(), visible.width(), visible.height(), picture, offset.x(), offset.y(),
               kSrcCopy);
        return;
    }
    // A stretch always targets the whole monitor, which lies on the screen.
    StretchBlt(screen, placement.target.x(), placement.target.y(), placement.target.width(),
               placement.target.height(), picture, placement.source.x(), placement.source.y(),
               placement.source.width(), placement.source.height(), StretchMode::Halftone, kSrcCopy);
}

}  // namespace

Bitmap ComposeRootImage(QSize screen, const std::vector<QRect> &monitors, const Bitmap &picture,
                        WallpaperStyle style, ColorRef color)
{
    Bitmap image(screen.width(), screen.height(), 24);
    image.Fill(PixelFromColorRef(color));
    std::vector<QRect> areas;
    const QRect bounds(QPoint(0, 0), screen);
    for (const QRect &monitor : monitors) {
        const QRect area = monitor.intersected(bounds);
        if (!area.isEmpty())
            areas.push_back(area);
    }
    if (areas.empty())
        areas.push_back(bounds);
    for (const QRect &area : areas) {
        for (const Placement &placement : PlaceOnMonitor(QSize(picture.Width(), picture.Height()), area, style))
            Draw(image, picture, placement);
    }
    // The wallpaper file may carry alpha; the screen has none.
    for (int y = 0; y < image.Height(); ++y) {
        Pixel *row = image.Row(y);
        for (int x = 0; x < image.Width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return image;
}

}  // namespace pellimore

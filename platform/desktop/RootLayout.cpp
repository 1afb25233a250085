#include "platform/desktop/RootLayout.h"

#include <algorithm>

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

// Draws one placement into a strip whose first row is row y of the screen;
// the one routine every style shares.
void Draw(Bitmap &strip, int y, const Bitmap &picture, const Placement &placement)
{
    const QRect rows(0, y, strip.Width(), strip.Height());
    const QRect visible = placement.target.intersected(placement.clip).intersected(rows);
    if (visible.isEmpty())
        return;
    if (placement.source.size() == placement.target.size()) {
        const QPoint offset = visible.topLeft() - placement.target.topLeft() + placement.source.topLeft();
        BitBlt(strip, visible.x(), visible.y() - y, visible.width(), visible.height(), picture, offset.x(),
               offset.y(), kSrcCopy);
        return;
    }
    // A stretch always targets the whole monitor, which lies on the screen;
    // the rows outside the strip are clipped away.
    StretchBlt(strip, placement.target.x(), placement.target.y() - y, placement.target.width(),
               placement.target.height(), picture, placement.source.x(), placement.source.y(),
               placement.source.width(), placement.source.height(), StretchMode::Halftone, kSrcCopy);
}

}  // namespace

Bitmap ComposeRootImage(QSize screen, const std::vector<QRect> &monitors, const Bitmap &picture,
                        WallpaperStyle style, ColorRef color)
{
    Bitmap image(screen.width(), screen.height(), 24);
    ComposeRootStrip(image, 0, screen, monitors, picture, style, color);
    return image;
}

void ComposeRootStrip(Bitmap &strip, int y, QSize screen, const std::vector<QRect> &monitors, const Bitmap &picture,
                      WallpaperStyle style, ColorRef color)
{
    std::vector<QRect> areas;
    const QRect bounds(QPoint(0, 0), screen);
    for (const QRect &monitor : monitors) {
        const QRect area = monitor.intersected(bounds);
        if (!area.isEmpty())
            areas.push_back(area);
    }
    if (areas.empty())
        areas.push_back(bounds);
    const QRect rows(0, y, strip.Width(), strip.Height());
    std::vector<Placement> placements;
    for (const QRect &area : areas) {
        if (!area.intersects(rows))
            continue;
        QRect band = area;
        if (style == WallpaperStyle::Tiled && picture.Height() > 0) {
            // Only the rows of tiles that reach the strip, from the same origin.
            const int top = area.top() + std::max(0, (rows.top() - area.top()) / picture.Height()) * picture.Height();
            band = QRect(area.left(), top, area.width(), std::min(area.bottom(), rows.bottom()) - top + 1);
        }
        for (const Placement &placement : PlaceOnMonitor(QSize(picture.Width(), picture.Height()), band, style))
            placements.push_back(placement);
    }
    // The colour shows only where no picture covers the strip.
    const bool covered = std::any_of(placements.begin(), placements.end(), [&](const Placement &placement) {
        return placement.target.intersected(placement.clip).contains(rows);
    });
    if (!covered)
        strip.Fill(PixelFromColorRef(color));
    for (const Placement &placement : placements)
        Draw(strip, y, picture, placement);
    // The wallpaper file may carry alpha; the screen has none.
    for (int r = 0; r < strip.Height(); ++r) {
        Pixel *row = strip.Row(r);
        for (int x = 0; x < strip.Width(); ++x)
            row[x] |= 0xFF000000u;
    }
}

}  // namespace pellimore

#pragma once

#include <QRect>
#include <QSize>

#include <vector>

#include "platform/desktop/DesktopService.h"
#include "platform/raster/Bitmap.h"

namespace pellimore {

// One copy of the picture onto the screen: the block `source` of the picture
// goes to `target` on the screen (stretched when the sizes differ), and only
// the part inside `clip` (the monitor) is drawn.
struct Placement {
    QRect source;
    QRect target;
    QRect clip;
};

// Where the picture goes on one monitor in the given style: centred at its
// own size, tiled from the monitor's top-left corner, or stretched over the
// whole monitor.
std::vector<Placement> PlaceOnMonitor(QSize picture, const QRect &monitor, WallpaperStyle style);

// The image of the whole X screen: the background colour everywhere, the
// picture laid out on every monitor (the whole screen when there are none).
// Every pixel is opaque.
Bitmap ComposeRootImage(QSize screen, const std::vector<QRect> &monitors, const Bitmap &picture,
                        WallpaperStyle style, ColorRef color);
// Rows y .. y + strip.Height() - 1 of that image, drawn into strip (which has
// the screen's width): the same pixels, without the whole screen in memory.
void ComposeRootStrip(Bitmap &strip, int y, QSize screen, const std::vector<QRect> &monitors, const Bitmap &picture,
                      WallpaperStyle style, ColorRef color);

}  // namespace pellimore

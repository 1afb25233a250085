#pragma once

#include <QRect>
#include <QSize>

#include "platform/desktop/DesktopService.h"
#include "platform/raster/Bitmap.h"

namespace pellimore {

// Where a picture larger than the desktop goes when it is fitted: the canvas
// (the picture scaled so that one side matches the desktop) and the rectangle
// the picture is drawn into, with at least a one-pixel margin.
struct FitLayout {
    QSize canvas;
    QRect picture;
};

// Whole part, as the classic Int(): towards minus infinity.
int WholePart(float value);
// A size times a single-precision factor, rounded to whole pixels; the
// product is exact enough that 1200 x (1022 / 1600) gives 767.
int ScaledPixels(int size, float factor);

// The fit of a picture of this size onto a desktop of this size. Both sizes
// must be positive.
FitLayout FitToDesktopLayout(QSize picture, QSize desktop);
// The picture drawn into its fitted canvas over the colour (halftone). The
// layout follows storedSize when given (the size the file stores, of which
// picture may be a reduced decode), else the picture's own size.
Bitmap FitToDesktop(const Bitmap &picture, QSize desktop, ColorRef backColor, QSize storedSize = QSize());
// The size a picture of this stored size is shown at on the desktop, when
// that is smaller than the picture (an empty size otherwise): the fitted
// rectangle, or for a stretched picture the desktop itself.
QSize WallpaperShownSize(QSize stored, QSize desktop, WallpaperStyle style);

// The picture over a colour: every pixel blended by its alpha onto the colour;
// the result is opaque and stands for 24 bits.
Bitmap LayOverColor(const Bitmap &picture, ColorRef color);

// What the wallpaper bitmap is made from.
struct WallpaperRenderInput {
    QSize desktop;
    bool largerThanDesktop = false;     // as the picture's analysis found it
    WallpaperStyle style = WallpaperStyle::Centered;
    ColorRef backColor = 0;
    bool gifNeedsBackground = false;    // a transparent GIF: laid over its colour
    bool animatedPreviewShown = false;  // an animated GIF: never fitted
    QSize storedSize;                   // the picture's size in its file, when it was decoded reduced
};

// The wallpaper bitmap of a picture: a picture that fits the desktop as it is
// (laid over its colour when it is a transparent GIF), a larger one fitted to
// the desktop over its colour, or unchanged when it is stretched (the desktop
// stretches it). No service is involved.
Bitmap RenderWallpaper(const Bitmap &picture, const WallpaperRenderInput &input);

// True when the picture is wider or higher than the desktop.
inline bool IsLargerThanDesktop(QSize picture, QSize desktop)
{
    return picture.width() > desktop.width() || picture.height() > desktop.height();
}

}  // namespace pellimore

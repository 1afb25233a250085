#pragma once

#include <QPoint>
#include <QSize>

#include "platform/raster/Bitmap.h"
#include "platform/raster/PictureSurface.h"

namespace pellimore {

// The shape of the monitor a thumbnail is framed in.
enum class MonitorShape { Wide, Square };

// The monitor frames hold their screen at the same place: the picture shown
// inside starts kMonitorScreenOffset logical pixels from the frame's top left.
constexpr QPoint kMonitorScreenOffset{11, 9};
// The screen sizes of the two frames (logical pixels), the thumbnail sizes
// FitMonitorPreview gives.
constexpr QSize kWideScreenSize{173, 110};
constexpr QSize kSquareScreenSize{167, 119};

// The product's pictures, drawn here rather than shipped so that they are
// sharp at any device pixel ratio: scale 2 draws them at twice the logical
// size for a double-density screen.
Bitmap DrawPellimoreTile(double scale = 1.0);
Bitmap DrawMonitorFrame(MonitorShape shape, double scale = 1.0);
// The program's icon: a small monitor showing a landscape, side x side
// pixels, drawn for its size (the notification area, the windows, the about box).
Bitmap DrawProgramIcon(int side);
// The logical size of a monitor frame.
QSize MonitorFrameSize(MonitorShape shape);

// The hidden picture form: the two desktop-sized canvases compositions are
// built on, the background picture holder and the product's pictures. It is
// never shown.
class frmPics {
public:
    // scale: the device pixel ratio the product's pictures are drawn for.
    explicit frmPics(double scale = 1.0);
    frmPics(const frmPics &) = delete;
    frmPics &operator=(const frmPics &) = delete;

    // The full-size canvas; the result of a composition is read from it.
    PictureSurface &picBack() { return picBack_; }
    // The front picture at the size it will be drawn.
    PictureSurface &picFront() { return picFront_; }
    // A loaded background picture; the tile when picBack is tiled.
    Bitmap &Image1() { return image1_; }
    // The product's tile, for windows that tile their own surface.
    const Bitmap &imgPellimore() const { return imgPellimore_; }
    const Bitmap &imgMonitorWS() const { return imgMonitorWS_; }
    const Bitmap &imgMonitorSq() const { return imgMonitorSq_; }
    // The frame for a desktop of the given size: wide when it is wider than 4:3.
    const Bitmap &MonitorFor(QSize desktop) const;

private:
    PictureSurface picBack_;
    PictureSurface picFront_;
    Bitmap image1_;
    Bitmap imgPellimore_;
    Bitmap imgMonitorWS_;
    Bitmap imgMonitorSq_;
};

// A desktop wider than 4:3.
bool IsWideDesktop(QSize desktop);

}  // namespace pellimore

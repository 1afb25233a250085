#pragma once

#include <QRect>
#include <QSize>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// How a picture is fitted to the screen (all in pixels).
struct FitPlan {
    bool oversize = false;  // larger than the screen: scaled down
    int sizeClass = 0;      // 0, 256 or 512: the block size for small pictures
    QSize scratch;          // oversize only: the size of the fitted picture
    QRect draw;             // oversize only: where the scaled picture lies in it
};

// Decides the fit of a picture of size area on a screen of size screen, while
// the show's visible picture has size shown. A picture that fits keeps its
// size and gets a size class; a larger one is scaled, keeping its aspect, to
// the screen along its binding side, two pixels short so a one-pixel margin
// of the scratch background surrounds it.
FitPlan PlanFit(QSize area, QSize screen, QSize shown);

// FitPicture: returns the picture as it is when it fits, or scaled down with
// halftone stretching onto a scratch picture of background colour scratchBack.
// plan receives the decisions. stored (when given) is the size the file
// stores, of which area is a reduced decode; the plan goes by it.
Bitmap FitPicture(const Bitmap &area, QSize screen, QSize shown, ColorRef scratchBack, FitPlan *plan,
                  QSize stored = QSize());

// The size a picture of this stored size is drawn at on the screen when it is
// larger than the screen; an empty size when it is shown as it is.
QSize ScreenShownSize(QSize stored, QSize screen);

}  // namespace pellimore

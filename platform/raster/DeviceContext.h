#pragma once

#include <QPoint>

#include "platform/raster/Bitmap.h"
#include "platform/raster/Raster.h"

namespace pellimore {

// The drawing state of a bitmap as the classic device context keeps it: the
// selected pen, the pen's raster operation, the stretch mode, the brush
// origin and the current position. It draws into a Bitmap it does not own
// (the bitmap object must outlive it; resizing the bitmap is fine). The
// block operations (BitBlt, StretchBlt, AlphaBlend, GradientFill) are the
// free functions of Raster.h applied to Target(); StretchBltMode() is the
// mode to pass to StretchBlt.
class DeviceContext {
public:
    explicit DeviceContext(Bitmap &target) : target_(&target) {}

    Bitmap &Target() { return *target_; }
    const Bitmap &Target() const { return *target_; }

    // Each setter returns the previous value, so a caller can restore it.
    Pen SelectPen(const Pen &pen);
    const Pen &SelectedPen() const { return pen_; }
    Rop2 SetRop2(Rop2 rop);
    Rop2 GetRop2() const { return rop2_; }
    StretchMode SetStretchBltMode(StretchMode mode);
    StretchMode StretchBltMode() const { return stretchMode_; }
    // Kept for callers that set and restore it; it changes no drawing here.
    QPoint SetBrushOrg(QPoint origin);
    QPoint BrushOrg() const { return brushOrg_; }

    // Sets the current position and returns the previous one.
    QPoint MoveToEx(int x, int y);
    QPoint CurrentPosition() const { return position_; }
    // Draws from the current position to (x, y) with the selected pen and
    // Rop2 (the end pixel is not drawn for a pen of width 1; see DrawLine),
    // then makes (x, y) the current position.
    void LineTo(int x, int y);

private:
    Bitmap *target_;
    Pen pen_;
    Rop2 rop2_ = Rop2::CopyPen;
    StretchMode stretchMode_ = StretchMode::ColorOnColor;
    QPoint brushOrg_;
    QPoint position_;
};

}  // namespace pellimore

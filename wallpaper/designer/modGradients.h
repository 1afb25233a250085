#pragma once

#include <QPoint>

#include <cstdint>
#include <vector>

#include "platform/raster/Bitmap.h"

namespace pellimore {

class DeviceContext;
class PictureSurface;
class SystemColors;
class Ui;

// A point of the sweep geometry, in single precision like the state it comes
// from.
struct SinglePoint {
    float x = 0;
    float y = 0;
};

// The angle-driven linear gradient of the designer: parallel one-pixel lines
// swept across the target, each in one colour of a ramp from the start colour
// to the end colour. One object holds the gradient state of the whole
// program; the Combine Pictures window sets it.
class modGradients {
public:
    // ui shows the routine's error messages; sysColors resolves system colour
    // references. Both must outlive the object.
    modGradients(Ui &ui, const SystemColors &sysColors);

    // Store a colour; a system colour reference is resolved at once.
    void SetStartColor(ColorRef color);
    void SetEndColor(ColorRef color);
    ColorRef StartColor() const { return startColor_; }
    ColorRef EndColor() const { return endColor_; }

    // The direction the colour runs from start to end, kept in [0, 360):
    // 0 left to right, 90 bottom to top, 180 right to left, 270 top to
    // bottom. 450 is stored as 90 and -90 as 270; a value that is not finite
    // counts as 0.
    void SetAngle(float degrees);
    float GetAngle() const { return angle_; }

    // Paints the whole target with the gradient of the current state and has
    // its view repaint once, afterwards. True when at least one line was
    // drawn; a target of width or height 1 or less is left alone (false).
    bool DrawGradient(PictureSurface &target);

    // Draws the lines onto dc's bitmap (width x height pixels) with dc's
    // Rop2. Returns the final value of the drawing loop's counter (twice the
    // number of lines drawn), or 0 after an error, which it reports itself.
    int32_t SweepLines(DeviceContext &dc, int width, int height);

    // The end points of the lines SweepLines draws, two per line, in drawing
    // order, for a width x height target and the current angle. The first
    // line lies on or just beyond the edge where the sweep begins; the list
    // ends with the first line wholly beyond the opposite edge.
    std::vector<QPoint> SweepPoints(int width, int height) const;

    // Fills ramp with n colours (n below 2 counts as 2) from c1 to c2 and
    // returns n. Each channel steps by (c2 - c1) / n; the first and the last
    // entry are c1 and c2 exactly.
    static int BuildColorRamp(ColorRef c1, ColorRef c2, int n, std::vector<ColorRef> &ramp);
    // Rotates point about centre by degrees, counter-clockwise on screen.
    static void RotatePoint(const SinglePoint &centre, SinglePoint &point, double degrees);
    // a / b, or 0 when b is 0.
    static double SafeDivide(double a, double b);

private:
    Ui &ui_;
    const SystemColors &sysColors_;
    ColorRef startColor_ = 0xFFFFFF;
    ColorRef endColor_ = 0;
    float angle_ = 0;
};

}  // namespace pellimore

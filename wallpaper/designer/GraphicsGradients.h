#pragma once

#include <cstdint>

#include "platform/raster/Bitmap.h"

// The gradient routines of the designer's graphics module: the dispatcher
// that paints a gradient background by kind, the radial "Sphere" fill and the
// diagonal-to-centre fill. The linear kinds go through modGradients.

namespace pellimore {

class PictureSurface;
class modGradients;

// The gradient kind: the index of the window's option button.
enum class GradientKind : int {
    Horizontal = 0,
    Vertical = 1,
    Sphere = 2,
    Diagonal = 3,
};

// The start and end colours split into channels (0 to 255), as the designer
// keeps them beside modGradients' colours.
struct GradientChannels {
    int16_t startRed = 255;
    int16_t startGreen = 255;
    int16_t startBlue = 255;
    int16_t endRed = 0;
    int16_t endGreen = 0;
    int16_t endBlue = 0;

    ColorRef StartColor() const;
    ColorRef EndColor() const;
    GradientChannels Swapped() const;
    // The channels of two resolved colours.
    static GradientChannels FromColors(ColorRef start, ColorRef end);
};

// The angle the designer window gives modGradients for a kind: Horizontal
// 90 (270 reversed), Vertical 0 (180), Sphere 0, Diagonal 315 (235).
float GradientAngle(int kind, bool reverse);

// Clears the target and paints the gradient of the kind: Horizontal,
// Vertical and plain Diagonal with modGradients (whose colours are used, not
// the channels), Sphere with DrawSphere, Diagonal with toCenter with
// DrawDiagonalToCenter. Any other kind only clears. A step that fails is
// skipped.
void PaintGradient(PictureSurface &target, modGradients &gradients, const GradientChannels &channels, int kind,
                   bool toCenter);

// PaintGradient with the window's current choices; the channels are swapped
// when reverse is set for Sphere, or for Diagonal with toCenter.
void PaintBackgroundGradient(PictureSurface &target, modGradients &gradients, const GradientChannels &channels,
                             int kind, bool reverse, bool toCenter);

// A radial fill: 36 triangles around (centreX, centreY) in pixels, the
// centre in centreColour and the 36 rim vertices at radius in edgeColour,
// drawn with one triangle GradientFill. Pixels outside the 36-sided circle
// keep what they were.
void DrawSphere(PictureSurface &target, int radius, int centreX, int centreY, ColorRef centreColour,
                ColorRef edgeColour);

// The start colour along the anti-diagonal, running towards the end colour at
// the top-left and bottom-right corners, drawn line by line with the
// exclusive-or pen over what the target holds. The target's draw mode is the
// same afterwards.
void DrawDiagonalToCenter(PictureSurface &target, const GradientChannels &channels);

// A byte b as a 16-bit vertex channel: b * 256, in a signed 16-bit field.
int16_t ByteToColor16(uint8_t value);
double SinDegrees(double degrees);
double CosDegrees(double degrees);

}  // namespace pellimore

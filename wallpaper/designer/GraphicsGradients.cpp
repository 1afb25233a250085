#include "wallpaper/designer/GraphicsGradients.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

#include "platform/raster/PictureSurface.h"
#include "platform/raster/Raster.h"
#include "wallpaper/designer/modGradients.h"

namespace pellimore {

namespace {

constexpr int kRimVertices = 36;

// Nearest integer, halves to the even neighbour (the default rounding mode).
int32_t Nearest(double value) { return int32_t(std::nearbyint(value)); }

uint8_t ChannelByte(double value) { return uint8_t(std::clamp(Nearest(value), 0, 255)); }

ColorRef RgbOfChannels(int16_t red, int16_t green, int16_t blue)
{
    return Rgb(ChannelByte(red), ChannelByte(green), ChannelByte(blue));
}

TriVertex Vertex(int32_t x, int32_t y, ColorRef color)
{
    TriVertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.Red = uint16_t(ByteToColor16(RedOf(color)));
    vertex.Green = uint16_t(ByteToColor16(GreenOf(color)));
    vertex.Blue = uint16_t(ByteToColor16(BlueOf(color)));
    // The fill writes the alpha byte too; the surface's fourth byte means
    // opacity, so the sphere is drawn opaque like the rest of the surface.
    vertex.Alpha = 0xFF00;
    return vertex;
}

// Runs one step of a routine that ignores failures: a failing step is
// skipped and the next one runs.
template <typename Step>
void IgnoringErrors(Step &&step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

void PaintSphere(PictureSurface &target, const GradientChannels &channels)
{
    const double h = target.Height();
    int radius = 0;
    IgnoringErrors([&] { radius = Nearest(h / 2 + h / 6); });
    const ColorRef startColour = channels.StartColor();
    const ColorRef endColour = channels.EndColor();
    IgnoringErrors([&] { target.SetBackColor(endColour); });
    // GradientFill works in device pixels, so the centre is taken in pixels
    // whatever the surface's scale unit.
    IgnoringErrors([&] {
        DrawSphere(target, radius, Nearest(target.Width() / 2.0), Nearest(target.Height() / 2.0), startColour,
                   endColour);
    });
}

}  // namespace

ColorRef GradientChannels::StartColor() const { return RgbOfChannels(startRed, startGreen, startBlue); }

ColorRef GradientChannels::EndColor() const { return RgbOfChannels(endRed, endGreen, endBlue); }

GradientChannels GradientChannels::Swapped() const
{
    return GradientChannels{endRed, endGreen, endBlue, startRed, startGreen, startBlue};
}

GradientChannels GradientChannels::FromColors(ColorRef start, ColorRef end)
{
    return GradientChannels{RedOf(start), GreenOf(start), BlueOf(start), RedOf(end), GreenOf(end), BlueOf(end)};
}

float GradientAngle(int kind, bool reverse)
{
    switch (GradientKind(kind)) {
    case GradientKind::Horizontal:
        return reverse ? 270.0f : 90.0f;
    case GradientKind::Vertical:
        return reverse ? 180.0f : 0.0f;
    case GradientKind::Diagonal:
        return reverse ? 235.0f : 315.0f;
    case GradientKind::Sphere:
        break;
    }
    return 0.0f;
}

void PaintGradient(PictureSurface &target, modGradients &gradients, const GradientChannels &channels, int kind,
                   bool toCenter)
{
    IgnoringErrors([&] { target.Cls(); });
    switch (kind) {
    case int(GradientKind::Horizontal):
    case int(GradientKind::Vertical):
        IgnoringErrors([&] { gradients.DrawGradient(target); });
        break;
    case int(GradientKind::Sphere):
        PaintSphere(target, channels);
        break;
    case int(GradientKind::Diagonal):
        if (toCenter)
            IgnoringErrors([&] { DrawDiagonalToCenter(target, channels); });
        else
            IgnoringErrors([&] { gradients.DrawGradient(target); });
        break;
    default:
        break;
    }
}

void PaintBackgroundGradient(PictureSurface &target, modGradients &gradients, const GradientChannels &channels,
                             int kind, bool reverse, bool toCenter)
{
    const bool swaps = kind == int(GradientKind::Sphere) || (kind == int(GradientKind::Diagonal) && toCenter);
    PaintGradient(target, gradients, reverse && swaps ? channels.Swapped() : channels, kind, toCenter);
}

void DrawSphere(PictureSurface &target, int radius, int centreX, int centreY, ColorRef centreColour,
                ColorRef edgeColour)
{
    std::array<TriVertex, kRimVertices + 1> vertices;
    for (int i = 0; i < kRimVertices; ++i) {
        const double degrees = 10.0 * i;
        vertices[std::size_t(i)] = Vertex(Nearest(radius * SinDegrees(degrees) + centreX),
                                          Nearest(centreY - radius * CosDegrees(degrees)), edgeColour);
    }
    vertices[kRimVertices] = Vertex(centreX, centreY, centreColour);

    std::array<GradientTriangle, kRimVertices> triangles;
    for (int i = 0; i < kRimVertices; ++i)
        triangles[std::size_t(i)] = {uint32_t(kRimVertices), uint32_t(i), uint32_t((i + 1) % kRimVertices)};

    GradientFill(target.Image(), vertices, triangles);
    target.Refresh();
}

void DrawDiagonalToCenter(PictureSurface &target, const GradientChannels &channels)
{
    // Left in xor mode, the surface would xor every later drawing; the mode is
    // put back once the fill is done.
    struct DrawModeRestorer {
        PictureSurface &surface;
        int mode;
        ~DrawModeRestorer() { surface.SetDrawMode(mode); }
    } restorer{target, target.DrawMode()};
    target.SetDrawMode(int(Rop2::XorPen));

    const double width = target.ScaleWidth();
    const double height = target.ScaleHeight();
    const double diagonal = std::sqrt(width * width + height * height);
    const double steps = 12 * (height / 100) + diagonal;
    const double deltaRed = (channels.endRed - channels.startRed) / steps;
    const double deltaGreen = (channels.endGreen - channels.startGreen) / steps;
    const double deltaBlue = (channels.endBlue - channels.startBlue) / steps;
    double red = channels.startRed;
    double green = channels.startGreen;
    double blue = channels.startBlue;
    auto colour = [&] { return Rgb(ChannelByte(red), ChannelByte(green), ChannelByte(blue)); };

    // A moves down towards the bottom-right corner, B up towards the top-left.
    double aLeftY = height - 1, aRightY = 0;
    double bLeftY = height - 1, bRightY = 0;
    target.Line(0, aLeftY, width, aRightY, colour());
    for (int i = 1; i <= width; ++i) {
        target.Line(0, aLeftY, width, aRightY, colour());
        target.Line(0, bLeftY, width, bRightY, colour());
        aLeftY += 1;
        aRightY += 1;
        bLeftY -= 1;
        bRightY -= 1;
        red += deltaRed;
        green += deltaGreen;
        blue += deltaBlue;
    }
}

int16_t ByteToColor16(uint8_t value) { return int16_t(uint16_t(value << 8)); }

double SinDegrees(double degrees) { return std::sin(degrees * std::atan(1.0) / 45.0); }

double CosDegrees(double degrees) { return std::cos(degrees * std::atan(1.0) / 45.0); }

}  // namespace pellimore

#include "wallpaper/designer/modGradients.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/ProgramNames.h"
#include "platform/colors/SystemColors.h"
#include "platform/raster/DeviceContext.h"
#include "platform/raster/PictureSurface.h"
#include "platform/ui/Ui.h"

namespace pellimore {

namespace {

const QString kSweepTitle = QStringLiteral("GradientRect");

// Nearest integer, halves to the even neighbour (the default rounding mode).
int32_t Nearest(double value) { return int32_t(std::nearbyint(value)); }

// degrees - floor(degrees / 360) * 360, in single precision like the stored
// angle; a result rounded up to 360 is 0.
float NormaliseDegrees(float degrees)
{
    if (!std::isfinite(degrees))
        return 0.0f;
    const float turns = std::floor(degrees / 360.0f);
    const float result = degrees - turns * 360.0f;
    return (result >= 360.0f || result < 0.0f) ? 0.0f : result;
}

QString ErrorText(const std::exception &error) { return QString::fromLocal8Bit(error.what()); }

// Where the sweep starts and which way it moves, by the angle's quadrant and
// the steepness of the rotated segment.
struct SweepStart {
    float ox = 0;
    float oy = 0;
    int sx = 0;
    int sy = 0;
};

SweepStart ChooseStart(float angle, const SinglePoint &p0, const SinglePoint &p1, int width, int height)
{
    const bool steep = std::fabs(p0.y - p1.y) >= std::fabs(p0.x - p1.x);
    const float maxX = std::max(p0.x, p1.x);
    const float minX = std::min(p0.x, p1.x);
    const float maxY = std::max(p0.y, p1.y);
    const float minY = std::min(p0.y, p1.y);
    SweepStart start;
    if (angle <= 90.0f) {
        if (steep)
            start = {-maxX, 0, 1, 0};
        else
            start = {0, float(height) - minY, 0, -1};
    } else if (angle <= 180.0f) {
        if (steep)
            start = {float(width) - minX, 0, -1, 0};
        else
            start = {0, float(height) - minY, 0, -1};
    } else if (angle <= 270.0f) {
        if (steep)
            start = {float(width) - minX, 0, -1, 0};
        else
            start = {0, -maxY, 0, 1};
    } else {
        if (steep)
            start = {-maxX, 0, 1, 0};
        else
            start = {0, -maxY, 0, 1};
    }
    return start;
}

bool BothBeyondFarEdge(const QPoint &a, const QPoint &b, const SweepStart &start, int width, int height)
{
    if (start.sx > 0)
        return a.x() > width && b.x() > width;
    if (start.sx < 0)
        return a.x() < 0 && b.x() < 0;
    if (start.sy > 0)
        return a.y() > height && b.y() > height;
    return a.y() < 0 && b.y() < 0;
}

}  // namespace

modGradients::modGradients(Ui &ui, const SystemColors &sysColors) : ui_(ui), sysColors_(sysColors) {}

void modGradients::SetStartColor(ColorRef color) { startColor_ = sysColors_.Resolve(color); }

void modGradients::SetEndColor(ColorRef color) { endColor_ = sysColors_.Resolve(color); }

void modGradients::SetAngle(float degrees) { angle_ = NormaliseDegrees(degrees); }

bool modGradients::DrawGradient(PictureSurface &target)
{
    bool drawn = false;
    try {
        const int width = target.Width();
        const int height = target.Height();
        if (width > 1 && height > 1)
            drawn = SweepLines(target.Dc(), width, height) > 0;
    } catch (const std::exception &error) {
        ui_.Message(ErrorText(error), MessageIcon::Exclamation, kApplicationTitle);
        drawn = false;
    }
    // The lines went straight into the bitmap: the view repaints once, now.
    target.Refresh();
    return drawn;
}

int32_t modGradients::SweepLines(DeviceContext &dc, int width, int height)
{
    try {
        const std::vector<QPoint> points = SweepPoints(width, height);
        const int32_t count = int32_t(points.size());
        std::vector<ColorRef> ramp;
        BuildColorRamp(startColor_, endColor_, Nearest(count / 2.0), ramp);

        int32_t i = 0;
        for (; i <= count - 2; i += 2) {
            const Pen previous = dc.SelectPen(Pen{ramp[std::size_t(i / 2)], 1, PenStyle::Solid});
            dc.MoveToEx(points[std::size_t(i)].x(), points[std::size_t(i)].y());
            dc.LineTo(points[std::size_t(i) + 1].x(), points[std::size_t(i) + 1].y());
            dc.SelectPen(previous);
        }
        return i;
    } catch (const std::exception &error) {
        ui_.Message(ErrorText(error), MessageIcon::Exclamation, kSweepTitle);
        return 0;
    }
}

std::vector<QPoint> modGradients::SweepPoints(int width, int height) const
{
    // A segment through the centre, perpendicular to the colour direction and
    // at least as long as the target's diagonal.
    const SinglePoint centre{float(width / 2), float(height / 2)};
    const double longer = std::max(width, height);
    const float half = float((std::sqrt(longer * longer + longer * longer) + 2.0) / 2.0);
    SinglePoint p0{centre.x - half, centre.y};
    SinglePoint p1{centre.x + half, centre.y};
    const float theta = NormaliseDegrees(angle_ + 90.0f);
    RotatePoint(centre, p0, theta);
    RotatePoint(centre, p1, theta);

    const SweepStart start = ChooseStart(angle_, p0, p1, width, height);
    std::vector<QPoint> points;
    points.reserve(1000);
    points.emplace_back(Nearest(p0.x + start.ox), Nearest(p0.y + start.oy));
    points.emplace_back(Nearest(p1.x + start.ox), Nearest(p1.y + start.oy));
    for (;;) {
        if (points.size() % 1000 == 0)
            points.reserve(points.size() + 1000);
        const QPoint &twoBack = points[points.size() - 2];
        points.emplace_back(twoBack.x() + start.sx, twoBack.y() + start.sy);
        if (BothBeyondFarEdge(points[points.size() - 2], points.back(), start, width, height))
            break;
    }
    points.shrink_to_fit();
    return points;
}

int modGradients::BuildColorRamp(ColorRef c1, ColorRef c2, int n, std::vector<ColorRef> &ramp)
{
    n = std::max(n, 2);
    const float r1 = RedOf(c1), g1 = GreenOf(c1), b1 = BlueOf(c1);
    const float redStep = float(SafeDivide(float(RedOf(c2)) - r1, n));
    const float greenStep = float(SafeDivide(float(GreenOf(c2)) - g1, n));
    const float blueStep = float(SafeDivide(float(BlueOf(c2)) - b1, n));

    ramp.assign(std::size_t(n), 0);
    ramp.front() = c1;
    ramp.back() = c2;
    for (int i = 1; i <= n - 2; ++i) {
        const float fi = float(i);
        const int32_t red = Nearest(r1 + fi * redStep);
        const int32_t green = Nearest(g1 + fi * greenStep);
        const int32_t blue = Nearest(b1 + fi * blueStep);
        ramp[std::size_t(i)] = ColorRef(red + green * 256 + blue * 65536);
    }
    return n;
}

void modGradients::RotatePoint(const SinglePoint &centre, SinglePoint &point, double degrees)
{
    const double a = degrees * 0.017453292519943278;
    const double dx = double(point.x) - centre.x;
    const double dy = double(point.y) - centre.y;
    point.x = float(centre.x + dx * std::cos(a) + dy * std::sin(a));
    point.y = float(centre.y - dx * std::sin(a) + dy * std::cos(a));
}

double modGradients::SafeDivide(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

}  // namespace pellimore

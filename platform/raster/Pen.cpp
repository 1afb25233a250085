// Pens: binary raster operations, lines, rectangle outlines and fills.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/raster/Raster.h"

namespace pellimore {

namespace {

constexpr Pixel kColourBits = 0x00FFFFFF;
constexpr Pixel kAlphaBits = 0xFF000000;

// Pixels touched by one pen pass, with their operation fixed at compile time.
template <typename Op>
struct Plotter {
    Bitmap &dst;
    Pixel pen;
    Op op;
    void Plot(int x, int y) const
    {
        Pixel &d = dst.Row(y)[x];
        d = op(d, pen);
    }
    void Span(int y, int x0, int x1) const  // [x0, x1], already clipped
    {
        Pixel *row = dst.Row(y);
        for (int x = x0; x <= x1; ++x)
            row[x] = op(row[x], pen);
    }
};

// Calls f with a functor (dst, pen) -> pixel for the rop. Operations that do
// not read the destination write an opaque pixel; the others keep the
// destination's alpha byte.
template <typename F>
void WithRop2(Rop2 rop, F &&f)
{
    auto keep = [](Pixel d, Pixel v) { return (v & kColourBits) | (d & kAlphaBits); };
    switch (rop) {
    case Rop2::Black: f([](Pixel, Pixel) { return kAlphaBits; }); break;
    case Rop2::NotMergePen: f([=](Pixel d, Pixel p) { return keep(d, ~(d | p)); }); break;
    case Rop2::MaskNotPen: f([=](Pixel d, Pixel p) { return keep(d, d & ~p); }); break;
    case Rop2::NotCopyPen: f([](Pixel, Pixel p) { return (~p & kColourBits) | kAlphaBits; }); break;
    case Rop2::MaskPenNot: f([=](Pixel d, Pixel p) { return keep(d, p & ~d); }); break;
    case Rop2::Not: f([](Pixel d, Pixel) { return d ^ kColourBits; }); break;
    case Rop2::XorPen: f([](Pixel d, Pixel p) { return d ^ (p & kColourBits); }); break;
    case Rop2::NotMaskPen: f([=](Pixel d, Pixel p) { return keep(d, ~(d & p)); }); break;
    case Rop2::MaskPen: f([=](Pixel d, Pixel p) { return keep(d, d & p); }); break;
    case Rop2::NotXorPen: f([=](Pixel d, Pixel p) { return keep(d, ~(d ^ p)); }); break;
    case Rop2::Nop: break;
    case Rop2::MergeNotPen: f([=](Pixel d, Pixel p) { return keep(d, d | ~p); }); break;
    case Rop2::CopyPen: f([](Pixel, Pixel p) { return (p & kColourBits) | kAlphaBits; }); break;
    case Rop2::MergePenNot: f([=](Pixel d, Pixel p) { return keep(d, p | ~d); }); break;
    case Rop2::MergePen: f([=](Pixel d, Pixel p) { return keep(d, d | p); }); break;
    case Rop2::White: f([](Pixel, Pixel) { return Pixel(0xFFFFFFFF); }); break;
    }
}

template <typename F>
void WithPlotter(Bitmap &dst, ColorRef color, Rop2 rop, F &&f)
{
    const Pixel pen = PixelFromColorRef(color & 0xFFFFFF);
    WithRop2(rop, [&](auto op) { f(Plotter<decltype(op)>{dst, pen, op}); });
}

// On/off runs of the dashed cosmetic pens.
std::vector<int> DashPattern(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return {18, 6};
    case PenStyle::Dot: return {3, 3};
    case PenStyle::DashDot: return {9, 6, 3, 6};
    case PenStyle::DashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

// Tells, pixel by pixel along a path, whether a dashed pen is on.
class Dasher {
public:
    explicit Dasher(PenStyle style) : pattern_(DashPattern(style))
    {
        for (int run : pattern_)
            period_ += run;
    }
    bool On(int64_t position) const
    {
        if (pattern_.empty())
            return true;
        int64_t p = position % period_;
        for (std::size_t i = 0; i < pattern_.size(); ++i) {
            if (p < pattern_[i])
                return i % 2 == 0;
            p -= pattern_[i];
        }
        return true;
    }

private:
    std::vector<int> pattern_;
    int period_ = 0;
};

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// A one-pixel line without its end pixel: along the major axis, step t from 0
// to n - 1, the minor offset is t * dMinor / n rounded half up (Bresenham's
// choice). Only the steps inside the bitmap are visited.
template <typename P>
void ThinLine(const P &plot, int x1, int y1, int x2, int y2, const Dasher &dasher)
{
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (n == 0)
        return;
    const int64_t majorStep = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int64_t minorDelta = xMajor ? dy : dx;
    const int64_t minorStep = minorDelta >= 0 ? 1 : -1;
    const int64_t dm = std::llabs(minorDelta);
    const int64_t majorStart = xMajor ? x1 : y1, minorStart = xMajor ? y1 : x1;
    const int64_t majorLimit = xMajor ? plot.dst.Width() : plot.dst.Height();
    const int64_t minorLimit = xMajor ? plot.dst.Height() : plot.dst.Width();
    // Steps whose major coordinate lies inside the bitmap.
    int64_t tFrom = 0, tTo = n - 1;
    if (majorStep > 0) {
        tFrom = std::max<int64_t>(tFrom, -majorStart);
        tTo = std::min<int64_t>(tTo, majorLimit - 1 - majorStart);
    } else {
        tFrom = std::max<int64_t>(tFrom, majorStart - (majorLimit - 1));
        tTo = std::min<int64_t>(tTo, majorStart);
    }
    if (tFrom > tTo)
        return;
    const int64_t den = 2 * n;
    int64_t num = 2 * tFrom * dm + n;
    int64_t q = FloorDiv(num, den);
    int64_t r = num - q * den;
    for (int64_t t = tFrom; t <= tTo; ++t) {
        const int64_t major = majorStart + t * majorStep;
        const int64_t minor = minorStart + q * minorStep;
        if (minor >= 0 && minor < minorLimit && dasher.On(t)) {
            if (xMajor)
                plot.Plot(int(major), int(minor));
            else
                plot.Plot(int(minor), int(major));
        }
        r += 2 * dm;
        if (r >= den) {
            r -= den;
            ++q;
        }
    }
}

// A wide pen: the pixels whose centres lie closer than width/2 to the segment
// (round caps). In doubled coordinates a pixel centre is (2x + 1, 2y + 1);
// an odd-width segment runs through pixel centres and an even-width one
// through pixel corners, so that axis-aligned lines cover exactly width rows
// (from -width/2 to (width - 1)/2 around the line's pixel) with no ties.
// Whether the pixel centre (px, py) lies closer than r to the segment a-b, in
// doubled coordinates. T is __int128 (exact) for coordinates up to 2^24, and
// long double beyond, where the products would not fit.
template <typename T>
bool InsideCapsule(int64_t px, int64_t py, T ax, T ay, T bx, T by, T r2)
{
    const T cx = 2 * T(px) + 1, cy = 2 * T(py) + 1;
    const T vx = bx - ax, vy = by - ay;
    const T len2 = vx * vx + vy * vy;
    const T wx = cx - ax, wy = cy - ay;
    const T t = wx * vx + wy * vy;
    if (len2 == 0 || t <= 0)
        return wx * wx + wy * wy < r2;
    if (t >= len2) {
        const T ex = cx - bx, ey = cy - by;
        return ex * ex + ey * ey < r2;
    }
    const T cross = wx * vy - wy * vx;  // distance to the line times |v|
    return cross * cross < r2 * len2;
}

// A wide pen: the pixels whose centres lie closer than width/2 to the segment
// (round caps). In doubled coordinates a pixel centre is (2x + 1, 2y + 1);
// an odd-width segment runs through pixel centres and an even-width one
// through pixel corners, so that axis-aligned lines cover exactly width rows
// (from -width/2 to (width - 1)/2 around the line's pixel) with no ties.
template <typename P>
void WideLine(const P &plot, int x1, int y1, int x2, int y2, int width)
{
    constexpr int64_t kExactLimit = int64_t(1) << 24;
    width = std::min<int>(width, int(kExactLimit));
    const int64_t o = width % 2;
    const bool exact = std::max({std::llabs(x1), std::llabs(x2), std::llabs(y1), std::llabs(y2)}) <= kExactLimit;
    auto inside = [&](int64_t px, int64_t py) {
        if (exact) {
            using T = __int128;
            return InsideCapsule<T>(px, py, 2 * T(x1) + o, 2 * T(y1) + o, 2 * T(x2) + o, 2 * T(y2) + o,
                                    T(width) * width);
        }
        using T = long double;
        return InsideCapsule<T>(px, py, 2 * T(x1) + o, 2 * T(y1) + o, 2 * T(x2) + o, 2 * T(y2) + o,
                                T(width) * width);
    };
    const double half = width / 2.0 + 1;
    const int64_t top = std::max<int64_t>(int64_t(std::floor(std::min(y1, y2) - half)), 0);
    const int64_t bottom = std::min<int64_t>(int64_t(std::ceil(std::max(y1, y2) + half)), plot.dst.Height() - 1);
    const int64_t leftLimit = std::max<int64_t>(int64_t(std::floor(std::min(x1, x2) - half)), 0);
    const int64_t rightLimit = std::min<int64_t>(int64_t(std::ceil(std::max(x1, x2) + half)), plot.dst.Width() - 1);
    if (top > bottom || leftLimit > rightLimit)
        return;
    // Row by row, an estimate of the covered span (the shape is convex), then
    // an exact test of every pixel in it and one beyond on each side.
    const double fx1 = x1 + o * 0.5, fy1 = y1 + o * 0.5, fx2 = x2 + o * 0.5, fy2 = y2 + o * 0.5;
    const double rad = width / 2.0;
    for (int64_t y = top; y <= bottom; ++y) {
        const double cy = y + 0.5;
        double lo = 1e300, hi = -1e300;
        auto disc = [&](double ccx, double ccy) {
            const double dyc = cy - ccy;
            const double s = rad * rad - dyc * dyc;
            if (s >= 0) {
                lo = std::min(lo, ccx - std::sqrt(s));
                hi = std::max(hi, ccx + std::sqrt(s));
            }
        };
        disc(fx1, fy1);
        disc(fx2, fy2);
        const double ddx = fx2 - fx1, ddy = fy2 - fy1;
        const double len = std::sqrt(ddx * ddx + ddy * ddy);
        if (len > 0 && std::fabs(ddy) > 1e-12) {
            // Band |cross| < rad*len intersected with 0 <= projection <= len^2.
            double bandLo = -1e300, bandHi = 1e300;
            auto limit = [&](double a, double b, double cLo, double cHi) {
                // cLo <= a*x + b <= cHi
                if (std::fabs(a) < 1e-12) {
                    if (b < cLo || b > cHi) {
                        bandLo = 1e300;
                        bandHi = -1e300;
                    }
                    return;
                }
                double u = (cLo - b) / a, v = (cHi - b) / a;
                if (u > v)
                    std::swap(u, v);
                bandLo = std::max(bandLo, u);
                bandHi = std::min(bandHi, v);
            };
            // cross = ddx*(cy - fy1) - ddy*(x - fx1)
            limit(-ddy, ddx * (cy - fy1) + ddy * fx1, -rad * len, rad * len);
            // proj = ddx*(x - fx1) + ddy*(cy - fy1)
            limit(ddx, -ddx * fx1 + ddy * (cy - fy1), 0, len * len);
            if (bandLo <= bandHi) {
                lo = std::min(lo, bandLo);
                hi = std::max(hi, bandHi);
            }
        } else if (len > 0 && std::fabs(cy - fy1) < rad) {
            lo = std::min(lo, std::min(fx1, fx2));
            hi = std::max(hi, std::max(fx1, fx2));
        }
        if (lo > hi)
            continue;
        const int64_t from = std::max<int64_t>(int64_t(std::floor(lo)) - 1, leftLimit);
        const int64_t to = std::min<int64_t>(int64_t(std::ceil(hi)) + 1, rightLimit);
        for (int64_t x = from; x <= to; ++x) {
            if (inside(x, y))
                plot.Plot(int(x), int(y));
        }
    }
}

// Pixels of the frame between an outer and an inner rectangle (inclusive
// bounds), each visited once. An empty inner rectangle fills the outer one.
template <typename P>
void Frame(const P &plot, int64_t ol, int64_t ot, int64_t orr, int64_t ob, int64_t il, int64_t it, int64_t ir,
           int64_t ib)
{
    const int64_t w = plot.dst.Width(), h = plot.dst.Height();
    const bool hollow = il <= ir && it <= ib;
    for (int64_t y = std::max<int64_t>(ot, 0); y <= std::min<int64_t>(ob, h - 1); ++y) {
        auto span = [&](int64_t a, int64_t b) {
            a = std::max<int64_t>(a, 0);
            b = std::min<int64_t>(b, w - 1);
            if (a <= b)
                plot.Span(int(y), int(a), int(b));
        };
        if (hollow && y >= it && y <= ib) {
            span(ol, il - 1);
            span(ir + 1, orr);
        } else {
            span(ol, orr);
        }
    }
}

}  // namespace

Pixel ApplyRop2(Pixel dst, Pixel pen, Rop2 rop)
{
    Pixel out = dst;
    WithRop2(rop, [&](auto op) { out = op(dst, pen); });
    return out;
}

void DrawLine(Bitmap &dst, int x1, int y1, int x2, int y2, const Pen &pen, Rop2 rop)
{
    if (pen.style == PenStyle::Null || dst.IsNull())
        return;
    const int width = std::max(pen.width, 1);
    WithPlotter(dst, pen.color, rop, [&](const auto &plot) {
        if (width == 1)
            ThinLine(plot, x1, y1, x2, y2, Dasher(pen.style));
        else
            WideLine(plot, x1, y1, x2, y2, width);
    });
}

void DrawRectangleOutline(Bitmap &dst, int x1, int y1, int x2, int y2, const Pen &pen, Rop2 rop)
{
    if (pen.style == PenStyle::Null || dst.IsNull())
        return;
    const int64_t l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    const int64_t w = std::max(pen.width, 1);
    const bool dashed = w == 1 && !DashPattern(pen.style).empty();
    WithPlotter(dst, pen.color, rop, [&](const auto &plot) {
        if (dashed) {
            // Clockwise from the top-left corner, each pixel once.
            const Dasher dasher(pen.style);
            int64_t position = 0;
            auto put = [&](int64_t x, int64_t y) {
                if (x >= 0 && y >= 0 && x < dst.Width() && y < dst.Height() && dasher.On(position))
                    plot.Plot(int(x), int(y));
                ++position;
            };
            for (int64_t x = l; x <= r; ++x)
                put(x, t);
            for (int64_t y = t + 1; y <= b; ++y)
                put(r, y);
            if (b > t) {
                for (int64_t x = r - 1; x >= l; --x)
                    put(x, b);
            }
            if (r > l) {
                for (int64_t y = b - 1; y > t; --y)
                    put(l, y);
            }
            return;
        }
        if (pen.style == PenStyle::InsideFrame)
            Frame(plot, l, t, r, b, l + w, t + w, r - w, b - w);
        else
            Frame(plot, l - w / 2, t - w / 2, r + (w - 1) / 2, b + (w - 1) / 2, l + (w - 1) / 2 + 1,
                  t + (w - 1) / 2 + 1, r - w / 2 - 1, b - w / 2 - 1);
    });
}

void FillRectangle(Bitmap &dst, int x1, int y1, int x2, int y2, ColorRef color, Rop2 rop)
{
    if (dst.IsNull())
        return;
    const int64_t l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    WithPlotter(dst, color, rop, [&](const auto &plot) { Frame(plot, l, t, r, b, 1, 1, 0, 0); });
}

}  // namespace pellimore

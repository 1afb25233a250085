// GradientFill in rectangle and triangle mode.
#include <algorithm>
#include <cstdlib>

#include "platform/raster/Raster.h"

namespace pellimore {

namespace {

// Vertex positions beyond this are refused, so edge functions fit in 64 bits.
constexpr int64_t kMaxCoordinate = int64_t(1) << 24;

struct Channels {
    int64_t c[4];  // red, green, blue, alpha, 16-bit
};

Channels ChannelsOf(const TriVertex &v)
{
    return {{v.Red, v.Green, v.Blue, v.Alpha}};
}

Pixel PixelOf16(int64_t r, int64_t g, int64_t b, int64_t a)
{
    auto byte = [](int64_t v) { return uint8_t(std::clamp<int64_t>(v, 0, 0xFFFF) >> 8); };
    return MakePixel(byte(r), byte(g), byte(b), byte(a));
}

// Colour k of a run of n from first to last, both ends exact.
Pixel RunPixel(const Channels &first, const Channels &last, int64_t k, int64_t n)
{
    if (n <= 1)
        return PixelOf16(first.c[0], first.c[1], first.c[2], first.c[3]);
    const int64_t den = n - 1;
    int64_t out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = (first.c[c] * (den - k) + last.c[c] * k + den / 2) / den;
    return PixelOf16(out[0], out[1], out[2], out[3]);
}

void FillRect(Bitmap &dst, const TriVertex &a, const TriVertex &b, bool vertical)
{
    const int64_t left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const int64_t top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(right, dst.Width());
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, dst.Height());
    if (x0 >= x1 || y0 >= y1)
        return;
    // The colour runs from the vertex nearer the left (top) edge.
    const bool aFirst = vertical ? a.y <= b.y : a.x <= b.x;
    const Channels first = ChannelsOf(aFirst ? a : b), last = ChannelsOf(aFirst ? b : a);
    if (vertical) {
        for (int64_t y = y0; y < y1; ++y) {
            const Pixel p = RunPixel(first, last, y - top, bottom - top);
            std::fill(dst.Row(int(y)) + x0, dst.Row(int(y)) + x1, p);
        }
        return;
    }
    Pixel *firstRow = dst.Row(int(y0));
    for (int64_t x = x0; x < x1; ++x)
        firstRow[x] = RunPixel(first, last, x - left, right - left);
    for (int64_t y = y0 + 1; y < y1; ++y)
        std::copy(firstRow + x0, firstRow + x1, dst.Row(int(y)) + x0);
}

bool CoordinatesAllowed(const TriVertex &v)
{
    return std::llabs(v.x) <= kMaxCoordinate && std::llabs(v.y) <= kMaxCoordinate;
}

// Edge function: twice the signed area of (a, b, p).
inline int64_t Edge(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t px, int64_t py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

void FillTriangle(Bitmap &dst, const TriVertex &v0, const TriVertex &v1, const TriVertex &v2)
{
    const int64_t area = Edge(v0.x, v0.y, v1.x, v1.y, v2.x, v2.y);
    if (area == 0)
        return;
    const int64_t minX = std::max<int64_t>(std::min({v0.x, v1.x, v2.x}), 0);
    const int64_t maxX = std::min<int64_t>(std::max({v0.x, v1.x, v2.x}), dst.Width() - 1);
    const int64_t minY = std::max<int64_t>(std::min({v0.y, v1.y, v2.y}), 0);
    const int64_t maxY = std::min<int64_t>(std::max({v0.y, v1.y, v2.y}), dst.Height() - 1);
    if (minX > maxX || minY > maxY)
        return;
    const Channels c0 = ChannelsOf(v0), c1 = ChannelsOf(v1), c2 = ChannelsOf(v2);
    const int64_t sign = area > 0 ? 1 : -1;
    const int64_t absArea = area * sign;
    for (int64_t y = minY; y <= maxY; ++y) {
        Pixel *row = dst.Row(int(y));
        // Weights of the vertices at (minX, y), and their steps along x.
        int64_t w0 = Edge(v1.x, v1.y, v2.x, v2.y, minX, y) * sign;
        int64_t w1 = Edge(v2.x, v2.y, v0.x, v0.y, minX, y) * sign;
        int64_t w2 = Edge(v0.x, v0.y, v1.x, v1.y, minX, y) * sign;
        const int64_t s0 = -(v2.y - v1.y) * sign, s1 = -(v0.y - v2.y) * sign, s2 = -(v1.y - v0.y) * sign;
        for (int64_t x = minX; x <= maxX; ++x, w0 += s0, w1 += s1, w2 += s2) {
            if (w0 < 0 || w1 < 0 || w2 < 0)
                continue;
            int64_t out[4];
            for (int c = 0; c < 4; ++c)
                out[c] = (c0.c[c] * w0 + c1.c[c] * w1 + c2.c[c] * w2 + absArea / 2) / absArea;
            row[x] = PixelOf16(out[0], out[1], out[2], out[3]);
        }
    }
}

}  // namespace

TriVertex MakeTriVertex(int32_t x, int32_t y, ColorRef color, uint8_t alpha)
{
    TriVertex v;
    v.x = x;
    v.y = y;
    v.Red = uint16_t(RedOf(color) << 8);
    v.Green = uint16_t(GreenOf(color) << 8);
    v.Blue = uint16_t(BlueOf(color) << 8);
    v.Alpha = uint16_t(alpha << 8);
    return v;
}

bool GradientFill(Bitmap &dst, std::span<const TriVertex> vertices, std::span<const GradientRect> mesh,
                  GradientFillMode mode)
{
    if (mode != GradientFillMode::RectH && mode != GradientFillMode::RectV)
        return false;
    for (const GradientRect &r : mesh) {
        if (r.UpperLeft >= vertices.size() || r.LowerRight >= vertices.size())
            return false;
    }
    if (dst.IsNull())
        return true;
    for (const GradientRect &r : mesh)
        FillRect(dst, vertices[r.UpperLeft], vertices[r.LowerRight], mode == GradientFillMode::RectV);
    return true;
}

bool GradientFill(Bitmap &dst, std::span<const TriVertex> vertices, std::span<const GradientTriangle> mesh)
{
    for (const GradientTriangle &t : mesh) {
        if (t.Vertex1 >= vertices.size() || t.Vertex2 >= vertices.size() || t.Vertex3 >= vertices.size())
            return false;
    }
    for (const TriVertex &v : vertices) {
        if (!CoordinatesAllowed(v))
            return false;
    }
    if (dst.IsNull())
        return true;
    for (const GradientTriangle &t : mesh)
        FillTriangle(dst, vertices[t.Vertex1], vertices[t.Vertex2], vertices[t.Vertex3]);
    return true;
}

}  // namespace pellimore

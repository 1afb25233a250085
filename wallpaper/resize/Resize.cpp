#include "wallpaper/resize/Resize.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/raster/PictureSurface.h"

namespace pellimore {

namespace {

constexpr Pixel kWhite = MakePixel(255, 255, 255);

// Nearest integer, halves to even, for |value| < 2^51: adding and taking away
// 1.5 * 2^52 leaves the value rounded in the default rounding mode.
inline double NearestValue(double value)
{
    constexpr double kShift = 6755399441055744.0;
    return (value + kShift) - kShift;
}

inline uint8_t NearestByte(double value) { return uint8_t(std::clamp(NearestValue(value), 0.0, 255.0)); }

// sum / n rounded half to even, exactly: a floating estimate corrected with
// integer arithmetic.
inline uint32_t NearestQuotient(uint64_t sum, uint64_t n, double inverse)
{
    uint64_t q = uint64_t(double(sum) * inverse);
    if (q * n > sum)
        --q;
    else if ((q + 1) * n <= sum)
        ++q;
    const uint64_t twice = 2 * (sum - q * n);
    if (twice > n || (twice == n && (q & 1)))
        ++q;
    return uint32_t(q);
}

// dw / (sw - 1) in single precision; a source of one pixel or less has no
// finite factor (every position maps onto its start).
float ScaleFactor(float destinationSize, float sourceSize)
{
    const float span = sourceSize - 1.0f;
    return span > 0.0f ? destinationSize / span : std::numeric_limits<float>::infinity();
}

// floor((i - d) / k + s), clamped into a range that fits an int.
double Position(double i, float d, float k, float s)
{
    const double offset = std::isinf(k) ? 0.0 : (i - double(d)) / double(k);
    return std::clamp(std::floor(offset + double(s)), -1e9, 1e9);
}

// The source block of each destination column (or row) of the area average,
// clipped to the source; an empty block has first > last.
struct Block {
    int first = 0;
    int last = -1;
    bool Empty() const { return first > last; }
    int Size() const { return last - first + 1; }
};

std::vector<Block> ShrinkBlocks(int count, float d, float k, float s, int sourceSize)
{
    std::vector<Block> blocks(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double first = Position(i, d, k, s);
        // A block narrower than one pixel (the other direction grows) takes one.
        const double last = std::max(first, Position(double(i) + 1, d, k, s) - 1);
        Block &block = blocks[std::size_t(i)];
        block.first = int(std::max(first, 0.0));
        block.last = int(std::min(last, double(sourceSize - 1)));
    }
    return blocks;
}

// The two source pixels and the weight of the second for each destination
// column (or row) of the bilinear filter.
struct Tap {
    int i0 = 0;
    int i1 = 0;
    double weight = 0;  // of i1
    bool valid = false;
};

std::vector<Tap> EnlargeTaps(int count, float d, float k, float s, float size, int sourceSize)
{
    std::vector<Tap> taps(static_cast<std::size_t>(count));
    const bool single = size < 2.0f;
    for (int i = 0; i < count; ++i) {
        Tap &tap = taps[std::size_t(i)];
        if (single) {
            // Nothing to blend with: the one pixel of the source rectangle.
            const double at = std::floor(double(s));
            tap.valid = at >= 0 && at < sourceSize;
            tap.i0 = tap.i1 = tap.valid ? int(at) : 0;
            continue;
        }
        const double f = double(s) + (double(i) - double(d)) / double(k);
        const double at = std::floor(f);
        tap.valid = at >= 0 && at <= double(size) - 2 && at + 1 <= sourceSize - 1;
        if (tap.valid) {
            tap.i0 = int(at);
            tap.i1 = tap.i0 + 1;
            tap.weight = f - at;
        }
    }
    return taps;
}

bool Usable(const Bitmap &source, const Bitmap &destination, const ResizeGeometry &geometry)
{
    return !source.IsNull() && !destination.IsNull() && &source != &destination && geometry.IsUsable();
}

// Runs a bitmap filter on surfaces: the destination's drawing image is
// rewritten and becomes its picture.
template <typename Filter>
bool OnSurfaces(Filter filter, PictureSurface &source, PictureSurface &destination, const ResizeGeometry &geometry)
{
    Bitmap &target = destination.Image();
    bool done = false;
    if (&source == &destination) {
        Bitmap result(target.Width(), target.Height(), target.BitCount());
        done = filter(source.Image(), result, geometry);
        if (done)
            std::memcpy(target.Bits(), result.Bits(), std::size_t(target.Stride()) * std::size_t(target.Height()));
    } else {
        done = filter(source.Image(), target, geometry);
    }
    if (done) {
        destination.TakeImageAsPicture();
        destination.Refresh();
    }
    return done;
}

}  // namespace

bool ResizeGeometry::IsUsable() const
{
    for (float value : {sx, sy, sw, sh, dx, dy, dw, dh}) {
        if (!std::isfinite(value))
            return false;
    }
    return sw > 0 && sh > 0 && dw > 0 && dh > 0;
}

bool ShrinkBitmap(const Bitmap &source, Bitmap &destination, const ResizeGeometry &g)
{
    if (!Usable(source, destination, g))
        return false;
    const std::vector<Block> columns =
        ShrinkBlocks(destination.Width(), g.dx, ScaleFactor(g.dw, g.sw), g.sx, source.Width());
    const std::vector<Block> rows =
        ShrinkBlocks(destination.Height(), g.dy, ScaleFactor(g.dh, g.sh), g.sy, source.Height());

    // Each destination pixel sums its block straight from the source rows;
    // the rows of one block stay in the cache across a destination row. The
    // sums are 64 bits wide, so any block size stays exact.
    for (int y = 0; y < destination.Height(); ++y) {
        Pixel *out = destination.Row(y);
        const Block &rowBlock = rows[std::size_t(y)];
        if (rowBlock.Empty()) {
            std::fill(out, out + destination.Width(), kWhite);
            continue;
        }
        uint64_t lastN = 0;
        double inverse = 0;
        for (int x = 0; x < destination.Width(); ++x) {
            const Block &columnBlock = columns[std::size_t(x)];
            if (columnBlock.Empty()) {
                out[x] = kWhite;
                continue;
            }
            uint64_t blue = 0, green = 0, red = 0;
            for (int v = rowBlock.first; v <= rowBlock.last; ++v) {
                const Pixel *in = source.Row(v);
                for (int u = columnBlock.first; u <= columnBlock.last; ++u) {
                    const Pixel p = in[u];
                    blue += p & 0xFF;
                    green += (p >> 8) & 0xFF;
                    red += (p >> 16) & 0xFF;
                }
            }
            const uint64_t n = uint64_t(columnBlock.Size()) * uint64_t(rowBlock.Size());
            if (n != lastN) {
                lastN = n;
                inverse = 1.0 / double(n);
            }
            out[x] = MakePixel(uint8_t(NearestQuotient(red, n, inverse)), uint8_t(NearestQuotient(green, n, inverse)),
                               uint8_t(NearestQuotient(blue, n, inverse)));
        }
    }
    return true;
}

bool EnlargeBitmap(const Bitmap &source, Bitmap &destination, const ResizeGeometry &g)
{
    if (!Usable(source, destination, g))
        return false;
    const std::vector<Tap> columns =
        EnlargeTaps(destination.Width(), g.dx, ScaleFactor(g.dw, g.sw), g.sx, g.sw, source.Width());
    const std::vector<Tap> rows =
        EnlargeTaps(destination.Height(), g.dy, ScaleFactor(g.dh, g.sh), g.sy, g.sh, source.Height());

    for (int y = 0; y < destination.Height(); ++y) {
        Pixel *out = destination.Row(y);
        const Tap &row = rows[std::size_t(y)];
        if (!row.valid) {
            std::fill(out, out + destination.Width(), kWhite);
            continue;
        }
        const Pixel *top = source.Row(row.i0);
        const Pixel *bottom = source.Row(row.i1);
        const double ay = row.weight;
        const double by = 1 - ay;
        for (int x = 0; x < destination.Width(); ++x) {
            const Tap &column = columns[std::size_t(x)];
            if (!column.valid) {
                out[x] = kWhite;
                continue;
            }
            const double ax = column.weight;
            const double bx = 1 - ax;
            const Pixel p00 = top[column.i0];     // (ix, iy)
            const Pixel p01 = bottom[column.i0];  // (ix, iy + 1)
            const Pixel p10 = top[column.i1];     // (ix + 1, iy)
            const Pixel p11 = bottom[column.i1];  // (ix + 1, iy + 1)
            auto blend = [&](int shift) {
                const double c00 = (p00 >> shift) & 0xFF, c01 = (p01 >> shift) & 0xFF;
                const double c10 = (p10 >> shift) & 0xFF, c11 = (p11 >> shift) & 0xFF;
                return NearestByte(c00 * bx * by + c01 * bx * ay + c10 * ax * by + c11 * ax * ay);
            };
            out[x] = MakePixel(blend(16), blend(8), blend(0));
        }
    }
    return true;
}

bool ResizeBitmap(const Bitmap &source, Bitmap &destination, const ResizeGeometry &g)
{
    if (!g.IsUsable())
        return false;
    const float rx = g.dw / g.sw;
    const float ry = g.dh / g.sh;
    if (rx < 1.0f || ry < 1.0f)
        return ShrinkBitmap(source, destination, g);
    return EnlargeBitmap(source, destination, g);
}

bool ResizePicture(PictureSurface &source, PictureSurface &destination, float sx, float sy, float sw, float sh,
                   float dx, float dy, float dw, float dh)
{
    return OnSurfaces(ResizeBitmap, source, destination, {sx, sy, sw, sh, dx, dy, dw, dh});
}

bool ShrinkPicture(PictureSurface &source, PictureSurface &destination, float sx, float sy, float sw, float sh,
                   float dx, float dy, float dw, float dh)
{
    return OnSurfaces(ShrinkBitmap, source, destination, {sx, sy, sw, sh, dx, dy, dw, dh});
}

bool EnlargePicture(PictureSurface &source, PictureSurface &destination, float sx, float sy, float sw, float sh,
                    float dx, float dy, float dw, float dh)
{
    return OnSurfaces(EnlargeBitmap, source, destination, {sx, sy, sw, sh, dx, dy, dw, dh});
}

}  // namespace pellimore
